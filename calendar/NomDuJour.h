#pragma once

#include <QString>
#include <QStringView>
#include <QVariant>
#include <cstdint>

// The French name of the weekday on which a day key ("dd/mm") falls in the
// current year (read from the clock at each call). A Null key throws
// OmboError 94, a part that is no number 13, a day part outside 0..255 6.
QString NomDuJour(const QVariant &key);

// The same for a given year, without reading the clock.
QString dayNameInYear(QStringView key, std::int16_t year);

// A short text read as a number the way the almanac's keys are read; throws
// OmboError 13 when it is none.
double readNumber(QStringView text);
