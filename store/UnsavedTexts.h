#pragma once

#include <QList>
#include <QString>

// Texts the almanac could not take, kept in
// "$XDG_STATE_HOME/ombrelune/textes-non-enregistres.tsv" until they are
// written: one line per text, "UTC time<TAB>day key<TAB>field<TAB>text", with
// tab, line feed, carriage return and backslash escaped in the text.
namespace UnsavedTexts {

struct Text
{
    QString when, day, field, text;
};

QString path();
// Adds the texts at the end of the file; false (and `error`) when it cannot.
bool append(const QList<Text> &texts, QString *error);
QList<Text> read();
// Keeps only `texts` in the file (none: the file goes).
bool replace(const QList<Text> &texts);

QString escape(const QString &text);
QString unescape(const QString &text);

}  // namespace UnsavedTexts
