#include "store/sync/SyncPlan.h"

#include "store/sync/VEvent.h"

namespace {
QString localText(const QVariant &v)
{
    return v.isNull() ? QString() : serverForm(v.toString());
}

SyncStep decide(const QString &uid, const QString &key, int field, const QString &local,
                const EventState *state, const ServerEvent *server)
{
    SyncStep step{SyncStep::Agree, uid, key, field, {}, {}, false};
    auto is = [&](SyncStep::Kind kind, const QString &text, const QString &etag, bool deleted = false) {
        step.kind = kind, step.text = text, step.etag = etag, step.serverDeleted = deleted;
        return step;
    };
    const QString remote = server ? server->text.value_or(state ? state->agreed : QString()) : QString();
    const QString remoteEtag = server ? server->etag : QString();
    if (!state) {
        // Never agreed: fill what is empty, keep both where they differ.
        if (!server)
            return local.isEmpty() ? is(SyncStep::Forget, {}, {}) : is(SyncStep::Put, local, {});
        if (local.isEmpty())
            return is(SyncStep::Pull, remote, remoteEtag);
        return local == remote ? is(SyncStep::Agree, remote, remoteEtag) : is(SyncStep::Conflict, remote, remoteEtag);
    }
    // Only the text counts: a server that changed the event's other
    // properties (an alarm added on the phone) still holds the agreed text.
    const bool serverChanged = !server || remote != state->agreed;
    const bool localChanged = local != state->agreed;
    if (!serverChanged && !localChanged)
        return is(SyncStep::Agree, state->agreed, remoteEtag);
    if (!serverChanged)
        return local.isEmpty() ? is(SyncStep::Delete, {}, remoteEtag) : is(SyncStep::Put, local, remoteEtag);
    if (!localChanged)
        return is(SyncStep::Pull, remote, remoteEtag, !server);
    if (local == remote)
        return local.isEmpty() ? is(SyncStep::Forget, {}, {}) : is(SyncStep::Agree, remote, remoteEtag);
    return is(SyncStep::Conflict, remote, remoteEtag, !server);
}
}  // namespace

QList<SyncStep> planSync(const QList<DayRow> &rows, const QHash<QString, EventState> &agreed,
                         const QHash<QString, ServerEvent> &server)
{
    QList<SyncStep> steps;
    QSet<QString> seen;
    for (const DayRow &row : rows) {
        int month = 0, day = 0;
        if (!monthDayOf(row.key, &month, &day))
            continue;
        for (int field = 1; field <= 2; ++field) {
            const QString uid = ownUid(month, day, field);
            if (seen.contains(uid))
                continue;  // a day twice in the table: its first row syncs
            seen.insert(uid);
            const auto s = agreed.constFind(uid);
            const auto r = server.constFind(uid);
            const SyncStep step = decide(uid, row.key, field, localText(field == 1 ? row.text1 : row.text2),
                                         s == agreed.cend() ? nullptr : &*s, r == server.cend() ? nullptr : &*r);
            if (step.kind != SyncStep::Forget || s != agreed.cend())
                steps.append(step);
        }
    }
    return steps;
}
