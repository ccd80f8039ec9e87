#include "ui/ImportDialog.h"

#include "core/French.h"
#include "core/Platform.h"
#include "store/AlmanacModel.h"
#include "store/RecordSource.h"
#include "ui/Look.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace {
// What each policy does, and why a text of the file changes nothing under it.
QString policyHelp(ImportPolicy policy)
{
    switch (policy) {
    case ImportPolicy::Replace:
        return QStringLiteral("Le texte du fichier prend la place du texte actuel ; un champ vide du fichier "
                              "efface le texte.");
    case ImportPolicy::Append:
        return QStringLiteral("Le texte du fichier s'ajoute après « ; » au texte actuel, sauf s'il y figure déjà.");
    case ImportPolicy::Complete: break;
    }
    return QStringLiteral("Seuls les textes vides de l'almanach sont remplis ; les autres ne changent pas.");
}

QString unchangedReason(ImportPolicy policy)
{
    switch (policy) {
    case ImportPolicy::Replace: return QStringLiteral("l'almanach a déjà ce texte");
    case ImportPolicy::Append: return QStringLiteral("l'almanach le contient déjà");
    case ImportPolicy::Complete: break;
    }
    return QStringLiteral("le texte de l'almanach n'est pas vide, ou celui du fichier l'est");
}

// The texts the file gives, each day counting its fields.
int givenTexts(const QList<ImportedDay> &days)
{
    int n = 0;
    for (const ImportedDay &d : days)
        n += int(d.text1.has_value()) + int(d.text2.has_value());
    return n;
}

}  // namespace

ImportDialog::ImportDialog(RecordSource *source, const QString &file, const ImportRead &read, QWidget *parent)
    : QDialog(parent), m_source(source), m_file(file), m_days(read.days), m_leftOut(leftOutNote(read)),
      m_policy(new QComboBox(this)), m_policyHelp(new QLabel(this)), m_list(new QTreeWidget(this)),
      m_detail(new QLabel(this)), m_summary(new QLabel(this)),
      m_buttons(acceptRejectButtons(this, QStringLiteral("Importer"), QStringLiteral("import"), QStringLiteral("Annuler")))
{
    setObjectName(QStringLiteral("ImportDialog"));
    setWindowTitle(QStringLiteral("Importer dans l'almanach"));
    resize(640, 420);
    auto *title = new QLabel(QStringLiteral("Fichier : ") + QDir::toNativeSeparators(file), this);
    title->setTextFormat(Qt::PlainText);
    m_policy->setObjectName(QStringLiteral("policy"));
    for (ImportPolicy p : {ImportPolicy::Complete, ImportPolicy::Replace, ImportPolicy::Append})
        m_policy->addItem(policyName(p), int(p));
    auto *policyLabel = new QLabel(QStringLiteral("&Règle :"), this);
    policyLabel->setBuddy(m_policy);
    m_policyHelp->setObjectName(QStringLiteral("policyHelp"));
    m_policyHelp->setWordWrap(true);
    m_list->setObjectName(QStringLiteral("changes"));
    m_list->setAccessibleName(QStringLiteral("Textes qui changeraient"));
    m_detail->setObjectName(QStringLiteral("detail"));
    m_detail->setTextFormat(Qt::PlainText);
    m_detail->setWordWrap(true);
    m_detail->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    m_list->setRootIsDecorated(false);
    m_list->setHeaderLabels({QStringLiteral("Jour"), QStringLiteral("Champ"), QStringLiteral("Texte actuel"),
                             QStringLiteral("Nouveau texte")});
    // The two texts share the room left by the day and the field.
    fitColumns(m_list->header(), {0, 1}, {2, 3});
    m_summary->setObjectName(QStringLiteral("summary"));
    m_summary->setTextFormat(Qt::PlainText);
    m_summary->setWordWrap(true);
    connect(m_policy, &QComboBox::currentIndexChanged, this, &ImportDialog::plan);
    connect(m_list, &QTreeWidget::currentItemChanged, this, &ImportDialog::showDetail);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(title);
    auto *policyLine = new QHBoxLayout;
    policyLine->addWidget(policyLabel);
    policyLine->addWidget(m_policy);
    policyLine->addWidget(m_policyHelp, 1);
    layout->addLayout(policyLine);
    layout->addWidget(m_list);
    layout->addWidget(m_detail);
    layout->addWidget(m_summary);
    layout->addWidget(m_buttons);
    plan();
}

