#pragma once

#include <QTabBar>

// A tab bar used as a command bar: a click on any tab, the selected one
// included, or the tab's access key (Alt + underlined letter) selects it and
// emits tabActivated().
class TabStrip : public QTabBar
{
    Q_OBJECT

public:
    using QTabBar::QTabBar;

signals:
    void tabActivated(int index);

protected:
    // Tabs no wider than their picture and visible caption need, so that all
    // five fit across the window.
    QSize tabSizeHint(int index) const override;
    bool event(QEvent *e) override;

private:
    int naturalWidth(int index) const;
    void mousePressEvent(QMouseEvent *e) override;
};
