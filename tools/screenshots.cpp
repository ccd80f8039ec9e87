// Renders both windows, as they look on 5 January 2004 with the default
// almanac, into the PNG files that the README shows:
//   screenshots <ombo.mdb of a build> <output folder> [--dark]
// Run it on a real X server (tests/on-xvfb.sh): at a screen scale of 2 the
// files are named "...@2x.png". --dark paints the desktop's colours dark,
// as a dark theme does, and names the files "...-sombre...".
#include "tests/FakePlatform.h"
#include "ui/Windows.h"
#include "ui/Form1.h"
#include "ui/Form2.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QTabBar>
#include <QTemporaryDir>
#include <QTest>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    const bool dark = argc == 4 && qstrcmp(argv[3], "--dark") == 0;
    if (argc != 3 && !dark) {
        qWarning("usage: screenshots <ombo.mdb> <output folder> [--dark]");
        return 2;
    }
    if (dark) {
        QPalette p;
        for (auto role : {QPalette::Window, QPalette::Button, QPalette::AlternateBase})
            p.setColor(role, QColor(0x35, 0x35, 0x35));
        p.setColor(QPalette::Base, QColor(0x20, 0x20, 0x20));
        for (auto role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText})
            p.setColor(role, QColor(0xEE, 0xEE, 0xEE));
        p.setColor(QPalette::Highlight, QColor(0x2A, 0x82, 0xDA));
        p.setColor(QPalette::HighlightedText, Qt::white);
        QApplication::setPalette(p);
    }
    QTemporaryDir dir;
    if (!QFile::copy(QString::fromLocal8Bit(argv[1]), dir.filePath(QStringLiteral("ombo.mdb"))))
        return 1;
    const QDir out(QString::fromLocal8Bit(argv[2]));
    const QString suffix = (dark ? QStringLiteral("-sombre") : QString())
                           + (app.devicePixelRatio() > 1 ? QStringLiteral("@%1x.png").arg(app.devicePixelRatio())
                                                      : QStringLiteral(".png"));

    FakePlatform desktop;
    desktop.folder = dir.path();
    Windows::start();
    QTest::qWaitForWindowExposed(Windows::form2());
    bool ok = Windows::form2()->grab().save(out.filePath(QStringLiteral("ombrelune-miseajour") + suffix));
    Windows::form2()->findChild<QTabBar *>()->setCurrentIndex(0);
    Windows::unloadForm2();
    Windows::showForm1();
    QTest::qWaitForWindowExposed(Windows::form1());
    ok = ok && Windows::form1()->grab().save(out.filePath(QStringLiteral("ombrelune-accueil") + suffix));
    if (!desktop.events.isEmpty())
        qWarning() << "unexpected:" << desktop.events;
    return ok && desktop.events.isEmpty() ? 0 : 1;
}
