#include "helpers/testenv.h"
#include "helpers/testwidgets.h"
#include "ui/widgets/myconmbobox.h"
#include "ui/widgets/myslider.h"
#include "ui/widgets/mytoolbutton.h"

#include <QApplication>
#include <QImage>
#include <QMouseEvent>
#include <QStyleFactory>
#include <QStyleOptionComboBox>
#include <QStyle>
#include <QStyleOptionSlider>
#include <QtTest>

#include <climits>
#include <memory>

namespace {

// Counts the slider's click notices that reach a widget.
class ClickCounter : public QObject
{
public:
    int count = 0;

protected:
    bool eventFilter(QObject*, QEvent* e) override
    {
        if (e->type() == MySlider::SliderClickEvent)
            ++count;
        return false;
    }
};

// Exposes the style option, to find the edit field the text belongs in.
class ProbeBox : public MyConmboBox
{
public:
    using MyConmboBox::MyConmboBox;
    using QComboBox::initStyleOption;
};

void sendMouse(QWidget* w, QEvent::Type type, Qt::MouseButton button, const QPoint& pos)
{
    const Qt::MouseButtons held = type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::MouseButtons(button);
    QMouseEvent e(type, pos, w->mapToGlobal(pos), button, held, Qt::NoModifier);
    QApplication::sendEvent(w, &e);
}

} // namespace

class TestWidgets : public QObject
{
    Q_OBJECT
private slots:
    void sliderJumpsToPress_data();
    void sliderJumpsToPress();
    void sliderHandlePressDrags();
    void sliderWithoutWidth();
    void sliderWithoutParent();

    void comboRemembersPressedIndex();
    void comboTextCentred();

    void toolButtonPresses_data();
    void toolButtonPresses();
};

void TestWidgets::sliderJumpsToPress_data()
{
    QTest::addColumn<Qt::Orientation>("orientation");
    QTest::addColumn<int>("minimum");
    QTest::addColumn<int>("maximum");
    QTest::addColumn<int>("width");
    QTest::addColumn<int>("x");
    QTest::addColumn<int>("start"); // the value before the press; its handle lies away from x
    QTest::addColumn<int>("value");
    QTest::newRow("last pixel") << Qt::Horizontal << 0 << 100 << 200 << 199 << 0 << 99;
    QTest::newRow("first pixel is the minimum") << Qt::Horizontal << 0 << 100 << 200 << 0 << 100 << 0;
    QTest::newRow("middle") << Qt::Horizontal << 0 << 100 << 200 << 100 << 100 << 50;
    QTest::newRow("negative range") << Qt::Horizontal << -50 << 50 << 100 << 25 << 50 << -25;
    QTest::newRow("truncates toward zero") << Qt::Horizontal << -10 << 0 << 300 << 100 << 0 << -6;
    QTest::newRow("past the right edge: maximum") << Qt::Horizontal << 0 << 100 << 200 << 350 << 0 << 100;
    QTest::newRow("left of the slider: minimum") << Qt::Horizontal << 10 << 100 << 200 << -40 << 100 << 10;
    QTest::newRow("whole int range") << Qt::Horizontal << INT_MIN << INT_MAX << 200 << 100 << INT_MAX << 0;
    QTest::newRow("vertical slider uses its width") << Qt::Vertical << 0 << 100 << 40 << 10 << 0 << 25;
}

