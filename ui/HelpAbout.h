#pragma once

class QWidget;

// Opens the help file "ombo.chm" (Places::helpFolder) with the desktop's
// viewer, or warns when it is missing. `owner` is the window that asked.
void openHelp(QWidget *owner);

// The about box: the program, its author and its version.
void showAbout();
