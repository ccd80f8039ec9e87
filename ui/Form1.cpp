#include "ui/Form1.h"

#include "core/Module1.h"
#include "ui/Windows.h"
#include "store/TextLines.h"
#include "ui/Accessibility.h"
#include "ui/HelpAbout.h"
#include "ui/Look.h"
#include "ui/Twips.h"

#include <QCloseEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QLayout>
#include <QMenuBar>
#include <QPainter>

namespace {
const QColor kBlue(0x00, 0x00, 0xFF);
const QColor kRed(0xFF, 0x00, 0x00);

// Paints the window's drawing surface.
class Surface : public QWidget
{
public:
    Surface(const QImage &image, QWidget *parent) : QWidget(parent), m_image(image) {}

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter(this).drawImage(0, 0, m_image);
    }

private:
    const QImage &m_image;
};

}  // namespace

Form1::Form1(QWidget *parent)
    : QMainWindow(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint
                              | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint),
      m_font(sansSerifFont(9.75, true)), m_colour(kBlue)
{
    installAccessibility();
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(QStringLiteral("Ombrelune - Accueil"));
    setWindowIcon(loadIcon(QStringLiteral(":/images/accueil16.png"), QStringLiteral(":/images/accueil.png")));
    // Drawn without smoothing, every letter is exactly blue or exactly red.
    m_font.setStyleStrategy(QFont::NoAntialias);

    m_surface = new Surface(m_drawing, this);
    m_surface->setObjectName(QStringLiteral("surface"));
    m_surface->setFixedSize(twips(5175), twips(3990));
    setCentralWidget(m_surface);

    Image1 = new QLabel(m_surface);
    Image1->setObjectName(QStringLiteral("Image1"));
    Image1->setGeometry(0, 0, twips(5160), twips(825));
    Image1->setScaledContents(true);
    Image1->setPixmap(QPixmap(QStringLiteral(":/images/banniere.png")));

    struct Item
    {
        const char *name, *caption;
        void (*command)(Form1 *);
    };
    const Item items[] = {
        {"mnMiseAJour", "&Mise à Jour", [](Form1 *f) { f->mnMiseAJour_Click(); }},
        {"MnIcone", "&Réduire", [](Form1 *f) { f->MnIcone_Click(); }},
        {"mnAide", "&Aide", [](Form1 *f) { openHelp(f); }},
        {"MnApropos", "A &Propos", [](Form1 *) { showAbout(); }},
        {"mnQuitter", "&Quitter", [](Form1 *) { Windows::end(); }},
    };
    for (const Item &item : items) {
        QAction *action = menuBar()->addAction(QString::fromUtf8(item.caption));
        action->setObjectName(QString::fromLatin1(item.name));
        connect(action, &QAction::triggered, this, [this, command = item.command] { command(this); });
    }
    layout()->setSizeConstraint(QLayout::SetFixedSize);
}

QRectF Form1::lineBand(int n) const
{
    const int lineHeight = QFontMetrics(m_font, &m_drawing).height();
    return {0, twipsF(1000) + (n - 1) * lineHeight, qreal(m_surface->width()), qreal(lineHeight)};
}

void Form1::load()
{
    Windows::loadForm2();  // reads today's texts when the update window is not loaded

    const qreal ratio = devicePixelRatioF();
    m_drawing = QImage(m_surface->size() * ratio, QImage::Format_RGB32);
    m_drawing.setDevicePixelRatio(ratio);
    {
        QPainter p(&m_drawing);
        p.drawImage(0, 0, QImage(QStringLiteral(":/images/fond.png")));
    }

    using namespace Module1;
    m_printed.clear();
    m_position = {twipsF(140), twipsF(1000)};
    printText(greetingLine());
    printText(QString());
    const QColor colours[] = {kBlue, kRed, kBlue};  // today's texts stand out
    int n = 0;
    for (const GreetingDay &d : greetingDays()) {
        m_colour = colours[n++];
        m_position.setX(twipsF(200));
        printText(d.heading);
        m_position.setX(twipsF(1050));
        printText(d.text1);
        m_position.setX(twipsF(1050));
        printText(d.text2);
    }
    m_surface->update();
}

// Draws a text at the drawing position, in the current colour, over the
// picture, each of its lines under the last at the same left edge; the
// position then moves to the start of the next line. Nothing wraps: what
// passes the right edge is cut off.
void Form1::printText(const QString &text)
{
    m_printed << text;
    const QFontMetrics fm(m_font, &m_drawing);
    const QStringList lines = textLines(text);
    for (qsizetype i = 0; i < lines.size(); ++i) {
        if (!lines[i].isEmpty()) {
            QPainter p(&m_drawing);
            p.setFont(m_font);
            p.setPen(m_colour);
            p.drawText(m_position + QPointF(0, fm.ascent()), lines[i]);
        }
        m_position.setY(m_position.y() + fm.height());
    }
    m_position.setX(0);
}

void Form1::mnMiseAJour_Click()
{
    Windows::unloadForm1();
    Windows::showForm2();
}

void Form1::MnIcone_Click()
{
    Windows::unloadForm2();
    showMinimized();
}

void Form1::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Escape)
        Windows::end();
}

void Form1::closeEvent(QCloseEvent *event)
{
    event->accept();
    Windows::end();
}
