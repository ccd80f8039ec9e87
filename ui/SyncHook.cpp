#include "ui/SyncHook.h"

#include "store/AlmanacModel.h"
#include "ui/AfterFirstPaint.h"
#include "ui/Form2.h"
#include "ui/ImportDialog.h"

#include <QPointer>
#include <QSqlQuery>
#include <QWidget>

namespace {
SyncHook::Attach (*g_loader)() = nullptr;

SyncHook::Attach attachEntry()
{
    static SyncHook::Attach loaded = nullptr;
    if (!loaded && g_loader)
        loaded = g_loader();
    return loaded;
}

// The events made elsewhere, read as an import file and previewed with the
// policy that adds them after the texts already there.
void offerImport(QWidget *window, const QByteArray &ics, const QString &calendar)
{
    auto *form = qobject_cast<Form2 *>(window);
    const ImportRead read = readIcs(ics);
    if (!form || !form->source() || !read.ok() || read.days.isEmpty())
        return;
    auto *dialog = new ImportDialog(form->source(), calendar, read, form);
    dialog->setPolicy(ImportPolicy::Append);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->open();
}

// The table of the sync's server exists only once a sync was asked for.
bool hasServer(const QSqlDatabase &db)
{
    QSqlQuery q(db);
    return q.exec(QStringLiteral("SELECT 1 FROM sqlite_master WHERE type = 'table' AND name = 'SynchronisationServeur'"))
           && q.next() && q.exec(QStringLiteral("SELECT 1 FROM SynchronisationServeur WHERE Url <> ''")) && q.next();
}
}  // namespace

namespace SyncHook {
void setLoader(Attach (*loader)())
{
    g_loader = loader;
}

void afterFirstPaint(QWidget *window, AlmanacModel *model)
{
    if (!g_loader || !model)
        return;
    const QPointer<AlmanacModel> almanac(model);
    ::afterFirstPaint(window, [window, almanac] {
        if (almanac && almanac->database().isOpen() && hasServer(almanac->database()))
            if (const Attach attach = attachEntry())
                attach(window, almanac, false, offerImport);
    });
}

bool openSettings(QWidget *window, AlmanacModel *model)
{
    const Attach attach = attachEntry();
    if (attach && model)
        attach(window, model, true, offerImport);
    return attach != nullptr;
}
}  // namespace SyncHook
