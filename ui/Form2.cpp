#include "ui/Form2.h"

#include "core/French.h"
#include "core/Module1.h"
#include "core/Platform.h"
#include "ui/Windows.h"
#include "calendar/NomDuJour.h"
#include "store/AlmanacModel.h"
#include "store/RecordSource.h"
#include "store/TroisJours.h"
#include "ui/Accessibility.h"
#include "ui/DataGrid.h"
#include "store/UnsavedTexts.h"
#include "ui/GridCommands.h"
#include "ui/HelpAbout.h"
#include "ui/HistoryDialog.h"
#include "ui/RecoveryDialog.h"
#include "ui/LoginGreeting.h"
#include "ui/Look.h"
#include "ui/TabStrip.h"
#include "ui/Twips.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>

namespace {
struct Tab
{
    const char *caption, *tooltip;
    int picture;
};
const Tab kTabs[] = {
    {"&Retour Message", "Afficher le Message d'Accueil", 6},
    {"  A&ide  ", "Aide.", 2},
    {"  A&Propos  ", "A Propos", 4},
    {"&Ce Jour", "Date du Jour", 3},
    {"  &Quitter  ", "Quitter le Programme.", 1},
};

}  // namespace

Form2::Form2(QWidget *parent)
    : QWidget(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint
                          | Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint
                          | Qt::WindowCloseButtonHint)
{
    installAccessibility();
    // The window's font before its controls: they are made and measured in
    // it once, never first in the default font.
    setFont(sansSerifFont(8.25));
    TabStrip1 = new TabStrip(this);
    DataGrid1Caption = new QLabel(QStringLiteral("Ombrelune"), this);
    DataGrid1 = new DataGrid(this);
    Label1 = new QLabel(QStringLiteral("Label1"), this);
    Adodc1 = new RecordSource(this);

    setObjectName(QStringLiteral("Form2"));
    setWindowTitle(QStringLiteral("Mise à jour de l'Ombrelune - Valdric V 2.0"));
    setWindowIcon(loadIcon(QStringLiteral(":/images/miseajour16.png"), QStringLiteral(":/images/miseajour.png")));
    setFixedSize(twips(6420), twips(3705));

    for (int i = 1; i <= 6; ++i)
        ImageList1 << loadIcon(QStringLiteral(":/images/image%1.png").arg(i),
                               QStringLiteral(":/images/image%1_32.png").arg(i), true);
    buildTabs();
    buildGrid();
    addGridCommands(this, DataGrid1);
    buildEditCommands();

    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setTextFormat(Qt::PlainText);
    Label1->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    Label1->setAutoFillBackground(true);
    QPalette pink = Label1->palette();
    pink.setColor(QPalette::Window, QColor(0xFF, 0xC0, 0xC0));
    pink.setColor(QPalette::WindowText, Qt::black);
    Label1->setPalette(pink);
    Label1->setGeometry(0, twips(3400), twips(5895), twips(300));

    Adodc1->setObjectName(QStringLiteral("Adodc1"));
    connect(Adodc1, &RecordSource::currentRowChanged, this, &Form2::Adodc1_MoveComplete);
    connect(Adodc1, &RecordSource::writeFailed, this, [](const OmboError &e) {
        platform().messageBox(e.fullMessage(), QString(), Style::OkOnly);
    });

    setTabOrder(DataGrid1, Label1);
    setTabOrder(Label1, TabStrip1);
    DataGrid1->setFocus();
    // Key preview: the window sees every key before the focused control.
    qApp->installEventFilter(this);
}

Form2::~Form2()
{
    qApp->removeEventFilter(this);
}