void ImportDialog::setPolicy(ImportPolicy policy)
{
    m_policy->setCurrentIndex(m_policy->findData(int(policy)));
}

void ImportDialog::plan()
{
    m_list->clear();
    m_changes.clear();
    QString error;
    if (m_source)
        m_changes = planImport(almanacRows(*m_source->model()), m_days,
                               ImportPolicy(m_policy->currentData().toInt()), &error);
    const auto policy = ImportPolicy(m_policy->currentData().toInt());
    m_policyHelp->setText(policyHelp(policy));
    for (const ImportChange &c : m_changes) {
        auto *item = new QTreeWidgetItem({c.key, QStringLiteral("Événement %1").arg(c.field), oneLineText(c.stored),
                                           c.result.toString().isEmpty() ? QStringLiteral("(effacé)") : oneLineText(c.result)});
        item->setToolTip(2, plainToolTip(c.stored.toString().left(2000)));
        item->setToolTip(3, plainToolTip(c.result.toString().left(2000)));
        m_list->addTopLevelItem(item);
    }
    if (m_list->topLevelItemCount() > 0)
        m_list->setCurrentItem(m_list->topLevelItem(0));
    showDetail();
    // What changes, what does not and why, what is left out, and how to undo.
    const int unchanged = givenTexts(m_days) - int(m_changes.size());
    QStringList said;
    if (!error.isEmpty())
        said << QStringLiteral("Le fichier n'est pas importé. ") + error;
    else if (m_changes.isEmpty())
        said << QStringLiteral("Aucun texte ne changerait avec « %1 ».").arg(m_policy->currentText());
    else
        said << French::counted(m_changes.size(), "texte changerait", "textes changeraient")
                    + QStringLiteral(". Rien n'est écrit avant « Importer » ; ensuite, un seul Ctrl+Z dans le "
                                     "tableau annule tout l'import.");
    if (error.isEmpty() && unchanged > 0)
        said << French::counted(unchanged, "texte du fichier ne change rien", "textes du fichier ne changent rien")
                    + QStringLiteral(" : ") + unchangedReason(policy) + QLatin1Char('.');
    if (!m_leftOut.isEmpty())
        said << m_leftOut;
    m_summary->setText(said.join(QLatin1Char('\n')));
    for (QAbstractButton *b : m_buttons->buttons())
        if (m_buttons->buttonRole(b) == QDialogButtonBox::AcceptRole)
            b->setEnabled(error.isEmpty() && !m_changes.isEmpty());
}

// The selected change's two texts, whole.
void ImportDialog::showDetail()
{
    const int i = m_list->indexOfTopLevelItem(m_list->currentItem());
    if (i < 0 || i >= m_changes.size()) {
        m_detail->clear();
        return;
    }
    const ImportChange &c = m_changes[i];
    auto whole = [](const QVariant &v) { return v.toString().isEmpty() ? QStringLiteral("(vide)") : v.toString().left(2000); };
    m_detail->setText(QStringLiteral("%1, Événement %2\nTexte actuel : %3\nNouveau texte : %4")
                          .arg(c.key)
                          .arg(c.field)
                          .arg(whole(c.stored), c.result.toString().isEmpty() ? QStringLiteral("(effacé)") : whole(c.result)));
}

void ImportDialog::accept()
{
    if (!m_source || m_changes.isEmpty()) {
        QDialog::reject();
        return;
    }
    const QList<ImportFailure> failures = applyImport(*m_source->model(), m_changes, m_source->filePath());
    QDialog::accept();
    QString report = French::counted(m_changes.size() - failures.size(), "texte importé", "textes importés")
                     + QStringLiteral(" depuis « %1 ».").arg(QFileInfo(m_file).fileName());
    if (!failures.isEmpty())
        report += refusalList(failures);
    platform().messageBox(report, QString(), Style::OkOnly);
}
