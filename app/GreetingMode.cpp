#include "app/CommandLine.h"

#include "core/Module1.h"
#include "core/Platform.h"
#include "store/RecordSource.h"
#include "store/TroisJours.h"

#include <QCoreApplication>
#include <QTextStream>

QString terminalText(const QString &text)
{
    QString out = text;
    for (QChar &c : out) {
        if (c == u'\n' || c == u'\r' || c == u'\t')
            c = QLatin1Char(' ');
        else if (c.unicode() < 0x20 || c.unicode() == 0x7F || (c.unicode() >= 0x80 && c.unicode() < 0xA0))
            c = QChar(QChar::ReplacementCharacter);
    }
    return out;
}

int printGreeting(const QString &folder, QTextStream &out, QTextStream &err)
{
    RecordSource source;
    try {
        extraireTroisJours(source, folder);
    } catch (const OmboError &e) {
        err << e.fullMessage() << Qt::endl;
        return 1;
    }
    // The greeting window's eleven lines, titles at the left, texts indented.
    using namespace Module1;
    const QString indent(4, QLatin1Char(' '));
    out << greetingLine() << "\n\n";
    for (const GreetingDay &d : greetingDays())
        out << d.heading << '\n' << indent << terminalText(d.text1) << '\n' << indent << terminalText(d.text2) << '\n';
    out.flush();
    return 0;
}

// No QGuiApplication: the greeting needs no display, over ssh or in a login script.
int runGreetingMode(int &argc, char **argv, const QStringList &args)
{
    Q_UNUSED(args);  // refused by the command line: the greeting takes none
    QCoreApplication app(argc, argv);
    QTextStream out(stdout), err(stderr);
    return printGreeting(platform().programFolder(), out, err);
}
