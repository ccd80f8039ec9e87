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

    // Makes today's copy unless it exists; true when it was made now. A
    // failure never stops the write that follows; it is reported once per
    // session.
    bool makeIfDue(const QSqlDatabase &db);
    // The write that followed was made: only the last copies are kept.
    void confirm();
    // The write that followed failed: a day without writes keeps no copy.
    void discard();

    QString m_almanac;
    QDate m_checked;   // the day whose copy is known to be there
    QString m_madeNow;
};
