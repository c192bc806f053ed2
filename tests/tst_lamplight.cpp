#include "core/devicestate.h"
#include "core/postmsg.h"
#include "helpers/devicelinkfixture.h"
#include "helpers/testenv.h"
#include "helpers/testwidgets.h"
#include "pages/lighting/lamplight.h"
#include "ui/lang/languagefilereader.h"
#include "ui/lang/langtext.h"

#include "hidusb/hidsim.h"

#include <QButtonGroup>
#include <QComboBox>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QSignalSpy>
#include <QSlider>
#include <QSpinBox>
#include <QToolButton>
#include <QtTest>

#include <atomic>
#include <functional>
#include <memory>

namespace {

const char* const kColourGroup[] = {
    "label_6",          "label_7",          "label_8",          "labelPreView",     "label_10",
    "label_11",         "label_12",         "RSpinBox",         "GSpinBox",         "BSpinBox",
    "AddR",             "AddG",             "AddB",             "ReduceR",          "ReduceG",
    "ReduceB",          "label_13",         "toolButtonColorA", "toolButtonColorB", "toolButtonColorC",
    "toolButtonColorD", "toolButtonColorE", "toolButtonColorF", "toolButtonColorG", "toolButtonColorH",
    "toolButtonColorI", "toolButtonColorJ", "toolButtonColorK", "toolButtonColorL", "toolButtonColorM",
    "toolButtonColorN"};

constexpr int OffWhileMoving = 0x0B;
constexpr int SleepTime = 0x08;
constexpr int Mode = 0x43;
constexpr int Red = 0x44;
constexpr int Green = 0x45;
constexpr int Blue = 0x46;
constexpr int Speed = 0x47;
constexpr int Brightness = 0x48;
constexpr int LightOn = 0x49;

QString Preview(int r, int g, int b)
{
    return QStringLiteral("QLabel{background-color: rgb(%1,%2,%3);border: 2px solid  rgb(220,220,220);}")
        .arg(r)
        .arg(g)
        .arg(b);
}

// Runs the emit on a thread of its own, as the worker and the library do, and waits for it.
void SetBytes(FlashDataMap& record, const QVector<int>& pairs)
{
    auto* bytes = reinterpret_cast<quint8*>(&record);
    for (int i = 0; i + 1 < pairs.size(); i += 2)
        bytes[pairs[i]] = quint8(pairs[i + 1]);
}

enum class Condition { Sends, Clear, Unplugged, UnpluggedLoading };

} // namespace

Q_DECLARE_METATYPE(Condition)

class TestLampLight : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void cleanupTestCase();

    void construction();
    void formControls_data();
    void formControls();
    void fill_data();
    void fill();
    void fillWithoutDeviceReadDisablesSliders();
    void hubSignalsFromAThreadWaitForTheSlot();
    void userActions_data();
    void userActions();
    void language_data();
    void language();

private:
    template <typename T = QWidget>
    T* child(const char* name) const { return TestEnv::NamedChild<T>(m_page.get(), name); }
    QComboBox* modes() const { return child<QComboBox>("LightMod"); }
    QComboBox* sleepList() const { return child<QComboBox>("StopClose"); }
    // Colour group, brightness, speed, line, line_2: "1" shown, "0" hidden.
    QString layout() const;
    QVector<int> colour() const
    {
        return {child<QSpinBox>("RSpinBox")->value(), child<QSpinBox>("GSpinBox")->value(),
                child<QSpinBox>("BSpinBox")->value()};
    }
    FlashDataMap base() const;
    void fillFromDevice(const FlashDataMap& record);

    std::unique_ptr<DeviceLinkFixture> m_fixture;
    std::unique_ptr<LampLight> m_page;
    QByteArray m_path;
};

