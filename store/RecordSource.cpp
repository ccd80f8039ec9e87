#include "store/RecordSource.h"

#include "store/DailyBackup.h"
#include "store/Schema.h"
#include "store/SqlErrors.h"
#include "store/UnsavedTexts.h"

#include "core/French.h"
#include "core/Platform.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QSqlError>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QUrl>

#include <sys/stat.h>

namespace {
const QLatin1String kSourceKey("Data Source=");

OmboError noCurrentRecord()
{
    return OmboError(Err::NoCurrentRecord,
                     QStringLiteral("Aucun enregistrement courant : la ligne cherchée est absente."));
}

int g_connections = 0;
// Refused texts of update windows since unloaded: restored at the next load.
QList<AlmanacModel::Kept> g_kept;
OmboError g_lastFailure;  // why the last write was refused

bool fileIdentity(const QString &path, quint64 *device, quint64 *inode)
{
    struct stat st {};
    if (::stat(QFile::encodeName(path).constData(), &st) != 0)
        return false;
    *device = st.st_dev;
    *inode = st.st_ino;
    return true;
}

QSqlError sqliteError(int code, const QString &text)
{
    return QSqlError(text, text, QSqlError::StatementError, QString::number(code));
}
}  // namespace

RecordSource::RecordSource(QObject *parent)
    : QObject(parent), m_connectionName(QStringLiteral("Adodc1-%1").arg(++g_connections))
{
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), m_connectionName);
    m_model = new AlmanacModel(this, db);
    connect(m_model, &AlmanacModel::writeFailed, this, [this](int row, const QSqlError &e) {
        g_lastFailure = describeFailure(row, e);
        m_model->markRefused(row, g_lastFailure.description());
        emit writeFailed(g_lastFailure);
    });
}

RecordSource::~RecordSource()
{
    for (AlmanacModel::Kept k : m_model->keptEdits()) {
        k.file = filePath();
        g_kept.append(k);
    }
    delete m_model;
    delete m_backup;
    m_model = nullptr;
    QSqlDatabase::database(m_connectionName, false).close();
    QSqlDatabase::removeDatabase(m_connectionName);
}

void RecordSource::setConnectionString(const QString &text)
{
    m_connection = text;
}

QString RecordSource::filePath() const
{
    // Parts are separated by ';'; a value in double quotes may hold ';' and
    // doubles its own quotes.
    QStringList parts{QString()};
    bool quoted = false;
    const QString &s = m_connection;
    for (qsizetype i = 0; i < s.size(); ++i) {
        const QChar c = s[i];
        if (c == u'"' && quoted && i + 1 < s.size() && s[i + 1] == u'"') {
            parts.last() += c;
            ++i;
        } else if (c == u'"') {
            quoted = !quoted;
        } else if (c == u';' && !quoted) {
            parts << QString();
        } else {
            parts.last() += c;
        }
    }
    for (const QString &part : parts)
        if (part.trimmed().startsWith(kSourceKey, Qt::CaseInsensitive))
            return part.trimmed().mid(kSourceKey.size());
    return QString();
}

OmboError RecordSource::databaseError(const QSqlError &e) const
{
    return ::databaseError(e, filePath());
}

OmboError RecordSource::describeFailure(int row, const QSqlError &e) const
{
    OmboError error = writeError(e);
    if (error.number() != Err::RowChanged)
        return error;
    return OmboError(Err::RowChanged,
                     QStringLiteral("Une autre copie d'Ombrelune a modifié le %1 dans le fichier d'almanach "
                                    "« %2 » depuis sa lecture ; elle y a écrit %3 : la modification n'a pas "
                                    "été enregistrée. Votre texte reste affiché en italique ; modifiez de "
                                    "nouveau la ligne pour l'enregistrer à la place.")
                         .arg(m_model->dayOf(row), QDir::toNativeSeparators(filePath()), m_model->theirTexts()));
}

OmboError RecordSource::writeError(const QSqlError &e) const
{
    quint64 device = 0, inode = 0;
    const bool replaced = !fileIdentity(filePath(), &device, &inode) || device != m_device || inode != m_inode;
    return ::writeError(e, filePath(), replaced);
}

