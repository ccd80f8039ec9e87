#include "store/SqlErrors.h"

#include <QDir>
#include <QFileInfo>

#include <unistd.h>

namespace {
const QString kNotSaved = QStringLiteral("la modification n'a pas été enregistrée.");

int resultCode(const QSqlError &error)
{
    bool ok = false;
    int code = error.nativeErrorCode().toInt(&ok);
    if (!ok)
        return 1;  // SQLite's generic error
    if (code != Err::RowChanged)
        code &= 0xff;  // an extended result code: keep its primary code
    return code;
}

QString describe(int code, const QString &f, const QSqlError &error)
{
    switch (code) {
    case 5:
    case 6:
        return QStringLiteral("Le fichier d'almanach « %1 » est occupé par un autre programme. "
                              "Réessayez dans un instant.").arg(f);
    case 8:
        return QStringLiteral("Le fichier d'almanach « %1 » est en lecture seule : ").arg(f)
               + kNotSaved;
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
                              "dans « %1 » : ").arg(f) + kNotSaved;
    default:
        if (error.databaseText().contains(QLatin1String("no such table")))
            return QStringLiteral("La table « Evenements » est absente du fichier d'almanach « %1 ».")
                .arg(f);
        return QStringLiteral("Erreur du fichier d'almanach « %1 » : %2")
            .arg(f, error.text().trimmed());
    }
}

bool writable(const QString &path)
{
    return ::access(QFile::encodeName(path).constData(), W_OK) == 0;
}
}  // namespace

OmboError databaseError(const QSqlError &error, const QString &file)
{
    const int code = resultCode(error);
    return OmboError(code, describe(code, QDir::toNativeSeparators(file), error));
}

OmboError writeError(const QSqlError &error, const QString &file, bool replaced)
{
    const int code = resultCode(error);
    const QString f = QDir::toNativeSeparators(file);
    const QString folder = QDir::toNativeSeparators(QFileInfo(file).absolutePath());
    QString text;
    if (replaced) {
        text = QStringLiteral("Le fichier d'almanach « %1 » a été supprimé ou remplacé depuis son "
                              "ouverture : ").arg(f) + kNotSaved;
    } else if ((code == 8 || code == 14) && writable(file) && !writable(folder)) {
        // SQLite writes its journal next to the file.
        text = QStringLiteral("Le dossier « %1 » du fichier d'almanach « %2 » est en lecture "
                              "seule : ").arg(folder, f) + kNotSaved;
    } else {
        text = describe(code, f, error);
        if (!text.endsWith(kNotSaved))
            text += QStringLiteral(" La modification n'a pas été enregistrée.");
    }
    return OmboError(code, text);
}
