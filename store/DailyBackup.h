#pragma once

#include <QDate>
#include <QString>

class QSqlDatabase;

// A copy of the almanac before the first write of each day, in
// "sauvegardes/ombo-AAAA-MM-JJ.mdb" beside it; the copies of the last
// kKept days with writes are kept. Start-up never makes one.
class DailyBackup
{
public:
    explicit DailyBackup(QString almanacPath) : m_almanac(std::move(almanacPath)) {}

    static constexpr int kKept = 14;
    static QString folderFor(const QString &almanacPath);

    // Makes today's copy unless it exists; true when it was made now. It is
    // tried once a day: a failure never stops the write that follows, and it
    // is reported once per session.
    bool makeIfDue(const QSqlDatabase &db);
    // The write that followed was made: only the last copies are kept.
    void confirm();
    // The write that followed failed: a day without writes keeps no copy.
    void discard();

private:
    // Removes our copies older than the kKept newest up to today. Only
    // SQLite files named by a real date are ours; copies dated after today
    // are left alone and said once per session.
    void rotate(const QDate &today);

    QString m_almanac;
    QDate m_checked;   // the day whose copy was made or tried
    QString m_madeNow;
};
