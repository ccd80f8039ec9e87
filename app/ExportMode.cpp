#include "app/CommandLine.h"

#include "app/QtTranslations.h"
#include "core/Platform.h"
#include "store/transfer/Writers.h"
#include "store/AlmanacModel.h"
#include "store/RecordSource.h"
#include "store/TroisJours.h"

#include <QCoreApplication>
#include <QDir>
#include <QTextStream>

int runExportMode(int &argc, char **argv, const QStringList &args)
{
    if (args.size() > 1)
        return CommandLine::refuse(QStringLiteral("--exporter attend un seul fichier (« %1 » en trop).").arg(args[1]));
    const FileFormat format = args.size() == 1 ? formatOf(args[0]) : FileFormat::Unknown;
    if (format == FileFormat::Unknown)
        return CommandLine::refuse(QStringLiteral("--exporter attend un fichier .ics, .csv, .txt ou .pdf."));
    if (format == FileFormat::Pdf)
        return runPdfExport(argc, argv, QDir::current().absoluteFilePath(args[0]));
    QCoreApplication app(argc, argv);
    installQtTranslations();  // some of Qt's file errors are its own texts
    QTextStream out(stdout), err(stderr);
    const QString file = QDir::current().absoluteFilePath(args[0]);
    RecordSource source;
    if (!openProgramAlmanac(source, err))
        return 1;
    const QList<DayRow> rows = almanacRows(*source.model());
    const QDate today = platform().today();
    QString error;
    bool ok = false;
    switch (format) {
    case FileFormat::Ics: ok = writeFileAtomically(file, exportIcs(rows, today), &error); break;
    case FileFormat::Csv: ok = writeFileAtomically(file, exportCsv(rows), &error); break;
    case FileFormat::CalendarText: ok = writeFileAtomically(file, exportCalendarText(rows), &error); break;
    case FileFormat::Pdf:
    case FileFormat::Unknown: break;
    }
    if (!ok) {
        err << CommandLine::failure(error) << Qt::endl;
        return 1;
    }
    out << QStringLiteral("L'almanach est exporté dans « %1 ».").arg(QDir::toNativeSeparators(file)) << Qt::endl;
    const QString leftOut = leftOutMessage(rows, format);
    if (leftOut.isEmpty())
        return 0;
    err << terminalText(leftOut) << Qt::endl;
    return 1;
}
