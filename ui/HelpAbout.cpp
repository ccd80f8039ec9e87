#include "ui/HelpAbout.h"

#include "core/Places.h"
#include "core/OmboError.h"
#include "core/Platform.h"

void openHelp(QWidget *owner)
{
    try {
        const int result = platform().openWithViewer(owner, QStringLiteral("ombo.chm"),
                                                    Places::helpFolder(platform().programFolder()));
        // Only a missing file is reported; any other refusal stays silent.
        if (result == Viewer::FileNotFound) {
            platform().beep();
            platform().messageBox(
                QStringLiteral("Le Fichier d'aide Ombo.chm est introuvable ou n'est pas associé correctement\r\n"
                               "avec un visualiseur de fichiers html"),
                QStringLiteral("Fichier d'Aide absent ou non associé."), Style::ExclamationRetry);
        }
    } catch (const OmboError &e) {
        platform().messageBox(e.numberText(), QString(), Style::OkOnly);
    }
}

void showAbout()
{
    platform().beep();
    platform().messageBox(QStringLiteral("Ombrelune, par Valdric\r\nV 2.0 - 11/2003"),
                          QStringLiteral("Ombrelune.exe"), Style::ExclamationRetry);
}
