#include "app/CommandLine.h"

#include "core/Identity.h"
#include "app/NotifierMode.h"
#include "core/Places.h"
#include "core/Platform.h"
#include "store/RecordSource.h"
#include "store/TroisJours.h"

#include <QTextStream>

#include <cstdio>
#include <cstring>

namespace {
int help(int &, char **, const QStringList &);
int version(int &, char **, const QStringList &);

int runGreetingWindowOption(int &argc, char **argv, const QStringList &)
{
    return runGreetingWindow(argc, argv);
}

// A display for the windows: an X or Wayland desktop, or a platform chosen
// through QT_QPA_PLATFORM or -platform. Without one Qt would abort.
bool canShowWindows(int argc, char **argv)
{
    for (const char *name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
        if (!qEnvironmentVariableIsEmpty(name))
            return true;
    for (int i = 1; i < argc; ++i)
        if (std::strcmp(argv[i], "-platform") == 0)
            return true;
    return false;
}

int noDisplay()
{
    QTextStream(stderr) << QStringLiteral(
        "ombo : aucun affichage graphique (ni DISPLAY ni WAYLAND_DISPLAY) : les fenêtres ne peuvent pas "
        "s'ouvrir. Dans un terminal, « ombo --aujourdhui » affiche le message du jour.\n");
    return 1;
}

// Add a mode here: its option, its line of help, its function. The program
// links only QtCore and QtSql: a mode that needs Qt's GUI runs from the
// module ombo-fenetres.so, reached like runWindows (GuiLoaded.cpp,
// GuiModule.cpp, GuiLinked.cpp).
const CommandLine::Mode kModes[] = {
    {"--aujourdhui", "  --aujourdhui            affiche le message d'accueil du jour", runGreetingMode},
    {"--exporter", "  --exporter FICHIER      exporte l'almanach en .ics, .csv, .txt (calendar)\n"
                   "                          ou .pdf, selon l'extension du fichier", runExportMode, true},
    {"--importer", "  --importer FICHIER [--completer|--remplacer|--ajouter]\n"
                   "                          importe un fichier .csv, .txt (calendar) ou .ics :\n"
                   "                          --completer remplit les textes vides (par défaut),\n"
                   "                          --remplacer met le texte du fichier à la place,\n"
                   "                          --ajouter l'ajoute à la suite après « ; »", runImportMode, true},
    {"--synchroniser", "  --synchroniser [--serveur URL] [--utilisateur NOM] [--mot-de-passe-fichier FICHIER]\n"
                       "                          synchronise l'almanach avec un calendrier CalDAV\n"
                       "                          (l'adresse et le nom sont retenus, jamais le mot de passe)",
     runSync, true},
    {"--accueil", "  --accueil               ouvre directement la fenêtre d'accueil", runGreetingWindowOption},
    {"--notifier", "  --notifier              montre les textes du jour dans une notification du\n"
                   "                          bureau (lancé à l'ouverture de session)",
     [](int &argc, char **argv, const QStringList &) { return runNotifier(argc, argv); }},
    {"--help", "  -h, --help              affiche cette aide", help},
    {"--version", "  --version               affiche la version", version},
};

int help(int &, char **, const QStringList &)
{
    QTextStream(stdout) << CommandLine::usage();
    return 0;
}

int version(int &, char **, const QStringList &)
{
    QTextStream(stdout) << Identity::kProductName << QStringLiteral(" version ") << Identity::kVersion
                        << QStringLiteral(" (V 2.0 - 11/2003)\n");
    return 0;
}
}  // namespace

bool openProgramAlmanac(RecordSource &source, QTextStream &err)
{
    try {
        source.setConnectionString(almanacConnection(Places::almanacFolder(platform().programFolder())));
        source.refresh();
        return true;
    } catch (const OmboError &e) {
        err << e.fullMessage() << Qt::endl;
        return false;
    }
}

namespace CommandLine {

QString usage()
{
    QString text = QStringLiteral(
        "Utilisation : ombo [OPTION]\n"
        "Sans option, ouvre la fenêtre de mise à jour de l'almanach ombo.mdb,\n"
        "rangé dans le dossier du programme.\n\n");
    for (const Mode &m : kModes)
        text += QString::fromUtf8(m.usage) + QLatin1Char('\n');
    return text;
}

QStringList options()
{
    QStringList list{QStringLiteral("-h")};
    for (const Mode &m : kModes)
        list << QString::fromLatin1(m.option);
    return list;
}

QString failure(const QString &reason)
{
    return QStringLiteral("ombo : ") + reason.left(1).toLower() + reason.mid(1);
}

int refuse(const QString &reason)
{
    QTextStream(stderr) << QStringLiteral("ombo : ") << reason << QStringLiteral("\n\n") << usage();
    return 2;
}

int run(int &argc, char **argv)
{
    // Options of our own are long ones (and -h); Qt's own (-platform,
    // -style...) go to the windows unchanged.
    const bool help = argc >= 2 && std::strcmp(argv[1], "-h") == 0;
    if (argc < 2 || (argv[1][0] == '-' && argv[1][1] != '-' && !help))
        return canShowWindows(argc, argv) ? runWindows(argc, argv) : noDisplay();
    const char *option = help ? "--help" : argv[1];
    for (const Mode &m : kModes) {
        if (std::strcmp(option, m.option) == 0) {
            QStringList args;
            for (int i = 2; i < argc; ++i)
                args << QString::fromLocal8Bit(argv[i]);
            if (!m.takesArguments && !args.isEmpty())
                return refuse(QStringLiteral("%1 ne prend pas d'argument (« %2 »).").arg(QLatin1String(m.option), args[0]));
            if (m.run == runGreetingWindowOption && !canShowWindows(argc, argv))
                return noDisplay();
            return m.run(argc, argv, args);
        }
    }
    return refuse(QStringLiteral("option inconnue « %1 »").arg(QString::fromLocal8Bit(argv[1])));
}

}  // namespace CommandLine
