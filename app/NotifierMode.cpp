#include "app/NotifierMode.h"

#include "core/Identity.h"
#include "core/Module1.h"
#include "core/Platform.h"
#include "calendar/NomDuJour.h"
#include "store/RecordSource.h"
#include "store/TroisJours.h"

#include <QCoreApplication>
#include <cstdio>

namespace {
void say(const QString &text)
{
    std::fputs(qUtf8Printable(text + QLatin1Char('\n')), stderr);
}

// A day's heading and its texts, one a line; an empty text takes no line.
QString day(const Module1::GreetingDay &d)
{
    QStringList lines{d.heading};
    for (const QString &text : {d.text1, d.text2})
        if (!text.isEmpty())
            lines << text;
    return lines.join(QLatin1Char('\n'));
}
}  // namespace

int runNotifier(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(Identity::kProductName);
    return notifyToday();
}

int notifyToday()
{
    using namespace Module1;
    QString summary;
    try {
        RecordSource source;
        extraireTroisJours(source, platform().programFolder());
        summary = QStringLiteral("Ombrelune — ") + NomDuJour(JourCle) + QLatin1Char(' ') + JourCle;
    } catch (const OmboError &e) {
        say(QStringLiteral("ombo --notifier : ") + e.fullMessage());
        return 1;
    }
    const auto days = greetingDays();  // today and tomorrow: yesterday is past
    const QString body = day(days[1]) + QLatin1Char('\n') + day(days[2]);
    switch (platform().notify(summary, body)) {
    case NoticeAnswer::NoService:
        say(QStringLiteral("ombo --notifier : aucun service de notifications sur ce bureau ; rien n'est affiché."));
        break;
    case NoticeAnswer::Open:
        platform().startProgram({QStringLiteral("--accueil")});
        break;
    case NoticeAnswer::Closed:
        break;
    }
    return 0;
}
