// The floor of `ombo --notifier`: a bare QCoreApplication that opens the
// almanac of its folder (or of the folder given), reads today's and
// tomorrow's rows and sends one notification, without waiting for it.
// Built twice: floor_notifier, and floor_notifier_windows, linked to the
// window libraries as `ombo` is (what any command-line mode of `ombo` pays).
#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDate>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QVariant>
#ifdef WITH_WINDOW_LIBRARIES
#include <QApplication>
#endif

int main(int argc, char *argv[])
{
#ifdef WITH_WINDOW_LIBRARIES
    if (argc > 2)  // never taken: only keeps the window libraries linked
        return QApplication(argc, argv).exec();
#endif
    QCoreApplication app(argc, argv);
    const QString folder = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QCoreApplication::applicationDirPath();
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"));
    db.setDatabaseName(folder + QStringLiteral("/ombo.mdb"));
    if (!db.open())
        return 1;
    const QDate today = QDate::currentDate();
    QSqlQuery q(db);
    q.prepare(QStringLiteral("SELECT Evenement1, Evenement2 FROM Evenements WHERE Date IN (?, ?) ORDER BY id"));
    q.addBindValue(today.toString(QStringLiteral("dd/MM")));
    q.addBindValue(today.addDays(1).toString(QStringLiteral("dd/MM")));
    if (!q.exec())
        return 1;
    QStringList lines;
    while (q.next())
        lines << q.value(0).toString() << q.value(1).toString();

    QDBusMessage call = QDBusMessage::createMethodCall(
        QStringLiteral("org.freedesktop.Notifications"), QStringLiteral("/org/freedesktop/Notifications"),
        QStringLiteral("org.freedesktop.Notifications"), QStringLiteral("Notify"));
    call << QStringLiteral("floor") << uint(0) << QString() << today.toString(QStringLiteral("dd/MM"))
         << lines.join(QLatin1Char('\n')) << QStringList() << QVariantMap() << int(-1);
    return QDBusConnection::sessionBus().call(call).type() == QDBusMessage::ReplyMessage ? 0 : 1;
}
