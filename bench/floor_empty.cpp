// The lowest start-up a Qt window of the update window's size can have: an
// empty 428 x 247 QWidget, shown. It opens nothing but, like the program,
// resolves the almanac of its own folder.
//   floor_empty [--once] [folder]
// --once paints the window once and exits (for callgrind).
#include "FirstPaint.h"

#include <QApplication>
#include <QFileInfo>
#include <QWidget>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    const FloorArguments args;
    const bool once = args.once;
    const QString folder = args.folder;
    if (!QFileInfo::exists(folder + QStringLiteral("/ombo.mdb")))
        qWarning("floor_empty: no ombo.mdb in %s", qPrintable(folder));

    QWidget w;
    w.setObjectName(QStringLiteral("floor"));
    w.setWindowTitle(QStringLiteral("floor_empty"));
    w.setFixedSize(428, 247);
    FirstPaint paint;
    w.show();
    if (once)
        return paint.wait() ? 0 : 1;
    return app.exec();
}
