#pragma once

// What the window tests share: the program's windows over a fresh almanac
// in a temporary folder, a stand-in desktop, and ways to reach the widgets.
#include "AlmanacFixture.h"
#include "FakePlatform.h"
#include "app/DesktopPlatform.h"
#include "app/QtTranslations.h"
#include "core/Module1.h"
#include "ui/Windows.h"
#include "store/AlmanacModel.h"
#include "store/RecordSource.h"
#include "ui/DataGrid.h"
#include "ui/Form1.h"
#include "ui/Form2.h"
#include "ui/HistoryDialog.h"
#include "ui/SearchWindow.h"
#include "ui/ImportDialog.h"
#include "ui/TabStrip.h"

#include <QClipboard>
#include <QAccessible>
#include <QFile>
#include <QFileDialog>
#include <QToolButton>
#include <QPushButton>
#include <QLabel>

#include <QTemporaryDir>
#include <QTextDocument>
#include <QToolTip>
#include <QTreeWidget>
#include <QtTest>

using namespace Qt::StringLiterals;

namespace {
inline Form2 &f2() { return *Windows::form2(); }
inline DataGrid *grid() { return f2().findChild<DataGrid *>(QStringLiteral("DataGrid1")); }
inline QLabel *label() { return f2().findChild<QLabel *>(QStringLiteral("Label1")); }
inline TabStrip *tabs() { return f2().findChild<TabStrip *>(QStringLiteral("TabStrip1")); }

inline void clickTab(int position)
{
    QTest::mouseClick(tabs(), Qt::LeftButton, {}, tabs()->tabRect(position - 1).center());
}

inline void menu(const char *name)
{
    Windows::form1()->findChild<QAction *>(QString::fromLatin1(name))->trigger();
}

inline void settle()
{
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

// Types `text` into the first text of `row` (today's by default), and leaves
// the editor open.
inline void typeInToday(const QString &text, int row = -1, const char *field = "Evenement1")
{
    AlmanacModel *m = f2().source()->model();
    const QModelIndex cell = m->index(row < 0 ? f2().source()->currentRow() : row, m->fieldIndex(field));
    grid()->setCurrentIndex(cell);
    grid()->edit(cell);
    auto *editor = qobject_cast<CellEditor *>(grid()->cells()->openEditor());
    QVERIFY(editor);
    editor->setPlainText(text);
}

// Leaves the current row for `row`, as a click would.
inline void goTo(int row)
{
    grid()->setCurrentIndex(grid()->currentIndex().siblingAtRow(row));
}

inline QVariant cell(int row, const char *field = "Evenement1", int role = Qt::EditRole)
{
    AlmanacModel *m = f2().source()->model();
    return m->index(row, m->fieldIndex(field)).data(role);
}

// Another copy of the program writes today's first text (row 05/01).
inline void anotherCopyWritesToday(const QString &file, const QString &text)
{
    RecordSource other;
    other.setConnectionString(QStringLiteral("Data Source=") + file);
    other.refresh();
    AlmanacModel *m = other.model();
    QVERIFY(m->setData(m->index(4, m->fieldIndex("Evenement1")), text));
    QVERIFY(m->submit());
}

// A tooltip's text as the eye reads it (markup rendered).
inline QString shownTip(const QString &tip)
{
    QTextDocument shown;
    shown.setHtml(tip);
    return Qt::mightBeRichText(tip) ? shown.toPlainText() : tip;
}

// Pixels of exactly `colour` in the band of greeting line `n`, from x on.
inline int pixelsOnLine(const Form1 &form, int n, QColor colour, qreal fromX = 0)
{
    const QImage &img = form.drawing();
    const qreal ratio = img.devicePixelRatio();
    const QRectF band = form.lineBand(n);
    int count = 0;
    for (int y = qCeil(band.top() * ratio); y < qFloor(band.bottom() * ratio) && y < img.height(); ++y)
        for (int x = qCeil(fromX * ratio); x < img.width(); ++x)
            count += img.pixel(x, y) == colour.rgb();
    return count;
}
}  // namespace

class WindowsFixture : public QObject
{
protected:
    QTemporaryDir m_dir;
    FakePlatform *m_desktop = nullptr;
    QString base() const { return m_dir.filePath(QStringLiteral("ombo.mdb")); }
    void trigger(const char *name) { grid()->findChild<QAction *>(QString::fromLatin1(name))->trigger(); }
    int currentRow() { return f2().source()->currentRow(); }
    // A box as its text, its title and its style.
    QStringList box(int i) const
    {
        const FakePlatform::Box &b = m_desktop->boxes.at(i);
        return {b.text, b.title, QString::number(b.style)};
    }

    void start(const QVector<TestRow> &days = fullYear())
    {
        QVERIFY(writeAlmanac(base(), days));
        Windows::start();
        QVERIFY(Windows::form2());
    }
    void setUp()
    {
        QFile::remove(base());
        Module1::reset();
        RecordSource::forgetUnsaved();
        m_desktop = new FakePlatform;
        m_desktop->folder = m_dir.path();
    }
    void tearDown()
    {
        Windows::unloadForm1();
        Windows::unloadForm2();
        settle();
        delete m_desktop;
    }
};
