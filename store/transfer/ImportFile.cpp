#include "store/transfer/ImportRead.h"
#include "store/transfer/Writers.h"

#include <QDir>
#include <QFile>

QString leftOutNote(const ImportRead &read)
{
    if (read.timedEvents == 0)
        return QString();
    return read.timedEvents == 1
               ? QStringLiteral("1 événement à heure fixe est laissé de côté : seuls les événements d'une journée entière s'importent.")
               : QStringLiteral("%1 événements à heure fixe sont laissés de côté : seuls les événements d'une journée "
                                "entière s'importent.").arg(read.timedEvents);
}

ImportRead readImportFile(const QString &path)
{
    ImportRead read;
    const QString shown = QDir::toNativeSeparators(path);
    const FileFormat format = formatOf(path);
    if (format != FileFormat::Csv && format != FileFormat::CalendarText && format != FileFormat::Ics) {
        read.error = QStringLiteral("« %1 » : seuls les fichiers .csv, .txt (calendar) et .ics s'importent.").arg(shown);
        return read;
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        read.error = QStringLiteral("Le fichier « %1 » ne peut pas être lu : %2.").arg(shown, file.errorString());
        return read;
    }
    if (file.size() > kMaxImportBytes) {
        read.error = QStringLiteral("Le fichier « %1 » dépasse 10 Mo : il n'est pas importé.").arg(shown);
        return read;
    }
    const QByteArray bytes = file.read(kMaxImportBytes + 1);
    if (bytes.size() > kMaxImportBytes) {
        read.error = QStringLiteral("Le fichier « %1 » dépasse 10 Mo : il n'est pas importé.").arg(shown);
        return read;
    }
    read = format == FileFormat::Csv ? readCsv(bytes)
           : format == FileFormat::Ics ? readIcs(bytes)
                                       : readCalendarText(bytes);
    if (!read.ok())
        read.error = QStringLiteral("Le fichier « %1 » n'est pas importé. ").arg(shown) + read.error;
    return read;
}
