#include "store/DailyBackup.h"

#include "core/OmboError.h"
#include "core/Platform.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>

namespace {
bool g_failureReported = false;  // once per session, whichever window wrote
}

QString DailyBackup::folderFor(const QString &almanacPath)
{
    return QFileInfo(almanacPath).absolutePath() + QStringLiteral("/sauvegardes");
}

bool DailyBackup::makeIfDue(const QSqlDatabase &db)
{
    const QDate today = platform().today();
    if (m_checked == today)
        return false;
    const QString folder = folderFor(m_almanac);
    const QString target = folder + QStringLiteral("/ombo-%1.mdb").arg(today.toString(QStringLiteral("yyyy-MM-dd")));
    if (QFileInfo::exists(target)) {
        m_checked = today;
        return false;
    }
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
                                             "Vos modifications sont tout de même enregistrées.")
                                  .arg(QDir::toNativeSeparators(target), failure));
            platform().messageBox(e.fullMessage(), QString(), Style::OkOnly);
        }
        return false;
    }
    m_checked = today;
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
    const QString folder = folderFor(m_almanac);
    const QStringList copies = QDir(folder).entryList({QStringLiteral("ombo-\?\?\?\?-\?\?-\?\?.mdb")},
                                                      QDir::Files, QDir::Name | QDir::Reversed);
    for (qsizetype i = kKept; i < copies.size(); ++i)
        QFile::remove(folder + QLatin1Char('/') + copies[i]);
}
