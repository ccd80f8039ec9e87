#include "calendar/NomDuJour.h"

#include "core/OmboError.h"
#include "core/Platform.h"

#include <cmath>

namespace {

OmboError incompatibilite()
{
    return OmboError(Err::TypeMismatch, QStringLiteral("Incompatibilité de type"));
}

// Nearest whole number, ties to even, into 0..255.
std::uint8_t versOctet(double v)
{
    const double r = std::nearbyint(v);  // the default rounding mode is to nearest, ties to even
    if (!(r >= 0.0 && r <= 255.0))
        throw OmboError(Err::Overflow, QStringLiteral("Dépassement de capacité"));
    return static_cast<std::uint8_t>(r);
}

const QString &nomPourReste(float r)
{
    static const QString noms[] = {
        QStringLiteral("Dimanche"), QStringLiteral("Lundi"), QStringLiteral("Mardi"),
        QStringLiteral("Mercredi"), QStringLiteral("Jeudi"), QStringLiteral("Vendredi"),
        QStringLiteral("Samedi")};
    // Int(10 * k / 7) for the residues k = 0..6; 3 and 6 cannot occur.
    static const float restes[] = {0, 1, 2, 4, 5, 7, 8};
    for (int k = 0; k < 7; ++k)
        if (r == restes[k])
            return noms[k];
    static const QString aucun;
    return aucun;
}

}  // namespace

// What reads as a number: optional spaces around, an optional sign "+" or
// "-", then digits with at most one decimal separator, "." or "," (a French
// user types either), and at least one digit. Thus "05", "5", " 5", "5 ",
// "+5", "-1", "5," and ",5" are numbers; "", "ab", "5-", "--" and "1e" are not.
double lireNombre(QStringView texte)
{
    const QStringView t = texte.trimmed();
    qsizetype i = 0;
    bool negatif = false;
    if (i < t.size() && (t[i] == u'+' || t[i] == u'-'))
        negatif = t[i++] == u'-';
    double entier = 0, fraction = 0, echelle = 1;
    bool chiffre = false, separateur = false;
    for (; i < t.size(); ++i) {
        const QChar c = t[i];
        if (c >= u'0' && c <= u'9') {
            chiffre = true;
            if (separateur)
                fraction += (c.unicode() - u'0') * (echelle /= 10);
            else
                entier = entier * 10 + (c.unicode() - u'0');
        } else if ((c == u'.' || c == u',') && !separateur) {
            separateur = true;
        } else {
            throw incompatibilite();
        }
    }
    if (!chiffre)
        throw incompatibilite();
    const double v = entier + fraction;
    return negatif ? -v : v;
}

QString nomDuJourEn(QStringView cle, std::int16_t annee)
{
    // The day part is converted first, so a key with two bad parts fails on it.
    const std::uint8_t jour = versOctet(lireNombre(cle.left(2)));
    const QStringView mois = cle.right(2);

    const float a = static_cast<float>(std::floor((14.0 - lireNombre(mois)) / 12.0));
    const float y = static_cast<float>(annee) - a;
    const float douzeA = 12.0f * a;
    const std::uint8_t m = versOctet((lireNombre(mois) + douzeA) - 2.0);

    float t = static_cast<float>(jour + y + std::floor(y / 4.0));
    t = static_cast<float>(t - std::floor(y / 100.0));
    double s = t + std::floor(y / 400.0);
    const auto trenteEtUnM = static_cast<std::int16_t>(31 * m);
    s += std::floor(trenteEtUnM / 12.0);

    const double q = s / 7.0;
    const float f = static_cast<float>(q - std::floor(q));
    const float r = std::floor(f * 10.0f);
    return nomPourReste(r);
}

QString NomDuJour(const QVariant &cle)
{
    if (cle.isNull())
        throw OmboError(Err::InvalidNull, QStringLiteral("Utilisation incorrecte de Null"));
    return nomDuJourEn(cle.toString(), static_cast<std::int16_t>(platform().today().year()));
}
