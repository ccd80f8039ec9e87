#include "data/AlmanacFile.h"

#include "store/Schema.h"

#include <QAtomicInt>
#include <QDate>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QRegularExpression>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QStringDecoder>
#include <QTemporaryFile>

#ifdef Q_OS_UNIX
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>
#endif

namespace AlmanacFile {

QStringList dayKeys()
{
    QStringList keys;
    for (QDate d(2024, 1, 1); d.year() == 2024; d = d.addDays(1))
        keys << d.toString(QStringLiteral("dd/MM"));
    return keys;
}

namespace {

QString lineError(int line, const QString &what)
{
    return QStringLiteral("line %1: %2").arg(line).arg(what);
}

// Tabs separate the fields; no other control character belongs in a text.
bool hasControl(const QString &s)
{
    for (QChar c : s)
        if (c.unicode() < 0x20 || c.unicode() == 0x7f)
            return true;
    return false;
}

}  // namespace

bool parse(const QByteArray &text, QList<Row> *rows, QString *error)
{
    static const QRegularExpression keyShape(QStringLiteral("^\\d\\d/\\d\\d$"));
    const QStringList keys = dayKeys();
    QHash<QString, int> seenOn;
    QList<Row> out;

    QList<QByteArray> lines = text.split('\n');
    if (lines.last().isEmpty())  // the newline ending the last line
        lines.removeLast();

    for (int i = 0; i < lines.size(); ++i) {
        const int n = i + 1;
        const QByteArray &raw = lines[i];
        if (raw.contains('\r')) {
            *error = lineError(n, QStringLiteral("carriage return (lines must end with a bare newline)"));
            return false;
        }
        // A byte order mark is kept so that it shows up as a bad day key, and a
        // sequence cut by the end of the line is an error, not a pending state.
        QStringDecoder utf8(QStringDecoder::Utf8,
                            QStringDecoder::Flag::ConvertInitialBom | QStringDecoder::Flag::Stateless);
        const QString line = utf8.decode(raw);
        if (utf8.hasError()) {
            *error = lineError(n, QStringLiteral("not valid UTF-8"));
            return false;
        }
        const QStringList fields = line.split(QLatin1Char('\t'));
        if (fields.size() != 3) {
            *error = lineError(n, QStringLiteral("%1 field(s), expected 3 (dd/mm, first text, second text)")
                                      .arg(fields.size()));
            return false;
        }
        const QString &key = fields[0];
        if (!keyShape.match(key).hasMatch() || !keys.contains(key)) {
            *error = lineError(n, QStringLiteral("\"%1\" is not a day (dd/mm)").arg(key));
            return false;
        }
        if (seenOn.contains(key)) {
            *error = lineError(n, QStringLiteral("%1 already given on line %2").arg(key).arg(seenOn[key]));
            return false;
        }
        if (i >= keys.size()) {  // cannot happen: all days were seen by now
            *error = lineError(n, QStringLiteral("more than %1 lines").arg(keys.size()));
            return false;
        }
        if (key != keys[i]) {
            *error = lineError(n, QStringLiteral("%1 where %2 was expected (a day missing or out of order)")
                                      .arg(key, keys[i]));
            return false;
        }
        if (hasControl(fields[1]) || hasControl(fields[2])) {
            *error = lineError(n, QStringLiteral("control character in a text"));
            return false;
        }
        seenOn.insert(key, n);
        out.append({key, fields[1].isEmpty() ? QString() : fields[1],
                    fields[2].isEmpty() ? QString() : fields[2]});
    }
    if (out.size() != keys.size()) {
        *error = QStringLiteral("the file stops after line %1: %2 days expected, %3 and after are missing")
                     .arg(out.size())
                     .arg(keys.size())
                     .arg(keys[out.size()]);
        return false;
    }
    *rows = out;
    return true;
}

bool read(const QString &path, QList<Row> *rows, QString *error)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) {
        *error = QStringLiteral("cannot read: %1").arg(f.errorString());
        return false;
    }
    return parse(f.readAll(), rows, error);
}

