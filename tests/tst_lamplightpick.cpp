#include "core/devicestate.h"
#include "core/postmsg.h"
#include "helpers/devicelinkfixture.h"
#include "helpers/testenv.h"
#include "helpers/testwidgets.h"
#include "pages/lighting/lamplight.h"
#include "ui/lang/languagefilereader.h"
#include "ui/widgets/screencolor.h"

#include "hidusb/hidsim.h"

#include <QCursor>
#include <QLabel>
#include <QLineEdit>
#include <QSignalSpy>
#include <QSpinBox>
#include <QtTest>

#include <memory>
#include <vector>

namespace {

QString Preview(const QVector<int>& c)
{
    return QStringLiteral("QLabel{background-color: rgb(%1,%2,%3);border: 2px solid  rgb(220,220,220);}")
        .arg(c[0])
        .arg(c[1])
        .arg(c[2]);
}

enum class Condition { Sends, Clear, Unplugged, UnpluggedLoading };

} // namespace

Q_DECLARE_METATYPE(Condition)

// The colour board takes whatever the screen shows under the cursor. On the offscreen platform
// the screen (800 x 600) shows the top-level windows; the page itself stands off the screen.
class TestLampLightPick : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void cleanupTestCase();

    void pick_data();
    void pick();
    void focusRule();

private:
    template <typename T = QWidget>
    T* child(const char* name) const { return TestEnv::NamedChild<T>(m_page.get(), name); }
    QVector<int> colour() const
    {
        return {child<QSpinBox>("RSpinBox")->value(), child<QSpinBox>("GSpinBox")->value(),
                child<QSpinBox>("BSpinBox")->value()};
    }
    void addSwatch(const QRect& geometry, const QColor& colour);

    std::unique_ptr<DeviceLinkFixture> m_fixture;
    std::unique_ptr<LampLight> m_page;
    std::vector<std::unique_ptr<QWidget>> m_swatches;
    FlashDataMap m_shown{};
};

void TestLampLightPick::init()
{
    m_fixture = std::make_unique<DeviceLinkFixture>();
    const QByteArray path = m_fixture->add(DeviceLinkFixture::CableMouse("m1"));
    QVERIFY(!path.isEmpty());
    // Single-colour breathing (colour board shown) in 0, 0, 255.
    m_shown = DeviceLinkFixture::StoredRecord("m1");
    m_shown.lightOn = 1;
    m_shown.lightMode = 2;
    m_shown.lightColor[0] = 0;
    m_shown.lightColor[1] = 0;
    m_shown.lightColor[2] = 255;
    QVERIFY(HidSim::SetSettings("m1", -1, m_shown));
    m_fixture->chooseFullyRead("m1", DeviceLinkFixture::InfoFor(path, 36, 1, 2, 0));
    LoadLanguageFiles();
    UiSendsChanges.store(0);
    LightLoading.store(0);
    m_page = std::make_unique<LampLight>(nullptr);
    m_page->move(1000, 1000);
    m_page->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_page.get()));
    m_page->SlotUpDataLightUILight(m_shown);
    QVERIFY(child("label_7")->isVisible());

    addSwatch(QRect(100, 100, 60, 60), QColor(10, 0, 200));
    addSwatch(QRect(140, 290, 60, 60), QColor(30, 60, 90));
    addSwatch(QRect(80, 180, 40, 40), QColor(250, 250, 250));
    HidSim::ClearCalls();
}

void TestLampLightPick::cleanup()
{
    ScreenColor::SetScaleForTests({});
    m_swatches.clear();
    m_page.reset();
    UiSendsChanges.store(0);
    LightLoading.store(0);
    LightLoaded.store(0);
    m_fixture.reset();
}

void TestLampLightPick::cleanupTestCase()
{
    LanguageTables::SetGlobal(LanguageTables());
}

void TestLampLightPick::addSwatch(const QRect& geometry, const QColor& colour)
{
    auto swatch = std::make_unique<QWidget>();
    swatch->setWindowFlags(Qt::FramelessWindowHint);
    swatch->setAutoFillBackground(true);
    QPalette palette = swatch->palette();
    palette.setColor(QPalette::Window, colour);
    swatch->setPalette(palette);
    swatch->setGeometry(geometry);
    swatch->show();
    QVERIFY(QTest::qWaitForWindowExposed(swatch.get()));
    m_swatches.push_back(std::move(swatch));
}

