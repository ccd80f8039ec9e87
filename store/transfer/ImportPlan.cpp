#include "store/transfer/ImportPlan.h"

#include "store/transfer/ReadSupport.h"

#include <QHash>

using namespace transfer;

namespace {
// `stored` followed by those parts of `incoming` (split at " ; ") that it
// does not hold yet: a file's day may itself be several texts joined by an
// import ("B ; C"), and importing it again must change nothing.
QString appended(const QString &stored, const QString &incoming)
{
    QStringList parts = stored.split(kSeparator);
    const qsizetype before = parts.size();
    for (const QString &part : incoming.split(kSeparator))
        if (!part.isEmpty() && !parts.contains(part))
            parts << part;
    return parts.size() == before ? stored : parts.join(kSeparator);
}
}  // namespace

QString policyName(ImportPolicy policy)
{
    switch (policy) {
    case ImportPolicy::Replace: return QStringLiteral("Remplacer");
    case ImportPolicy::Append: return QStringLiteral("Ajouter à la suite");
    case ImportPolicy::Complete: break;
    }
    return QStringLiteral("Compléter");
}

QList<ImportChange> planImport(const QList<DayRow> &stored, const QList<ImportedDay> &days,
                               ImportPolicy policy, QString *error)
{
    QHash<QString, int> rowOf;
    for (int r = int(stored.size()) - 1; r >= 0; --r)
        rowOf.insert(stored[r].key, r);

    QList<ImportChange> changes;
    for (const ImportedDay &day : days) {
        const auto it = rowOf.constFind(day.key);
        if (it == rowOf.constEnd()) {
            *error = lineError(day.line, QStringLiteral("le jour %1 n'a pas de ligne dans l'almanach.").arg(day.key));
            return {};
        }
        const DayRow &row = stored[*it];
        const std::optional<QVariant> *incoming[2] = {&day.text1, &day.text2};
        const QVariant *current[2] = {&row.text1, &row.text2};
        for (int f = 0; f < 2; ++f) {
            if (!*incoming[f])
                continue;
            const QVariant in = **incoming[f];
            const QVariant &now = *current[f];
            const QString inText = in.toString(), nowText = now.toString();
            QVariant result = now;
            switch (policy) {
            case ImportPolicy::Complete:
                if (nowText.isEmpty() && !inText.isEmpty())
                    result = in;
                break;
            case ImportPolicy::Replace:
                result = in;
                break;
            case ImportPolicy::Append:
                if (nowText.isEmpty() && !inText.isEmpty())
                    result = in;
                else if (!inText.isEmpty())
                    result = appended(nowText, inText);
                break;
            }
            if (result.toString().size() > kMaxTextLength) {
                *error = lineError(day.line, QStringLiteral("le texte du %1 dépasserait %L2 caractères.")
                                                 .arg(day.key).arg(kMaxTextLength));
                return {};
            }
            if (result.isNull() != now.isNull() || result.toString() != nowText)
                changes.append({*it, day.key, f + 1, now, result});
        }
    }
    return changes;
}
