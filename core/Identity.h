#pragma once

#include <QString>

// Who the program is: the title of every message box that names none, and
// its version record.
namespace Identity {
inline const QString kTitre = QStringLiteral("OMBO");
inline const QString kVersion = QStringLiteral("1.00");
inline const QString kNomProduit = QStringLiteral("Ombrelune");
}  // namespace Identity
