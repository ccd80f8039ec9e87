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
const QString kNames[] = {QStringLiteral("Lundi"), QStringLiteral("Mardi"), QStringLiteral("Mercredi"),
                          QStringLiteral("Jeudi"), QStringLiteral("Vendredi"), QStringLiteral("Samedi"),
                          QStringLiteral("Dimanche")};
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    if (size < 2)
        return 0;
    std::int16_t year = 0;
    std::memcpy(&year, data, 2);
    const QString key = QString::fromUtf8(reinterpret_cast<const char *>(data + 2), qsizetype(size - 2));

    QString name;
    try {
        name = dayNameInYear(key, year);
    } catch (const OmboError &e) {
        if (e.number() != Err::Overflow && e.number() != Err::TypeMismatch)
            std::abort();
        return 0;
    }
    bool known = name.isEmpty();
    for (const QString &n : kNames)
        known = known || n == name;
    if (!known)
        std::abort();

    // A key written "dd/mm" of a date that exists that year: the right day.
    if (key.size() == 5 && key[2] == u'/' && year >= 1583) {
        bool dayOk = false, monthOk = false;
        const int day = key.left(2).toInt(&dayOk), month = key.right(2).toInt(&monthOk);
        const bool allDigits = key[0].isDigit() && key[1].isDigit() && key[3].isDigit() && key[4].isDigit();
        const QDate d(year, month, day);
        if (allDigits && dayOk && monthOk && d.isValid() && name != kNames[d.dayOfWeek() - 1])
            std::abort();
    }
    return 0;
}
