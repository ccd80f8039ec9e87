#include "app/CommandLine.h"
#include "app/Identity.h"
#include "app/Windows.h"

#include <QApplication>

int runWindows(int &argc, char **argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(Identity::kNomProduit);
    QApplication::setApplicationVersion(Identity::kVersion);
    // The program ends only through its own commands (each writes pending edits first).
    QApplication::setQuitOnLastWindowClosed(false);
    Windows::start();
    return app.exec();
}
