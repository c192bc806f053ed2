#include "helpers/testwidgets.h"
#include "ui/widgets/roundedwindow.h"

#include <QWidget>
#include <QtTest>

class TestRoundedWindow : public QObject
{
    Q_OBJECT
private slots:
    void cleanup();

    void cutToShapeWhenNothingBlends_data();
    void cutToShapeWhenNothingBlends();
    void keptWholeWhereCornersBlend_data();
    void keptWholeWhereCornersBlend();
};

void TestRoundedWindow::cleanup()
{
    RoundedWindow::SetCornersBlendedForTests(-1);
}

void TestRoundedWindow::cutToShapeWhenNothingBlends_data()
{
    // A window of the pairing dialog's size.
    QTest::addColumn<QPoint>("point");
    QTest::addColumn<bool>("inside");
    QTest::newRow("top left corner") << QPoint(0, 0) << false;
    QTest::newRow("top right corner") << QPoint(457, 0) << false;
    QTest::newRow("bottom left corner") << QPoint(0, 241) << false;
    QTest::newRow("bottom right corner") << QPoint(457, 241) << false;
    QTest::newRow("within the top left rounding") << QPoint(2, 2) << false;
    QTest::newRow("within the bottom right rounding") << QPoint(455, 239) << false;
    QTest::newRow("centre") << QPoint(229, 121) << true;
    QTest::newRow("top edge") << QPoint(229, 0) << true;
    QTest::newRow("left edge") << QPoint(0, 121) << true;
    QTest::newRow("right edge") << QPoint(457, 121) << true;
    QTest::newRow("bottom edge") << QPoint(229, 241) << true;
    QTest::newRow("where the top rounding ends") << QPoint(10, 0) << true;
    QTest::newRow("inside the top left rounding") << QPoint(5, 5) << true;
}

void TestRoundedWindow::cutToShapeWhenNothingBlends()
{
    QFETCH(QPoint, point);
    QFETCH(bool, inside);
    RoundedWindow::SetCornersBlendedForTests(0);
    QWidget window;
    window.resize(458, 242);
    RoundedWindow::Apply(&window);
    QCOMPARE(window.mask().contains(point), inside);
    QCOMPARE(window.mask().boundingRect(), QRect(0, 0, 458, 242));
}

void TestRoundedWindow::keptWholeWhereCornersBlend_data()
{
    QTest::addColumn<int>("blended");
    QTest::newRow("compositing manager runs") << 1;
    QTest::newRow("this platform (offscreen)") << -1;
}

void TestRoundedWindow::keptWholeWhereCornersBlend()
{
    QFETCH(int, blended);
    QWidget window;
    window.resize(458, 242);
    // A mask left from a time without blending goes.
    RoundedWindow::SetCornersBlendedForTests(0);
    RoundedWindow::Apply(&window);
    QVERIFY(!window.mask().isEmpty());

    RoundedWindow::SetCornersBlendedForTests(blended);
    QVERIFY(RoundedWindow::CornersBlended());
    RoundedWindow::Apply(&window);
    QVERIFY(window.mask().isEmpty());
}

VEXO_TEST_MAIN(TestRoundedWindow)
#include "tst_roundedwindow.moc"
