#include "ui/Booklet.h"

#include "calendar/NomDuJour.h"
#include "core/Platform.h"

#include <QDir>
#include <QFontMetricsF>
#include <QPageLayout>
#include <QPainter>
#include <QPdfWriter>
#include <QPrintDialog>
#include <QPrinter>
#include <QSaveFile>
#include <QTextLayout>

#include <memory>

namespace {
const char *const kMonths[] = {"Janvier", "Février", "Mars", "Avril", "Mai", "Juin", "Juillet",
                               "Août", "Septembre", "Octobre", "Novembre", "Décembre"};

// Lines of one cell, laid out in its column's width.
class Cell
{
public:
    Cell(QString text, const QFont &font, qreal width, QPaintDevice *device) : m_layout(prepared(text), font, device)
    {
        QTextOption option;
        option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
        m_layout.setTextOption(option);
        m_layout.beginLayout();
        for (QTextLine line = m_layout.createLine(); line.isValid(); line = m_layout.createLine())
            line.setLineWidth(width);
        m_layout.endLayout();
    }
    int lineCount() const { return m_layout.lineCount(); }
    // Lines [first, first + count) with the first one's top at `top`.
    void draw(QPainter &p, qreal x, qreal top, int first, int count, qreal lineHeight) const
    {
        for (int i = first; i < first + count && i < m_layout.lineCount(); ++i) {
            const QTextLine line = m_layout.lineAt(i);
            line.draw(&p, QPointF(x, top + (i - first) * lineHeight - line.y()));
        }
    }

private:
    // Line ends break the line; other control characters show as spaces.
    static QString prepared(QString text)
    {
        text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
        for (QChar &c : text) {
            if (c == u'\n' || c == u'\r')
                c = QChar::LineSeparator;
            else if (c.unicode() < 0x20 || c.unicode() == 0x7F)
                c = QLatin1Char(' ');
        }
        return text;
    }
    QTextLayout m_layout;
};

int monthOf(const DayRow &row, int previous)
{
    int month = 0, day = 0;
    return monthDayOf(row.key, &month, &day) ? month : previous;
}

class Printer
{
public:
    Printer(QPagedPaintDevice &device, QDate today) : m_device(device), m_painter(&device), m_today(today)
    {
        m_text.setFamily(QStringLiteral("Liberation Sans"));
        m_text.setStyleHint(QFont::SansSerif);
        m_text.setPointSizeF(9);
        m_title = m_text;
        m_title.setPointSizeF(16);
        m_title.setBold(true);
        m_bold = m_text;
        m_bold.setBold(true);
        m_lineHeight = QFontMetricsF(m_text, &device).lineSpacing();
        m_width = device.width();
        m_bottom = device.height();
        const qreal gap = QFontMetricsF(m_text, &device).horizontalAdvance(QStringLiteral("  "));
        m_columns[0] = 0;
        m_columns[1] = m_columns[0] + QFontMetricsF(m_bold, &device).horizontalAdvance(QStringLiteral("00/00")) + gap;
        m_columns[2] = m_columns[1] + QFontMetricsF(m_text, &device).horizontalAdvance(QStringLiteral("(années bissextiles)")) + gap;
        m_columns[3] = m_columns[2] + (m_width - m_columns[2]) / 2;
        m_columnWidth = m_columns[3] - m_columns[2] - gap;
    }

    bool ok() const { return m_painter.isActive(); }

    void month(int month, bool firstPage)
    {
        m_month = month;
        if (!firstPage)
            m_device.newPage();
        title(QString());
    }

