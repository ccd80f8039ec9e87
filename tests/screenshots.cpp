// Renders both windows, as they look on 5 January 2004 with the default
// almanac, into the PNG files that the README shows:
//   screenshots <ombo.mdb of a build> <output folder>
// Run it on a real X server (tests/on-xvfb.sh): at a screen scale of 2 the
// files are named "...@2x.png".
#include "FakePlatform.h"
#include "app/Windows.h"
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
    if (argc != 3) {
        qWarning("usage: screenshots <ombo.mdb> <output folder>");
        return 2;
    }
    QTemporaryDir dir;
    if (!QFile::copy(QString::fromLocal8Bit(argv[1]), dir.filePath(QStringLiteral("ombo.mdb"))))
        return 1;
    const QDir out(QString::fromLocal8Bit(argv[2]));
    const QString suffix = app.devicePixelRatio() > 1 ? QStringLiteral("@%1x.png").arg(app.devicePixelRatio())
                                                      : QStringLiteral(".png");

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
