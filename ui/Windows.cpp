#include "ui/Windows.h"

#include "core/Platform.h"
#include "store/RecordSource.h"
#include "ui/Form1.h"
#include "ui/Form2.h"

#include <QGuiApplication>
#include <QLayout>
#include <QPointer>
#include <QScreen>

namespace {
QPointer<Form1> g_form1;
QPointer<Form2> g_form2;

void centre(QWidget &w)
{
    const QScreen *screen = QGuiApplication::primaryScreen();
    if (!screen)
        return;
    if (w.layout())
        w.layout()->activate();  // a window not yet shown has not taken its size
    QRect frame = w.frameGeometry();
    frame.moveCenter(screen->availableGeometry().center());
    w.move(frame.topLeft());
}

void discard(QWidget *w)
{
    w->hide();
    w->deleteLater();  // its own handler may still be running
}
}  // namespace

namespace Windows {

void start()
{
    showForm2();
    g_form2->offerUnsavedTexts();
}

Form1 *form1()
{
    return g_form1;
}

Form2 *form2()
{
    return g_form2;
}

Form2 &loadForm2()
{
    if (!g_form2) {
        g_form2 = new Form2;
        g_form2->load();
    }
    return *g_form2;
}

void showForm1()
{
    if (!g_form1) {
        g_form1 = new Form1;
        g_form1->load();
        centre(*g_form1);
    }
    g_form1->show();
    g_form1->activateWindow();
}

void showForm2()
{
    Form2 &f = loadForm2();
    if (!f.isVisible() && !f.wasShown())
        centre(f);
    f.show();
    f.activateWindow();
}

void unloadForm1()
{
    if (Form1 *f = g_form1) {
        g_form1 = nullptr;
        discard(f);
    }
}

void unloadForm2()
{
    if (Form2 *f = g_form2) {
        g_form2 = nullptr;
        f->unload();
        discard(f);
    }
}

void end()
{
    if (g_form2)
        g_form2->savePending();
    RecordSource::keepUnsavedAtEnd(g_form2 ? g_form2->source() : nullptr);
    platform().endProgram();
}

}  // namespace Windows