void TestLampLight::init()
{
    m_fixture = std::make_unique<DeviceLinkFixture>();
    m_path = m_fixture->add(DeviceLinkFixture::CableMouse("m1"));
    QVERIFY(!m_path.isEmpty());
    QVERIFY(HidSim::SetSettings("m1", -1, base()));
    m_fixture->chooseFullyRead("m1", DeviceLinkFixture::InfoFor(m_path, 36, 1, 2, 0));
    LoadLanguageFiles();
    CurrentLanguage.store(0);
    UiSendsChanges.store(0);
    LightLoading.store(0);
    LightLoaded.store(0);
    m_page = std::make_unique<LampLight>(nullptr);
    m_page->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_page.get()));
    HidSim::ClearCalls();
}

void TestLampLight::cleanup()
{
    m_page.reset();
    UiSendsChanges.store(0);
    LightLoading.store(0);
    LightLoaded.store(0);
    CurrentLanguage.store(0);
    m_fixture.reset();
}

void TestLampLight::cleanupTestCase()
{
    LanguageTables::SetGlobal(LanguageTables());
}

// Single-colour breathing in 0, 0, 255, brightness 5 and speed 6 shown, sleep after 40 min.
FlashDataMap TestLampLight::base() const
{
    FlashDataMap m = DeviceLinkFixture::StoredRecord("m1");
    m.lightOn = 1;
    m.lightMode = 2;
    m.lightColor[0] = 0;
    m.lightColor[1] = 0;
    m.lightColor[2] = 255;
    m.lightBrightness = 4;
    m.lightSpeed = 5;
    m.lightOffWhileMoving = 0;
    m.stopCloseTime = 240;
    return m;
}

void TestLampLight::fillFromDevice(const FlashDataMap& record)
{
    QVERIFY(QMetaObject::invokeMethod(m_page.get(), "SlotUpDataLightUILight", Q_ARG(FlashDataMap, record)));
}

QString TestLampLight::layout() const
{
    const auto shown = [this](const char* name) { return child(name)->isVisibleTo(m_page.get()); };
    const bool group = shown(kColourGroup[0]);
    for (const char* name : kColourGroup) {
        if (shown(name) != group)
            return QStringLiteral("colour group split at ") + QLatin1String(name);
    }
    if (shown("horizontalLight") != shown("LightSpinBox_2") || shown("horizontalSpeed") != shown("SpeedSpinBox_2"))
        return QStringLiteral("slider and mirror differ");
    // The captions of the sliders stay in every mode.
    if (!shown("label_2") || !shown("label_3"))
        return QStringLiteral("slider caption hidden");
    QString bits;
    for (bool b : {group, shown("horizontalLight"), shown("horizontalSpeed"), shown("line"), shown("line_2")})
        bits += b ? QLatin1Char('1') : QLatin1Char('0');
    return bits;
}

void TestLampLight::construction()
{
    // Lights off: both bars, no sliders, no colour group; nothing asked, nothing sent.
    QCOMPARE(modes()->currentIndex(), 0);
    QCOMPARE(modes()->count(), 7);
    QCOMPARE(layout(), QStringLiteral("00011"));
    const auto groups = m_page->findChildren<QButtonGroup*>();
    QCOMPARE(groups.size(), 1);
    QVERIFY(groups.at(0)->exclusive());
    QVERIFY(groups.at(0)->buttons().isEmpty());
    QCOMPARE(HidSim::CallCount("ProtocolDataUpdate"), 0);
    QCOMPARE(HidSim::CallCount("UsbFinderC_GetDeviceOnLine"), 0);
}

