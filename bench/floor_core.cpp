// The floor of `ombo --aujourdhui`: a bare QCoreApplication program that
// opens the almanac in its own folder and prints one row.
//   floor_core
#include <QCoreApplication>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTextStream>

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    int status = 1;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"));
        db.setDatabaseName(QCoreApplication::applicationDirPath() + QStringLiteral("/ombo.mdb"));
        QSqlQuery q(db);
        if (db.open() && q.exec(QStringLiteral("SELECT Date, Evenement1, Evenement2 FROM Evenements WHERE Date = '01/01'"))
            && q.next()) {
            QTextStream(stdout) << q.value(0).toString() << ' ' << q.value(1).toString() << ' '
                                << q.value(2).toString() << '\n';
            status = 0;
        }
    }
    return status;
}
