#pragma once

#include <QList>
#include <QTabBar>

// A tab bar used as a command bar: a click on any tab, the selected one
// included, or the tab's access key (Alt + underlined letter) selects it and
// emits tabActivated().
class TabStrip : public QTabBar
{
    Q_OBJECT

public:
    using QTabBar::QTabBar;

    // Makes the captions smaller, step by step, until every tab fits across
    // the strip whole: the strip keeps its width at any screen density.
    void fitCaptions();
    // Where tab `index` draws its caption, in the style's own layout.
    QRect captionRect(int index) const;

signals:
    void tabActivated(int index);

protected:
    // Tabs no wider than their picture and visible caption need, so that all
    // five fit across the window.
    QSize tabSizeHint(int index) const override;
    bool event(QEvent *e) override;

    void tabInserted(int index) override;
    void tabRemoved(int index) override;
    void changeEvent(QEvent *e) override;

private:
    int naturalWidth(int index) const;
    int naturalTotal() const;

    mutable QList<int> m_widths;  // natural widths, worked out once per change
    mutable int m_total = 0;
    void mousePressEvent(QMouseEvent *e) override;
};
