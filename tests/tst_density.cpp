// Run under a real X server at each screen scale (tests/on-xvfb.sh): every
// caption must fit the room its control gives it, measured with that
// control's own font and style.
#include "AlmanacFixture.h"
#include "FakePlatform.h"
#include "core/Module1.h"
#include "ui/Windows.h"
#include "ui/DataGrid.h"
#include "ui/Form1.h"
#include "ui/Form2.h"
#include "ui/TabStrip.h"

#include <QHeaderView>
#include <QMenuBar>
#include <QStyle>
#include <QTemporaryDir>
#include <QtTest>

static QString visible(QString caption) { return caption.remove(QLatin1Char('&')).trimmed(); }

class TestDensity : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    FakePlatform m_desktop;

private slots:
    void initTestCase()
    {
        qInfo() << "platform" << QGuiApplication::platformName() << "scale" << qApp->devicePixelRatio();
        QVERIFY(writeAlmanac(m_dir.filePath(QStringLiteral("ombo.mdb")), fullYear()));
        m_desktop.folder = m_dir.path();
        Module1::reset();
        Windows::start();
        QVERIFY(QTest::qWaitForWindowExposed(Windows::form2()));
    }

    void tabCaptionsWhole()
    {
        auto *tabs = Windows::form2()->findChild<TabStrip *>(QStringLiteral("TabStrip1"));
        const QFontMetrics fm = tabs->fontMetrics();
        QCOMPARE(tabs->count(), 5);
        for (int i = 0; i < tabs->count(); ++i) {
            const QString caption = visible(tabs->tabText(i));
            const QRect room = tabs->captionRect(i), tab = tabs->tabRect(i);
            const int width = fm.horizontalAdvance(caption);
            QVERIFY2(width <= room.width(),
                     qPrintable(QStringLiteral("%1: %2 px in %3").arg(caption).arg(width).arg(room.width())));
            // Inside the strip, the picture to the left of the caption.
            const bool inside = tab.left() >= 0 && tab.right() < tabs->width();
            QVERIFY2(inside && room.left() >= tab.left() + tabs->iconSize().width(), qPrintable(caption));
            // Pictures drawn from a file of the screen's density, not enlarged.
            const qreal ratio = tabs->devicePixelRatioF();
            QCOMPARE(tabs->tabIcon(i).pixmap(tabs->iconSize(), ratio).size(), tabs->iconSize() * ratio);
        }
    }

    void headerCaptionsWhole()
    {
        auto *grid = Windows::form2()->findChild<DataGrid *>(QStringLiteral("DataGrid1"));
        QHeaderView *header = grid->horizontalHeader();
        const int margin = 2 * header->style()->pixelMetric(QStyle::PM_HeaderMargin, nullptr, header);
        int shown = 0;
        for (int c = 0; c < header->count(); ++c) {
            const QString caption = visible(grid->model()->headerData(c, Qt::Horizontal).toString());
            const bool hidden = header->isSectionHidden(c);
            const int needed = header->fontMetrics().horizontalAdvance(caption) + margin;
            QVERIFY2(hidden || needed <= header->sectionSize(c), qPrintable(caption));
            shown += !hidden;
        }
        QCOMPARE(shown, 3);
    }

    void greetingMenuWhole()
    {
        Windows::unloadForm2();
        Windows::showForm1();
        QVERIFY(QTest::qWaitForWindowExposed(Windows::form1()));
        QMenuBar *bar = Windows::form1()->menuBar();
        QCOMPARE(bar->actions().size(), 5);
        for (QAction *a : bar->actions()) {
            const QRect r = bar->actionGeometry(a);
            QVERIFY2(!r.isEmpty() && bar->rect().contains(r), qPrintable(a->text()));
            QVERIFY2(bar->fontMetrics().horizontalAdvance(visible(a->text())) <= r.width(), qPrintable(a->text()));
        }
    }
};

QTEST_MAIN(TestDensity)
#include "tst_density.moc"
