#pragma once

#include "store/transfer/ImportApply.h"

#include <QList>
#include <QString>
#include <QVariant>

// Texts an almanac could not take, kept in
// "$XDG_STATE_HOME/ombrelune/textes-non-enregistres.tsv" until they are
// written: one line per text, "UTC time<TAB>day key<TAB>field<TAB>text<TAB>
// almanac file", with tab, line feed, carriage return and backslash escaped
// in the text and the file name, and a Null text written "\N". Lines of
// earlier versions have no almanac file: they belong to any almanac.
namespace UnsavedTexts {

struct Text
{
    QString when, day, field;
    QVariant text;    // a text or Null
    QString almanac;  // the almanac file's canonical path; empty: any
};

QString path();
// The name an almanac file is recorded under.
QString almanacName(const QString &file);
bool belongsTo(const Text &text, const QString &almanacFile);
// Adds the texts at the end of the file; false (and `error`) when it cannot.
bool append(const QList<Text> &texts, QString *error);
QList<Text> read();
// Keeps only `texts` in the file (none: the file goes).
bool replace(const QList<Text> &texts);

// Writes the texts of the almanac `file` that `model` shows, through its
// one row write, and keeps in the file only those not written (another
// almanac's, a day it lacks, a refused row). Returns the refused ones.
QList<ImportFailure> rewrite(AlmanacModel &model, const QString &file);

QString escape(const QVariant &text);
QVariant unescape(const QString &text);

}  // namespace UnsavedTexts
