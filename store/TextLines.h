#pragma once

#include <QRegularExpression>
#include <QStringList>

// The lines of a stored text, whichever line ends it was typed or pasted with.
inline QStringList textLines(const QString &text)
{
    static const QRegularExpression lineEnd(QStringLiteral("\\r\\n|[\\r\\n]"));
    return text.split(lineEnd);
}