    void row(const DayRow &row)
    {
        int month = 0, day = 0;
        QString weekday;
        if (monthDayOf(row.key, &month, &day)) {
            weekday = dayNameInYear(row.key, std::int16_t(m_today.year()));
            if (month == 2 && day == 29 && !QDate::isLeapYear(m_today.year()))
                weekday = QStringLiteral("(années bissextiles)");
        }
        QPaintDevice *device = &m_device;
        const qreal narrow = m_columns[2] - m_columns[1];
        const Cell cells[] = {Cell(row.key, m_bold, m_columns[1], device), Cell(weekday, m_text, narrow, device),
                              Cell(row.text1.toString(), m_text, m_columnWidth, device),
                              Cell(row.text2.toString(), m_text, m_columnWidth, device)};
        int lines = 1;
        for (const Cell &c : cells)
            lines = qMax(lines, c.lineCount());
        // A day starts on a new page when it would fit there but not here.
        const int room = int((m_bottom - m_y) / m_lineHeight);
        if (lines > room && lines <= pageRoom())
            title(QStringLiteral(" (suite)"), true);
        for (int first = 0; first < lines;) {
            int count = qMin(lines - first, int((m_bottom - m_y) / m_lineHeight));
            if (count <= 0) {
                title(QStringLiteral(" (suite)"), true);
                continue;
            }
            for (int c = 0; c < 4; ++c)
                cells[c].draw(m_painter, m_columns[c], m_y, first, count, m_lineHeight);
            m_y += count * m_lineHeight;
            first += count;
        }
        m_painter.setPen(QPen(Qt::lightGray, 0));
        m_painter.drawLine(QPointF(0, m_y + m_lineHeight * 0.15), QPointF(m_width, m_y + m_lineHeight * 0.15));
        m_painter.setPen(Qt::black);
        m_y += m_lineHeight * 0.3;
    }

private:
    qreal titleHeight() const { return QFontMetricsF(m_title, &m_device).lineSpacing() * 1.5; }
    int pageRoom() const { return int((m_bottom - titleHeight()) / m_lineHeight); }

    void title(const QString &suffix, bool newPage = false)
    {
        if (newPage)
            m_device.newPage();
        m_painter.setFont(m_title);
        m_painter.setPen(Qt::black);
        const QString name = m_month >= 1 && m_month <= 12 ? QString::fromUtf8(kMonths[m_month - 1]) : QString();
        m_painter.drawText(QRectF(0, 0, m_width, titleHeight()), Qt::AlignLeft | Qt::AlignTop, name + suffix);
        m_painter.setFont(m_text);
        // The weekdays hold for one year only: say which.
        m_painter.drawText(QRectF(0, 0, m_width, titleHeight()), Qt::AlignRight | Qt::AlignTop,
                           QStringLiteral("Jours de la semaine de %1").arg(m_today.year()));
        m_y = titleHeight();
    }

    QPagedPaintDevice &m_device;
    QPainter m_painter;
    QDate m_today;
    QFont m_text, m_title, m_bold;
    qreal m_lineHeight = 0, m_width = 0, m_bottom = 0, m_y = 0, m_columnWidth = 0;
    qreal m_columns[4] = {};
    int m_month = 1;
};
}  // namespace

void drawBooklet(QPagedPaintDevice &device, const QList<DayRow> &rows, QDate today)
{
    Printer printer(device, today);
    if (!printer.ok())
        return;
    int month = 0;
    for (const DayRow &row : rows) {
        const int m = monthOf(row, qMax(month, 1));
        if (m != month) {
            printer.month(m, month == 0);
            month = m;
        }
        printer.row(row);
    }
    if (month == 0)
        printer.month(1, true);  // an empty almanac still gives a page
}

bool writeBookletPdf(const QString &path, const QList<DayRow> &rows, QDate today, QString *error)
{
    QSaveFile file(path);
    if (file.open(QIODevice::WriteOnly)) {
        {
            QPdfWriter pdf(&file);
            pdf.setTitle(QStringLiteral("Ombrelune"));
            pdf.setCreator(QStringLiteral("Ombrelune"));
            pdf.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait,
                                          QMarginsF(15, 15, 15, 15), QPageLayout::Millimeter));
            pdf.setResolution(300);
            drawBooklet(pdf, rows, today);
        }
        if (file.commit())
            return true;
    }
    *error = QStringLiteral("Le fichier « %1 » ne peut pas être écrit : %2.")
                 .arg(QDir::toNativeSeparators(path), file.errorString());
    return false;
}

void printBooklet(QWidget *owner, const QList<DayRow> &rows, QDate today)
{
    QPrinter printer(QPrinter::HighResolution);
    printer.setPageSize(QPageSize(QPageSize::A4));
    printer.setDocName(QStringLiteral("Ombrelune"));
    if (platform().choosePrinter(owner, &printer))
        drawBooklet(printer, rows, today);
}

bool execPrintDialog(QWidget *owner, QPrinter *printer)
{
    QPrintDialog dialog(printer, owner);
    return dialog.exec() == QDialog::Accepted;
}
