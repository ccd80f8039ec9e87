#pragma once

#include "app/Platform.h"

// The real desktop: the system clock, QMessageBox, the bell, the desktop's
// file associations, the event loop's end, XDG autostart and the
// notification service on the session bus.
class DesktopPlatform : public Platform
{
public:
    QDate today() override;
    QString programFolder() override;
    void messageBox(const QString &text, const QString &title, int style) override;
    void beep() override;
    int openWithViewer(QWidget *owner, const QString &file, const QString &workingDir) override;
    void endProgram() override;
    bool loginEntryExists() override;
    bool setLoginEntry(const QByteArray &contents) override;
    NoticeAnswer notify(const QString &summary, const QString &body) override;
    bool startProgram(const QStringList &arguments) override;

    // $XDG_CONFIG_HOME/autostart/fr.valdric.Ombrelune.desktop (~/.config by default).
    static QString loginEntryPath();
};
