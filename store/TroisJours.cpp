#include "store/TroisJours.h"

#include "core/Module1.h"
#include "core/Places.h"
#include "core/Platform.h"
#include "calendar/TextesDuJour.h"
#include "store/RecordSource.h"

namespace {
QString fieldText(const RecordSource &source, const QString &field)
{
    const QVariant v = source.fieldValue(field);
    return v.isNull() ? QString() : v.toString();
}

// The almanac's path as a connection string value: quoted when it holds
// what would end or bend it.
QString connectionValue(QString path)
{
    if (!path.contains(QLatin1Char(';')) && !path.contains(QLatin1Char('"')) && path.trimmed() == path)
        return path;
    return QLatin1Char('"') + path.replace(QLatin1Char('"'), QStringLiteral("\"\"")) + QLatin1Char('"');
}

void moveBy(RecordSource &source, int step)
{
    source.setAbsolutePosition(source.absolutePosition() + step);
}
}  // namespace

QString almanacConnection(const QString &folder)
{
    return QStringLiteral("Data Source=") + connectionValue(folder + QStringLiteral("ombo.mdb"));
}

void extraireTroisJours(RecordSource &source, const QString &programFolder)
{
    using namespace Module1;
    Chemin = Places::almanacFolder(programFolder);

    TextesDuJour();

    source.setConnectionString(almanacConnection(Chemin));
    source.refresh();
    source.find(QStringLiteral("Date=(") + JourCle + QLatin1Char(')'));

    if (JourCle != QLatin1String("01/01")) {
        moveBy(source, -1);
        HierEv1 = fieldText(source, QStringLiteral("Evenement1"));
        HierEv2 = fieldText(source, QStringLiteral("Evenement2"));
        moveBy(source, +1);
    }
    JourEv1 = fieldText(source, QStringLiteral("Evenement1"));
    JourEv2 = fieldText(source, QStringLiteral("Evenement2"));
    if (JourCle != QLatin1String("31/12")) {
        moveBy(source, +1);
        DemainEv1 = fieldText(source, QStringLiteral("Evenement1"));
        DemainEv2 = fieldText(source, QStringLiteral("Evenement2"));
        moveBy(source, -1);
    }
}

void reportLoadFailure(const OmboError &error)
{
    platform().beep();
    if (error.number() == Err::NoCurrentRecord) {
        platform().messageBox(
            QStringLiteral("La date ") + Module1::JourCle
                + QStringLiteral(" n'est pas rencontrée sous cette forme dans le champ Date\r\n"
                                 "de la Base de Données. Son intégrité est à reconsidérer."),
            QStringLiteral("Ombrelune.exe"), Style::StopRetry);
    } else {
        platform().messageBox(error.fullMessage(), QString(), Style::OkOnly);
    }
}