void TestWidgets::sliderJumpsToPress()
{
    QFETCH(Qt::Orientation, orientation);
    QFETCH(int, minimum);
    QFETCH(int, maximum);
    QFETCH(int, width);
    QFETCH(int, x);
    QFETCH(int, start);
    QFETCH(int, value);
    QWidget owner;
    ClickCounter counter;
    owner.installEventFilter(&counter);
    auto* slider = new MySlider(&owner);
    slider->setOrientation(orientation);
    slider->setRange(minimum, maximum);
    slider->setValue(start);
    slider->resize(width, orientation == Qt::Horizontal ? 20 : 300);
    QSignalSpy changed(slider, &QSlider::valueChanged);

    sendMouse(slider, QEvent::MouseButtonPress, Qt::LeftButton, QPoint(x, 10));
    QCOMPARE(slider->value(), value);
    QCOMPARE(counter.count, 1);
    // One value per press: the jump, no page step on the way.
    QCOMPARE(changed.count(), value != start ? 1 : 0);
    if (value != start)
        QCOMPARE(changed.last().first().toInt(), value);
    QVERIFY(!slider->isSliderDown());
}

void TestWidgets::sliderHandlePressDrags()
{
    QWidget owner;
    ClickCounter counter;
    owner.installEventFilter(&counter);
    auto* slider = new MySlider(&owner);
    slider->setOrientation(Qt::Horizontal);
    slider->setRange(0, 100);
    slider->setTracking(false);
    slider->setValue(50);
    slider->resize(200, 20);
    QStyleOptionSlider option;
    option.initFrom(slider);
    option.orientation = Qt::Horizontal;
    option.minimum = 0;
    option.maximum = 100;
    option.sliderPosition = 50;
    option.sliderValue = 50;
    const QPoint handle = slider->style()
                              ->subControlRect(QStyle::CC_Slider, &option, QStyle::SC_SliderHandle, slider)
                              .center();
    QSignalSpy changed(slider, &QSlider::valueChanged);

    // Off the handle's centre, so a jump would change the value.
    sendMouse(slider, QEvent::MouseButtonPress, Qt::LeftButton, handle + QPoint(2, 0));
    QVERIFY(slider->isSliderDown());
    QCOMPARE(slider->value(), 50);
    QCOMPARE(changed.count(), 0);
    QCOMPARE(counter.count, 1);
}

void TestWidgets::sliderWithoutWidth()
{
    QWidget owner;
    ClickCounter counter;
    owner.installEventFilter(&counter);
    auto* slider = new MySlider(&owner);
    slider->setOrientation(Qt::Horizontal);
    slider->setRange(0, 100);
    slider->setValue(40);
    slider->resize(0, 20);
    sendMouse(slider, QEvent::MouseButtonPress, Qt::LeftButton, QPoint(0, 10));
    sendMouse(slider, QEvent::MouseButtonPress, Qt::LeftButton, QPoint(5, 10));
    QCOMPARE(slider->value(), 40);
    QCOMPARE(counter.count, 0);
}

void TestWidgets::sliderWithoutParent()
{
    MySlider slider(nullptr);
    slider.setOrientation(Qt::Horizontal);
    slider.setRange(0, 10);
    slider.resize(100, 20);
    sendMouse(&slider, QEvent::MouseButtonPress, Qt::LeftButton, QPoint(50, 10));
    QCOMPARE(slider.value(), 5);
}

void TestWidgets::comboRemembersPressedIndex()
{
    QWidget window;
    auto* box = new MyConmboBox(&window);
    for (int i = 0; i < 8; ++i)
        box->addItem(QString::number(i));
    box->resize(120, 24);
    QCOMPARE(box->PressedIndex, 0);
    box->setCurrentIndex(2);
    int seenAtActivation = -1;
    connect(box, QOverload<int>::of(&QComboBox::activated), box, [&] { seenAtActivation = box->PressedIndex; });

    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QTest::mousePress(box, Qt::LeftButton, Qt::NoModifier, QPoint(10, 12));
    box->hidePopup();
    // The user picks entry 5 from the list.
    box->setCurrentIndex(5);
    emit box->activated(5);
    QCOMPARE(seenAtActivation, 2);
    QCOMPARE(box->currentIndex(), 5);
}

