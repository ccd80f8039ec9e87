#pragma once

#include <QColor>
#include <QFont>
#include <QImage>
#include <QMainWindow>
#include <QPointF>
#include <QStringList>

class QLabel;

// The greeting window: today's date and the texts of yesterday, today and
// tomorrow, drawn once at load over a background picture, under a banner.
class Form1 : public QMainWindow
{
    Q_OBJECT

public:
    explicit Form1(QWidget *parent = nullptr);

    // Makes sure the update window has read today's texts, then draws.
    void load();
    // What the load drew, as the window shows it.
    const QImage &drawing() const { return m_drawing; }
    // What the load printed, one line per print, for screen readers.
    QString printedText() const { return m_printed.join(QLatin1Char('\n')); }
    // The band of the surface that greeting line `n` (1 to 11) occupies.
    QRectF lineBand(int n) const;

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    void printText(const QString &text);
    void mnMiseAJour_Click();
    void MnIcone_Click();

    QWidget *m_surface;
    QLabel *Image1;
    QImage m_drawing;
    QFont m_font;
    QColor m_colour;
    QPointF m_position;
    QStringList m_printed;
};
