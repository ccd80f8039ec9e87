#include "ui/GridCommands.h"

#include "core/Platform.h"
#include "store/transfer/Writers.h"
#include "store/transfer/ImportApply.h"
#include "store/AlmanacModel.h"
#include "store/RecordSource.h"
#include "ui/Booklet.h"
#include "ui/Form2.h"
#include "ui/ImportDialog.h"
#include "ui/SearchWindow.h"
#include "ui/SyncHook.h"

#include <QAction>
#include <QDir>
#include <QPointer>
#include <QTableView>

namespace {
const QString kExportFilter = QStringLiteral(
    "iCalendar (*.ics);;CSV (*.csv);;Texte pour calendar (*.txt);;PDF (*.pdf)");
const QString kImportFilter = QStringLiteral(
    "Fichiers d'almanach (*.csv *.txt *.ics);;CSV (*.csv);;Texte pour calendar (*.txt);;iCalendar (*.ics)");

SearchWindow *searchWindow(Form2 *window)
{
    auto *search = window->findChild<SearchWindow *>();
    if (!search) {
        search = new SearchWindow(window->source(), window);
        // Going from result to result needs results.
        QObject::connect(search, &SearchWindow::resultsChanged, window, [window](bool any) {
            for (const char *name : {"actionNextResult", "actionPreviousResult"})
                window->findChild<QAction *>(QString::fromLatin1(name))->setEnabled(any);
        });
    }
    return search;
}

void search(Form2 *window)
{
    searchWindow(window)->showForQuery();
}

void exportAlmanac(Form2 *window)
{
    if (!window->source())
        return;
    // A name without a known extension is refused and asked again.
    QString file;
    for (;;) {
        file = platform().chooseFile(window, QStringLiteral("Exporter l'almanach"), kExportFilter, true,
                                     QStringLiteral("almanach.ics"));
        if (file.isEmpty())
            return;
        if (formatOf(file) != FileFormat::Unknown)
            break;
        platform().messageBox(QStringLiteral("« %1 » : l'extension du fichier doit être .ics, .csv, .txt ou .pdf.")
                                  .arg(QDir::toNativeSeparators(file)),
                              QString(), Style::OkOnly);
    }
    if (!window->savePending())
        return;
    const QList<DayRow> rows = almanacRows(*window->source()->model());
    const QDate today = platform().today();
    QString error;
    bool ok = false;
    switch (formatOf(file)) {
    case FileFormat::Ics: ok = writeFileAtomically(file, exportIcs(rows, today), &error); break;
    case FileFormat::Csv: ok = writeFileAtomically(file, exportCsv(rows), &error); break;
    case FileFormat::CalendarText: ok = writeFileAtomically(file, exportCalendarText(rows), &error); break;
    case FileFormat::Pdf: ok = writeBookletPdf(file, rows, today, &error); break;
    case FileFormat::Unknown: break;
    }
    QString text = ok ? QStringLiteral("L'almanach est exporté dans « %1 ».").arg(QDir::toNativeSeparators(file)) : error;
    if (const QString leftOut = leftOutMessage(rows, formatOf(file)); ok && !leftOut.isEmpty())
        text += QStringLiteral("\n\n") + leftOut;
    platform().messageBox(text, QString(), Style::OkOnly);
}

void importFile(Form2 *window)
{
    if (!window->source())
        return;
    const QString file = platform().chooseFile(window, QStringLiteral("Importer dans l'almanach"), kImportFilter, false, QString());
    if (file.isEmpty())
        return;
    const ImportRead read = readImportFile(file);
    if (!read.ok()) {
        platform().messageBox(read.error, QString(), Style::OkOnly);
        return;
    }
    if (!window->savePending())
        return;
    auto *dialog = new ImportDialog(window->source(), file, read, window);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->open();
}

void print(Form2 *window)
{
    if (!window->source() || !window->savePending())
        return;
    printBooklet(window, almanacRows(*window->source()->model()), platform().today());
}

void synchronise(Form2 *window)
{
    if (window->source() && window->savePending() && !SyncHook::openSettings(window, window->source()->model()))
        platform().messageBox(QStringLiteral("Le module de synchronisation ombo-synchro.so ne peut pas être chargé."),
                              QString(), Style::OkOnly);
}
}  // namespace

void addGridCommands(Form2 *window, QTableView *grid)
{
    grid->setContextMenuPolicy(Qt::ActionsContextMenu);
    const struct
    {
        const char *name, *caption;
        QKeySequence keys;
        void (*command)(Form2 *);
    } commands[] = {
        {"actionSearch", "Rechercher…", QKeySequence(Qt::CTRL | Qt::Key_F), search},
        {"actionNextResult", "Résultat suivant", QKeySequence(Qt::Key_F3),
         [](Form2 *w) { searchWindow(w)->next(); }},
        {"actionPreviousResult", "Résultat précédent", QKeySequence(Qt::SHIFT | Qt::Key_F3),
         [](Form2 *w) { searchWindow(w)->previous(); }},
        {"actionExport", "Exporter…", QKeySequence(Qt::CTRL | Qt::Key_E), exportAlmanac},
        {"actionImport", "Importer…", QKeySequence(Qt::CTRL | Qt::Key_I), importFile},
        {"actionPrint", "Imprimer…", QKeySequence(Qt::CTRL | Qt::Key_P), print},
        {"actionSync", "Synchroniser…", QKeySequence(), synchronise},
    };
    for (const auto &c : commands) {
        auto *action = new QAction(QString::fromUtf8(c.caption), grid);
        action->setObjectName(QString::fromLatin1(c.name));
        action->setShortcut(c.keys);
        action->setShortcutContext(Qt::WindowShortcut);
        QObject::connect(action, &QAction::triggered, window, [window, command = c.command] { command(window); });
        grid->addAction(action);
    }
    if (window->source())
        SyncHook::afterFirstPaint(window, window->source()->model());
    for (const char *name : {"actionNextResult", "actionPreviousResult"})
        grid->findChild<QAction *>(QString::fromLatin1(name))->setEnabled(false);  // no results yet
}
