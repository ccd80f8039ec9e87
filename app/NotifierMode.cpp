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
QString day(const QString &heading, const QString &ev1, const QString &ev2)
{
    QStringList lines{heading};
    for (const QString &ev : {ev1, ev2})
        if (!ev.isEmpty())
            lines << ev;
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
    const QString body = day(QStringLiteral("Ce jour :"), JourEv1, JourEv2) + QLatin1Char('\n')
                         + day(QStringLiteral("Demain :"), DemainEv1, DemainEv2);
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
