// Renders both windows, as they look on 5 January 2004 with the default
// almanac, into the PNG files that the README shows:
//   screenshots <ombo.mdb of a build> <output folder>
#include "FakePlatform.h"
#include "app/Windows.h"
#include "ui/Form1.h"
#include "ui/Form2.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QTabBar>
#include <QTemporaryDir>

int main(int argc, char *argv[])
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    if (argc != 3) {
        qWarning("usage: screenshots <ombo.mdb> <output folder>");
        return 2;
    }
    QTemporaryDir dir;
    if (!QFile::copy(QString::fromLocal8Bit(argv[1]), dir.filePath(QStringLiteral("ombo.mdb"))))
        return 1;
    const QDir out(QString::fromLocal8Bit(argv[2]));

    FakePlatform desktop;
    desktop.folder = dir.path();
    Windows::start();
    bool ok = Windows::form2()->grab().save(out.filePath(QStringLiteral("ombrelune-miseajour.png")));
    Windows::form2()->findChild<QTabBar *>()->setCurrentIndex(0);
    Windows::unloadForm2();
    Windows::showForm1();
    ok = ok && Windows::form1()->grab().save(out.filePath(QStringLiteral("ombrelune-accueil.png")));
    if (!desktop.events.isEmpty())
        qWarning() << "unexpected:" << desktop.events;
    return ok && desktop.events.isEmpty() ? 0 : 1;
}
