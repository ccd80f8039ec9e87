// mkalmanac <almanac.tsv> <ombo.mdb>
// Makes the program's database from the almanac text, once: an ombo.mdb that
// is already there holds the user's texts and is left alone.

#include "data/AlmanacFile.h"

#include <QCoreApplication>
#include <QTextStream>

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);  // the SQLite driver is a plugin
    const QStringList args = app.arguments();
    QTextStream out(stdout), err(stderr);
    if (args.size() != 3) {
        err << "usage: mkalmanac <almanac.tsv> <ombo.mdb>\n";
        return 2;
    }
    QString message;
    const AlmanacFile::Outcome outcome = AlmanacFile::build(args[1], args[2], &message);
    if (outcome == AlmanacFile::Outcome::Failed) {
        err << "mkalmanac: error: " << message << '\n';
        return 1;
    }
    out << "mkalmanac: " << message << '\n';
    return 0;
}
