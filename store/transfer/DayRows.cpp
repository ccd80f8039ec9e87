#include "store/transfer/DayRows.h"

#include "store/AlmanacModel.h"

#include <QDate>

namespace {
QVariant textOrNull(const QVariant &v)
{
    return v.isNull() ? QVariant() : QVariant(v.toString());
}
}  // namespace

QList<DayRow> almanacRows(const AlmanacModel &model)
{
    const int date = model.fieldIndex(QStringLiteral("Date"));
    const int ev1 = model.fieldIndex(QStringLiteral("Evenement1"));
    const int ev2 = model.fieldIndex(QStringLiteral("Evenement2"));
    QList<DayRow> rows;
    rows.reserve(model.rowCount());
    for (int r = 0; r < model.rowCount(); ++r) {
        auto value = [&](int c) { return model.data(model.index(r, c), Qt::EditRole); };
        rows.append({value(date).toString(), textOrNull(value(ev1)), textOrNull(value(ev2))});
    }
    return rows;
}

bool monthDayOf(const QString &key, int *month, int *day)
{
    if (key.size() != 5 || key[2] != u'/')
        return false;
    for (int i : {0, 1, 3, 4})
        if (key[i] < u'0' || key[i] > u'9')
            return false;
    *day = key.left(2).toInt();
    *month = key.right(2).toInt();
    return QDate(2000, *month, *day).isValid();  // 2000 is a leap year
}

QString dayKey(int month, int day)
{
    return QStringLiteral("%1/%2").arg(day, 2, 10, QLatin1Char('0')).arg(month, 2, 10, QLatin1Char('0'));
}
