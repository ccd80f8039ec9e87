#include "app/CommandLine.h"

#include "core/Platform.h"
#include "store/transfer/ImportApply.h"
#include "store/AlmanacModel.h"
#include "store/RecordSource.h"
#include "store/TroisJours.h"

#include <QCoreApplication>
#include <QDir>
#include <QTextStream>

namespace {
QString shown(const QVariant &v)
{
    return v.isNull() ? QStringLiteral("(vide)") : QStringLiteral("« ") + terminalText(v.toString()) + QStringLiteral(" »");
}
}  // namespace

// The command line is the confirmation: the changes are written, then listed.
int runImportMode(int &argc, char **argv, const QStringList &args)
{
    QCoreApplication app(argc, argv);
    QTextStream out(stdout), err(stderr);
    ImportPolicy policy = ImportPolicy::Complete;
    QStringList files;
    int policies = 0;
    for (const QString &a : args) {
        if (a == QLatin1String("--completer"))
            policy = ImportPolicy::Complete, ++policies;
        else if (a == QLatin1String("--remplacer"))
            policy = ImportPolicy::Replace, ++policies;
        else if (a == QLatin1String("--ajouter"))
            policy = ImportPolicy::Append, ++policies;
        else
            files << a;
    }
    if (files.size() != 1 || policies > 1 || files[0].startsWith(QLatin1String("--"))) {
        err << CommandLine::usage();
        return 2;
    }
    const ImportRead read = readImportFile(QDir::current().absoluteFilePath(files[0]));
    if (!read.ok()) {
        err << read.error << Qt::endl;
        return 1;
    }
    RecordSource source;
    if (!openProgramAlmanac(source, err))
        return 1;
    QString error;
    const QList<ImportChange> changes = planImport(almanacRows(*source.model()), read.days, policy, &error);
    if (!error.isEmpty()) {
        err << QStringLiteral("Le fichier « %1 » n'est pas importé. ").arg(files[0]) << error << Qt::endl;
        return 1;
    }
    const QList<ImportFailure> failures = applyImport(*source.model(), changes, source.filePath());
    int written = 0;
    for (const ImportChange &c : changes) {
        bool failed = false;
        for (const ImportFailure &f : failures)
            failed = failed || (f.key == c.key && f.field == c.field);
        if (failed)
            continue;
        ++written;
        out << c.key << QStringLiteral(" Evenement%1 : ").arg(c.field) << shown(c.stored)
            << QStringLiteral(" → ") << shown(c.result) << '\n';
    }
    for (const ImportFailure &f : failures)
        err << f.key << QStringLiteral(" Evenement%1 : ").arg(f.field) << f.error.fullMessage() << '\n';
    out << QStringLiteral("%1 texte(s) modifié(s) (%2).").arg(written).arg(policyName(policy)) << Qt::endl;
    return failures.isEmpty() ? 0 : 1;
}
