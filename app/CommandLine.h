#pragma once

#include <QStringList>

class QTextStream;
class RecordSource;
class AlmanacModel;
class QWidget;

// The program's command line: with no option it opens the windows; each
// option runs one mode and ends.
namespace CommandLine {

// One mode: its option, what --help says of it, and its entry point, given
// the arguments that follow the option.
struct Mode
{
    const char *option;
    const char *usage;
    int (*run)(int &argc, char **argv, const QStringList &args);
    bool takesArguments = false;
};

int run(int &argc, char **argv);

// The usage text, French.
QString usage();
// The options, as --help lists them.
QStringList options();
// Refuses the command line: "ombo : " and the reason on stderr, then the
// usage; returns the exit status 2.
int refuse(const QString &reason);
// A failure as the terminal shows it: "ombo : " and the reason, its first
// letter in lower case ("ombo : le fichier « a.csv » ne peut pas être lu…").
QString failure(const QString &reason);

}  // namespace CommandLine

// Opens the module `name` (a file name) beside the program, else in the
// installed library folder; nullptr, with the reason on stderr, when it
// cannot be loaded. Only the command-line program has it: the tests link
// the modules' code in.
void *loadModule(const char *name);

// The modes, each in its own file.
int runWindows(int &argc, char **argv);
// The windows, and the PDF booklet of --exporter, which need Qt's GUI: the
// command-line program loads them on demand (runWindows, runPdfExport).
int runWindowsMode(int &argc, char **argv);
int runGreetingWindowMode(int &argc, char **argv);
int runGreetingWindow(int &argc, char **argv);
int runPdfExportMode(int &argc, char **argv, const QString &file);
int runPdfExport(int &argc, char **argv, const QString &file);
int runGreetingMode(int &argc, char **argv, const QStringList &args);
int runExportMode(int &argc, char **argv, const QStringList &args);
int runImportMode(int &argc, char **argv, const QStringList &args);

// The greeting's lines as text: what the greeting window prints, read from
// the almanac in `folder`. Returns the exit code; failures go to `err`.
int printGreeting(const QString &folder, QTextStream &out, QTextStream &err);

// Opens the almanac of the program's folder in `source`; false, with the
// "Erreur N°" message written to `err`, when it cannot be read.
bool openProgramAlmanac(RecordSource &source, QTextStream &err);

// A text for a terminal: line ends and tabs as spaces, other control
// characters (escape sequences included) as U+FFFD.
QString terminalText(const QString &text);

// The sync with a calendar server, which needs Qt's network library and
// libical: the command-line program loads it from the module
// ombo-synchro.so beside it (runSync), the tests link it in.
int runSyncMode(int &argc, char **argv, const QStringList &args);
int runSync(int &argc, char **argv, const QStringList &args);
// The sync of the update window (`settings`: open its dialog), from the
// same module once the window has painted; null when it cannot be loaded.
using OfferImport = void (*)(QWidget *window, const QByteArray &ics, const QString &calendar);
void attachSyncMode(QWidget *window, AlmanacModel *model, bool settings, OfferImport offer);
using AttachSync = void (*)(QWidget *window, AlmanacModel *model, bool settings, OfferImport offer);
AttachSync loadSyncWindow();
