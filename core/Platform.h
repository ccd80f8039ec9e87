#pragma once

#include <QByteArray>
#include <QDate>
#include <QDateTime>
#include <QString>
#include <QStringList>

class QPrinter;
class QWidget;

// Message box styles: the buttons and icon of a box, as numbers.
namespace Style {
constexpr int OkOnly = 0;
constexpr int StopRetry = 22;        // stop icon; Annuler, Réessayer, Continuer
constexpr int ExclamationRetry = 54; // exclamation icon; the same three buttons
}  // namespace Style

// What opening a file with the desktop's viewer answers.
namespace Viewer {
constexpr int FileNotFound = 2;
constexpr int NoViewer = 31;  // nothing could open the file
constexpr int Started = 42;   // anything above 32 means the viewer started
}  // namespace Viewer

// How a desktop notification ended.
enum class NoticeAnswer {
    NoService,  // no notification service answered
    Closed,     // closed, expired, or a minute passed without an answer
    Open,       // the user picked its action "Ouvrir"
};

// Everything the program asks of the desktop goes through here, so that tests
// can put a recording fake in its place.
class Platform
{
public:
    virtual ~Platform() = default;

    // The local calendar date, read once per call.
    virtual QDate today();
    // The moment, in UTC (what the history and the unsaved-texts file record).
    virtual QDateTime nowUtc();
    // The folder that holds the program.
    virtual QString programFolder();
    // A modal box; the answer is never read. An empty title means "OMBO".
    virtual void messageBox(const QString &text, const QString &title, int style) = 0;
    virtual void beep() = 0;
    // Opens `file` (a bare name) with the desktop's default viewer, from
    // `workingDir`; returns Viewer::FileNotFound, or a number above 32 once the
    // viewer is started, or another small number when it could not be.
    virtual int openWithViewer(QWidget *owner, const QString &file, const QString &workingDir) = 0;
    // A file chosen by the user in a file dialog, to read or (`forWriting`)
    // to write, where `proposed` is the name first offered and a name typed
    // without extension takes the chosen filter's; empty when the dialog is
    // cancelled.
    virtual QString chooseFile(QWidget *owner, const QString &caption, const QString &filter,
                               bool forWriting, const QString &proposed) = 0;
    // A modal question: true only when the user picks `yes` (the other
    // answer, "Annuler", is the default one, so Enter does not say yes).
    virtual bool ask(QWidget *owner, const QString &question, const QString &yes);
    // The print dialog, set up on `printer`; false when it is cancelled.
    virtual bool choosePrinter(QWidget *owner, QPrinter *printer) = 0;
    // Ends the program: nothing of the program's runs after the caller returns.
    virtual void endProgram() = 0;
    // Where the program keeps its own state: $XDG_STATE_HOME/ombrelune
    // (~/.local/state/ombrelune by default).
    virtual QString stateFolder();
    // The user's own data: $XDG_DATA_HOME/ombrelune (~/.local/share/ombrelune
    // by default), where an installed program keeps the user's almanac.
    virtual QString dataFolder();
    // The installed program's read-only files: the default almanac and the
    // help file (<prefix>/share/ombrelune).
    virtual QString sharedFolder();

    // Whether the desktop starts the program at login (its autostart entry).
    virtual bool loginEntryExists();
    // Writes the autostart entry with `contents`, or removes it when
    // `contents` is empty; false when that fails.
    virtual bool setLoginEntry(const QByteArray &contents);
    // Shows a notification (plain texts) with the program's icon and the
    // action "Ouvrir", and waits for its end, at most a minute.
    virtual NoticeAnswer notify(const QString &summary, const QString &body);
    // Starts another copy of the program with `arguments`, not waited for.
    virtual bool startProgram(const QStringList &arguments);
    // $XDG_CONFIG_HOME/autostart/fr.valdric.Ombrelune.desktop (~/.config by default).
    static QString loginEntryPath();

    static Platform &current();
    // Installs `p` (not owned); nullptr goes back to the desktop.
    static void install(Platform *p);
};

// What Platform::current() answers when nothing is installed: the desktop
// in a program with windows, the console in the command-line program.
Platform &defaultPlatform();

// The shorthand every handler uses.
inline Platform &platform() { return Platform::current(); }
