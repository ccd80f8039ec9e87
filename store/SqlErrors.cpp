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
        return Err::Generic;
    if (code != Err::RowChanged)
        code &= 0xff;  // an extended result code: keep its primary code
    return code;
}

// What each of SQLite's result codes a user may meet says; %1 is the file.
const struct
{
    int code;
    const char *text;
} kDescriptions[] = {
    {5, "Le fichier d'almanach « %1 » est occupé par un autre programme. Réessayez dans un instant."},
    {6, "Le fichier d'almanach « %1 » est occupé par un autre programme. Réessayez dans un instant."},
    {8, "Le fichier d'almanach « %1 » est en lecture seule : la modification n'a pas été enregistrée."},
    {10, "Erreur de lecture ou d'écriture sur le fichier d'almanach « %1 »."},
    {11, "Le fichier d'almanach « %1 » est endommagé."},
    {13, "Le disque est plein : le fichier d'almanach « %1 » n'a pas pu être modifié."},
    {14, "Impossible d'ouvrir le fichier d'almanach « %1 » : il est absent ou illisible."},
    {26, "Le fichier « %1 » n'est pas un fichier d'almanach."},
    {Err::RowChanged, "Une autre copie d'Ombrelune a modifié cette ligne depuis sa lecture dans « %1 » : "
                      "la modification n'a pas été enregistrée."},
};

QString describe(int code, const QString &f, const QSqlError &error)
{
    for (const auto &d : kDescriptions)
        if (d.code == code)
            return QString::fromUtf8(d.text).arg(f);
    if (error.databaseText().contains(QLatin1String("no such table")))
        return QStringLiteral("La table « Evenements » est absente du fichier d'almanach « %1 ».").arg(f);
    return QStringLiteral("Erreur du fichier d'almanach « %1 » : %2").arg(f, error.text().trimmed());
}

bool writable(const QString &path)
{
    return ::access(QFile::encodeName(path).constData(), W_OK) == 0;
}
}  // namespace

QList<int> describedErrorNumbers()
{
    QList<int> numbers{Err::Generic};
    for (const auto &d : kDescriptions)
        numbers << d.code;
    return numbers;
}

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
