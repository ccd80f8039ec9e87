#include "store/AlmanacSearch.h"

namespace {
// One character folded: lower case, no accent, ligatures spelt out; empty
// for what separates words.
QString foldChar(char32_t c)
{
    if (c < 0x80) {
        if ((c >= 'a' && c <= 'z') || (c >= '0' && c <= '9'))
            return QString(QChar(c));
        if (c >= 'A' && c <= 'Z')
            return QString(QChar(c - 'A' + 'a'));
        return QString();
    }
    switch (c) {
    case 0x0152: case 0x0153: return QStringLiteral("oe");  // Œ œ
    case 0x00C6: case 0x00E6: return QStringLiteral("ae");  // Æ æ
    case 0x00DF: return QStringLiteral("ss");
    case 0x00D8: case 0x00F8: return QStringLiteral("o");
    default: break;
    }
    if (!QChar::isLetterOrNumber(c))
        return QString();
    const QString decomposed = QString::fromUcs4(&c, 1).normalized(QString::NormalizationForm_KD);
    QString out;
    for (const QChar ch : decomposed)
        if (ch.isLetterOrNumber())
            out += ch;
    return out.toCaseFolded();
}

bool isCombiningMark(char32_t c)
{
    const QChar::Category category = QChar::category(c);
    return category == QChar::Mark_NonSpacing || category == QChar::Mark_SpacingCombining
           || category == QChar::Mark_Enclosing;
}

const QString kSaint = QStringLiteral("saint");
const QString kSaintFeminine = QStringLiteral("sainte");

QString expanded(const QString &word)
{
    if (word == QLatin1String("st"))
        return kSaint;
    if (word == QLatin1String("ste"))
        return kSaintFeminine;
    return word;
}

bool wordMatches(const QString &textWord, const QString &queryWord)
{
    return textWord.startsWith(queryWord) || textWord.startsWith(expanded(queryWord));
}

QList<SearchWord> foldedWords(const QString &text)
{
    QList<SearchWord> words;
    bool inWord = false;
    for (qsizetype i = 0; i < text.size();) {
        char32_t c = text[i].unicode();
        qsizetype width = 1;
        if (text[i].isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate()) {
            c = QChar::surrogateToUcs4(text[i], text[i + 1]);
            width = 2;
        }
        const QString folded = foldChar(c);
        if (folded.isEmpty() && inWord && isCombiningMark(c)) {
            // Decomposed text ("E" + U+0301, as macOS writes it): the accent
            // belongs to its letter, as in the NFC form, and folds away.
            words.last().end = i + width;
        } else if (folded.isEmpty()) {
            inWord = false;
        } else {
            if (!inWord)
                words.append({QString(), i, i});
            inWord = true;
            words.last().folded += folded;
            words.last().end = i + width;
        }
        i += width;
    }
    return words;
}

TextSpan matchWords(const QList<SearchWord> &words, const QList<SearchWord> &query)
{
    if (query.isEmpty())
        return {};
    for (qsizetype i = 0; i + query.size() <= words.size(); ++i) {
        bool all = true;
        for (qsizetype k = 0; k < query.size() && all; ++k)
            all = wordMatches(words[i + k].folded, query[k].folded);
        if (all)
            return {words[i].start, words[i + query.size() - 1].end - words[i].start};
    }
    return {};
}
}  // namespace

QList<SearchWord> searchWords(const QString &text)
{
    QList<SearchWord> words = foldedWords(text);
    for (SearchWord &w : words)
        w.folded = expanded(w.folded);
    return words;
}

TextSpan matchText(const QString &text, const QString &query)
{
    // The query's words stay as typed: "ste" may begin "Stéphane" as well
    // as stand for "Sainte".
    return matchWords(searchWords(text), foldedWords(query));
}

void AlmanacSearch::setRows(const QList<DayRow> &rows)
{
    m_rows = rows;
    m_words.clear();
    m_words.reserve(rows.size() * 3);
    for (const DayRow &r : rows) {
        m_words << searchWords(r.key) << searchWords(r.text1.toString()) << searchWords(r.text2.toString());
    }
}

QList<SearchHit> AlmanacSearch::find(const QString &query) const
{
    const QList<SearchWord> q = foldedWords(query);
    QList<SearchHit> hits;
    if (q.isEmpty())
        return hits;
    for (int row = 0; row < int(m_rows.size()); ++row)
        for (int field = 0; field < 3; ++field)
            if (const TextSpan span = matchWords(m_words[row * 3 + field], q); span.found()) {
                hits.append({row, field, span});
                break;
            }
    return hits;
}
