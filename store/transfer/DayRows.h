#pragma once

#include <QList>
#include <QString>
#include <QVariant>

class AlmanacModel;

// One row of the almanac as the files carry it: the day key and the two
// texts, each a text or Null.
struct DayRow
{
    QString key;
    QVariant text1, text2;

    bool operator==(const DayRow &) const = default;
};

// The rows of the table in its order, with the values the grid edits.
QList<DayRow> almanacRows(const AlmanacModel &model);

// Month and day of a day key "dd/mm" naming a day that a leap year has;
// false for anything else.
bool monthDayOf(const QString &key, int *month, int *day);
// The day key "dd/mm" of a month and day.
QString dayKey(int month, int day);
