#pragma once

#include <QString>

// Who the program is: the title of every message box that names none, and
// its version record.
namespace Identity {
inline const QString kTitle = QStringLiteral("OMBO");
inline const QString kVersion = QStringLiteral(OMBO_VERSION);  // CMake's project version
inline const QString kProductName = QStringLiteral("Ombrelune");
// The desktop's name for the program: its .desktop entry, icon and notifications.
inline const QString kDesktopId = QStringLiteral("fr.valdric.Ombrelune");
}  // namespace Identity