void Form2::buildTabs()
{
    TabStrip1->setObjectName(QStringLiteral("TabStrip1"));
    TabStrip1->setGeometry(0, 0, twips(6255), twips(375));
    TabStrip1->setExpanding(false);
    TabStrip1->setDrawBase(false);
    TabStrip1->setIconSize(QSize(16, 16));
    // Our sans-serif substitute runs wider than the classic bitmap face:
    // a slightly smaller size keeps the five captions across the window, and
    // fitCaptions() goes smaller where a style's padding asks for it.
    QFont narrower = font();
    narrower.setPointSizeF(7);
    TabStrip1->setFont(narrower);
    for (const Tab &t : kTabs) {
        const int i = TabStrip1->addTab(ImageList1[t.picture - 1], QString::fromUtf8(t.caption));
        TabStrip1->setTabToolTip(i, QString::fromUtf8(t.tooltip));
        TabStrip1->setAccessibleTabName(i, TabStrip1->tabText(i).remove(QLatin1Char('&')).trimmed());
    }
    TabStrip1->setTabData(1, QStringLiteral("F1"));  // a name of the tab, not a key binding
    TabStrip1->fitCaptions();
    connect(TabStrip1, &TabStrip::tabActivated, this, &Form2::TabStrip1_Click);
}

void Form2::buildGrid()
{
    const int top = twips(360), height = twips(3015), width = twips(6255);
    const int captionHeight = QFontMetrics(font()).height() + 4;
    DataGrid1Caption->setObjectName(QStringLiteral("DataGrid1Caption"));
    DataGrid1Caption->setAlignment(Qt::AlignCenter);
    DataGrid1Caption->setFrameShape(QFrame::Panel);
    DataGrid1Caption->setFrameShadow(QFrame::Raised);
    DataGrid1Caption->setAutoFillBackground(true);
    DataGrid1Caption->setBackgroundRole(QPalette::Button);
    DataGrid1Caption->setGeometry(0, top, width, captionHeight);

    DataGrid1->setObjectName(QStringLiteral("DataGrid1"));
    DataGrid1->setGeometry(0, top + captionHeight, width, height - captionHeight);
    DataGrid1->setToolTip(QStringLiteral("Mise à jour des Données."));
    DataGrid1->setAccessibleName(QStringLiteral("Almanach"));
    DataGrid1->setLocale(QLocale(QLocale::French, QLocale::France));
    // The cells' background is fixed, so their text is too: a dark theme's
    // light text would vanish on the cyan. The selection keeps the theme's.
    QPalette cells = DataGrid1->palette();
    cells.setColor(QPalette::Base, QColor(0xC0, 0xFF, 0xFF));
    cells.setColor(QPalette::Text, Qt::black);
    DataGrid1->setPalette(cells);
    DataGrid1->setSelectionMode(QAbstractItemView::SingleSelection);
    DataGrid1->setWordWrap(false);
    DataGrid1->horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    DataGrid1->horizontalHeader()->setHighlightSections(false);
    DataGrid1->verticalHeader()->setDefaultSectionSize(QFontMetrics(font()).height() + 3);
    DataGrid1->verticalHeader()->setFixedWidth(14);

    AlmanacModel *model = Adodc1->model();
    DataGrid1->setModel(model);
    connect(DataGrid1->selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this](const QModelIndex &current) {
                if (Adodc1)
                    Adodc1->followGrid(current.row());
            });
    connect(model, &QAbstractItemModel::modelReset, this, [this, model] {
        // The table is read afresh: lay its columns out again.
        const int date = model->fieldIndex(QStringLiteral("Date"));
        const int ev1 = model->fieldIndex(QStringLiteral("Evenement1"));
        const int ev2 = model->fieldIndex(QStringLiteral("Evenement2"));
        if (date < 0 || ev1 < 0 || ev2 < 0)
            return;
        DataGrid1->cells()->centredColumn = date;
        for (int c = 0; c < model->columnCount(); ++c)
            DataGrid1->setColumnHidden(c, c != date && c != ev1 && c != ev2);
        model->setHeaderData(date, Qt::Horizontal, QStringLiteral("DATES"));
        model->setHeaderData(date, Qt::Horizontal, int(Qt::AlignCenter), Qt::TextAlignmentRole);
        model->setHeaderData(ev1, Qt::Horizontal, QString(14, QLatin1Char(' ')) + QStringLiteral("Événement 1"));
        model->setHeaderData(ev2, Qt::Horizontal, QString(17, QLatin1Char(' ')) + QStringLiteral("Événement 2"));
        DataGrid1->setColumnWidth(date, twips(645.165));
        DataGrid1->setColumnWidth(ev1, twips(2505.26));
        DataGrid1->setColumnWidth(ev2, twips(2505.26));
    });
}

