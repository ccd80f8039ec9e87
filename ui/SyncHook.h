#pragma once

class AlmanacModel;
class QByteArray;
class QString;
class QWidget;

// The sync with a calendar server lives in its own module (the network
// library and the secret store): the update window loads it only once it
// has painted and its almanac syncs with a server, or when the user opens
// the sync's settings.
namespace SyncHook {
// Offers the events of the server's calendar that are not the almanac's
// (iCalendar texts) as an import.
using OfferImport = void (*)(QWidget *window, const QByteArray &ics, const QString &calendar);
// Attaches the sync to the window and its almanac (once); `settings` also
// opens the settings dialog.
using Attach = void (*)(QWidget *window, AlmanacModel *model, bool settings, OfferImport offer);
// How the module is found: the program knows where it lies. Without a
// loader (or when it fails) the window has no sync.
void setLoader(Attach (*loader)());
// After the program's next paint: attaches when the almanac has a server.
void afterFirstPaint(QWidget *window, AlmanacModel *model);
// "Synchroniser…": the settings dialog. False when the module is missing.
bool openSettings(QWidget *window, AlmanacModel *model);
}  // namespace SyncHook
