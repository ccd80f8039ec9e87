#include "store/transfer/ReadSupport.h"

#include <QStringDecoder>

namespace transfer {
const QString kSeparator = QStringLiteral(" ; ");

QString lineError(int line, const QString &what)
{
    return QStringLiteral("Ligne %1 : %2").arg(line).arg(what);
}

QString tooLong(int line)
{
    return lineError(line, QStringLiteral("le texte dépasse %L1 caractères.").arg(kMaxTextLength));
}

// A line shown in a message: its start only.
QString quoted(const QString &text)
{
    QString t = text.left(40);
    if (text.size() > 40)
        t += QChar(0x2026);
    return QStringLiteral("« ") + t + QStringLiteral(" »");
}

// The bytes as UTF-8 without a leading BOM, or the line of the first byte
// that is no UTF-8.
bool decodeUtf8(QByteArray bytes, QString *text, QString *error)
{
    if (bytes.startsWith("\xEF\xBB\xBF"))
        bytes.remove(0, 3);
    QStringDecoder decoder(QStringDecoder::Utf8);
    *text = decoder.decode(bytes);
    if (!decoder.hasError())
        return true;
    int line = 1;
    for (const QByteArray &l : bytes.split('\n')) {
        QStringDecoder d(QStringDecoder::Utf8);
        const QString decoded = d.decode(l);
        if (d.hasError())
            break;
        ++line;
    }
    *error = lineError(line, QStringLiteral("le texte n'est pas en UTF-8."));
    return false;
}

DayTexts &DayCollector::day(const QString &key, int line)
{
    auto it = m_days.find(key);
    if (it == m_days.end()) {
        m_order << key;
        it = m_days.insert(key, DayTexts{});
        it->line = line;
    }
    return *it;
}

ImportRead DayCollector::result() const
{
    ImportRead read;
    for (const QString &key : m_order) {
        const DayTexts &d = m_days[key];
        std::array<std::optional<QString>, 2> texts = d.fixed;
        for (const QString &t : d.loose) {
            if (!texts[0])
                texts[0] = t;
            else if (!texts[1])
                texts[1] = t;
            else
                *texts[1] += kSeparator + t;
        }
        ImportedDay day{key, {}, {}, d.line};
        if (texts[0])
            day.text1 = QVariant(*texts[0]);
        if (texts[1])
            day.text2 = QVariant(*texts[1]);
        if ((texts[0] && texts[0]->size() > kMaxTextLength)
            || (texts[1] && texts[1]->size() > kMaxTextLength)) {
            read.error = tooLong(d.line);
            return read;
        }
        read.days << day;
    }
    return read;
}
}  // namespace transfer
