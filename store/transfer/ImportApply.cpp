#include "store/transfer/ImportApply.h"

#include "store/AlmanacModel.h"
#include "store/SqlErrors.h"

QList<ImportFailure> applyImport(AlmanacModel &model, const QList<ImportChange> &changes,
                                 const QString &file)
{
    QList<ImportFailure> failures;
    const int columns[2] = {model.fieldIndex(QStringLiteral("Evenement1")),
                            model.fieldIndex(QStringLiteral("Evenement2"))};
    for (qsizetype i = 0; i < changes.size();) {
        // All the changes of one row, then that row's write.
        const int row = changes[i].row;
        const QString key = changes[i].key;
        bool set = true;
        for (; i < changes.size() && changes[i].row == row; ++i) {
            const ImportChange &c = changes[i];
            const QVariant value = c.result.isNull() ? QVariant(QMetaType::fromType<QString>()) : c.result;
            set = model.setData(model.index(row, columns[c.field - 1]), value, Qt::EditRole) && set;
        }
        if (set && model.writeRow(row))
            continue;
        failures.append({key, writeError(model.lastError(), file, false)});
        model.discardEdit(row);  // show what the file holds now
    }
    return failures;
}
