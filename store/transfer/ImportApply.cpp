#include "store/transfer/ImportApply.h"

#include "core/French.h"
#include "store/AlmanacModel.h"
#include "store/SqlErrors.h"

#include <QHash>

QList<ImportFailure> applyImport(AlmanacModel &model, const QList<ImportChange> &changes,
                                 const QString &file)
{
    QList<ImportFailure> failures;
    model.beginUndoGroup();  // one undo takes the whole import back
    for (qsizetype i = 0; i < changes.size();) {
        // All the changes of one row, then that row's write.
        const qsizetype first = i;
        AlmanacModel::Fields fields;
        for (; i < changes.size() && changes[i].row == changes[first].row; ++i) {
            const ImportChange &c = changes[i];
            fields.append({QStringLiteral("Evenement%1").arg(c.field),
                           c.result.isNull() ? QVariant(QMetaType::fromType<QString>()) : c.result});
        }
        if (model.writeFields(changes[first].row, fields))
            continue;
        const OmboError error = writeError(model.lastError(), file, false);
        for (qsizetype k = first; k < i; ++k)
            failures.append({changes[k].key, changes[k].field, error});
    }
    model.endUndoGroup();
    return failures;
}

QString refusalList(const QList<ImportFailure> &failures)
{
    QStringList reasons;
    QHash<QString, QStringList> where;
    for (const ImportFailure &f : failures) {
        const QString reason = f.error.fullMessage();
        if (!where.contains(reason))
            reasons << reason;
        where[reason] << QStringLiteral("%1 Événement %2").arg(f.key).arg(f.field);
    }
    QString out = QLatin1Char('\n') + French::counted(failures.size(), "texte refusé :", "textes refusés :");
    for (const QString &reason : reasons)
        out += QStringLiteral("\n\n") + reason + QLatin1Char('\n') + where[reason].join(QStringLiteral(", "));
    return out;
}
