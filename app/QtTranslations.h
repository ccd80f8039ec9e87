#pragma once

#include <QLocale>

// Qt's own texts (file and print dialogs, the text fields' menu, key names
// in menus) in the user's language when Qt's translations have it, and in
// French, the program's language, otherwise (an English or C locale
// included). Replaces what an earlier call installed; false when no
// translation could be loaded (Debian's qt6-translations-l10n is missing).
bool installQtTranslations(const QLocale &locale = QLocale());
