// The entry points of the module ombo-fenetres.so, which the command-line
// program loads only for the windows and the PDF booklet.
#include "app/CommandLine.h"

extern "C" Q_DECL_EXPORT int omboRunWindows(int &argc, char **argv)
{
    return runWindowsMode(argc, argv);
}

extern "C" Q_DECL_EXPORT int omboRunGreetingWindow(int &argc, char **argv)
{
    return runGreetingWindowMode(argc, argv);
}

extern "C" Q_DECL_EXPORT int omboRunPdfExport(int &argc, char **argv, const QString &file)
{
    return runPdfExportMode(argc, argv, file);
}
