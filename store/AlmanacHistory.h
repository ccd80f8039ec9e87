#pragma once

#include <QList>
#include <QSqlDatabase>
#include <QString>
#include <QVariant>

#include <functional>

class QSqlQuery;

// What each write replaced, kept in the almanac's table "Historique" (made at
// the first write), and this session's changes, to be undone and redone.
// The almanac's one row write records here, inside its own transaction.
class AlmanacHistory
{
public:
    // One field's change, as written.
    struct Change
    {
        QVariant id;
        QString field;
        QVariant before, after;
    };
    // A past value from "Historique", newest first.
    struct Past
    {
        QString when, field, copy;  // when: UTC, ISO 8601
        QVariant before, after;
    };
    static constexpr int kPerField = 200;

    // The file may be another one: its table is looked at again.
    void forgetTable() { m_table = Table::Unknown; }
    // Records `changes` of the row `day` through `q`, inside the write's
    // transaction, as written by `writer` (empty: this copy of the program).
    // A table "Historique" of another shape is not ours: it is left alone
    // and nothing is recorded.
    bool record(QSqlQuery &q, const QString &day, const QList<Change> &changes, const QString &writer = {});
    // The write that recorded `changes` was committed: they can be undone,
    // each on its own, or in one step with the other writes of an open group.
    void committed(const QList<Change> &changes);
    // The writes between these two (an import) are undone and redone as one.
    void beginGroup();
    void endGroup() { m_grouping = false; }

    bool canUndo() const { return !m_undo.isEmpty(); }
    bool canRedo() const { return !m_redo.isEmpty(); }
    // The change the next undo or redo writes back first.
    const Change &nextUndo() const { return m_undo.last().last(); }
    const Change &nextRedo() const { return m_redo.last().first(); }
    // Writes the last step back through `write` (given the change, the
    // value to write and the value the field must still hold), its changes
    // in the reverse order for an undo; what is written moves to the other
    // list. The first refused change stops it: it and those not tried yet
    // stay, to be tried again.
    bool replay(bool undo, const std::function<bool(const Change &, const QVariant &, const QVariant &)> &write);

    // The day's recorded changes, newest first (none when the file has no history of ours).
    QList<Past> pastOf(const QSqlDatabase &db, const QString &day) const;

private:
    enum class Table { Unknown, Ours, Foreign };
    Table lookAtTable(QSqlQuery &q) const;

    using Step = QList<Change>;  // in the order written

    Table m_table = Table::Unknown;
    QList<Step> m_undo, m_redo;  // this session's changes
    bool m_grouping = false, m_groupOpen = false;
};
