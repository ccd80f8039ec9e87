#include "store/DailyBackup.h"

#include "core/French.h"
#include "core/OmboError.h"
#include "core/Platform.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>

#include <algorithm>

namespace {
// Once per session, whichever window wrote.
bool g_failureReported = false;
bool g_laterReported = false;

const QString kDateForm = QStringLiteral("yyyy-MM-dd");

// A copy this program made: "ombo-<real date>.mdb", an SQLite file.
QDate copyDate(const QString &folder, const QString &name)
{
    const QDate date = QDate::fromString(name.mid(5, 10), kDateForm);
    if (!date.isValid())
        return QDate();
    QFile f(folder + QLatin1Char('/') + name);
    return f.open(QIODevice::ReadOnly) && f.read(16) == QByteArrayView("SQLite format 3\0", 16) ? date : QDate();
}
}  // namespace

QString DailyBackup::folderFor(const QString &almanacPath)
{
    return QFileInfo(almanacPath).absolutePath() + QStringLiteral("/sauvegardes");
}

bool DailyBackup::makeIfDue(const QSqlDatabase &db)
{
    const QDate today = platform().today();
    if (m_checked == today)
        return false;
    // Tried once a day: a copy that keeps failing is not attempted again at every write.
    m_checked = today;
    const QString folder = folderFor(m_almanac);
    const QString target = folder + QStringLiteral("/ombo-%1.mdb").arg(today.toString(kDateForm));
    if (QFileInfo::exists(target))
        return false;
    // A copy is whole or absent: it gets its name only once complete.
    const QString partial = target + QStringLiteral(".partiel");
    QFile::remove(partial);
    QSqlQuery q(db);
    QString failure;
    if (!QDir().mkpath(folder))
        failure = QStringLiteral("le dossier ne peut pas être créé");
    else if (!q.prepare(QStringLiteral("VACUUM INTO ?")) || (q.addBindValue(partial), !q.exec()))
        failure = q.lastError().text();
    else if (!QFile::rename(partial, target))
        failure = QStringLiteral("la copie ne peut pas être nommée");
    if (!failure.isEmpty()) {
        QFile::remove(partial);
        if (!g_failureReported) {
            g_failureReported = true;
            const OmboError e(Err::BackupFailed,
                              QStringLiteral("La sauvegarde du jour de l'almanach dans « %1 » a échoué (%2). "
                                             "Votre modification est tout de même en cours d'enregistrement ; "
                                             "si elle échoue, un autre message le dira.")
                                  .arg(QDir::toNativeSeparators(target), failure));
            platform().messageBox(e.fullMessage(), QString(), Style::OkOnly);
        }
        return false;
    }
    m_madeNow = target;
    return true;
}

void DailyBackup::discard()
{
    QFile::remove(m_madeNow);
    m_madeNow.clear();
    m_checked = QDate();
}

void DailyBackup::confirm()
{
    m_madeNow.clear();
    rotate(platform().today());
}

void DailyBackup::rotate(const QDate &today)
{
    const QString folder = folderFor(m_almanac);
    QList<QPair<QDate, QString>> ours;
    int later = 0;
    for (const QString &name : QDir(folder).entryList({QStringLiteral("ombo-\?\?\?\?-\?\?-\?\?.mdb")}, QDir::Files)) {
        const QDate date = copyDate(folder, name);
        if (date > today)
            ++later;
        else if (date.isValid())
            ours.append({date, name});
    }
    std::sort(ours.begin(), ours.end(), [](const auto &a, const auto &b) { return a.first > b.first; });
    for (qsizetype i = kKept; i < ours.size(); ++i)
        QFile::remove(folder + QLatin1Char('/') + ours[i].second);
    if (later > 0 && !g_laterReported) {
        g_laterReported = true;
        const bool one = later < 2;
        platform().messageBox(QStringLiteral("Le dossier des sauvegardes « %1 » contient %2 d'après aujourd'hui "
                                             "(%3). %4 parmi les %5 dernières copies gardées.")
                                  .arg(QDir::toNativeSeparators(folder),
                                       French::counted(later, "copie datée", "copies datées"),
                                       today.toString(QStringLiteral("dd/MM/yyyy")),
                                       one ? QStringLiteral("Elle est laissée telle quelle et ne compte pas")
                                           : QStringLiteral("Elles sont laissées telles quelles et ne comptent pas"))
                                  .arg(kKept),
                              QString(), Style::OkOnly);
    }
}
