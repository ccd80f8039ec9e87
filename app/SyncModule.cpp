// The entry point of the module ombo-synchro.so, which the command-line
// program loads only to sync.
#include "app/CommandLine.h"

extern "C" Q_DECL_EXPORT void omboRunSyncWindow(QWidget *window, AlmanacModel *model, bool settings,
                                                OfferImport offer)
{
    attachSyncMode(window, model, settings, offer);
}

extern "C" Q_DECL_EXPORT int omboRunSync(int &argc, char **argv, const QStringList &args)
{
    return runSyncMode(argc, argv, args);
}