// The properties the page's behaviour rests on.
void TestLampLight::formControls_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("property");
    QTest::addColumn<QVariant>("value");

    for (const char* slider : {"horizontalLight", "horizontalSpeed"}) {
        // Without tracking a drag writes once, on release.
        QTest::addRow("%s tracking", slider) << slider << QByteArray("tracking") << QVariant(false);
        QTest::addRow("%s minimum", slider) << slider << QByteArray("minimum") << QVariant(1);
        QTest::addRow("%s maximum", slider) << slider << QByteArray("maximum") << QVariant(10);
        QTest::addRow("%s page step", slider) << slider << QByteArray("pageStep") << QVariant(1);
    }
    for (const char* mirror : {"LightSpinBox_2", "SpeedSpinBox_2"}) {
        QTest::addRow("%s read-only", mirror) << mirror << QByteArray("readOnly") << QVariant(true);
        QTest::addRow("%s maximum", mirror) << mirror << QByteArray("maximum") << QVariant(10);
        QTest::addRow("%s no focus", mirror) << mirror << QByteArray("focusPolicy") << QVariant(int(Qt::NoFocus));
    }
    for (const char* box : {"RSpinBox", "GSpinBox", "BSpinBox"}) {
        // Every typed digit that changes the value is a change.
        QTest::addRow("%s keyboard tracking", box) << box << QByteArray("keyboardTracking") << QVariant(true);
        QTest::addRow("%s maximum", box) << box << QByteArray("maximum") << QVariant(255);
        QTest::addRow("%s click focus", box) << box << QByteArray("focusPolicy") << QVariant(int(Qt::ClickFocus));
    }
    QTest::newRow("moving toggle checkable") << "RippeControl" << QByteArray("checkable") << QVariant(true);
    QTest::newRow("preset N checkable") << "toolButtonColorN" << QByteArray("checkable") << QVariant(true);
    QTest::newRow("mode list no focus") << "LightMod" << QByteArray("focusPolicy") << QVariant(int(Qt::NoFocus));
    QTest::newRow("page width") << "LampLight" << QByteArray("maximumWidth") << QVariant(883);
    QTest::newRow("page height") << "LampLight" << QByteArray("maximumHeight") << QVariant(630);
}

void TestLampLight::formControls()
{
    QFETCH(QString, name);
    QFETCH(QByteArray, property);
    QFETCH(QVariant, value);
    const QObject* object = name == m_page->objectName() ? m_page.get() : child<QObject>(qPrintable(name));
    QVariant actual = object->property(property.constData());
    if (property == "focusPolicy")
        actual = QVariant(actual.toInt());
    QCOMPARE(actual, value);
}

void TestLampLight::fill_data()
{
    QTest::addColumn<int>("lightOn");
    QTest::addColumn<int>("lightMode");
    QTest::addColumn<int>("brightness");
    QTest::addColumn<int>("speed");
    QTest::addColumn<int>("offWhileMoving");
    QTest::addColumn<int>("stopCloseTime");
    QTest::addColumn<int>("index");
    QTest::addColumn<QString>("layout");
    QTest::addColumn<int>("brightnessShown");
    QTest::addColumn<int>("speedShown");
    QTest::addColumn<int>("sleepItem");

    // Each row follows a fill of base(): mode 2, brightness 5, speed 6, sleep item 10.
    QTest::newRow("lights off with mode 3") << 0 << 3 << 4 << 5 << 0 << 240 << 0 << "00011" << 5 << 6 << 10;
    QTest::newRow("mode 1") << 1 << 1 << 4 << 5 << 0 << 240 << 1 << "01100" << 5 << 6 << 10;
    QTest::newRow("mode 2") << 1 << 2 << 4 << 5 << 0 << 240 << 2 << "11100" << 5 << 6 << 10;
    QTest::newRow("mode 3") << 1 << 3 << 4 << 5 << 0 << 240 << 3 << "11001" << 5 << 6 << 10;
    QTest::newRow("mode 4") << 1 << 4 << 4 << 5 << 0 << 240 << 4 << "01100" << 5 << 6 << 10;
    QTest::newRow("mode 5") << 1 << 5 << 4 << 5 << 0 << 240 << 5 << "01100" << 5 << 6 << 10;
    QTest::newRow("mode 6") << 1 << 6 << 4 << 5 << 0 << 240 << 6 << "01001" << 5 << 6 << 10;
    QTest::newRow("mode 7: no item, layout kept") << 1 << 7 << 4 << 5 << 0 << 240 << -1 << "11100" << 5 << 6 << 10;
    QTest::newRow("brightness 9 shows 10, speed 0 shows 1") << 1 << 2 << 9 << 0 << 0 << 240 << 2 << "11100" << 10 << 1
                                                            << 10;
    QTest::newRow("values above 9 show 10") << 1 << 2 << 200 << 10 << 0 << 240 << 2 << "11100" << 10 << 10 << 10;
    QTest::newRow("lights off while moving") << 1 << 2 << 4 << 5 << 1 << 240 << 2 << "11100" << 5 << 6 << 10;
    QTest::newRow("sleep 6: one minute") << 1 << 2 << 4 << 5 << 0 << 6 << 2 << "11100" << 5 << 6 << 2;
    QTest::newRow("sleep 7: frame kept") << 1 << 2 << 4 << 5 << 0 << 7 << 2 << "11100" << 5 << 6 << 10;
}

