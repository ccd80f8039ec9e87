#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

// The almanac that ships with the program: a text file of 366 lines,
// "dd/mm<TAB>first text<TAB>second text", from 01/01 to 31/12 with 29/02,
// turned once into the ombo.mdb database the program reads and edits.
namespace AlmanacFile {

inline constexpr int kDays = 366;

struct Row
{
    QString date;  // dd/mm
    QString ev1;   // null when its field is empty
    QString ev2;   // null when its field is empty
};

// The 366 day keys of a leap year, in calendar order.
QStringList dayKeys();

// Reads and checks the text file. On the first fault returns false and sets
// *error to a message naming the faulty line.
bool parse(const QByteArray &text, QList<Row> *rows, QString *error);
bool read(const QString &path, QList<Row> *rows, QString *error);

enum class Outcome { Written, AlreadyThere, Failed };

// Makes the database `target` from the text file `tsvPath`. An existing
// target holds the user's texts and is never touched. The rows go to a
// temporary file in the target's folder that only takes the target's name
// once complete, and only if the name is still free. *message says what
// happened (the fault for Failed).
Outcome build(const QString &tsvPath, const QString &target, QString *message);

}  // namespace AlmanacFile
