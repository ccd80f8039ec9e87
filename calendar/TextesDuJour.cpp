#include "calendar/TextesDuJour.h"

#include "core/Module1.h"
#include "core/Platform.h"

#include <array>
#include <cstdint>

namespace {
// Indexed by the weekday number, Sunday = 1; each name starts with a space.
const std::array<QString, 8> kWeekdays = {
    QString(),           QStringLiteral(" Dimanche"), QStringLiteral(" Lundi"),
    QStringLiteral(" Mardi"), QStringLiteral(" Mercredi"), QStringLiteral(" Jeudi"),
    QStringLiteral(" Vendredi"), QStringLiteral(" Samedi")};

// Plain decimal digits with leading zeros, whatever the locale.
QString digits(int value, int width)
{
    return QStringLiteral("%1").arg(value, width, 10, QLatin1Char('0'));
}
}  // namespace

DateTexts textsFor(QDate date)
{
    const auto weekday = static_cast<std::uint8_t>(date.dayOfWeek() % 7 + 1);
    const auto day = static_cast<std::uint8_t>(date.day());
    const auto month = static_cast<std::uint8_t>(date.month());
    const auto year = static_cast<std::int16_t>(date.year());

    DateTexts t;
    t.key = digits(day, 2) + QLatin1Char('/') + digits(month, 2);
    t.text = kWeekdays[weekday] + QLatin1Char(' ') + t.key + QLatin1Char('/') + digits(year, 4);
    return t;
}

void TextesDuJour()
{
    const DateTexts t = textsFor(platform().today());
    Module1::JourCle = t.key;
    Module1::JourTexte = t.text;
}
