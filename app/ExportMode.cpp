#include "app/CommandLine.h"

#include "app/Platform.h"
#include "store/AlmanacExport.h"
#include "store/AlmanacModel.h"
#include "store/RecordSource.h"
#include "store/TroisJours.h"
#include "ui/Booklet.h"

#include <QDir>
#include <QGuiApplication>
#include <QTextStream>

#include <memory>

int runExportMode(int &argc, char **argv, const QStringList &args)
{
    const FileFormat format = args.size() == 1 ? formatOf(args[0]) : FileFormat::Unknown;
    std::unique_ptr<QCoreApplication> app;
    if (format == FileFormat::Pdf) {
        // Drawing text needs the fonts of a GUI application; with no display
        // it draws offscreen.
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") && qEnvironmentVariableIsEmpty("DISPLAY")
            && qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY"))
            qputenv("QT_QPA_PLATFORM", "offscreen");
        app = std::make_unique<QGuiApplication>(argc, argv);
    } else {
        app = std::make_unique<QCoreApplication>(argc, argv);
    }
    QTextStream out(stdout), err(stderr);
    if (format == FileFormat::Unknown) {
        err << QStringLiteral("ombo : --exporter attend un fichier .ics, .csv, .txt ou .pdf.\n\n")
            << CommandLine::usage();
        return 2;
    }
    const QString file = QDir::current().absoluteFilePath(args[0]);
    RecordSource source;
    try {
        source.setConnectionString(almanacConnection(platform().programFolder() + QLatin1Char('/')));
        source.refresh();
    } catch (const OmboError &e) {
        err << e.messageComplet() << Qt::endl;
        return 1;
    }
    const QList<DayRow> rows = almanacRows(*source.model());
    const QDate today = platform().today();
    QString error;
    bool ok = false;
    switch (format) {
    case FileFormat::Ics: ok = writeFileAtomically(file, exportIcs(rows, today), &error); break;
    case FileFormat::Csv: ok = writeFileAtomically(file, exportCsv(rows), &error); break;
    case FileFormat::CalendarText: ok = writeFileAtomically(file, exportCalendarText(rows), &error); break;
    case FileFormat::Pdf: ok = writeBookletPdf(file, rows, today, &error); break;
    case FileFormat::Unknown: break;
    }
    if (!ok) {
        err << error << Qt::endl;
        return 1;
    }
    out << QStringLiteral("L'almanach est exporté dans « %1 ».").arg(QDir::toNativeSeparators(file)) << Qt::endl;
    return 0;
}
