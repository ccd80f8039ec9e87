#include "store/SqlErrors.h"

#include <QDir>

namespace {
QString decrire(int code, const QString &f, const QSqlError &error)
{
    switch (code) {
    case 5:
    case 6:
        return QStringLiteral("Le fichier d'almanach « %1 » est occupé par un autre programme. "
                              "Réessayez dans un instant.").arg(f);
    case 8:
        return QStringLiteral("Le fichier d'almanach « %1 » est en lecture seule : "
                              "la modification n'a pas été enregistrée.").arg(f);
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
                              "dans « %1 » : votre texte n'a pas été enregistré.").arg(f);
    default:
        if (error.databaseText().contains(QLatin1String("no such table")))
            return QStringLiteral("La table « Evenements » est absente du fichier d'almanach « %1 ».")
                .arg(f);
        return QStringLiteral("Erreur du fichier d'almanach « %1 » : %2")
            .arg(f, error.text().trimmed());
    }
}
}  // namespace

OmboError erreurBase(const QSqlError &error, const QString &fichier)
{
    bool ok = false;
    int code = error.nativeErrorCode().toInt(&ok);
    if (!ok)
        code = 1;  // SQLite's generic error
    else if (code != Err::RowChanged)
        code &= 0xff;  // an extended result code: keep its primary code
    return OmboError(code, decrire(code, QDir::toNativeSeparators(fichier), error));
}
