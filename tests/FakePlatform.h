#pragma once

#include "core/OmboError.h"
#include "core/Platform.h"

#include <QList>
#include <QPrinter>
#include <QStringList>

// A desktop that records what the program asks of it, in order, and answers
// with a fixed date and a chosen viewer result.
class FakePlatform : public Platform
{
public:
    struct Box
    {
        QString text, title;
        int style;
    };
    struct Opening
    {
        QWidget *owner;
        QString file, workingDir;
    };

    QDate date{2004, 1, 5};
    QString folder = QStringLiteral("/nonexistent");
    QString data = QStringLiteral("/nonexistent/donnees");    // the user's data folder
    QString shared = QStringLiteral("/nonexistent/partage");  // the installed shared files
    bool throwOnOpen = false;
    int viewerResult = Viewer::Started;
    QByteArray loginEntry;  // the autostart entry as written, empty when none
    bool loginFails = false;
    QStringList fileAnswers;  // what the file dialogs answer, in turn (empty: cancelled)
    bool printAccepted = false;
    QString printFile;  // where an accepted print goes, as PDF

    // One word per effect, in order: "beep", "box", "ask", "open", "file",
    // "print", "end", "login", "notify", "start".
    QStringList events;
    QList<Box> boxes;
    QList<Opening> openings;
    QList<QStringList> starts;  // the arguments of each copy started
    QStringList proposedNames;  // the names the file dialogs offered
    QStringList questions;      // what ask() asked
    bool answerYes = false;

    FakePlatform() { install(this); }
    ~FakePlatform() override { install(nullptr); }
    void clear()
    {
        events.clear();
        boxes.clear();
        openings.clear();
        starts.clear();
    }

    QDate today() override { return date; }
    QDateTime nowUtc() override { return QDateTime(date, QTime(12, 0), Qt::UTC); }
    QString programFolder() override { return folder; }
    QString stateFolder() override { return folder + QStringLiteral("/etat"); }
    QString dataFolder() override { return data; }
    QString sharedFolder() override { return shared; }
    void beep() override { events << QStringLiteral("beep"); }
    void endProgram() override { events << QStringLiteral("end"); }
    bool loginEntryExists() override { return !loginEntry.isEmpty(); }
    void messageBox(const QString &text, const QString &title, int style) override
    {
        events << QStringLiteral("box");
        boxes.append({text, title, style});
    }
    int openWithViewer(QWidget *owner, const QString &file, const QString &workingDir) override
    {
        events << QStringLiteral("open");
        openings.append({owner, file, workingDir});
        if (throwOnOpen)
            throw OmboError(Err::BadArgument, QStringLiteral("refus"));
        return viewerResult;
    }
    QString chooseFile(QWidget *, const QString &, const QString &, bool, const QString &proposed) override
    {
        events << QStringLiteral("file");
        proposedNames << proposed;
        return fileAnswers.isEmpty() ? QString() : fileAnswers.takeFirst();
    }
    bool ask(QWidget *, const QString &question, const QString &) override
    {
        events << QStringLiteral("ask");
        questions << question;
        return answerYes;
    }
    bool choosePrinter(QWidget *, QPrinter *printer) override
    {
        events << QStringLiteral("print");
        if (printAccepted) {
            printer->setOutputFormat(QPrinter::PdfFormat);
            printer->setOutputFileName(printFile);
        }
        return printAccepted;
    }
    bool setLoginEntry(const QByteArray &contents) override
    {
        events << QStringLiteral("login");
        if (!loginFails)
            loginEntry = contents;
        return !loginFails;
    }
    NoticeAnswer notify(const QString &, const QString &) override
    {
        events << QStringLiteral("notify");
        return NoticeAnswer::Closed;
    }
    bool startProgram(const QStringList &arguments) override
    {
        events << QStringLiteral("start");
        starts << arguments;
        return true;
    }
};