void TestLampLight::fill()
{
    QFETCH(int, lightOn);
    QFETCH(int, lightMode);
    QFETCH(int, brightness);
    QFETCH(int, speed);
    QFETCH(int, offWhileMoving);
    QFETCH(int, stopCloseTime);
    QFETCH(int, index);
    QFETCH(QString, layout);
    QFETCH(int, brightnessShown);
    QFETCH(int, speedShown);
    QFETCH(int, sleepItem);
    UiSendsChanges.store(1);
    VEXO_CHECKED(fillFromDevice(base()));
    QSignalSpy offline(PostMsg::instance(), &PostMsg::SigMouseOffLineo);

    FlashDataMap m = base();
    m.lightOn = quint8(lightOn);
    m.lightMode = quint8(lightMode);
    m.lightBrightness = quint8(brightness);
    m.lightSpeed = quint8(speed);
    m.lightOffWhileMoving = quint8(offWhileMoving);
    m.stopCloseTime = quint8(stopCloseTime);
    m.lightColor[0] = 12;
    m.lightColor[1] = 200;
    m.lightColor[2] = 7;
    VEXO_CHECKED(fillFromDevice(m));

    QCOMPARE(modes()->currentIndex(), index);
    QCOMPARE(this->layout(), layout);
    QCOMPARE(child<QSlider>("horizontalLight")->value(), brightnessShown);
    QCOMPARE(child<QSpinBox>("LightSpinBox_2")->value(), brightnessShown);
    QCOMPARE(child<QSlider>("horizontalSpeed")->value(), speedShown);
    QCOMPARE(child<QSpinBox>("SpeedSpinBox_2")->value(), speedShown);
    QCOMPARE(colour(), (QVector<int>{12, 200, 7}));
    QCOMPARE(child("labelPreView")->styleSheet(),
             QStringLiteral("QLabel{background-color: rgb(12,200,7);border: 2px solid  rgb(220,220,220);}"));
    QCOMPARE(child<QToolButton>("RippeControl")->isChecked(), offWhileMoving != 0);
    QCOMPARE(sleepList()->currentIndex(), sleepItem);
    QVERIFY(child("horizontalLight")->isEnabled());
    QVERIFY(child("horizontalSpeed")->isEnabled());
    QCOMPARE(LightLoading.load(), quint8(0));
    QCOMPARE(LightLoaded.load(), quint8(1));
    // Showing a record sends nothing back.
    QCOMPARE(HidSim::CallCount("ProtocolDataUpdate"), 0);
    QCOMPARE(offline.count(), 0);
}

