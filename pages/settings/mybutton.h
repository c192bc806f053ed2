#ifndef MYBUTTON_H
#define MYBUTTON_H

#include <QPushButton>

// A link-like push button of the settings page: the pointing hand while the mouse is over it.
class MyButton : public QPushButton
{
public:
    explicit MyButton(QWidget* parent = nullptr);

protected:
    void enterEvent(QEvent* event) override;
    void leaveEvent(QEvent* event) override;
};

#endif
