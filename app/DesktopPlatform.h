#pragma once

#include "core/Platform.h"

// The real desktop: the system clock, QMessageBox, the bell, the desktop's
// file associations, file and print dialogs, the event loop's end. (The
// session's services, autostart and notifications, are Platform's own.)
class DesktopPlatform : public Platform
{
public:
    void messageBox(const QString &text, const QString &title, int style) override;
    void beep() override;
    int openWithViewer(QWidget *owner, const QString &file, const QString &workingDir) override;
    QString chooseFile(QWidget *owner, const QString &caption, const QString &filter,
                       bool forWriting, const QString &proposed) override;
    bool ask(QWidget *owner, const QString &question, const QString &yes) override;
    bool choosePrinter(QWidget *owner, QPrinter *printer) override;
    void endProgram() override;
};
