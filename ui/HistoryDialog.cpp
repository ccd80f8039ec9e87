#include "ui/HistoryDialog.h"

#include "core/French.h"
#include "core/Platform.h"
#include "store/AlmanacModel.h"
#include "store/RecordSource.h"
#include "ui/Look.h"

#include <QDateTime>
#include <QDialogButtonBox>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace {
QString shown(const QVariant &v)
{
    return v.isNull() ? QStringLiteral("(vide)") : v.toString();
}

// A past value has its field; a text kept on both sides has none to restore.
bool restorable(const QTreeWidgetItem *item)
{
    return item && !item->data(1, Qt::UserRole).toString().isEmpty();
}

}  // namespace

HistoryDialog::HistoryDialog(RecordSource *source, QWidget *parent)
    : QDialog(parent), m_source(source), m_list(new QTreeWidget(this))
{
    setObjectName(QStringLiteral("HistoryDialog"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QStringLiteral("Historique du %1").arg(source->fieldValue(QStringLiteral("Date")).toString()));
    m_list->setRootIsDecorated(false);
    m_list->setHeaderLabels({QStringLiteral("Quand"), QStringLiteral("Champ"), QStringLiteral("Avant"),
                             QStringLiteral("Après"), QStringLiteral("Copie")});
    m_list->setAccessibleName(QStringLiteral("Valeurs passées du jour"));
    // The two texts share the room left by the others, each cut with "…"
    // (whole in its tooltip); the copy's name stays in sight.
    fitColumns(m_list->header(), {0, 1, 4}, {2, 3});
    m_list->setTextElideMode(Qt::ElideRight);
    auto *buttons = new QDialogButtonBox(this);
    m_restore = buttons->addButton(QStringLiteral("&Rétablir…"), QDialogButtonBox::ActionRole);
    m_restore->setObjectName(QStringLiteral("restore"));
    QPushButton *close = buttons->addButton(QStringLiteral("&Fermer"), QDialogButtonBox::RejectRole);
    // No default button: Enter in the list writes nothing.
    for (QPushButton *b : {m_restore, close})
        b->setAutoDefault(false), b->setDefault(false);
    connect(m_restore, &QPushButton::clicked, this, &HistoryDialog::restoreSelected);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(m_list, &QTreeWidget::currentItemChanged, this,
            [this](const QTreeWidgetItem *item) { m_restore->setEnabled(restorable(item)); });
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_list);
    layout->addWidget(buttons);
    resize(760, 320);
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
        auto *item = new QTreeWidgetItem(m_list, {local, French::fieldCaption(p.field), shown(p.before), shown(p.after), p.copy});
        item->setData(0, Qt::UserRole, p.before);
        item->setData(1, Qt::UserRole, p.field);
        for (int c : {2, 3})
            item->setToolTip(c, QStringLiteral("<p style='white-space:pre-wrap'>%1</p>").arg(item->text(c).left(2000).toHtmlEscaped()));
    }
    if (m_list->topLevelItemCount() > 0)
        m_list->setCurrentItem(m_list->topLevelItem(0));
    m_restore->setEnabled(restorable(m_list->currentItem()));
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
            new QTreeWidgetItem(m_list, {QStringLiteral("Modifié ailleurs"), French::fieldCaption(QString::fromLatin1(field)),
                                         shown(cell.data(Qt::EditRole)), theirs.toString(), QStringLiteral("serveur")});
    }
}

void HistoryDialog::restoreSelected()
{
    const QTreeWidgetItem *item = m_list->currentItem();
    if (!restorable(item))
        return;
    const QString question = QStringLiteral("Remettre dans %1 du %2 le texte d'avant le %3 ?\n\n%4")
                                 .arg(item->text(1), m_source->fieldValue(QStringLiteral("Date")).toString(),
                                      item->text(0), item->text(2).left(500));
    if (!platform().ask(this, question, QStringLiteral("Rétablir")))
        return;
    if (m_source->restoreValue(item->data(1, Qt::UserRole).toString(), item->data(0, Qt::UserRole)))
        fill();
}
