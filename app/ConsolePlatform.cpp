#include "app/ConsolePlatform.h"

#include <QCoreApplication>
#include <QTextStream>

Platform &defaultPlatform()
{
    static ConsolePlatform console;
    return console;
}

QDate ConsolePlatform::today()
{
    return QDate::currentDate();
}

QString ConsolePlatform::programFolder()
{
    return QCoreApplication::applicationDirPath();
}

void ConsolePlatform::messageBox(const QString &text, const QString &, int)
{
    QTextStream(stderr) << text << Qt::endl;
}

void ConsolePlatform::endProgram()
{
    QCoreApplication::exit(0);
}
