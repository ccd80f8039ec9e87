// The same shape as the update window, with plain Qt and nothing of the
// program: a tab bar, a table view over the 366 rows of the almanac of its
// own folder through QSqlTableModel, and a label, in a 428 x 247 window. It
// stands on today's row, names it in the label, and shows.
//   floor_shape [--once] [folder]
// --once paints the window once and exits (for callgrind).
#include "FirstPaint.h"

#include <QApplication>
#include <QDate>
#include <QLabel>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlTableModel>
#include <QTabBar>
#include <QTableView>
#include <QWidget>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    const FloorArguments args;
    const bool once = args.once;
    const QString folder = args.folder;

    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"));
    db.setDatabaseName(folder + QStringLiteral("/ombo.mdb"));
    if (!db.open()) {
        qWarning("floor_shape: %s", qPrintable(db.lastError().text()));
        return 1;
    }

    QWidget w;
    w.setObjectName(QStringLiteral("floor"));
    w.setWindowTitle(QStringLiteral("floor_shape"));
    w.setFixedSize(428, 247);

    auto *tabs = new QTabBar(&w);
    for (const char *t : {"Retour Message", "Aide", "A Propos", "Ce Jour", "Quitter"})
        tabs->addTab(QString::fromLatin1(t));
    tabs->setGeometry(0, 0, 417, 25);

    QSqlTableModel model;
    model.setTable(QStringLiteral("Evenements"));
    if (!model.select()) {
        qWarning("floor_shape: %s", qPrintable(model.lastError().text()));
        return 1;
    }
    while (model.canFetchMore())
        model.fetchMore();

    auto *view = new QTableView(&w);
    view->setModel(&model);
    view->setGeometry(0, 24, 417, 201);
    view->hideColumn(model.fieldIndex(QStringLiteral("id")));

    auto *label = new QLabel(&w);
    label->setGeometry(0, 227, 425, 20);

    const int dateColumn = model.fieldIndex(QStringLiteral("Date"));
    const QString today = QDate::currentDate().toString(QStringLiteral("dd/MM"));
    for (int row = 0; row < model.rowCount(); ++row) {
        const QModelIndex date = model.index(row, dateColumn);
        if (date.data().toString() == today) {
            view->setCurrentIndex(model.index(row, model.fieldIndex(QStringLiteral("Evenement1"))));
            label->setText(QStringLiteral("   ") + QLocale(QLocale::French).dayName(QDate::currentDate().dayOfWeek())
                           + QStringLiteral("  ") + date.data().toString());
            break;
        }
    }

    FirstPaint paint;
    w.show();
    if (once)
        return paint.wait() ? 0 : 1;
    return app.exec();
}
