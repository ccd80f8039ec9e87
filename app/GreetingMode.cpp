#include "app/GreetingMode.h"

#include "app/Identity.h"
#include "app/Windows.h"

#include <QApplication>

int runGreeting(int argc, char **argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(Identity::kNomProduit);
    QApplication::setApplicationVersion(Identity::kVersion);
    // As at a normal start, the program ends only through its own commands.
    QApplication::setQuitOnLastWindowClosed(false);
    Windows::showForm1();
    return app.exec();
}
