#ifndef MYTOOLBUTTON_H
#define MYTOOLBUTTON_H

#include <QToolButton>

// A tool button that acts on the press itself: a left press checks it and emits
// clicked(false), a left double-click checks it and emits clicked(true). It never shows a
// pressed state, never clicks on release and never unchecks itself; other buttons do nothing.
class MyToolButton : public QToolButton
{
    Q_OBJECT
public:
    explicit MyToolButton(QWidget* parent = nullptr);

protected:
    void mousePressEvent(QMouseEvent* e) override;
    void mouseDoubleClickEvent(QMouseEvent* e) override;
};

#endif
