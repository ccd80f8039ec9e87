#include "ui/SyncHook.h"

#include "store/AlmanacModel.h"
#include "ui/Form2.h"
#include "ui/ImportDialog.h"

#include <QApplication>
#include <QPointer>
#include <QSqlQuery>
#include <QTimer>
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

// Waits for a paint anywhere in the program, then attaches once the event
// loop is free again.
class AfterPaint : public QObject
{
public:
    AfterPaint(QWidget *window, AlmanacModel *model) : QObject(window), m_window(window), m_model(model)
    {
        qApp->installEventFilter(this);
    }
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Paint && watched->isWidgetType()) {
            qApp->removeEventFilter(this);
            QTimer::singleShot(0, this, [this] {
                if (m_window && m_model && m_model->database().isOpen() && hasServer(m_model->database()))
                    if (const SyncHook::Attach attach = attachEntry())
                        attach(m_window, m_model, false, offerImport);
                deleteLater();
            });
        }
        return false;
    }

private:
    QPointer<QWidget> m_window;
    QPointer<AlmanacModel> m_model;
};
}  // namespace

namespace SyncHook {
void setLoader(Attach (*loader)())
{
    g_loader = loader;
}

void afterFirstPaint(QWidget *window, AlmanacModel *model)
{
    if (g_loader && model)
        new AfterPaint(window, model);
}

bool openSettings(QWidget *window, AlmanacModel *model)
{
    const Attach attach = attachEntry();
    if (attach && model)
        attach(window, model, true, offerImport);
    return attach != nullptr;
}
}  // namespace SyncHook
