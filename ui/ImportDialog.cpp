#include "ui/ImportDialog.h"

#include "core/Platform.h"
#include "store/AlmanacModel.h"
#include "store/RecordSource.h"
#include "ui/Look.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileInfo>
#include <QHeaderView>
#include <QLabel>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace {
// A text in one line of the list.
QString shown(const QVariant &v)
{
    QString t = v.toString();
    for (QChar &c : t)
        if (c.unicode() < 0x20)
            c = QLatin1Char(' ');
    return t.size() > 200 ? t.left(200) + QChar(0x2026) : t;
}
}  // namespace

ImportDialog::ImportDialog(RecordSource *source, const QString &file, const ImportRead &read, QWidget *parent)
    : QDialog(parent), m_source(source), m_file(file), m_days(read.days), m_policy(new QComboBox(this)),
      m_list(new QTreeWidget(this)), m_summary(new QLabel(this)),
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
    m_list->setObjectName(QStringLiteral("changes"));
    m_list->setRootIsDecorated(false);
    m_list->setHeaderLabels({QStringLiteral("Jour"), QStringLiteral("Champ"), QStringLiteral("Texte actuel"),
                             QStringLiteral("Nouveau texte")});
    m_list->header()->setSectionResizeMode(0, QHeaderView::ResizeToContents);
    m_list->header()->setSectionResizeMode(1, QHeaderView::ResizeToContents);
    m_summary->setObjectName(QStringLiteral("summary"));
    m_summary->setTextFormat(Qt::PlainText);
    m_summary->setWordWrap(true);
    connect(m_policy, &QComboBox::currentIndexChanged, this, &ImportDialog::plan);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(title);
    layout->addWidget(m_policy);
    layout->addWidget(m_list);
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
    for (const ImportChange &c : m_changes) {
        auto *item = new QTreeWidgetItem({c.key, QStringLiteral("Événement %1").arg(c.field), shown(c.stored), shown(c.result)});
        item->setToolTip(3, plainToolTip(c.result.toString().left(2000)));
        m_list->addTopLevelItem(item);
    }
    if (!error.isEmpty())
        m_summary->setText(QStringLiteral("Le fichier n'est pas importé. ") + error);
    else if (m_changes.isEmpty())
        m_summary->setText(QStringLiteral("Aucun texte ne changerait avec « %1 ».").arg(m_policy->currentText()));
    else
        m_summary->setText(QStringLiteral("%1 texte(s) changeraient. Rien n'est écrit avant « Importer ».")
                               .arg(m_changes.size()));
    for (QAbstractButton *b : m_buttons->buttons())
        if (m_buttons->buttonRole(b) == QDialogButtonBox::AcceptRole)
            b->setEnabled(error.isEmpty() && !m_changes.isEmpty());
}

void ImportDialog::accept()
{
    if (!m_source || m_changes.isEmpty()) {
        QDialog::reject();
        return;
    }
    const QList<ImportFailure> failures = applyImport(*m_source->model(), m_changes, m_source->filePath());
    QDialog::accept();
    QString report = QStringLiteral("%1 texte(s) importé(s) depuis « %2 ».")
                         .arg(m_changes.size() - failures.size())
                         .arg(QFileInfo(m_file).fileName());
    if (!failures.isEmpty())
        report += refusalList(failures);
    platform().messageBox(report, QString(), Style::OkOnly);
}
