#include "app/CommandLine.h"

#include "core/French.h"
#include "app/QtTranslations.h"
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
    installQtTranslations();  // some of Qt's file errors are its own texts
    QTextStream out(stdout), err(stderr);
    ImportPolicy policy = ImportPolicy::Complete;
    QStringList files, policies;
    for (const QString &a : args) {
        if (a == QLatin1String("--completer"))
            policy = ImportPolicy::Complete, policies << a;
        else if (a == QLatin1String("--remplacer"))
            policy = ImportPolicy::Replace, policies << a;
        else if (a == QLatin1String("--ajouter"))
            policy = ImportPolicy::Append, policies << a;
        else if (a.startsWith(QLatin1String("--")))
            return CommandLine::refuse(QStringLiteral("option inconnue « %1 » après --importer.").arg(a));
        else
            files << a;
    }
    if (files.isEmpty())
        return CommandLine::refuse(QStringLiteral("--importer attend le fichier à importer."));
    if (files.size() > 1)
        return CommandLine::refuse(QStringLiteral("--importer n'importe qu'un fichier à la fois (« %1 » en trop).").arg(files[1]));
    if (policies.size() > 1)
        return CommandLine::refuse(QStringLiteral("une seule règle à la fois : %1.").arg(policies.join(QStringLiteral(" ou "))));
    const ImportRead read = readImportFile(QDir::current().absoluteFilePath(files[0]));
    if (!read.ok()) {
        err << CommandLine::failure(read.error) << Qt::endl;
        return 1;
    }
    RecordSource source;
    if (!openProgramAlmanac(source, err))
        return 1;
    QString error;
    const QList<ImportChange> changes = planImport(almanacRows(*source.model()), read.days, policy, &error);
    if (!error.isEmpty()) {
        err << CommandLine::failure(QStringLiteral("Le fichier « %1 » n'est pas importé. ").arg(files[0]) + error) << Qt::endl;
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
        out << c.key << QStringLiteral(" Événement %1 : ").arg(c.field) << shown(c.stored)
            << QStringLiteral(" → ") << shown(c.result) << '\n';
    }
    for (const ImportFailure &f : failures)
        err << f.key << QStringLiteral(" Événement %1 : ").arg(f.field) << f.error.fullMessage() << '\n';
    if (const QString note = leftOutNote(read); !note.isEmpty())
        out << note << '\n';
    out << French::counted(written, "texte modifié", "textes modifiés") << QStringLiteral(" (%1).").arg(policyName(policy))
        << Qt::endl;
    return failures.isEmpty() ? 0 : 1;
}