// Undo, redo and the day's history: in the grid's context menu and on its
// keys (inside an open cell editor, Ctrl+Z stays the editor's own).
void Form2::buildEditCommands()
{
    DataGrid1->setContextMenuPolicy(Qt::ActionsContextMenu);
    auto separate = [this] {
        auto *line = new QAction(DataGrid1);
        line->setSeparator(true);
        DataGrid1->addAction(line);
    };
    separate();
    auto add = [this](const char *name, const QString &caption, const QList<QKeySequence> &keys,
                      const std::function<void()> &run) {
        auto *action = new QAction(caption, DataGrid1);
        action->setObjectName(QString::fromLatin1(name));
        action->setShortcuts(keys);
        action->setShortcutContext(Qt::WidgetShortcut);
        connect(action, &QAction::triggered, this, run);
        DataGrid1->addAction(action);
    };
    add("undo", QStringLiteral("Annuler la modification"), {QKeySequence(Qt::CTRL | Qt::Key_Z)},
        [this] { Adodc1->undo(); });
    add("redo", QStringLiteral("Refaire la modification"),
        {QKeySequence(Qt::CTRL | Qt::Key_Y), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z)},
        [this] { Adodc1->redo(); });
    add("history", QStringLiteral("Historique du jour…"), {QKeySequence(Qt::CTRL | Qt::Key_H)}, [this] {
        if (Adodc1->currentRow() < 0)
            return;
        savePending();
        (new HistoryDialog(Adodc1, this))->open();
    });
    separate();
    addLoginGreetingAction(DataGrid1);
    // Undo and redo are enabled only when there is something to undo or redo.
    connect(Adodc1->model(), &AlmanacModel::historyChanged, this, &Form2::updateEditCommands);
    updateEditCommands();
}

void Form2::updateEditCommands()
{
    const AlmanacModel *model = Adodc1 ? Adodc1->model() : nullptr;
    DataGrid1->findChild<QAction *>(QStringLiteral("undo"))->setEnabled(model && model->undoRow() >= 0);
    DataGrid1->findChild<QAction *>(QStringLiteral("redo"))->setEnabled(model && model->redoRow() >= 0);
}

void Form2::offerUnsavedTexts()
{
    QList<UnsavedTexts::Text> mine;
    int elsewhere = 0;
    for (const UnsavedTexts::Text &t : UnsavedTexts::read()) {
        if (UnsavedTexts::belongsTo(t, Adodc1->filePath()))
            mine.append(t);
        else
            ++elsewhere;
    }
    if (mine.isEmpty())
        return;
    AlmanacModel *model = Adodc1->model();
    QList<QVariant> current;
    for (const UnsavedTexts::Text &t : mine)
        current << model->readValue(rowOfDay(t.day), t.field);
    auto *dialog = new RecoveryDialog(mine, current, elsewhere, this);
    connect(dialog, &QDialog::accepted, this, &Form2::rewriteUnsavedTexts);
    dialog->open();
}

void Form2::rewriteUnsavedTexts()
{
    const QString file = Adodc1->filePath();
    const auto mine = [&file] {
        const QList<UnsavedTexts::Text> texts = UnsavedTexts::read();
        return std::count_if(texts.cbegin(), texts.cend(),
                             [&file](const UnsavedTexts::Text &t) { return UnsavedTexts::belongsTo(t, file); });
    };
    const qsizetype before = mine();
    const QList<ImportFailure> failures = UnsavedTexts::rewrite(*Adodc1->model(), file);
    const qsizetype left = mine();
    // Say what became of them: written, refused, or waiting for their day.
    QString report =
        French::counted(before - left, "texte réécrit", "textes réécrits") + QStringLiteral(" dans l'almanach.");
    const QString kept = QDir::toNativeSeparators(UnsavedTexts::path());
    if (left > failures.size())
        report += QLatin1Char('\n')
                  + French::counted(left - failures.size(), "texte reste gardé dans « %1 » : son jour manque à l'almanach.",
                                    "textes restent gardés dans « %1 » : leur jour manque à l'almanach.")
                        .arg(kept);
    if (!failures.isEmpty())
        report += QStringLiteral("\nLes textes refusés restent gardés dans « %1 ».").arg(kept) + refusalList(failures);
    platform().messageBox(report, QString(), Style::OkOnly);
}

