#include "calendar/TextesDuJour.h"

#include "core/Module1.h"
#include "core/Platform.h"

#include <array>
#include <cstdint>

namespace {
// Indexed by the weekday number, Sunday = 1; each name starts with a space.
const std::array<QString, 8> kJours = {
    QString(),           QStringLiteral(" Dimanche"), QStringLiteral(" Lundi"),
    QStringLiteral(" Mardi"), QStringLiteral(" Mercredi"), QStringLiteral(" Jeudi"),
    QStringLiteral(" Vendredi"), QStringLiteral(" Samedi")};

// Plain decimal digits with leading zeros, whatever the locale.
QString chiffres(int value, int width)
{
    return QStringLiteral("%1").arg(value, width, 10, QLatin1Char('0'));
}
}  // namespace

TextesDate textesPour(QDate date)
{
    const auto jourSemaine = static_cast<std::uint8_t>(date.dayOfWeek() % 7 + 1);
    const auto jour = static_cast<std::uint8_t>(date.day());
    const auto mois = static_cast<std::uint8_t>(date.month());
    const auto annee = static_cast<std::int16_t>(date.year());

    TextesDate t;
    t.cle = chiffres(jour, 2) + QLatin1Char('/') + chiffres(mois, 2);
    t.texte = kJours[jourSemaine] + QLatin1Char(' ') + t.cle + QLatin1Char('/') + chiffres(annee, 4);
    return t;
}

void TextesDuJour()
{
    const TextesDate t = textesPour(platform().today());
    Module1::JourCle = t.cle;
    Module1::JourTexte = t.texte;
}
