#pragma once

#include "app/OmboError.h"
#include "app/Platform.h"

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

    // What the file dialogs answer, in turn (empty: cancelled), and whether
    // the print dialog is accepted.
    QStringList fileAnswers;
    bool printAccepted = false;
    QString printFile;  // where an accepted print goes, as PDF

    // One word per effect, in order: "beep", "box", "open", "file", "print", "end".
    QStringList events;
    QList<Box> boxes;
    QList<Opening> openings;
    QStringList fileCaptions;
    int ends = 0;

    FakePlatform() { install(this); }
    ~FakePlatform() override { install(nullptr); }

    QDate today() override { return date; }
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
    void clear()
    {
        events.clear();
        boxes.clear();
        openings.clear();
        ends = 0;
    }
};
