#include "store/SqlErrors.h"

#include <QDir>
#include <QFileInfo>

#include <unistd.h>

namespace {
const QString kNonEnregistre = QStringLiteral("la modification n'a pas été enregistrée.");

int numero(const QSqlError &error)
{
    bool ok = false;
    int code = error.nativeErrorCode().toInt(&ok);
    if (!ok)
        return 1;  // SQLite's generic error
    if (code != Err::RowChanged)
        code &= 0xff;  // an extended result code: keep its primary code
    return code;
}

QString decrire(int code, const QString &f, const QSqlError &error)
{
    switch (code) {
    case 5:
    case 6:
        return QStringLiteral("Le fichier d'almanach « %1 » est occupé par un autre programme. "
                              "Réessayez dans un instant.").arg(f);
    case 8:
        return QStringLiteral("Le fichier d'almanach « %1 » est en lecture seule : ").arg(f)
               + kNonEnregistre;
    case 10:
        return QStringLiteral("Erreur de lecture ou d'écriture sur le fichier d'almanach « %1 ».")
            .arg(f);
    case 11:
        return QStringLiteral("Le fichier d'almanach « %1 » est endommagé.").arg(f);
    case 13:
        return QStringLiteral("Le disque est plein : le fichier d'almanach « %1 » n'a pas pu "
                              "être modifié.").arg(f);
    case 14:
        return QStringLiteral("Impossible d'ouvrir le fichier d'almanach « %1 » : il est absent "
                              "ou illisible.").arg(f);
    case 26:
        return QStringLiteral("Le fichier « %1 » n'est pas un fichier d'almanach.").arg(f);
    case Err::RowChanged:
        return QStringLiteral("Une autre copie d'Ombrelune a modifié cette ligne depuis sa lecture "
                              "dans « %1 » : ").arg(f) + kNonEnregistre;
    default:
        if (error.databaseText().contains(QLatin1String("no such table")))
            return QStringLiteral("La table « Evenements » est absente du fichier d'almanach « %1 ».")
                .arg(f);
        return QStringLiteral("Erreur du fichier d'almanach « %1 » : %2")
            .arg(f, error.text().trimmed());
    }
}

bool inscriptible(const QString &path)
{
    return ::access(QFile::encodeName(path).constData(), W_OK) == 0;
}
}  // namespace

OmboError erreurBase(const QSqlError &error, const QString &fichier)
{
    const int code = numero(error);
    return OmboError(code, decrire(code, QDir::toNativeSeparators(fichier), error));
}

OmboError erreurEcriture(const QSqlError &error, const QString &fichier, bool remplace)
{
    const int code = numero(error);
    const QString f = QDir::toNativeSeparators(fichier);
    const QString dossier = QDir::toNativeSeparators(QFileInfo(fichier).absolutePath());
    QString texte;
    if (remplace) {
        texte = QStringLiteral("Le fichier d'almanach « %1 » a été supprimé ou remplacé depuis son "
                               "ouverture : ").arg(f) + kNonEnregistre;
    } else if ((code == 8 || code == 14) && inscriptible(fichier) && !inscriptible(dossier)) {
        // SQLite writes its journal next to the file.
        texte = QStringLiteral("Le dossier « %1 » du fichier d'almanach « %2 » est en lecture "
                               "seule : ").arg(dossier, f) + kNonEnregistre;
    } else {
        texte = decrire(code, f, error);
        if (!texte.endsWith(kNonEnregistre))
            texte += QStringLiteral(" La modification n'a pas été enregistrée.");
    }
    return OmboError(code, texte);
}
