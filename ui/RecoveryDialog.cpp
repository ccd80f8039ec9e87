#include "ui/RecoveryDialog.h"

#include "core/French.h"
#include "ui/Look.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QTreeWidget>
#include <QVBoxLayout>

RecoveryDialog::RecoveryDialog(const QList<UnsavedTexts::Text> &texts, const QList<QVariant> &current, int elsewhere,
                               QWidget *parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("RecoveryDialog"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QStringLiteral("Textes non enregistrés"));
    QString text = QStringLiteral("Ces textes n'avaient pas pu être enregistrés dans l'almanach. "
                                  "« Réécrire » les met à la place des textes actuels.");
    if (elsewhere > 0)
        text += QLatin1Char('\n')
                + French::counted(elsewhere,
                                  "autre texte non enregistré appartient à un autre almanach : il reste gardé pour lui.",
                                  "autres textes non enregistrés appartiennent à un autre almanach : "
                                  "ils restent gardés pour lui.");
    auto *intro = new QLabel(text, this);
    intro->setObjectName(QStringLiteral("intro"));
    intro->setTextFormat(Qt::PlainText);
    intro->setWordWrap(true);
    auto *list = new QTreeWidget(this);
    list->setObjectName(QStringLiteral("texts"));
    list->setRootIsDecorated(false);
    list->setAccessibleName(QStringLiteral("Textes non enregistrés"));
    list->setHeaderLabels({QStringLiteral("Jour"), QStringLiteral("Champ"), QStringLiteral("Texte gardé"),
                           QStringLiteral("Texte actuel")});
    fitColumns(list->header(), {0, 1}, {2, 3});
    for (qsizetype i = 0; i < texts.size(); ++i) {
        const UnsavedTexts::Text &t = texts[i];
        const QVariant now = current.value(i);
        auto *item = new QTreeWidgetItem(list, {t.day, French::fieldCaption(t.field), oneLineText(t.text),
                                                now.isValid() ? oneLineText(now) : QStringLiteral("(jour absent)")});
        item->setToolTip(2, plainToolTip(t.text.toString().left(2000)));
        item->setToolTip(3, plainToolTip(now.toString().left(2000)));
    }
    if (list->topLevelItemCount() > 0)
        list->setCurrentItem(list->topLevelItem(0));
    QDialogButtonBox *buttons = acceptRejectButtons(this, QStringLiteral("Réécrire"), QStringLiteral("rewrite"),
                                                    QStringLiteral("Plus tard"), QStringLiteral("later"));
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(intro);
    layout->addWidget(list);
    layout->addWidget(buttons);
    resize(640, 280);
}
