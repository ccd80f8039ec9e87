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
    bool throwOnOpen = false;
    int viewerResult = Viewer::Started;

    NoticeAnswer answer = NoticeAnswer::Closed;
    QByteArray loginEntry;  // the autostart entry as written, empty when none
    bool loginFails = false;

    // What the file dialogs answer, in turn (empty: cancelled), and whether
    // the print dialog is accepted.
    QStringList fileAnswers;
    bool printAccepted = false;
    QString printFile;  // where an accepted print goes, as PDF

    // One word per effect, in order: "beep", "box", "open", "file", "print",
    // "end", "login", "notify", "start".
    QStringList events;
    QList<Box> boxes;
    QList<Opening> openings;
    QStringList fileCaptions;
    int ends = 0;
    QStringList notices;            // summary, then body, of each notification
    QList<QStringList> starts;      // the arguments of each copy started

    FakePlatform() { install(this); }
    ~FakePlatform() override { install(nullptr); }

    QDate today() override { return date; }
    QDateTime nowUtc() override { return QDateTime(date, QTime(12, 0), Qt::UTC); }
    QString programFolder() override { return folder; }
    void messageBox(const QString &text, const QString &title, int style) override
    {
        events << QStringLiteral("box");
        boxes.append({text, title, style});
    }
    void beep() override { events << QStringLiteral("beep"); }
    int openWithViewer(QWidget *owner, const QString &file, const QString &workingDir) override
    {
        events << QStringLiteral("open");
        openings.append({owner, file, workingDir});
        if (throwOnOpen)
            throw OmboError(Err::BadArgument, QStringLiteral("refus"));
        return viewerResult;
    }
    QString chooseFile(QWidget *, const QString &caption, const QString &, bool) override
    {
        events << QStringLiteral("file");
        fileCaptions << caption;
        return fileAnswers.isEmpty() ? QString() : fileAnswers.takeFirst();
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
    void endProgram() override
    {
        events << QStringLiteral("end");
        ++ends;
    }
    QString stateFolder() override { return folder + QStringLiteral("/etat"); }
    bool loginEntryExists() override { return !loginEntry.isEmpty(); }
    bool setLoginEntry(const QByteArray &contents) override
    {
        events << QStringLiteral("login");
        if (!loginFails)
            loginEntry = contents;
        return !loginFails;
    }
    NoticeAnswer notify(const QString &summary, const QString &body) override
    {
        events << QStringLiteral("notify");
        notices << summary << body;
        return answer;
    }
    bool startProgram(const QStringList &arguments) override
    {
        events << QStringLiteral("start");
        starts << arguments;
        return true;
    }
    void clear()
    {
        events.clear();
        boxes.clear();
        openings.clear();
        ends = 0;
        notices.clear();
        starts.clear();
    }
};