int Form2::rowOfDay(const QString &day) const
{
    const AlmanacModel *model = Adodc1->model();
    for (int row = 0; row < model->rowCount(); ++row)
        if (model->dayOf(row) == day)
            return row;
    return -1;
}

void Form2::load()
{
    try {
        Label1->resize(frameGeometry().width() - twips(50), Label1->height());
        extraireTroisJours(*Adodc1, platform().programFolder());
    } catch (const OmboError &e) {
        reportLoadFailure(e);
    }
}

void Form2::unload()
{
    savePending();
    DataGrid1->setModel(nullptr);
    delete Adodc1;
    Adodc1 = nullptr;
}

bool Form2::savePending()
{
    if (!Adodc1)
        return true;
    DataGrid1->commitOpenEditor();
    return Adodc1->save();
}

void Form2::syncGrid()
{
    const int row = Adodc1->currentRow();
    if (row == DataGrid1->currentIndex().row())
        return;
    if (row < 0) {
        DataGrid1->setCurrentIndex(QModelIndex());
        return;
    }
    const int column = DataGrid1->currentIndex().isValid()
                           ? DataGrid1->currentIndex().column()
                           : Adodc1->model()->fieldIndex(QStringLiteral("Evenement1"));
    DataGrid1->setCurrentIndex(Adodc1->model()->index(row, column));
}

// The current row changed: keep the grid on it and name its day.
void Form2::Adodc1_MoveComplete()
{
    syncGrid();
    try {
        const QVariant key = Adodc1->fieldValue(QStringLiteral("Date"));
        Label1->setText(QStringLiteral("   ") + NomDuJour(key) + QStringLiteral("  ") + key.toString());
    } catch (const OmboError &e) {
        platform().messageBox(e.fullMessage(), QString(), Style::OkOnly);
    }
}

void Form2::TabStrip1_Click()
{
    try {
        switch (TabStrip1->currentIndex() + 1) {
        case 1:
            Windows::unloadForm2();
            Windows::showForm1();
            break;
        case 2:
            openHelp(this);
            break;
        case 3:
            showAbout();
            break;
        case 4:
            DataGrid1->commitOpenEditor();  // the open cell's text is written like any other
            Adodc1->refresh();
            Adodc1->find(QStringLiteral("Date=(") + Module1::JourCle + QLatin1Char(')'));
            DataGrid1->setFocus();
            break;
        case 5:
            Windows::end();
            break;
        default:
            break;
        }
    } catch (const OmboError &e) {
        platform().messageBox(e.numberText(), QString(), Style::OkOnly);
    }
}

void Form2::DataGrid1_KeyDown(int key)
{
    // Home and End act whatever the modifiers; on an empty table they do nothing.
    if (!Adodc1 || Adodc1->model()->rowCount() == 0)
        return;
    if (key == Qt::Key_Home)
        Adodc1->moveFirst();
    if (key == Qt::Key_End)
        Adodc1->moveLast();
}

bool Form2::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() != QEvent::KeyPress)
        return false;
    const auto *key = static_cast<QKeyEvent *>(event);
    auto *widget = qobject_cast<QWidget *>(watched);
    if (key->key() == Qt::Key_Escape && widget && widget->window() == this) {
        platform().beep();
        Windows::end();
        return true;
    }
    if (watched == DataGrid1)
        DataGrid1_KeyDown(key->key());
    return false;
}

void Form2::closeEvent(QCloseEvent *event)
{
    // Closing the window through its frame ends the program: it never runs on
    // with no window.
    event->accept();
    Windows::end();
}

void Form2::showEvent(QShowEvent *event)
{
    m_shown = true;
    QWidget::showEvent(event);
}
