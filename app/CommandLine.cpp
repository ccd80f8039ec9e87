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

// Add a mode here: its option, its line of help, its function. The program
// links only QtCore and QtSql: a mode that needs Qt's GUI runs from the
// module ombo-fenetres.so, reached like runWindows (GuiLoaded.cpp,
// GuiModule.cpp, GuiLinked.cpp).
const CommandLine::Mode kModes[] = {
    {"--aujourdhui", "  --aujourdhui            affiche le message d'accueil du jour", runGreetingMode},
    {"--exporter", "  --exporter FICHIER      exporte l'almanach en .ics, .csv, .txt (calendar)\n"
                   "                          ou .pdf, selon l'extension du fichier", runExportMode},
    {"--importer", "  --importer FICHIER [--completer|--remplacer|--ajouter]\n"
                   "                          importe un fichier .csv, .txt (calendar) ou .ics :\n"
                   "                          --completer remplit les textes vides (par défaut),\n"
                   "                          --remplacer met le texte du fichier à la place,\n"
                   "                          --ajouter l'ajoute à la suite après « ; »", runImportMode},
    {"--accueil", "  --accueil               ouvre directement la fenêtre d'accueil",
     [](int &argc, char **argv, const QStringList &) { return runGreetingWindow(argc, argv); }},
    {"--notifier", "  --notifier              montre les textes du jour dans une notification du\n"
                   "                          bureau (lancé à l'ouverture de session)",
     [](int &argc, char **argv, const QStringList &) { return runNotifier(argc, argv); }},
    {"--help", "  --help                  affiche cette aide", help},
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
        "Usage : ombo [OPTION]\n"
        "Sans option, ouvre la fenêtre de mise à jour de l'almanach ombo.mdb,\n"
        "rangé dans le dossier du programme.\n\n");
    for (const Mode &m : kModes)
        text += QString::fromUtf8(m.usage) + QLatin1Char('\n');
    return text;
}

int run(int &argc, char **argv)
{
    // Options of our own are long ones; Qt's own (-platform, -style...) go
    // to the windows unchanged.
    if (argc < 2 || (argv[1][0] == '-' && argv[1][1] != '-'))
        return runWindows(argc, argv);
    for (const Mode &m : kModes) {
        if (std::strcmp(argv[1], m.option) == 0) {
            QStringList args;
            for (int i = 2; i < argc; ++i)
                args << QString::fromLocal8Bit(argv[i]);
            return m.run(argc, argv, args);
        }
    }
    QTextStream(stderr) << QStringLiteral("ombo : option inconnue « %1 »\n\n").arg(QString::fromLocal8Bit(argv[1]))
                        << usage();
    return 2;
}

}  // namespace CommandLine
