#include "app/CommandLine.h"
#include "app/DesktopPlatform.h"
#include "app/QtTranslations.h"
#include "core/Identity.h"
#include "core/Platform.h"
#include "ui/Windows.h"
#include "store/transfer/Writers.h"
#include "store/AlmanacModel.h"
#include "store/RecordSource.h"
#include "store/TroisJours.h"
#include "ui/Booklet.h"
#include "ui/AfterFirstPaint.h"
#include "ui/SyncHook.h"

#include <QApplication>
#include <QDir>
#include <QTextStream>

namespace {
// The windows' application, with the desktop behind every effect; `open`
// shows the first window.
int runWithWindows(int &argc, char **argv, void (*open)())
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(Identity::kProductName);
    QApplication::setApplicationVersion(Identity::kVersion);
    // The program ends only through its own commands (each writes pending edits first).
    QApplication::setQuitOnLastWindowClosed(false);
    static DesktopPlatform desktop;
    Platform::install(&desktop);
    SyncHook::setLoader(loadSyncWindow);
    // The first window shows none of Qt's own texts: start-up does not wait for them.
    afterFirstPaint(&app, [] { installQtTranslations(); });
    open();
    return app.exec();
}
}  // namespace

int runWindowsMode(int &argc, char **argv)
{
    return runWithWindows(argc, argv, Windows::start);
}

// The greeting window first, the update window loaded hidden behind it.
int runGreetingWindowMode(int &argc, char **argv)
{
    return runWithWindows(argc, argv, Windows::showForm1);
}

int runPdfExportMode(int &argc, char **argv, const QString &file)
{
    // Drawing text needs the fonts of a GUI application; with no display it
    // draws offscreen.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") && qEnvironmentVariableIsEmpty("DISPLAY")
        && qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    QTextStream out(stdout), err(stderr);
    RecordSource source;
    if (!openProgramAlmanac(source, err))
        return 1;
    QString error;
    if (!writeBookletPdf(file, almanacRows(*source.model()), platform().today(), &error)) {
        err << CommandLine::failure(error) << Qt::endl;
        return 1;
    }
    out << QStringLiteral("L'almanach est exporté dans « %1 ».").arg(QDir::toNativeSeparators(file)) << Qt::endl;
    return 0;
}
