#pragma once

#include "store/transfer/DayRows.h"

#include <QList>
#include <QString>

// A span of an original text.
struct TextSpan
{
    qsizetype start = -1, length = 0;
    bool found() const { return start >= 0; }
};

// The words of a text as a reader compares them: case, accents, ligatures
// (œ, æ) and punctuation ignored, "St" and "Ste" read as "Saint" and
// "Sainte"; each word with its span in the original text.
struct SearchWord
{
    QString folded;
    qsizetype start, end;
};
QList<SearchWord> searchWords(const QString &text);

// Where `query` matches `text`: its words matching the beginnings of
// consecutive words of the text ("edou" finds "Édouard", "sainte catherine"
// finds "Ste-Catherine"). The span covers the matched words.
TextSpan matchText(const QString &text, const QString &query);

// One row that matches: its 0-based row, the field (0 the day key, 1 and 2
// the texts) and the span matched in it.
struct SearchHit
{
    int row;
    int field;
    TextSpan span;
};

// The almanac's rows prepared once for searching at each keystroke.
class AlmanacSearch
{
public:
    void setRows(const QList<DayRow> &rows);
    const QList<DayRow> &rows() const { return m_rows; }
    // The rows that match, in table order; the first matching field of each.
    QList<SearchHit> find(const QString &query) const;

private:
    QList<DayRow> m_rows;
    QList<QList<SearchWord>> m_words;  // three per row: key, text 1, text 2
};
