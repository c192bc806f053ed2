#ifndef MYCONMBOBOX_H
#define MYCONMBOBOX_H

#include <QComboBox>

// A combo box that remembers the index it had when it was pressed (a page that has to undo a
// choice goes back to it) and draws its text centred, like a button label.
class MyConmboBox : public QComboBox
{
public:
    explicit MyConmboBox(QWidget* parent = nullptr);

    int PressedIndex = 0;

protected:
    void mousePressEvent(QMouseEvent* e) override;
    void paintEvent(QPaintEvent* e) override;
};

#endif
