#include "store/UnsavedTexts.h"

#include "core/Platform.h"
#include "store/AlmanacModel.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <algorithm>

namespace UnsavedTexts {

namespace {
QByteArray lines(const QList<Text> &texts)
{
    QByteArray out;
    for (const Text &t : texts)
        out += QStringList{t.when, t.day, t.field, escape(t.text), escape(t.almanac)}.join(u'\t').toUtf8() + '\n';
    return out;
}
}  // namespace

QString path()
{
    return platform().stateFolder() + QStringLiteral("/textes-non-enregistres.tsv");
}

QString almanacName(const QString &file)
{
    const QFileInfo info(file);
    const QString canonical = info.canonicalFilePath();
    return canonical.isEmpty() ? info.absoluteFilePath() : canonical;
}

bool belongsTo(const Text &text, const QString &almanacFile)
{
    return text.almanac.isEmpty() || text.almanac == almanacName(almanacFile);
}

bool append(const QList<Text> &texts, QString *error)
{
    QFile f(path());
    if (!QDir().mkpath(QFileInfo(f).absolutePath()) || !f.open(QIODevice::Append)) {
        *error = f.errorString();
        return false;
    }
    const QByteArray bytes = lines(texts);
    if (f.write(bytes) != bytes.size() || !f.flush()) {
        *error = f.errorString();
        return false;
    }
    return true;
}

QList<Text> read()
{
    QList<Text> texts;
    QFile f(path());
    if (!f.open(QIODevice::ReadOnly))
        return texts;
    while (!f.atEnd()) {
        QByteArray line = f.readLine();
        if (line.endsWith('\n'))  // the last line may have none
            line.chop(1);
        const QStringList parts = QString::fromUtf8(line).split(u'\t');
        if (parts.size() == 4 || parts.size() == 5)
            texts.append({parts[0], parts[1], parts[2], unescape(parts[3]),
                          parts.size() == 5 ? unescape(parts[4]).toString() : QString()});
    }
    return texts;
}

bool replace(const QList<Text> &texts)
{
    if (texts.isEmpty())
        return !QFile::exists(path()) || QFile::remove(path());
    QSaveFile f(path());
    return f.open(QIODevice::WriteOnly) && f.write(lines(texts)) >= 0 && f.commit();
}

QList<ImportFailure> rewrite(AlmanacModel &model, const QString &file)
{
    const QList<Text> texts = read();
    QList<Text> kept;
    QList<ImportChange> changes;
    QList<qsizetype> changed;  // the text of each change
    for (qsizetype i = 0; i < texts.size(); ++i) {
        const Text &t = texts[i];
        int row = 0;
        while (row < model.rowCount() && model.dayOf(row) != t.day)
            ++row;
        const int field = t.field == QLatin1String("Evenement1") ? 1 : t.field == QLatin1String("Evenement2") ? 2 : 0;
        if (!belongsTo(t, file) || row == model.rowCount() || field == 0) {
            kept.append(t);
            continue;
        }
        changes.append({row, t.day, field, QVariant(), t.text});
        changed.append(i);
    }
    QList<ImportFailure> failures = applyImport(model, changes, file);
    for (qsizetype c = 0; c < changes.size(); ++c) {
        const bool failed = std::any_of(failures.cbegin(), failures.cend(), [&](const ImportFailure &f) {
            return f.key == changes[c].key && f.field == changes[c].field;
        });
        if (failed)
            kept.append(texts[changed[c]]);
    }
    replace(kept);
    return failures;
}

QString escape(const QVariant &text)
{
    if (text.isNull())
        return QStringLiteral("\\N");  // an escape no text gives
    QString out;
    for (const QChar c : text.toString()) {
        switch (c.unicode()) {
        case '\\': out += QStringLiteral("\\\\"); break;
        case '\t': out += QStringLiteral("\\t"); break;
        case '\n': out += QStringLiteral("\\n"); break;
        case '\r': out += QStringLiteral("\\r"); break;
        default: out += c;
        }
    }
    return out;
}

QVariant unescape(const QString &text)
{
    if (text == QLatin1String("\\N"))
        return QVariant(QMetaType::fromType<QString>());
    QString out;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] != u'\\' || i + 1 == text.size()) {
            out += text[i];
            continue;
        }
        const QChar next = text[++i];
        out += next == u't' ? u'\t' : next == u'n' ? u'\n' : next == u'r' ? u'\r' : next;
    }
    return out;
}

}  // namespace UnsavedTexts
