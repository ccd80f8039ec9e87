#include "app/Windows.h"

#include "app/GreetingMode.h"
#include "app/Identity.h"
#include "app/NotifierMode.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    if (argc > 1 && qstrcmp(argv[1], "--notifier") == 0)
        return runNotifier(argc, argv);
    if (argc > 1 && qstrcmp(argv[1], "--accueil") == 0)
        return runGreeting(argc, argv);
    QApplication app(argc, argv);
    QApplication::setApplicationName(Identity::kNomProduit);
    QApplication::setApplicationVersion(Identity::kVersion);
    // The program ends only through its own commands (each writes pending edits first).
    QApplication::setQuitOnLastWindowClosed(false);
    Windows::start();
    return app.exec();
}