// Throws unless the open file is a sound almanac: a database, undamaged,
// with the table and the three columns the program reads.
void RecordSource::checkFile(QSqlDatabase &db)
{
    QSqlQuery check(db);
    check.setForwardOnly(true);
    // The first real read tells a database from any other file.
    if (!check.exec(QStringLiteral("SELECT count(*) FROM sqlite_master")))
        throw databaseError(check.lastError());
    // A damaged file is refused before anything is shown or written.
    if (!check.exec(QStringLiteral("PRAGMA quick_check(1)")))
        throw databaseError(check.lastError());
    if (!check.next() || check.value(0).toString() != QLatin1String("ok"))
        throw databaseError(sqliteError(11, QStringLiteral("database disk image is malformed")));
    // Changes go through a rollback journal, each on disk before the write returns.
    check.exec(QStringLiteral("PRAGMA journal_mode = DELETE"));
    if (!check.exec(QStringLiteral("PRAGMA synchronous = FULL")))
        throw databaseError(check.lastError());
    check.finish();

    const QStringList columns{QStringLiteral("Date"), QStringLiteral("Evenement1"),
                              QStringLiteral("Evenement2")};
    const QSqlRecord r = db.record(Schema::kTable);
    if (r.isEmpty())
        throw databaseError(sqliteError(1, QStringLiteral("no such table: ") + Schema::kTable));
    for (const QString &c : columns)
        if (r.indexOf(c) < 0)
            throw OmboError(1, QStringLiteral("La colonne « %1 » manque à la table Evenements du "
                                              "fichier d'almanach « %2 ».")
                                   .arg(c, QDir::toNativeSeparators(filePath())));
    // Without an "id" column, SQLite's row identity names each row.
    if (r.indexOf(QStringLiteral("id")) < 0
        && !check.exec(QStringLiteral("SELECT rowid FROM %1 LIMIT 0").arg(Schema::kTable)))
        throw OmboError(1, QStringLiteral("La table Evenements du fichier d'almanach « %1 » n'a ni "
                                          "colonne « id » ni identifiant de ligne : ses lignes ne "
                                          "peuvent pas être enregistrées.")
                               .arg(QDir::toNativeSeparators(filePath())));
}

void RecordSource::refresh()
{
    // Reopening discards edits not yet written: write them first, and keep
    // the refused ones to show them again.
    save();
    QList<AlmanacModel::Kept> kept = m_model->keptEdits();
    for (qsizetype i = g_kept.size() - 1; i >= 0; --i)
        if (g_kept[i].file == filePath())
            kept.append(g_kept.takeAt(i));
    m_model->clear();
    m_row = -1;
    delete m_backup;
    m_backup = nullptr;

    QSqlDatabase db = QSqlDatabase::database(m_connectionName, false);
    db.close();
    // Read-write, never create: a missing almanac is an error, not a new file.
    db.setConnectOptions(QStringLiteral("QSQLITE_OPEN_URI;QSQLITE_BUSY_TIMEOUT=3000"));
    db.setDatabaseName(QUrl::fromLocalFile(filePath()).toString(QUrl::FullyEncoded)
                       + QStringLiteral("?mode=rw"));
    if (!db.open())
        throw databaseError(db.lastError());
    try {
        checkFile(db);
    } catch (const OmboError &) {
        db.close();
        throw;
    }
    if (!fileIdentity(filePath(), &m_device, &m_inode))
        m_device = m_inode = 0;

    if (!m_model->openTable()) {
        const QSqlError e = m_model->lastError();
        m_model->clear();
        db.close();
        g_kept = kept;
        throw databaseError(e);
    }
    m_backup = new DailyBackup(filePath());
    m_model->setBackup(m_backup);
    for (AlmanacModel::Kept k : kept) {
        if (m_model->rowOf(k.id) < 0) {
            k.file = filePath();
            g_kept.append(k);  // its row is gone: kept for the end
        }
    }
    m_model->restore(kept);
    moveTo(m_model->rowCount() > 0 ? 0 : -1);
}

void RecordSource::find(const QString &criterion)
{
    static const QRegularExpression form(QStringLiteral("^\\s*(\\w+)\\s*=\\s*\\((.*)\\)\\s*$"),
                                         QRegularExpression::DotMatchesEverythingOption);
    const QRegularExpressionMatch m = form.match(criterion);
    const int column = m.hasMatch() ? m_model->fieldIndex(m.captured(1)) : -1;
    if (column < 0)
        throw OmboError(Err::BadArgument,
                        QStringLiteral("Critère de recherche incompréhensible : %1").arg(criterion));
    requireCurrent();
    const QString wanted = m.captured(2);
    int found = -1;
    for (int row = m_row; row < m_model->rowCount() && found < 0; ++row) {
        const QVariant v = m_model->data(m_model->index(row, column), Qt::EditRole);
        if (!v.isNull() && v.toString() == wanted)
            found = row;
    }
    moveTo(found);
}

