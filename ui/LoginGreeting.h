#pragma once

#include <QByteArray>
#include <QString>

class QWidget;

// Adds to `grid`'s context menu the checkable entry "Me saluer à
// l'ouverture de session", which writes or removes the desktop's autostart
// entry running `ombo --notifier`.
void addLoginGreetingAction(QWidget *grid);

// The autostart entry that runs `program --notifier`.
QByteArray loginEntry(const QString &program);
