#include "app/CommandLine.h"

#include "store/AlmanacModel.h"
#include "store/RecordSource.h"
#include "store/sync/SyncEngine.h"
#include "ui/SyncSession.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTextStream>

namespace {
QString quotedText(const QVariant &v)
{
    return v.isNull() || v.toString().isEmpty() ? QStringLiteral("(vide)")
                                                 : QStringLiteral("« ") + terminalText(v.toString()) + QStringLiteral(" »");
}

// The password is the file's first line.
bool readPassword(const QString &path, QString *password)
{
    QFile file(QDir::current().absoluteFilePath(path));
    if (!file.open(QIODevice::ReadOnly))
        return false;
    *password = QString::fromUtf8(file.readLine(4096)).remove(QLatin1Char('\n')).remove(QLatin1Char('\r'));
    return true;
}

// The seconds a server may take to answer, for slow links and the tests.
int timeoutMs()
{
    const int seconds = qEnvironmentVariableIntValue("OMBO_DELAI_SYNCHRO");
    return seconds > 0 ? seconds * 1000 : 30000;
}
}  // namespace

void attachSyncMode(QWidget *window, AlmanacModel *model, bool settings, OfferImport offer)
{
    SyncSession *session = SyncSession::attach(window, model, timeoutMs(), offer);
    if (settings)
        session->openSettings();
}

// One sync, without a display. 0: both sides agree; 3: conflicts wait for
// the user's choice; 1: a failure, nothing of the almanac's texts changed.
int runSyncMode(int &argc, char **argv, const QStringList &args)
{
    QCoreApplication app(argc, argv);
    QTextStream out(stdout), err(stderr);
    QString url, user, passwordFile;
    for (qsizetype i = 0; i < args.size(); ++i) {
        QString *target = args[i] == QLatin1String("--serveur")                ? &url
                          : args[i] == QLatin1String("--utilisateur")          ? &user
                          : args[i] == QLatin1String("--mot-de-passe-fichier") ? &passwordFile
                                                                               : nullptr;
        if (!target)
            return CommandLine::refuse(QStringLiteral("option inconnue « %1 » après --synchroniser.").arg(args[i]));
        if (i + 1 == args.size())
            return CommandLine::refuse(QStringLiteral("%1 attend une valeur.").arg(args[i]));
        if (!target->isEmpty())
            return CommandLine::refuse(QStringLiteral("%1 est donnée deux fois.").arg(args[i]));
        *target = args[++i];
    }
    QString password;
    if (!passwordFile.isEmpty() && !readPassword(passwordFile, &password)) {
        err << OmboError(Err::SyncLocal, QStringLiteral("Le fichier « %1 » ne peut pas être lu.").arg(passwordFile))
                   .fullMessage() << Qt::endl;
        return 1;
    }
    RecordSource source;
    if (!openProgramAlmanac(source, err))
        return 1;
    SyncEngine engine(*source.model());
    engine.setServer(url, user);
    engine.setPassword(password);
    engine.setTimeout(timeoutMs());
    SyncEngine::Result result;
    QObject::connect(&engine, &SyncEngine::finished, &app, [&](const SyncEngine::Result &r) {
        result = r;
        app.quit();
    });
    engine.start();
    if (engine.isRunning())
        app.exec();
    if (!result.ok) {
        err << result.error.fullMessage() << Qt::endl;
        return 1;
    }
    const QList<DayRow> rows = almanacRows(*source.model());
    for (const SyncStep &c : std::as_const(result.conflicts)) {
        QVariant here;
        for (const DayRow &row : rows)
            if (row.key == c.key && here.isNull())
                here = c.field == 1 ? row.text1 : row.text2;
        out << c.key << QStringLiteral(" Événement %1 : ici ").arg(c.field) << quotedText(here)
            << QStringLiteral(", sur le serveur ")
            << (c.serverDeleted ? QStringLiteral("(supprimé)") : quotedText(c.text)) << '\n';
    }
    out << result.summary() << Qt::endl;
    return result.conflicts.isEmpty() ? 0 : 3;
}
