#pragma once

#include <QString>

// Small pieces of French wording that several texts share.
namespace French {

// A count with its noun agreeing: "0 texte modifié", "1 texte modifié",
// "3 textes modifiés" (French takes the singular below two).
inline QString counted(qsizetype n, const char *singular, const char *plural)
{
    return QString::number(n) + QLatin1Char(' ') + QString::fromUtf8(n < 2 ? singular : plural);
}

// A field of the almanac as the grid captions it: "Evenement1" reads
// "Événement 1".
inline QString fieldCaption(const QString &field)
{
    return field.startsWith(QLatin1String("Evenement")) ? QStringLiteral("Événement ") + field.mid(9) : field;
}

}  // namespace French
