#include "store/UnsavedTexts.h"

#include "core/Platform.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

namespace UnsavedTexts {

namespace {
QByteArray lines(const QList<Text> &texts)
{
    QByteArray out;
    for (const Text &t : texts)
        out += QStringList{t.when, t.day, t.field, escape(t.text)}.join(u'\t').toUtf8() + '\n';
    return out;
}
}  // namespace

QString path()
{
    return platform().stateFolder() + QStringLiteral("/textes-non-enregistres.tsv");
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
        const QStringList parts = QString::fromUtf8(f.readLine()).chopped(1).split(u'\t');
        if (parts.size() == 4)
            texts.append({parts[0], parts[1], parts[2], unescape(parts[3])});
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

QString escape(const QString &text)
{
    QString out;
    for (const QChar c : text) {
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

QString unescape(const QString &text)
{
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