void TestLampLightPick::pick_data()
{
    QTest::addColumn<Condition>("condition");
    QTest::addColumn<QPoint>("cursor");
    QTest::addColumn<double>("scale");
    QTest::addColumn<QVector<int>>("after");
    QTest::addColumn<int>("writes");
    QTest::addColumn<int>("notices");

    const QVector<int> before{0, 0, 255};
    const QVector<int> first{10, 0, 200};
    // Green stays 0: two writes.
    QTest::newRow("swatch") << Condition::Sends << QPoint(130, 130) << 1.0 << first << 2 << 0;
    QTest::newRow("changes not sent") << Condition::Clear << QPoint(130, 130) << 1.0 << first << 0 << 0;
    QTest::newRow("unplugged: nothing taken") << Condition::Unplugged << QPoint(130, 130) << 1.0 << before << 0 << 1;
    QTest::newRow("unplugged while loading") << Condition::UnpluggedLoading << QPoint(130, 130) << 1.0 << first << 0
                                             << 0;
    QTest::newRow("outside every screen") << Condition::Sends << QPoint(5000, 5000) << 1.0 << before << 0 << 0;
    // (100, 200) shows the light grey swatch; the grab at (150, 300) the other one.
    QTest::newRow("scale 1.5") << Condition::Sends << QPoint(100, 200) << 1.5 << QVector<int>{30, 60, 90} << 3 << 0;
}

void TestLampLightPick::pick()
{
    QFETCH(Condition, condition);
    QFETCH(QPoint, cursor);
    QFETCH(double, scale);
    QFETCH(QVector<int>, after);
    QFETCH(int, writes);
    QFETCH(int, notices);
    if (scale != 1.0)
        ScreenColor::SetScaleForTests([scale] { return QPointF(scale, scale); });
    UiSendsChanges.store(condition == Condition::Clear ? 0 : 1);
    if (condition == Condition::Unplugged || condition == Condition::UnpluggedLoading)
        QVERIFY(HidSim::Unplug("m1"));
    if (condition == Condition::UnpluggedLoading)
        LightLoading.store(1);
    QCursor::setPos(cursor);
    QCOMPARE(QCursor::pos(), cursor);
    HidSim::ClearCalls();
    QSignalSpy offline(PostMsg::instance(), &PostMsg::SigMouseOffLineo);

    QTest::mouseClick(child("label_7"), Qt::LeftButton);

    QCOMPARE(colour(), after);
    QCOMPARE(child("labelPreView")->styleSheet(), Preview(after));
    QCOMPARE(offline.count(), notices);
    QCOMPARE(HidSim::CallCount("ProtocolDataUpdate"), writes);
    if (condition == Condition::Clear)
        QCOMPARE(HidSim::CallCount("UsbFinderC_GetDeviceOnLine"), 0);
    FlashDataMap expected = m_shown;
    if (writes) {
        for (int i = 0; i < 3; ++i)
            expected.lightColor[i] = quint8(after[i]);
    }
    QCOMPARE(DeviceLinkFixture::Bytes(DeviceLinkFixture::StoredRecord("m1")), DeviceLinkFixture::Bytes(expected));
}

void TestLampLightPick::focusRule()
{
    m_page->move(0, 0);
    m_page->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(m_page.get()));
    auto* red = child<QSpinBox>("RSpinBox");
    const auto inPage = [this](const char* name) {
        const QWidget* w = child(name);
        return w->mapTo(m_page.get(), QPoint(w->width() / 2, w->height() / 2));
    };

    // A click on a box lands on its text field.
    QTest::mouseClick(red->findChild<QLineEdit*>(), Qt::LeftButton);
    QTRY_VERIFY(red->hasFocus());
    // The three boxes are one area: a press that reaches the page there keeps the editing.
    QTest::mouseClick(m_page.get(), Qt::LeftButton, {}, inPage("GSpinBox"));
    QVERIFY(red->hasFocus());
    // A press on a caption ends it, and picks nothing.
    QTest::mouseClick(child("label_6"), Qt::LeftButton);
    QTRY_VERIFY(m_page->hasFocus());
    QVERIFY(!red->hasFocus());
    QCOMPARE(colour(), (QVector<int>{0, 0, 255}));

    // So does a press on a slider's mirror, which stands outside the three.
    QTest::mouseClick(child("BSpinBox")->findChild<QLineEdit*>(), Qt::LeftButton);
    QTRY_VERIFY(child("BSpinBox")->hasFocus());
    QTest::mouseClick(m_page.get(), Qt::LeftButton, {}, inPage("LightSpinBox_2"));
    QTRY_VERIFY(m_page->hasFocus());
    QCOMPARE(HidSim::CallCount("ProtocolDataUpdate"), 0);
}

VEXO_TEST_MAIN(TestLampLightPick)
#include "tst_lamplightpick.moc"
