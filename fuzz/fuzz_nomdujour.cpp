// The weekday of a day key: any text, any year. It names a day or throws
// OmboError 6 or 13, and for a well-formed key of a real date it names the
// right day.
#include "core/OmboError.h"
#include "calendar/NomDuJour.h"

#include <QDate>
#include <QString>

#include <cstdint>
#include <cstdlib>
#include <cstring>

namespace {
const QString kNoms[] = {QStringLiteral("Lundi"), QStringLiteral("Mardi"), QStringLiteral("Mercredi"),
                         QStringLiteral("Jeudi"), QStringLiteral("Vendredi"), QStringLiteral("Samedi"),
                         QStringLiteral("Dimanche")};
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    if (size < 2)
        return 0;
    std::int16_t annee = 0;
    std::memcpy(&annee, data, 2);
    const QString cle = QString::fromUtf8(reinterpret_cast<const char *>(data + 2), qsizetype(size - 2));

    QString nom;
    try {
        nom = nomDuJourEn(cle, annee);
    } catch (const OmboError &e) {
        if (e.number() != Err::Overflow && e.number() != Err::TypeMismatch)
            std::abort();
        return 0;
    }
    bool connu = nom.isEmpty();
    for (const QString &n : kNoms)
        connu = connu || n == nom;
    if (!connu)
        std::abort();

    // A key written "dd/mm" of a date that exists that year: the right day.
    if (cle.size() == 5 && cle[2] == u'/' && annee >= 1583) {
        bool okJour = false, okMois = false;
        const int jour = cle.left(2).toInt(&okJour), mois = cle.right(2).toInt(&okMois);
        const bool chiffres = cle[0].isDigit() && cle[1].isDigit() && cle[3].isDigit() && cle[4].isDigit();
        const QDate d(annee, mois, jour);
        if (chiffres && okJour && okMois && d.isValid() && nom != kNoms[d.dayOfWeek() - 1])
            std::abort();
    }
    return 0;
}
