// What the import readers share: their messages, the decoding, and the
// gathering of a day's texts from files that do not name the field.
#pragma once

#include "store/transfer/ImportRead.h"

#include <QHash>
#include <QStringList>

#include <array>

namespace transfer {
extern const QString kSeparator;  // between appended texts: " ; "

QString lineError(int line, const QString &what);
QString tooLong(int line);
// A line shown in a message: its start only, in French quotes.
QString quoted(const QString &text);

// The bytes as UTF-8 without a leading BOM, or false with the line of the
// first byte that is no UTF-8 in `error`.
bool decodeUtf8(QByteArray bytes, QString *text, QString *error);

// Texts of one day: those whose field the file names, and the others in
// the file's order.
struct DayTexts
{
    int line = 0;
    std::array<std::optional<QString>, 2> fixed;
    QStringList loose;
};

// The days of a file in their order. A day's loose texts fill the fields
// left free: the first Evenement1, the second Evenement2, any further one
// is appended to the second.
class DayCollector
{
public:
    DayTexts &day(const QString &key, int line);
    ImportRead result() const;

private:
    QHash<QString, DayTexts> m_days;
    QStringList m_order;
};
}  // namespace transfer