void TestLampLight::fillWithoutDeviceReadDisablesSliders()
{
    UiSendsChanges.store(1);
    for (quint8 loaded : {quint8(0), quint8(1)}) {
        LightLoaded.store(loaded);
        FlashDataMap m = base();
        m.lightMode = 3;
        QVERIFY(QMetaObject::invokeMethod(m_page.get(), "SlotUpDataLightUIA", Q_ARG(FlashDataMap, m)));
        QVERIFY(!child("horizontalLight")->isEnabled());
        QVERIFY(!child("horizontalSpeed")->isEnabled());
        QCOMPARE(LightLoaded.load(), loaded);
        QCOMPARE(modes()->currentIndex(), 3);
        QCOMPARE(child<QSlider>("horizontalLight")->value(), 5);
        // The mode and the colour stay usable.
        QVERIFY(modes()->isEnabled());
        QVERIFY(child("RSpinBox")->isEnabled());
    }
    VEXO_CHECKED(fillFromDevice(base()));
    QVERIFY(child("horizontalLight")->isEnabled());
    QVERIFY(child("horizontalSpeed")->isEnabled());
    QCOMPARE(LightLoaded.load(), quint8(1));
    QCOMPARE(HidSim::CallCount("ProtocolDataUpdate"), 0);
}

void TestLampLight::hubSignalsFromAThreadWaitForTheSlot()
{
    UiSendsChanges.store(1);
    FlashDataMap m = base();
    m.lightColor[0] = 10;
    m.lightColor[1] = 20;
    m.lightColor[2] = 30;
    m.lightOffWhileMoving = 1;
    m.stopCloseTime = 150; // item 7
    m.lightMode = 3;
    int loadedWhenReturned = -1;
    TestEnv::EmitFromThread([m, &loadedWhenReturned] {
        LightLoaded.store(0);
        PostMsg::instance()->EmitUpDataLightLight(m);
        loadedWhenReturned = LightLoaded.load();
    });
    QCOMPARE(loadedWhenReturned, 1);
    QCOMPARE(modes()->currentIndex(), 3);

    // The defaults: colour flow, 10, 8, not off while moving, one minute; the colour stays.
    std::atomic<int> indexWhenReturned{-1};
    std::atomic<int> seen{-1};
    const QMetaObject::Connection c = connect(modes(), QOverload<int>::of(&QComboBox::currentIndexChanged),
                                              [&seen](int index) { seen.store(index); });
    QSignalSpy offline(PostMsg::instance(), &PostMsg::SigMouseOffLineo);
    TestEnv::EmitFromThread([&] {
        PostMsg::instance()->EmitFormReset();
        indexWhenReturned.store(seen.load());
    });
    disconnect(c);
    QCOMPARE(indexWhenReturned.load(), 1);
    QCOMPARE(modes()->currentIndex(), 1);
    QCOMPARE(layout(), QStringLiteral("01100"));
    QCOMPARE(child<QSlider>("horizontalLight")->value(), 10);
    QCOMPARE(child<QSpinBox>("LightSpinBox_2")->value(), 10);
    QCOMPARE(child<QSlider>("horizontalSpeed")->value(), 8);
    QCOMPARE(child<QSpinBox>("SpeedSpinBox_2")->value(), 8);
    QVERIFY(!child<QToolButton>("RippeControl")->isChecked());
    QCOMPARE(sleepList()->currentIndex(), 2);
    QCOMPARE(colour(), (QVector<int>{10, 20, 30}));
    QCOMPARE(child("labelPreView")->styleSheet(), Preview(10, 20, 30));
    QCOMPARE(LightLoaded.load(), quint8(1));
    QCOMPARE(LightLoading.load(), quint8(0));
    QCOMPARE(HidSim::CallCount("ProtocolDataUpdate"), 0);
    QCOMPARE(offline.count(), 0);
}