namespace {

bool writeRows(const QString &file, const QList<Row> &rows, QString *error)
{
    static QAtomicInt serial;
    const QString name = QStringLiteral("almanacfile-%1").arg(serial.fetchAndAddRelaxed(1));
    bool ok = false;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
        db.setDatabaseName(file);
        auto fail = [&](const QString &what, const QSqlError &e) {
            *error = QStringLiteral("%1: %2").arg(what, e.text());
            return false;
        };
        ok = [&] {
            if (!db.open())
                return fail(QStringLiteral("cannot open the database"), db.lastError());
            QSqlQuery q(db);
            for (const char *pragma : {"PRAGMA journal_mode=DELETE", "PRAGMA synchronous=FULL"})
                if (!q.exec(QLatin1String(pragma)))
                    return fail(QLatin1String(pragma), q.lastError());
            if (!db.transaction())
                return fail(QStringLiteral("cannot start a transaction"), db.lastError());
            if (!q.exec(Schema::kCreate)) {
                db.rollback();
                return fail(QStringLiteral("cannot create the table"), q.lastError());
            }
            if (!q.prepare(QStringLiteral("INSERT INTO Evenements (id, Date, Evenement1, Evenement2)"
                                          " VALUES (?, ?, ?, ?)"))) {
                db.rollback();
                return fail(QStringLiteral("cannot prepare the insert"), q.lastError());
            }
            const QVariant null{QMetaType::fromType<QString>()};
            for (int i = 0; i < rows.size(); ++i) {
                const Row &r = rows[i];
                q.bindValue(0, i + 1);
                q.bindValue(1, r.date);
                q.bindValue(2, r.ev1.isNull() ? null : QVariant(r.ev1));
                q.bindValue(3, r.ev2.isNull() ? null : QVariant(r.ev2));
                if (!q.exec()) {
                    db.rollback();
                    return fail(QStringLiteral("cannot insert %1").arg(r.date), q.lastError());
                }
            }
            if (!db.commit())
                return fail(QStringLiteral("cannot commit"), db.lastError());
            return true;
        }();
        db.close();
    }
    QSqlDatabase::removeDatabase(name);
    return ok;
}

enum class Placed { Done, Taken, Failed };

// Gives `from` the name `to` unless `to` exists: never replaces a file.
Placed placeNoReplace(const QString &from, const QString &to, QString *error)
{
#ifdef Q_OS_UNIX
    // link() fails on an existing name: the check and the naming are one step.
    const QByteArray src = QFile::encodeName(from), dst = QFile::encodeName(to);
    if (::link(src.constData(), dst.constData()) != 0) {
        if (errno == EEXIST)
            return Placed::Taken;
        *error = QStringLiteral("cannot create %1: %2").arg(to, QString::fromLocal8Bit(std::strerror(errno)));
        return Placed::Failed;
    }
    // The new name itself must survive a power cut.
    const QByteArray dir = QFile::encodeName(QFileInfo(to).absolutePath());
    const int fd = ::open(dir.constData(), O_RDONLY | O_DIRECTORY);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
    return Placed::Done;
#else
    if (QFileInfo::exists(to))
        return Placed::Taken;
    if (!QFile::rename(from, to)) {
        if (QFileInfo::exists(to))
            return Placed::Taken;
        *error = QStringLiteral("cannot create %1").arg(to);
        return Placed::Failed;
    }
    return Placed::Done;
#endif
}

bool present(const QString &path)
{
    const QFileInfo info(path);
    return info.exists() || info.isSymLink();
}

// Something that is there but is no almanac file to keep: a folder, a
// device, a link that leads nowhere.
bool notARegularFile(const QString &path)
{
    return present(path) && !QFileInfo(path).isFile();
}

}  // namespace

Outcome build(const QString &tsvPath, const QString &target, QString *message)
{
    const QString kept = QStringLiteral("%1 already exists: kept as it is").arg(target);
    const QString notAFile = QStringLiteral("%1 exists but is not a regular file").arg(target);
    if (notARegularFile(target)) {
        *message = notAFile;
        return Outcome::Failed;
    }
    if (present(target)) {
        *message = kept;
        return Outcome::AlreadyThere;
    }
    QList<Row> rows;
    QString error;
    if (!read(tsvPath, &rows, &error)) {
        *message = QStringLiteral("%1: %2").arg(tsvPath, error);
        return Outcome::Failed;
    }

    const QFileInfo info(target);
    QTemporaryFile tmp(info.absolutePath() + QStringLiteral("/.") + info.fileName()
                       + QStringLiteral(".XXXXXX"));
    if (!tmp.open()) {
        *message = QStringLiteral("cannot create a file beside %1: %2").arg(target, tmp.errorString());
        return Outcome::Failed;
    }
    // An ordinary data file, not the private 0600 of a temporary one.
    tmp.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadGroup
                       | QFileDevice::ReadOther);
    tmp.close();  // the file stays, removed when `tmp` goes unless linked

    if (!writeRows(tmp.fileName(), rows, &error)) {
        *message = QStringLiteral("%1: %2").arg(target, error);
        return Outcome::Failed;
    }
    switch (placeNoReplace(tmp.fileName(), target, &error)) {
    case Placed::Done:
        *message = QStringLiteral("%1 written (%2 days)").arg(target).arg(rows.size());
        return Outcome::Written;
    case Placed::Taken:
        if (notARegularFile(target)) {
            *message = notAFile;
            return Outcome::Failed;
        }
        *message = kept;
        return Outcome::AlreadyThere;
    case Placed::Failed:
        break;
    }
    *message = error;
    return Outcome::Failed;
}

}  // namespace AlmanacFile
