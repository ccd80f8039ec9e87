#pragma once

#include "core/Platform.h"

// The platform of the command-line modes, which open no window: the system
// clock, the program's folder, messages on stderr; no dialogs.
class ConsolePlatform : public Platform
{
public:
    void messageBox(const QString &text, const QString &title, int style) override;
    void beep() override {}
    int openWithViewer(QWidget *, const QString &, const QString &) override { return Viewer::NoViewer; }
    QString chooseFile(QWidget *, const QString &, const QString &, bool, const QString &) override { return QString(); }
    bool choosePrinter(QWidget *, QPrinter *) override { return false; }
    void endProgram() override;
};
