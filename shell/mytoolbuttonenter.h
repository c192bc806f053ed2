#ifndef MYTOOLBUTTONENTER_H
#define MYTOOLBUTTONENTER_H

#include <QToolButton>

// A device button of the device choice page. Its object name is "btn" + the index of its
// device; when the pointer enters it, it says which device, and the page re-checks that
// device and restyles it.
class mytoolButtonEnter : public QToolButton
{
    Q_OBJECT
public:
    explicit mytoolButtonEnter(QWidget* parent = nullptr);

signals:
    void SigPointerEntered(int index);

protected:
    void enterEvent(QEvent* event) override;
    void leaveEvent(QEvent* event) override;
};

#endif