int RecordSource::absolutePosition() const
{
    requireCurrent();
    return m_row + 1;
}

void RecordSource::setAbsolutePosition(int position)
{
    requireCurrent();
    if (position < 1 || position > m_model->rowCount())
        throw OmboError(Err::BadArgument,
                        QStringLiteral("La position %1 est hors de la table (lignes 1 à %2).")
                            .arg(position)
                            .arg(m_model->rowCount()));
    moveTo(position - 1);
}

QVariant RecordSource::fieldValue(const QString &name) const
{
    requireCurrent();
    const int column = m_model->fieldIndex(name);
    if (column < 0)
        throw OmboError(Err::BadArgument, QStringLiteral("Le champ « %1 » n'existe pas.").arg(name));
    return m_model->data(m_model->index(m_row, column), Qt::EditRole);
}

void RecordSource::moveFirst()
{
    if (m_model->rowCount() == 0)
        throw noCurrentRecord();
    moveTo(0);
}

void RecordSource::moveLast()
{
    if (m_model->rowCount() == 0)
        throw noCurrentRecord();
    moveTo(m_model->rowCount() - 1);
}

void RecordSource::followGrid(int row)
{
    if (row != m_row)
        moveTo(row);
}

bool RecordSource::save()
{
    return m_model->submit();
}

bool RecordSource::undo()
{
    return replay(true);
}

bool RecordSource::redo()
{
    return replay(false);
}

bool RecordSource::replay(bool undo)
{
    const int row = undo ? m_model->undoRow() : m_model->redoRow();
    if (row < 0)
        return false;
    if (row != m_row)
        moveTo(row);
    return undo ? m_model->undo() : m_model->redo();
}

bool RecordSource::restoreValue(const QString &field, const QVariant &value)
{
    requireCurrent();
    return m_model->writeValue(m_row, field, value);
}

void RecordSource::forgetUnsaved()
{
    g_kept.clear();
}

void RecordSource::keepUnsavedAtEnd(const RecordSource *current)
{
    QList<AlmanacModel::Kept> kept;
    if (current) {
        kept = current->m_model->keptEdits();
        for (AlmanacModel::Kept &k : kept)
            k.file = current->filePath();
    }
    kept += g_kept;
    if (kept.isEmpty())
        return;
    const QString now = platform().nowUtc().toString(Qt::ISODate);
    QList<UnsavedTexts::Text> texts;
    QString listing;
    for (const AlmanacModel::Kept &k : kept) {
        for (const auto &[field, value] : k.fields) {
            texts.append({now, k.day, field, value, UnsavedTexts::almanacName(k.file)});
            listing += QStringLiteral("\n%1 %2 : %3").arg(k.day, French::fieldCaption(field), value.toString());
        }
    }
    const QString file = QDir::toNativeSeparators(UnsavedTexts::path());
    QString error;
    // The reason is a sentence of its own, on its own line.
    QString why = g_lastFailure.description();
    if (!why.isEmpty() && !why.endsWith(QLatin1Char('.')))
        why += QLatin1Char('.');
    const QString text =
        UnsavedTexts::append(texts, &error)
            ? QStringLiteral("Des textes n'ont pas pu être enregistrés dans l'almanach.\n%1\nIls sont gardés "
                             "dans « %2 » et vous seront proposés au prochain démarrage.").arg(why, file)
            : QStringLiteral("Des textes n'ont pas pu être enregistrés dans l'almanach.\n%1\nIls n'ont pas pu "
                             "être gardés dans « %2 » non plus : %3.\nCopiez-les avant de fermer ce message :\n%4")
                  .arg(why, file, error, listing);
    g_kept.clear();
    platform().messageBox(OmboError(Err::TextsKept, text).fullMessage(), QString(), Style::OkOnly);
}

void RecordSource::moveTo(int row)
{
    // Leaving a row writes what was typed in it.
    const int left = m_row;
    m_row = row;
    if (left >= 0 && left != row && left < m_model->rowCount())
        m_model->writeRow(left);
    emit currentRowChanged();
}

void RecordSource::requireCurrent() const
{
    if (m_row < 0 || m_row >= m_model->rowCount())
        throw noCurrentRecord();
}