void TestLampLight::userActions_data()
{
    QTest::addColumn<QString>("action");
    QTest::addColumn<Condition>("condition");
    QTest::addColumn<int>("lightOn");
    QTest::addColumn<QVector<int>>("before");  // the colour of the record shown
    QTest::addColumn<QVector<int>>("changes"); // offset, value, ... of the record the mouse holds
    QTest::addColumn<QVector<int>>("first");   // the same for the first write, when several
    QTest::addColumn<int>("writes");
    QTest::addColumn<bool>("guarded");         // asks whether the mouse is there before it acts
    QTest::addColumn<QVector<int>>("after");   // the colour shown afterwards

    struct Row {
        const char* action;
        int lightOn;
        QVector<int> before;
        QVector<int> changes;
        QVector<int> first;
        int writes;
        bool guarded;
        QVector<int> after;
    };
    const QVector<int> blue{0, 0, 255};
    const QVector<int> red{255, 0, 0};
    const Row rows[] = {
        {"mode 3 then 0", 1, blue, {Mode, 3, LightOn, 0}, {Mode, 3}, 2, false, blue},
        {"mode 3 from lights off", 0, blue, {LightOn, 1, Mode, 3}, {}, 1, false, blue},
        {"brightness 1", 1, blue, {Brightness, 0}, {}, 1, false, blue},
        {"brightness 10", 1, blue, {Brightness, 9}, {}, 1, false, blue},
        {"speed 1", 1, blue, {Speed, 0}, {}, 1, false, blue},
        {"brightness drag to 7", 1, blue, {Brightness, 6}, {}, 1, false, blue},
        {"preset A", 1, blue, {Red, 255, Blue, 0}, {Red, 255, Blue, 255}, 2, true, red},
        {"AddG", 1, blue, {Green, 1}, {}, 1, true, {0, 1, 255}},
        {"AddR at 255", 1, red, {}, {}, 0, true, red},
        {"ReduceB at 0", 1, red, {}, {}, 0, true, red},
        {"typed GSpinBox 12", 1, blue, {Green, 12}, {Green, 1}, 2, false, {0, 12, 255}},
        {"RippeControl", 1, blue, {OffWhileMoving, 1}, {}, 1, false, blue},
        {"sleep 40 min", 1, blue, {SleepTime, 240}, {}, 1, false, blue},
    };
    const struct {
        const char* name;
        Condition condition;
    } conditions[] = {{"", Condition::Sends},
                      {", changes not sent", Condition::Clear},
                      {", unplugged", Condition::Unplugged},
                      {", unplugged while loading", Condition::UnpluggedLoading}};
    for (const auto& c : conditions) {
        for (const Row& r : rows) {
            QTest::newRow(qPrintable(QLatin1String(r.action) + QLatin1String(c.name)))
                << QString::fromLatin1(r.action) << c.condition << r.lightOn << r.before << r.changes << r.first
                << r.writes << r.guarded << r.after;
        }
    }
}

