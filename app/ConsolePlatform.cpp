#include "app/ConsolePlatform.h"

#include <QCoreApplication>
#include <QTextStream>

Platform &defaultPlatform()
{
    static ConsolePlatform console;
    return console;
}

void ConsolePlatform::messageBox(const QString &text, const QString &, int)
{
    QTextStream(stderr) << text << Qt::endl;
}

void ConsolePlatform::endProgram()
{
    QCoreApplication::exit(0);
}
