#ifndef OKCANCELBODY_H
#define OKCANCELBODY_H

class QDialog;
class QFrame;
class QLabel;
class QToolButton;

// What the OK/Cancel questions share: the notice skin with both buttons styled as confirm
// buttons, and an answer that is stored before the window closes.
class OkCancelBody
{
public:
    static void SetUp(QDialog* dialog, QFrame* frame, QLabel* label, QToolButton* closeButton, QToolButton* ok,
                      QToolButton* cancel);
    static void Answer(QDialog* dialog, bool* answer, bool value);
};

#endif
