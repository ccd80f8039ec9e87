#include "store/AlmanacImport.h"

#include "store/AlmanacModel.h"
#include "store/SqlErrors.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QMap>
#include <QRegularExpression>
#include <QStringDecoder>

#include <array>

namespace {
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

QString keyOf(int month, int day)
{
    return QStringLiteral("%1/%2").arg(day, 2, 10, QLatin1Char('0')).arg(month, 2, 10, QLatin1Char('0'));
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

// Texts of one day, from a file that does not say which field each is:
// the first goes to Evenement1, the second to Evenement2, any further one
// is appended to the second.
struct DayTexts
{
    int line = 0;
    std::array<std::optional<QString>, 2> fixed;
    QStringList loose;
};

class DayCollector
{
public:
    DayTexts &day(const QString &key, int line)
    {
        auto it = m_days.find(key);
        if (it == m_days.end()) {
            m_order << key;
            it = m_days.insert(key, DayTexts{});
            it->line = line;
        }
        return *it;
    }

    ImportRead result() const
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

private:
    QHash<QString, DayTexts> m_days;
    QStringList m_order;
};

// --- CSV -----------------------------------------------------------------

struct CsvField
{
    QString text;
    bool quoted = false;
};

char csvSeparator(const QString &text)
{
    int commas = 0, semicolons = 0;
    bool inQuotes = false;
    for (const QChar c : text) {
        if (c == u'"')
            inQuotes = !inQuotes;
        else if (!inQuotes && (c == u'\n' || c == u'\r'))
            break;
        else if (!inQuotes && c == u',')
            ++commas;
        else if (!inQuotes && c == u';')
            ++semicolons;
    }
    return semicolons > commas ? ';' : ',';
}

// --- calendar(1) text ----------------------------------------------------

int monthByName(QString word)
{
    static const char *const names[12][2] = {
        {"january", "janvier"}, {"february", "fevrier"}, {"march", "mars"}, {"april", "avril"},
        {"may", "mai"}, {"june", "juin"}, {"july", "juillet"}, {"august", "aout"},
        {"september", "septembre"}, {"october", "octobre"}, {"november", "novembre"},
        {"december", "decembre"}};
    word = word.toLower();
    if (word.endsWith(QLatin1Char('.')))
        word.chop(1);
    word.replace(QChar(0xE9), QLatin1Char('e')).replace(QChar(0xFB), QLatin1Char('u'));
    if (word.size() < 3)
        return 0;
    int found = 0;
    for (int m = 0; m < 12; ++m)
        for (const char *name : names[m])
            if (QLatin1String(name).startsWith(word)) {
                if (found && found != m + 1)
                    return 0;  // ambiguous ("jui")
                found = m + 1;
            }
    return found;
}

// --- iCalendar -----------------------------------------------------------

QString icsUnescape(const QString &value)
{
    QString out;
    out.reserve(value.size());
    for (qsizetype i = 0; i < value.size(); ++i) {
        const QChar c = value[i];
        if (c == u'\\' && i + 1 < value.size()) {
            const QChar n = value[++i];
            out += (n == u'n' || n == u'N') ? QChar(u'\n') : n;
        } else {
            out += c;
        }
    }
    return out;
}

struct Event
{
    int line = 0;
    int month = 0, day = 0;
    bool allDay = false;
    std::optional<QString> summary;
    QString uid;
};
}  // namespace

ImportRead readCsv(const QByteArray &bytes)
{
    ImportRead read;
    QString text;
    if (!decodeUtf8(bytes, &text, &read.error))
        return read;
    const QChar sep = QLatin1Char(csvSeparator(text));

    QMap<QString, int> seen;
    int line = 1;
    qsizetype i = 0;
    bool first = true;
    while (i < text.size()) {
        const int recordLine = line;
        QList<CsvField> fields{CsvField{}};
        // One record: fields up to an unquoted line end.
        while (true) {
            CsvField &f = fields.last();
            if (i < text.size() && text[i] == u'"' && f.text.isEmpty() && !f.quoted) {
                f.quoted = true;
                const int openLine = line;
                ++i;
                while (true) {
                    if (i >= text.size()) {
                        read.error = lineError(openLine, QStringLiteral("guillemet ouvert et jamais fermé."));
                        return read;
                    }
                    const QChar c = text[i++];
                    if (c == u'"') {
                        if (i < text.size() && text[i] == u'"') {
                            f.text += c;
                            ++i;
                        } else {
                            break;
                        }
                    } else {
                        if (c == u'\n')
                            ++line;
                        f.text += c;
                    }
                    if (f.text.size() > kMaxTextLength) {
                        read.error = tooLong(recordLine);
                        return read;
                    }
                }
                if (i < text.size() && text[i] != sep && text[i] != u'\r' && text[i] != u'\n') {
                    read.error = lineError(line, QStringLiteral("un caractère suit le guillemet fermant d'un champ."));
                    return read;
                }
            }
            if (i >= text.size())
                break;
            const QChar c = text[i++];
            if (c == sep) {
                fields.append(CsvField{});
            } else if (c == u'\n' || c == u'\r') {
                if (c == u'\r' && i < text.size() && text[i] == u'\n')
                    ++i;
                ++line;
                break;
            } else if (c == u'"') {
                read.error = lineError(line, QStringLiteral("guillemet au milieu d'un champ sans guillemets."));
                return read;
            } else {
                f.text += c;
                if (f.text.size() > kMaxTextLength) {
                    read.error = tooLong(recordLine);
                    return read;
                }
            }
        }
        const bool blank = fields.size() == 1 && fields[0].text.trimmed().isEmpty() && !fields[0].quoted;
        const bool header = first && fields[0].text.trimmed().compare(QLatin1String("Date"), Qt::CaseInsensitive) == 0;
        first = false;
        if (blank || header)
            continue;
        if (fields.size() < 2 || fields.size() > 3) {
            read.error = lineError(recordLine, QStringLiteral("%1 champ(s) au lieu de 3 (Date, Evenement1, Evenement2).")
                                                   .arg(fields.size()));
            return read;
        }
        const QString key = fields[0].text.trimmed();
        int month = 0, day = 0;
        if (!monthDayOf(key, &month, &day)) {
            read.error = lineError(recordLine, QStringLiteral("%1 n'est pas un jour de la forme JJ/MM.").arg(quoted(key)));
            return read;
        }
        if (seen.contains(key)) {
            read.error = lineError(recordLine, QStringLiteral("le jour %1 figure déjà ligne %2.").arg(key).arg(seen[key]));
            return read;
        }
        seen.insert(key, recordLine);
        auto value = [](const CsvField &f) {
            return f.text.isEmpty() && !f.quoted ? QVariant() : QVariant(f.text);
        };
        ImportedDay d{key, value(fields[1]), {}, recordLine};
        if (fields.size() == 3)
            d.text2 = value(fields[2]);
        read.days << d;
    }
    return read;
}

ImportRead readCalendarText(const QByteArray &bytes)
{
    ImportRead read;
    QString text;
    if (!decodeUtf8(bytes, &text, &read.error))
        return read;
    static const QRegularExpression numeric(QStringLiteral("^(\\d{1,2})/(\\d{1,2})\\*?(\\t|[ ]+)"));
    static const QRegularExpression monthFirst(QStringLiteral("^(\\p{L}+\\.?)[ ]+(\\d{1,2})\\*?(\\t|[ ]+)"));
    static const QRegularExpression dayFirst(QStringLiteral("^(\\d{1,2})[ ]+(\\p{L}+\\.?)\\*?(\\t|[ ]+)"));
    static const QRegularExpression setting(QStringLiteral("^[A-Z_]+="));

    DayCollector days;
    QString *current = nullptr;  // the text that a continuation line extends
    bool inComment = false;
    const QStringList lines = text.split(QLatin1Char('\n'));
    for (qsizetype n = 0; n < lines.size(); ++n) {
        const int lineNo = int(n + 1);
        QString line = lines[n];
        if (line.endsWith(QLatin1Char('\r')))
            line.chop(1);
        // Comments, which calendar(1) removes before reading.
        QString kept;
        for (qsizetype i = 0; i < line.size(); ++i) {
            if (inComment) {
                if (line.mid(i, 2) == QLatin1String("*/")) {
                    inComment = false;
                    ++i;
                }
            } else if (line.mid(i, 2) == QLatin1String("/*")) {
                inComment = true;
                ++i;
            } else {
                kept += line[i];
            }
        }
        const bool hadComment = kept.size() != line.size();
        line = kept;
        line.replace(QStringLiteral("/\u2060*"), QStringLiteral("/*"));
        line.replace(QStringLiteral("*\u2060/"), QStringLiteral("*/"));

        if (line.startsWith(QLatin1Char('\t'))) {
            if (!current) {
                if (hadComment && line.trimmed().isEmpty())
                    continue;
                read.error = lineError(lineNo, QStringLiteral("ligne de suite (commençant par une tabulation) sans jour avant elle."));
                return read;
            }
            *current += QLatin1Char('\n') + line.mid(1);
            if (current->size() > kMaxTextLength) {
                read.error = tooLong(lineNo);
                return read;
            }
            continue;
        }
        current = nullptr;
        if (line.trimmed().isEmpty() || line.startsWith(QLatin1Char('#')) || setting.match(line).hasMatch())
            continue;

        int month = 0, day = 0;
        qsizetype textStart = -1;
        bool tab = false;
        if (const auto m = numeric.match(line); m.hasMatch()) {
            month = m.captured(1).toInt();
            day = m.captured(2).toInt();
            textStart = m.capturedEnd(0);
            tab = m.captured(3) == QLatin1String("\t");
        } else if (const auto m2 = monthFirst.match(line); m2.hasMatch() && monthByName(m2.captured(1))) {
            month = monthByName(m2.captured(1));
            day = m2.captured(2).toInt();
            textStart = m2.capturedEnd(0);
            tab = m2.captured(3) == QLatin1String("\t");
        } else if (const auto m3 = dayFirst.match(line); m3.hasMatch() && monthByName(m3.captured(2))) {
            month = monthByName(m3.captured(2));
            day = m3.captured(1).toInt();
            textStart = m3.capturedEnd(0);
            tab = m3.captured(3) == QLatin1String("\t");
        } else {
            read.error = lineError(lineNo, QStringLiteral("%1 ne commence pas par un jour (MM/JJ, Mmm JJ ou JJ Mmm).")
                                               .arg(quoted(line)));
            return read;
        }
        const QString key = keyOf(month, day);
        int m = 0, d = 0;
        if (!monthDayOf(key, &m, &d)) {
            read.error = lineError(lineNo, QStringLiteral("le jour %1/%2 n'existe pas.").arg(month).arg(day));
            return read;
        }
        // After a tab the text is kept as it is; after spaces, from its first letter.
        QString t = line.mid(textStart);
        if (!tab)
            t = t.trimmed();
        DayTexts &dt = days.day(key, lineNo);
        dt.loose << t;
        current = &dt.loose.last();
        if (current->size() > kMaxTextLength) {
            read.error = tooLong(lineNo);
            return read;
        }
    }
    return days.result();
}

ImportRead readIcs(const QByteArray &bytes)
{
    ImportRead read;
    QString text;
    if (!decodeUtf8(bytes, &text, &read.error))
        return read;

    // Unfolded content lines, each with the number of its first line.
    QList<std::pair<int, QString>> content;
    const QStringList lines = text.split(QLatin1Char('\n'));
    for (qsizetype n = 0; n < lines.size(); ++n) {
        QString line = lines[n];
        if (line.endsWith(QLatin1Char('\r')))
            line.chop(1);
        if ((line.startsWith(QLatin1Char(' ')) || line.startsWith(QLatin1Char('\t'))) && !content.isEmpty()) {
            content.last().second += line.mid(1);
            if (content.last().second.size() > 4 * kMaxTextLength) {
                read.error = tooLong(content.last().first);
                return read;
            }
        } else if (!line.isEmpty()) {
            content.append({int(n + 1), line});
        }
    }

    static const QRegularExpression ownUid(QStringLiteral("^(\\d\\d)(\\d\\d)-([12])@ombrelune$"));
    DayCollector days;
    QStringList open;  // the components begun and not yet ended
    std::optional<Event> event;
    for (const auto &[lineNo, line] : content) {
        // NAME;PARAM=...:VALUE, where a quoted parameter value may hold ':'.
        qsizetype colon = -1;
        bool inQuotes = false;
        for (qsizetype i = 0; i < line.size() && colon < 0; ++i) {
            if (line[i] == u'"')
                inQuotes = !inQuotes;
            else if (line[i] == u':' && !inQuotes)
                colon = i;
        }
        if (colon <= 0) {
            read.error = lineError(lineNo, QStringLiteral("%1 n'est pas de la forme NOM:VALEUR.").arg(quoted(line)));
            return read;
        }
        const QStringList head = line.left(colon).split(QLatin1Char(';'));
        const QString name = head.first().toUpper();
        const QString value = line.mid(colon + 1);

        if (open.isEmpty() && !(name == QLatin1String("BEGIN") && value.toUpper() == QLatin1String("VCALENDAR"))) {
            read.error = lineError(lineNo, QStringLiteral("le calendrier doit commencer par BEGIN:VCALENDAR."));
            return read;
        }
        if (name == QLatin1String("BEGIN")) {
            open << value.toUpper();
            if (open.last() == QLatin1String("VEVENT") && !event) {
                event.emplace();
                event->line = lineNo;
            }
            continue;
        }
        if (name == QLatin1String("END")) {
            if (open.isEmpty() || open.last() != value.toUpper()) {
                read.error = lineError(lineNo, QStringLiteral("END:%1 ne ferme pas %2.")
                                                   .arg(value, open.isEmpty() ? QStringLiteral("rien") : QStringLiteral("BEGIN:") + open.last()));
                return read;
            }
            open.removeLast();
            if (value.toUpper() == QLatin1String("VEVENT") && event) {
                if (event->allDay && event->summary && event->summary->size() > kMaxTextLength) {
                    read.error = tooLong(event->line);
                    return read;
                }
                if (event->allDay && event->summary && !event->summary->isEmpty()) {
                    const QString key = keyOf(event->month, event->day);
                    DayTexts &d = days.day(key, event->line);
                    const auto own = ownUid.match(event->uid);
                    const int field = own.hasMatch() && own.captured(1).toInt() == event->month
                                              && own.captured(2).toInt() == event->day
                                          ? own.captured(3).toInt()
                                          : 0;
                    if (field && !d.fixed[field - 1])
                        d.fixed[field - 1] = *event->summary;
                    else
                        d.loose << *event->summary;
                }
                event.reset();
            }
            if (open.isEmpty())
                break;  // past END:VCALENDAR nothing is read
            continue;
        }
        if (!event || open.last() != QLatin1String("VEVENT"))
            continue;
        if (name == QLatin1String("DTSTART")) {
            // An all-day start is a bare date, VALUE=DATE or not.
            static const QRegularExpression date(QStringLiteral("^(\\d{4})(\\d\\d)(\\d\\d)$"));
            const auto m = date.match(value.trimmed());
            if (!m.hasMatch()) {
                event->allDay = false;  // a start with a time: not a day's text
                continue;
            }
            event->month = m.captured(2).toInt();
            event->day = m.captured(3).toInt();
            if (!QDate(2000, event->month, event->day).isValid()) {
                read.error = lineError(lineNo, QStringLiteral("la date %1 n'existe pas.").arg(value.trimmed()));
                return read;
            }
            event->allDay = true;
        } else if (name == QLatin1String("SUMMARY")) {
            event->summary = icsUnescape(value);
        } else if (name == QLatin1String("UID")) {
            event->uid = value.trimmed();
        }
    }
    if (!open.isEmpty()) {
        read.error = lineError(content.isEmpty() ? 1 : content.last().first,
                               QStringLiteral("le fichier s'arrête avant END:%1.").arg(open.last()));
        return read;
    }
    if (content.isEmpty()) {
        read.error = lineError(1, QStringLiteral("le fichier est vide."));
        return read;
    }
    return days.result();
}

ImportRead readImportFile(const QString &path)
{
    ImportRead read;
    const QString shown = QDir::toNativeSeparators(path);
    const FileFormat format = formatOf(path);
    if (format != FileFormat::Csv && format != FileFormat::CalendarText && format != FileFormat::Ics) {
        read.error = QStringLiteral("« %1 » : seuls les fichiers .csv, .txt (calendar) et .ics s'importent.").arg(shown);
        return read;
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        read.error = QStringLiteral("Le fichier « %1 » ne peut pas être lu : %2.").arg(shown, file.errorString());
        return read;
    }
    if (file.size() > kMaxImportBytes) {
        read.error = QStringLiteral("Le fichier « %1 » dépasse 10 Mo : il n'est pas importé.").arg(shown);
        return read;
    }
    const QByteArray bytes = file.read(kMaxImportBytes + 1);
    if (bytes.size() > kMaxImportBytes) {
        read.error = QStringLiteral("Le fichier « %1 » dépasse 10 Mo : il n'est pas importé.").arg(shown);
        return read;
    }
    read = format == FileFormat::Csv ? readCsv(bytes)
           : format == FileFormat::Ics ? readIcs(bytes)
                                       : readCalendarText(bytes);
    if (!read.ok())
        read.error = QStringLiteral("Le fichier « %1 » n'est pas importé. ").arg(shown) + read.error;
    return read;
}

QString policyName(ImportPolicy policy)
{
    switch (policy) {
    case ImportPolicy::Replace: return QStringLiteral("Remplacer");
    case ImportPolicy::Append: return QStringLiteral("Ajouter à la suite");
    case ImportPolicy::Complete: break;
    }
    return QStringLiteral("Compléter");
}

QList<ImportChange> planImport(const QList<DayRow> &stored, const QList<ImportedDay> &days,
                               ImportPolicy policy, QString *error)
{
    QHash<QString, int> rowOf;
    for (int r = int(stored.size()) - 1; r >= 0; --r)
        rowOf.insert(stored[r].key, r);

    QList<ImportChange> changes;
    for (const ImportedDay &day : days) {
        const auto it = rowOf.constFind(day.key);
        if (it == rowOf.constEnd()) {
            *error = lineError(day.line, QStringLiteral("le jour %1 n'a pas de ligne dans l'almanach.").arg(day.key));
            return {};
        }
        const DayRow &row = stored[*it];
        const std::optional<QVariant> *incoming[2] = {&day.text1, &day.text2};
        const QVariant *current[2] = {&row.text1, &row.text2};
        for (int f = 0; f < 2; ++f) {
            if (!*incoming[f])
                continue;
            const QVariant in = **incoming[f];
            const QVariant &now = *current[f];
            const QString inText = in.toString(), nowText = now.toString();
            QVariant result = now;
            switch (policy) {
            case ImportPolicy::Complete:
                if (nowText.isEmpty() && !inText.isEmpty())
                    result = in;
                break;
            case ImportPolicy::Replace:
                result = in;
                break;
            case ImportPolicy::Append:
                if (nowText.isEmpty() && !inText.isEmpty())
                    result = in;
                else if (!inText.isEmpty() && !nowText.split(kSeparator).contains(inText))
                    result = QVariant(nowText + kSeparator + inText);
                break;
            }
            if (result.toString().size() > kMaxTextLength) {
                *error = lineError(day.line, QStringLiteral("le texte du %1 dépasserait %L2 caractères.")
                                                 .arg(day.key).arg(kMaxTextLength));
                return {};
            }
            if (result.isNull() != now.isNull() || result.toString() != nowText)
                changes.append({*it, day.key, f + 1, now, result});
        }
    }
    return changes;
}

QList<ImportFailure> applyImport(AlmanacModel &model, const QList<ImportChange> &changes,
                                 const QString &file)
{
    QList<ImportFailure> failures;
    const int columns[2] = {model.fieldIndex(QStringLiteral("Evenement1")),
                            model.fieldIndex(QStringLiteral("Evenement2"))};
    for (qsizetype i = 0; i < changes.size();) {
        // All the changes of one row, then that row's write.
        const int row = changes[i].row;
        const QString key = changes[i].key;
        bool set = true;
        for (; i < changes.size() && changes[i].row == row; ++i) {
            const ImportChange &c = changes[i];
            const QVariant value = c.result.isNull() ? QVariant(QMetaType::fromType<QString>()) : c.result;
            set = model.setData(model.index(row, columns[c.field - 1]), value, Qt::EditRole) && set;
        }
        if (set && model.writeRow(row))
            continue;
        failures.append({key, writeError(model.lastError(), file, false)});
        model.discardEdit(row);  // show what the file holds now
    }
    return failures;
}
