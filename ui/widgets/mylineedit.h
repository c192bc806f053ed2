#ifndef MYLINEEDIT_H
#define MYLINEEDIT_H

#include <QLineEdit>

// A line edit the keyboard cannot write into: key presses and releases stop here, accepted,
// and change nothing. Its owner writes the text (the key combination dialog shows the keys it
// caught); a paste through the context menu still edits it.
class MyLineEdit : public QLineEdit
{
public:
    explicit MyLineEdit(QWidget* parent = nullptr);

protected:
    void keyPressEvent(QKeyEvent* e) override;
    void keyReleaseEvent(QKeyEvent* e) override;
};

#endif
