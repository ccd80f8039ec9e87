#include "ui/RecoveryDialog.h"

#include "ui/Look.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QVBoxLayout>

RecoveryDialog::RecoveryDialog(const QList<UnsavedTexts::Text> &texts, int elsewhere, QWidget *parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("RecoveryDialog"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QStringLiteral("Textes non enregistrés"));
    QString text = QStringLiteral("Ces textes n'avaient pas pu être enregistrés dans l'almanach. "
                                  "Voulez-vous les réécrire maintenant ?");
    if (elsewhere > 0)
        text += QStringLiteral("\n%1 autre(s) texte(s) non enregistré(s) appartiennent à un autre almanach : "
                               "ils restent gardés pour lui.").arg(elsewhere);
    auto *intro = new QLabel(text, this);
    intro->setObjectName(QStringLiteral("intro"));
    intro->setTextFormat(Qt::PlainText);
    intro->setWordWrap(true);
    auto *list = new QPlainTextEdit(this);
    list->setReadOnly(true);
    list->setAccessibleName(QStringLiteral("Textes non enregistrés"));
    for (const UnsavedTexts::Text &t : texts)
        list->appendPlainText(QStringLiteral("%1  %2 : %3").arg(t.day, t.field, t.text.toString()));
    QDialogButtonBox *buttons = acceptRejectButtons(this, QStringLiteral("Réécrire"), QStringLiteral("rewrite"),
                                                    QStringLiteral("Plus tard"), QStringLiteral("later"));
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(intro);
    layout->addWidget(list);
    layout->addWidget(buttons);
    resize(480, 260);
}
