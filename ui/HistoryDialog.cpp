#include "ui/HistoryDialog.h"

#include "store/AlmanacModel.h"
#include "store/RecordSource.h"

#include <QDateTime>
#include <QDialogButtonBox>
#include <QHeaderView>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace {
QString shown(const QVariant &v)
{
    return v.isNull() ? QStringLiteral("(vide)") : v.toString();
}

// "Evenement1" as its column is captioned.
QString caption(const QString &field)
{
    return field.startsWith(QLatin1String("Evenement")) ? QStringLiteral("Événement ") + field.mid(9) : field;
}
}  // namespace

HistoryDialog::HistoryDialog(RecordSource *source, QWidget *parent)
    : QDialog(parent), m_source(source), m_list(new QTreeWidget(this))
{
    setObjectName(QStringLiteral("HistoryDialog"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QStringLiteral("Historique du %1").arg(source->fieldValue(QStringLiteral("Date")).toString()));
    m_list->setRootIsDecorated(false);
    m_list->setHeaderLabels({QStringLiteral("Quand"), QStringLiteral("Texte"), QStringLiteral("Avant"),
                             QStringLiteral("Après"), QStringLiteral("Copie")});
    m_list->setAccessibleName(QStringLiteral("Valeurs passées du jour"));
    auto *buttons = new QDialogButtonBox(this);
    QPushButton *restore = buttons->addButton(QStringLiteral("Rétablir"), QDialogButtonBox::ActionRole);
    restore->setObjectName(QStringLiteral("restore"));
    buttons->addButton(QStringLiteral("Fermer"), QDialogButtonBox::RejectRole);
    connect(restore, &QPushButton::clicked, this, &HistoryDialog::restoreSelected);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_list);
    layout->addWidget(buttons);
    resize(560, 300);
    fill();
}

void HistoryDialog::fill()
{
    m_list->clear();
    listConflicts();
    const QString day = m_source->fieldValue(QStringLiteral("Date")).toString();
    for (const AlmanacModel::Past &p : m_source->model()->history(day)) {
        const QString local = QDateTime::fromString(p.when, Qt::ISODate).toLocalTime()
                                  .toString(QStringLiteral("dd/MM/yyyy HH:mm:ss"));
        auto *item = new QTreeWidgetItem(m_list, {local, caption(p.field), shown(p.before), shown(p.after), p.copy});
        item->setData(0, Qt::UserRole, p.before);
        item->setData(1, Qt::UserRole, p.field);
    }
    for (int c = 0; c < m_list->columnCount(); ++c)
        m_list->resizeColumnToContents(c);
    if (m_list->topLevelItemCount() > 0)
        m_list->setCurrentItem(m_list->topLevelItem(0));
}

// A text kept on both sides, first: this one and the sync server's, until
// the user chooses (nothing to restore there).
void HistoryDialog::listConflicts()
{
    const AlmanacModel *model = m_source->model();
    for (const char *field : {"Evenement1", "Evenement2"}) {
        const QModelIndex cell = model->index(m_source->currentRow(), model->fieldIndex(field));
        const QVariant theirs = cell.data(AlmanacModel::ConflictRole);
        if (theirs.isValid())
            new QTreeWidgetItem(m_list, {QStringLiteral("Modifié ailleurs"), caption(field),
                                         shown(cell.data(Qt::EditRole)), theirs.toString(), QStringLiteral("serveur")});
    }
}

void HistoryDialog::restoreSelected()
{
    const QTreeWidgetItem *item = m_list->currentItem();
    if (!item)
        return;
    if (m_source->restoreValue(item->data(1, Qt::UserRole).toString(), item->data(0, Qt::UserRole)))
        fill();
}
