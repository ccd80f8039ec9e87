#include "store/TroisJours.h"

#include "core/Module1.h"
#include "core/Platform.h"
#include "calendar/TextesDuJour.h"
#include "store/RecordSource.h"

namespace {
QString texteDuChamp(const RecordSource &source, const QString &champ)
{
    const QVariant v = source.fieldValue(champ);
    return v.isNull() ? QString() : v.toString();
}

// The almanac's path as a connection string value: quoted when it holds
// what would end or bend it.
QString valeurConnexion(QString path)
{
    if (!path.contains(QLatin1Char(';')) && !path.contains(QLatin1Char('"')) && path.trimmed() == path)
        return path;
    return QLatin1Char('"') + path.replace(QLatin1Char('"'), QStringLiteral("\"\"")) + QLatin1Char('"');
}

void deplacer(RecordSource &source, int pas)
{
    source.setAbsolutePosition(source.absolutePosition() + pas);
}
}  // namespace

QString almanacConnection(const QString &folder)
{
    return QStringLiteral("Data Source=") + valeurConnexion(folder + QStringLiteral("ombo.mdb"));
}

void extraireTroisJours(RecordSource &source, const QString &dossierProgramme)
{
    using namespace Module1;
    Chemin = dossierProgramme;
    if (!Chemin.endsWith(QLatin1Char('/')))
        Chemin += QLatin1Char('/');

    TextesDuJour();

    source.setConnectionString(almanacConnection(Chemin));
    source.refresh();
    source.find(QStringLiteral("Date=(") + JourCle + QLatin1Char(')'));

    if (JourCle != QLatin1String("01/01")) {
        deplacer(source, -1);
        HierEv1 = texteDuChamp(source, QStringLiteral("Evenement1"));
        HierEv2 = texteDuChamp(source, QStringLiteral("Evenement2"));
        deplacer(source, +1);
    }
    JourEv1 = texteDuChamp(source, QStringLiteral("Evenement1"));
    JourEv2 = texteDuChamp(source, QStringLiteral("Evenement2"));
    if (JourCle != QLatin1String("31/12")) {
        deplacer(source, +1);
        DemainEv1 = texteDuChamp(source, QStringLiteral("Evenement1"));
        DemainEv2 = texteDuChamp(source, QStringLiteral("Evenement2"));
        deplacer(source, -1);
    }
}

void signalerEchecChargement(const OmboError &error)
{
    platform().beep();
    if (error.number() == Err::NoCurrentRecord) {
        platform().messageBox(
            QStringLiteral("La date ") + Module1::JourCle
                + QStringLiteral(" n'est pas rencontrée sous cette forme dans le champ Date\r\n"
                                 "de la Base de Données. Son intégrité est à reconsidérer."),
            QStringLiteral("Ombrelune.exe"), Style::StopRetry);
    } else {
        platform().messageBox(error.messageComplet(), QString(), Style::OkOnly);
    }
}
