// The windows and the PDF booklet linked in (the library the tests use).
#include "app/CommandLine.h"

int runWindows(int &argc, char **argv)
{
    return runWindowsMode(argc, argv);
}

int runGreetingWindow(int &argc, char **argv)
{
    return runGreetingWindowMode(argc, argv);
}

int runPdfExport(int &argc, char **argv, const QString &file)
{
    return runPdfExportMode(argc, argv, file);
}

AttachSync loadSyncWindow()
{
    return attachSyncMode;
}

int runSync(int &argc, char **argv, const QStringList &args)
{
    return runSyncMode(argc, argv, args);
}
