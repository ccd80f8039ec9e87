#pragma once

#include <QRegularExpression>
#include <QStringList>

// The lines of a stored text, whichever line ends it was typed or pasted with.
inline QStringList textLines(const QString &text)
{
    static const QRegularExpression lineEnd(QStringLiteral("\\r\\n|[\\r\\n]"));
    return text.split(lineEnd);
}

// The stored text with what the user changed in its editor, and only that.
// The editor holds `shown`, the stored text with its line ends made plain
// "\n"; `typed` is what it holds after the edit. Every character outside the
// changed stretch keeps its stored form (CR LF, lone CR, any other code point).
inline QString keepUntouched(const QString &stored, const QString &shown, const QString &typed)
{
    // Where each character of `shown` starts in `stored`.
    QList<qsizetype> from;
    from.reserve(shown.size() + 1);
    qsizetype i = 0;
    for (const QChar c : shown) {
        if (i >= stored.size())
            return typed;  // not the stored text's shape: keep only what was typed
        from.append(i);
        if (c == u'\n' && stored[i] == u'\r')
            i += i + 1 < stored.size() && stored[i + 1] == u'\n' ? 2 : 1;
        else if (c == stored[i] || c == u'\n')
            ++i;  // the same, or a paragraph or frame mark the editor took as a line end
        else
            return typed;
    }
    if (i != stored.size())
        return typed;
    from.append(i);

    qsizetype head = 0;
    while (head < shown.size() && head < typed.size() && shown[head] == typed[head])
        ++head;
    qsizetype tail = 0;
    while (tail < shown.size() - head && tail < typed.size() - head
           && shown[shown.size() - 1 - tail] == typed[typed.size() - 1 - tail])
        ++tail;
    return stored.left(from[head]) + typed.mid(head, typed.size() - head - tail)
           + stored.mid(from[shown.size() - tail]);
}