void TestLampLight::userActions()
{
    QFETCH(QString, action);
    QFETCH(Condition, condition);
    QFETCH(int, lightOn);
    QFETCH(QVector<int>, before);
    QFETCH(QVector<int>, changes);
    QFETCH(QVector<int>, first);
    QFETCH(int, writes);
    QFETCH(bool, guarded);
    QFETCH(QVector<int>, after);

    FlashDataMap shown = base();
    shown.lightOn = quint8(lightOn);
    shown.lightMode = quint8(lightOn ? 2 : 3);
    shown.stopCloseTime = 3; // 30 s, so that 40 min is a change
    for (int i = 0; i < 3; ++i)
        shown.lightColor[i] = quint8(before[i]);
    QVERIFY(HidSim::SetSettings("m1", -1, shown));
    m_fixture->chooseFullyRead("m1", DeviceLinkFixture::InfoFor(m_path, 36, 1, 2, 0));
    VEXO_CHECKED(fillFromDevice(shown));
    QCOMPARE(modes()->currentIndex(), lightOn ? 2 : 0);

    UiSendsChanges.store(condition == Condition::Clear ? 0 : 1);
    if (condition == Condition::Unplugged || condition == Condition::UnpluggedLoading)
        QVERIFY(HidSim::Unplug("m1"));
    if (condition == Condition::UnpluggedLoading)
        LightLoading.store(1);
    HidSim::ClearCalls();
    QSignalSpy offline(PostMsg::instance(), &PostMsg::SigMouseOffLineo);

    auto* light = child<QSlider>("horizontalLight");
    if (action == QLatin1String("mode 3 then 0")) {
        VEXO_CHECKED(TestEnv::PickComboItem(modes(), 3));
        VEXO_CHECKED(TestEnv::PickComboItem(modes(), 0));
    } else if (action == QLatin1String("mode 3 from lights off")) {
        VEXO_CHECKED(TestEnv::PickComboItem(modes(), 3));
    } else if (action == QLatin1String("brightness 1")) {
        light->triggerAction(QAbstractSlider::SliderToMinimum);
        QCOMPARE(child<QSpinBox>("LightSpinBox_2")->value(), 1);
    } else if (action == QLatin1String("brightness 10")) {
        light->triggerAction(QAbstractSlider::SliderToMaximum);
        QCOMPARE(child<QSpinBox>("LightSpinBox_2")->value(), 10);
    } else if (action == QLatin1String("speed 1")) {
        child<QSlider>("horizontalSpeed")->triggerAction(QAbstractSlider::SliderToMinimum);
        QCOMPARE(child<QSpinBox>("SpeedSpinBox_2")->value(), 1);
    } else if (action == QLatin1String("brightness drag to 7")) {
        // What a drag does to a slider without tracking: positions while held, the value on release.
        light->setSliderDown(true);
        for (int position : {3, 9, 7}) {
            light->setSliderPosition(position);
            QCOMPARE(child<QSpinBox>("LightSpinBox_2")->value(), position);
        }
        QCOMPARE(HidSim::CallCount("ProtocolDataUpdate"), 0);
        light->setSliderDown(false);
        QCOMPARE(light->value(), 7);
    } else if (action == QLatin1String("typed GSpinBox 12")) {
        auto* box = child<QSpinBox>("GSpinBox");
        // A click on the box lands on its text field.
        QTest::mouseClick(box->findChild<QLineEdit*>(), Qt::LeftButton);
        QTest::keyClick(box, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClicks(box, QStringLiteral("12"));
    } else if (action == QLatin1String("sleep 40 min")) {
        QCOMPARE(sleepList()->currentIndex(), 1);
        VEXO_CHECKED(TestEnv::PickComboItem(sleepList(), 10));
    } else if (action == QLatin1String("preset A")) {
        QTest::mouseClick(child("toolButtonColorA"), Qt::LeftButton);
    } else {
        // The step buttons and the moving toggle are named as their rows.
        QTest::mouseClick(child(qPrintable(action.section(QLatin1Char(' '), 0, 0))), Qt::LeftButton);
    }

    const bool sends = condition == Condition::Sends;
    FlashDataMap expected = shown;
    if (sends)
        SetBytes(expected, changes);
    QCOMPARE(HidSim::CallCount("ProtocolDataUpdate"), sends ? writes : 0);
    QCOMPARE(DeviceLinkFixture::Bytes(DeviceConfig.get()), DeviceLinkFixture::Bytes(expected));
    QCOMPARE(DeviceLinkFixture::Bytes(DeviceLinkFixture::StoredRecord("m1")), DeviceLinkFixture::Bytes(expected));
    if (sends && !first.isEmpty()) {
        const std::vector<HidSim::Call> calls = HidSim::Calls("ProtocolDataUpdate");
        QVERIFY(!calls.empty());
        FlashDataMap firstExpected = shown;
        SetBytes(firstExpected, first);
        QCOMPARE(QByteArray(reinterpret_cast<const char*>(calls.front().bytes.data()), int(calls.front().bytes.size())),
                 DeviceLinkFixture::Bytes(firstExpected));
    }

    // Not sending means not asking either.
    if (condition == Condition::Clear)
        QCOMPARE(HidSim::CallCount("UsbFinderC_GetDeviceOnLine"), 0);
    int notices = 0;
    if (condition == Condition::Unplugged)
        notices = guarded ? 1 : writes;
    QCOMPARE(offline.count(), notices);
    for (const QList<QVariant>& args : offline)
        QCOMPARE(args.at(0).toInt(), 0);

    // An offline guard stops its handler before any widget changes; otherwise the control
    // shows what the user did, sent or not.
    const QVector<int> shownColour = condition == Condition::Unplugged && guarded ? before : after;
    QCOMPARE(colour(), shownColour);
    QCOMPARE(child("labelPreView")->styleSheet(), Preview(shownColour[0], shownColour[1], shownColour[2]));
}

void TestLampLight::language_data()
{
    QTest::addColumn<int>("language");
    QTest::addColumn<QStringList>("modeNames");
    QTest::addColumn<QStringList>("titles"); // label, label_2 .. label_6, label_8, label_13
    QTest::addColumn<QString>("firstSleep");
    QTest::addColumn<QString>("lastSleep");

    const QStringList english{"Off", "Color flow", "Breathing", "Steady", "Neon", "Multicolor breathing", "Mode 7"};
    const QStringList englishTitles{"Lighting mode", "Brightness", "Speed", "Lights off while moving",
                                    "Lights off after idle", "Custom color", "Preview", "Preset colors"};
    QTest::newRow("Chinese") << 1
                             << QStringList{"关闭", "彩色流动", "单色呼吸", "常亮", "霓虹", "混彩呼吸", "模式7"}
                             << QStringList{"灯光模式", "亮度", "速度", "移动时关灯", "静止关灯时间", "自定义颜色",
                                            "预览", "预设颜色"}
                             << "10秒" << "40分钟";
    QTest::newRow("English") << 0 << english << englishTitles << "10 s" << "40 min";
    // A language the files do not hold reads the first one.
    QTest::newRow("index 9") << 9 << english << englishTitles << "10 s" << "40 min";
}

void TestLampLight::language()
{
    QFETCH(int, language);
    QFETCH(QStringList, modeNames);
    QFETCH(QStringList, titles);
    QFETCH(QString, firstSleep);
    QFETCH(QString, lastSleep);
    FlashDataMap m = base();
    m.lightMode = 3;
    m.stopCloseTime = 30; // item 3
    VEXO_CHECKED(fillFromDevice(m));
    // Start from the other language, so that every text changes.
    emit PostMsg::instance()->SigAllLanguage(language == 1 ? 0 : 1);
    QVERIFY(child<QLabel>("label")->text() != titles.at(0));

    emit PostMsg::instance()->SigAllLanguage(language);

    QCOMPARE(TestEnv::ComboItemTexts(modes()), modeNames);
    QStringList shownTitles;
    for (const char* name : {"label", "label_2", "label_3", "label_4", "label_5", "label_6", "label_8", "label_13"})
        shownTitles << child<QLabel>(name)->text();
    QCOMPARE(shownTitles, titles);
    QCOMPARE(child<QLabel>("label_11")->text(), QStringLiteral("R:"));
    QCOMPARE(child<QLabel>("label_10")->text(), QStringLiteral("G:"));
    QCOMPARE(child<QLabel>("label_12")->text(), QStringLiteral("B:"));
    QCOMPARE(sleepList()->count(), 11);
    QCOMPARE(sleepList()->itemText(0), firstSleep);
    QCOMPARE(sleepList()->itemText(10), lastSleep);
    // Texts only: mode, values and sleep item stay.
    QCOMPARE(modes()->currentIndex(), 3);
    QCOMPARE(sleepList()->currentIndex(), 3);
    QCOMPARE(child<QSlider>("horizontalLight")->value(), 5);
    QCOMPARE(colour(), (QVector<int>{0, 0, 255}));
    QCOMPARE(HidSim::CallCount("ProtocolDataUpdate"), 0);
}

VEXO_TEST_MAIN(TestLampLight)
#include "tst_lamplight.moc"