// The current text sits in the middle of the edit field, like a button label, not at its left.
void TestWidgets::comboTextCentred()
{
    std::unique_ptr<QStyle> fusion(QStyleFactory::create(QStringLiteral("Fusion")));
    ProbeBox box(nullptr);
    box.setStyle(fusion.get());
    box.addItem(QStringLiteral("WWW"));
    box.resize(300, 30);
    QPalette palette = box.palette();
    palette.setColor(QPalette::ButtonText, Qt::black);
    palette.setColor(QPalette::Text, Qt::black);
    palette.setColor(QPalette::Button, Qt::white);
    palette.setColor(QPalette::Base, Qt::white);
    palette.setColor(QPalette::Window, Qt::white);
    box.setPalette(palette);

    QStyleOptionComboBox option;
    box.initStyleOption(&option);
    const QRect field = fusion->subControlRect(QStyle::CC_ComboBox, &option, QStyle::SC_ComboBoxEditField, &box);
    const QImage image = box.grab().toImage();
    int left = INT_MAX;
    int right = -1;
    for (int y = field.top() + 3; y < field.bottom() - 3; ++y)
        for (int x = field.left() + 3; x < field.right() - 3; ++x)
            if (qGray(image.pixel(x, y)) < 100) {
                left = std::min(left, x);
                right = std::max(right, x);
            }
    QVERIFY2(right > left, "no text drawn");
    const int textCentre = (left + right) / 2;
    QVERIFY2(qAbs(textCentre - field.center().x()) <= 6,
             qPrintable(QStringLiteral("text %1..%2 in field %3..%4").arg(left).arg(right).arg(field.left()).arg(field.right())));
}

void TestWidgets::toolButtonPresses_data()
{
    QTest::addColumn<QStringList>("events");
    QTest::addColumn<bool>("checkedBefore");
    QTest::addColumn<QString>("emitted"); // one letter per clicked(): f = false, t = true
    QTest::addColumn<bool>("checkedAfter");
    QTest::newRow("left press") << QStringList{"press L"} << false << "f" << true;
    QTest::newRow("release emits nothing and keeps it checked") << QStringList{"press L", "release L"} << false << "f"
                                                                << true;
    QTest::newRow("double-click: press, then the double-click")
        << QStringList{"press L", "release L", "double L", "release L"} << false << "ft" << true;
    QTest::newRow("a press never unchecks") << QStringList{"press L"} << true << "f" << true;
    QTest::newRow("right press") << QStringList{"press R"} << false << "" << false;
    QTest::newRow("right double-click leaves it checked") << QStringList{"double R", "release R"} << true << ""
                                                          << true;
    QTest::newRow("middle press") << QStringList{"press M"} << true << "" << true;
}

void TestWidgets::toolButtonPresses()
{
    QFETCH(QStringList, events);
    QFETCH(bool, checkedBefore);
    QFETCH(QString, emitted);
    QFETCH(bool, checkedAfter);
    MyToolButton button(nullptr);
    button.setCheckable(true);
    button.setChecked(checkedBefore);
    button.resize(60, 30);
    QString seen;
    connect(&button, &QToolButton::clicked, &button, [&](bool second) { seen += second ? QLatin1Char('t') : QLatin1Char('f'); });

    for (const QString& event : events) {
        const QStringList parts = event.split(QLatin1Char(' '));
        const Qt::MouseButton which = parts.at(1) == QLatin1String("L")   ? Qt::LeftButton
                                      : parts.at(1) == QLatin1String("R") ? Qt::RightButton
                                                                          : Qt::MiddleButton;
        const QEvent::Type type = parts.at(0) == QLatin1String("press")    ? QEvent::MouseButtonPress
                                  : parts.at(0) == QLatin1String("double") ? QEvent::MouseButtonDblClick
                                                                           : QEvent::MouseButtonRelease;
        sendMouse(&button, type, which, QPoint(30, 15));
    }
    QCOMPARE(seen, emitted);
    QCOMPARE(button.isChecked(), checkedAfter);
    QVERIFY(!button.isDown());
}

VEXO_TEST_MAIN(TestWidgets)
#include "tst_widgets.moc"
