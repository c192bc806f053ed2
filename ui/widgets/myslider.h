#ifndef MYSLIDER_H
#define MYSLIDER_H

#include <QEvent>
#include <QSlider>

// A slider that jumps to the clicked position; a press on the handle drags it instead. After
// each press it tells its parent with a SliderClickEvent; the new value itself reaches the
// owner through the slider's signals.
class MySlider : public QSlider
{
public:
    // QEvent::User + 1; carries no data.
    static constexpr QEvent::Type SliderClickEvent = QEvent::Type(QEvent::User + 1);

    explicit MySlider(QWidget* parent = nullptr);

protected:
    void mousePressEvent(QMouseEvent* e) override;

private:
    // The value a press at x lands on: minimum + (maximum - minimum) * x / width, truncated
    // toward zero and kept within the range. The width is used for vertical sliders too.
    static int ValueAt(int x, int width, int minimum, int maximum);
};

#endif
