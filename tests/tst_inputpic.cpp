#include "core/postmsg.h"
#include "device/screenclock.h"
#include "helpers/testenv.h"
#include "helpers/testwidgets.h"
#include "pages/settings/inputpica.h"
#include "pages/settings/inputpicb.h"
#include "ui/lang/langtext.h"
#include "ui/lang/languagefilereader.h"
#include "ui/widgets/skin.h"

#include "hidusb/hidsim.h"

#include <QApplication>
#include <QLabel>
#include <QSignalSpy>
#include <QSlider>
#include <QToolButton>
#include <QtTest>

#include <memory>

namespace {

std::unique_ptr<QDialog> makeDialog(const QString& name)
{
    if (name == QLatin1String("InputPicA"))
        return std::make_unique<InputPicA>(nullptr);
    return std::make_unique<InputPicB>(nullptr);
}

QString textOf(const QDialog& dialog, const char* name)
{
    if (auto* label = dialog.findChild<QLabel*>(QLatin1String(name)))
        return label->text();
    return dialog.findChild<QToolButton*>(QLatin1String(name))->text();
}

const char* const TextControls[] = {"label", "label_2", "label_3", "Input", "Output"};

} // namespace

class TestInputPic : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanupTestCase();

    void form_data();
    void form();
    void controls_data();
    void controls();
    void skin_data();
    void skin();
    void languageSlot_data();
    void languageSlot();
    void closeEmitsButtonCheck_data();
    void closeEmitsButtonCheck();
    void importDoesNothing();
    void clockSyncNotStarted();
    void clockSyncRunsWhenStarted();

private:
    std::unique_ptr<TestEnv::TempHome> m_home;
    std::unique_ptr<TestEnv::Installation> m_install;
};

void TestInputPic::initTestCase()
{
    m_home = std::make_unique<TestEnv::TempHome>();
    m_install = std::make_unique<TestEnv::Installation>();
    LoadLanguageFiles();
}

void TestInputPic::init()
{
    CurrentLanguage = 0;
}

void TestInputPic::cleanupTestCase()
{
    CurrentLanguage = 0;
    m_install.reset();
    m_home.reset();
}

void TestInputPic::form_data()
{
    QTest::addColumn<QString>("dialog");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("className");
    QTest::addColumn<QRect>("geometry");
    QTest::addColumn<QString>("text");
    struct Row {
        const char* name;
        const char* className;
        QRect a;
        QRect b;
        const char* text;
    };
    const Row rows[] = {
        {"InputPicAFrame", "QFrame", {0, 0, 638, 318}, {0, 0, 638, 318}, nullptr},
        {"CheckButton", "QToolButton", {160, 35, 36, 18}, {160, 35, 36, 18}, ""},
        {"label", "QLabel", {50, 33, 111, 21}, {50, 33, 111, 21}, "关闭屏幕"},
        {"label_2", "QLabel", {50, 135, 301, 21}, {50, 75, 301, 21}, "图片预览(1080x1920"},
        {"toolButtonA", "QToolButton", {50, 160, 74, 100}, {50, 155, 88, 64}, ""},
        {"toolButtonB", "QToolButton", {150, 160, 74, 100}, {150, 155, 88, 64}, ""},
        {"toolButtonC", "QToolButton", {250, 160, 74, 100}, {250, 155, 88, 64}, ""},
        {"toolButtonD", "QToolButton", {350, 160, 74, 100}, {350, 155, 88, 64}, ""},
        {"Input", "QToolButton", {460, 180, 96, 26}, {460, 160, 96, 26}, "导入"},
        {"Output", "QToolButton", {460, 220, 96, 26}, {460, 190, 96, 26}, "导出"},
        {"label_3", "QLabel", {50, 70, 291, 21}, {50, 120, 291, 21}, "屏幕亮度"},
        {"SpeedH", "QSlider", {50, 90, 281, 25}, {50, 90, 281, 25}, nullptr},
        {"label_4", "QLabel", {85, 265, 16, 16}, {85, 225, 16, 16}, "1"},
        {"label_5", "QLabel", {185, 265, 16, 16}, {185, 225, 16, 16}, "2"},
        {"label_6", "QLabel", {285, 265, 16, 16}, {285, 225, 16, 16}, "3"},
        {"label_7", "QLabel", {385, 265, 16, 16}, {385, 225, 16, 16}, "4"},
        {"CloseButton", "QToolButton", {610, 10, 20, 20}, {610, 10, 20, 20}, ""},
    };
    for (const char* dialog : {"InputPicA", "InputPicB"})
        for (const Row& r : rows)
            QTest::addRow("%s %s", dialog, r.name)
                << QString::fromLatin1(dialog) << QString::fromLatin1(r.name) << QString::fromLatin1(r.className)
                << (dialog[8] == 'A' ? r.a : r.b) << (r.text ? QString::fromUtf8(r.text) : QString());
}

void TestInputPic::form()
{
    QFETCH(QString, dialog);
    QFETCH(QString, name);
    QFETCH(QString, className);
    QFETCH(QRect, geometry);
    QFETCH(QString, text);
    CurrentLanguage = 1; // the constructors apply no language: the form's texts stay
    const auto window = makeDialog(dialog);
    QCOMPARE(window->objectName(), dialog);
    QCOMPARE(window->windowTitle(), QStringLiteral("Dialog"));
    QCOMPARE(window->size(), QSize(638, 318));
    auto* w = window->findChild<QWidget*>(name);
    QVERIFY(w);
    QCOMPARE(QString::fromLatin1(w->metaObject()->className()), className);
    QCOMPARE(w->geometry(), geometry);
    if (name != QLatin1String("InputPicAFrame"))
        QCOMPARE(w->parentWidget()->objectName(), QStringLiteral("InputPicAFrame"));
    if (auto* label = qobject_cast<QLabel*>(w))
        QCOMPARE(label->text(), text);
    if (auto* button = qobject_cast<QToolButton*>(w))
        QCOMPARE(button->text(), text);
}

void TestInputPic::controls_data()
{
    QTest::addColumn<QString>("dialog");
    QTest::newRow("A") << "InputPicA";
    QTest::newRow("B") << "InputPicB";
}

void TestInputPic::controls()
{
    QFETCH(QString, dialog);
    const auto window = makeDialog(dialog);
    auto* slider = window->findChild<QSlider*>(QStringLiteral("SpeedH"));
    QCOMPARE(slider->minimum(), 1);
    QCOMPARE(slider->maximum(), 5);
    QCOMPARE(slider->pageStep(), 1);
    QVERIFY(!slider->hasTracking());
    QCOMPARE(slider->orientation(), Qt::Horizontal);
    QVERIFY(window->findChild<QToolButton*>(QStringLiteral("CheckButton"))->isCheckable());
    // The four picture slots are exclusive.
    QList<QToolButton*> pictures;
    for (const char* name : {"toolButtonA", "toolButtonB", "toolButtonC", "toolButtonD"})
        pictures << window->findChild<QToolButton*>(QLatin1String(name));
    pictures[0]->click();
    pictures[2]->click();
    QVERIFY(!pictures[0]->isChecked());
    QVERIFY(pictures[2]->isChecked());
    pictures[2]->click();
    QVERIFY(pictures[2]->isChecked());
}

void TestInputPic::skin_data()
{
    controls_data();
}

void TestInputPic::skin()
{
    QFETCH(QString, dialog);
    const auto window = makeDialog(dialog);
    const QString f = m_install->path() + QStringLiteral("/Picture/ScreeInfo/");
    const auto sheet = [&](const char* name) { return window->findChild<QWidget*>(QLatin1String(name))->styleSheet(); };
    const auto uses = [&](const char* name, QStringList images) {
        for (const QString& image : images)
            if (!sheet(name).contains(QStringLiteral("url(") + f + image + QLatin1Char(')')))
                return false;
        return true;
    };
    QCOMPARE(window->windowFlags() & Skin::DialogWindowFlags(), Skin::DialogWindowFlags());
    for (const char* name : {"label", "label_2", "label_3", "label_4", "label_7"})
        QCOMPARE(sheet(name), Skin::LabelStyle(Skin::OptionColor(QStringLiteral("LabelColor"))));
    QCOMPARE(sheet("SpeedH"),
             Skin::LightSliderStyle(f, QStringLiteral("Slider.png"), Skin::OptionColor(QStringLiteral("SliderColor"))));
    QCOMPARE(sheet("CloseButton"),
             Skin::CloseButtonStyle(f, QStringLiteral("Close"), QStringLiteral("CloseButton.png")));
    QVERIFY(uses("toolButtonD", {"Pic.png", "PicHover.png"}));
    QVERIFY(sheet("toolButtonD").contains(Skin::ColorDeclaration(Skin::OptionColor(QStringLiteral("ButtonColor")))));
    QVERIFY(uses("Output", {"Button.png", "ButtonHover.png"}));
    QVERIFY(uses("CheckButton", {"Close.png", "Open.png"}));
    QVERIFY(uses("InputPicAFrame", {"Back.png"}));
}

void TestInputPic::languageSlot_data()
{
    QTest::addColumn<QString>("dialog");
    QTest::addColumn<int>("language");
    for (const char* dialog : {"InputPicA", "InputPicB"})
        for (int language : {0, 1})
            QTest::addRow("%s, language %d", dialog, language) << QString::fromLatin1(dialog) << language;
}

void TestInputPic::languageSlot()
{
    QFETCH(QString, dialog);
    QFETCH(int, language);
    const auto window = makeDialog(dialog);
    // Not connected to the hub's language signal.
    PostMsg::instance()->EmitAllLanguage(language);
    QCOMPARE(textOf(*window, "Input"), QStringLiteral("导入"));
    QVERIFY(QMetaObject::invokeMethod(window.get(), "SlotAllLanguage", Q_ARG(int, language)));
    int position = 0;
    for (const char* name : TextControls) {
        const QString expected = LangText(LangTable::ScreenInfoTexts, language, position++);
        QVERIFY(!expected.isEmpty());
        QCOMPARE(textOf(*window, name), expected);
    }
}

void TestInputPic::closeEmitsButtonCheck_data()
{
    controls_data();
}

void TestInputPic::closeEmitsButtonCheck()
{
    QFETCH(QString, dialog);
    const auto window = makeDialog(dialog);
    window->show();
    QVERIFY(QTest::qWaitForWindowExposed(window.get()));
    QSignalSpy checks(PostMsg::instance(), &PostMsg::SigButtonCheck);
    bool visibleAtSignal = false;
    auto c = connect(PostMsg::instance(), &PostMsg::SigButtonCheck, this,
                     [&] { visibleAtSignal = window->isVisible(); });
    QTest::mouseClick(window->findChild<QToolButton*>(QStringLiteral("CloseButton")), Qt::LeftButton);
    disconnect(c);
    QCOMPARE(checks.count(), 1);
    QVERIFY(visibleAtSignal);
    QVERIFY(!window->isVisible());
}

void TestInputPic::importDoesNothing()
{
    InputPicA dialog(nullptr);
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    QSignalSpy checks(PostMsg::instance(), &PostMsg::SigButtonCheck);
    QTest::mouseClick(dialog.findChild<QToolButton*>(QStringLiteral("Input")), Qt::LeftButton);
    QVERIFY(dialog.isVisible());
    QCOMPARE(checks.count(), 0);
}

void TestInputPic::clockSyncNotStarted()
{
    TestEnv::SimulatedDevices devices;
    InputPicA dialog(nullptr);
    QVERIFY(!dialog.ClockSyncRunning());
    dialog.StartClockSync(false);
    QVERIFY(!dialog.ClockSyncRunning());
    QCOMPARE(HidSim::CallCount("StartUsbChanged"), 0);
}

void TestInputPic::clockSyncRunsWhenStarted()
{
    TestEnv::SimulatedDevices devices;
    TestEnv::TimeScale fast(0.01);
    HidSim::DeviceSpec screen;
    screen.id = "s1";
    screen.kind = HidSim::Kind::Screen;
    screen.pid = "0x5301";
    QVERIFY(HidSim::AddDevice(screen));
    HidVendorId.set(QStringLiteral("0x3706"));
    HidProductIds.set({QStringLiteral("0x5301")});
    FoundHidPaths.set(QStringList());
    InputPicA dialog(nullptr);
    const QDateTime before = QDateTime::currentDateTime().addSecs(-1);
    dialog.StartClockSync(true);
    QVERIFY(dialog.ClockSyncRunning());
    QCOMPARE(HidSim::CallCount("StartUsbChanged"), 1);
    // The registered search fills the list when the library reports a change.
    HidSim::Unplug("s1");
    HidSim::Plug("s1");
    QTRY_COMPARE(FoundHidPaths.get().size(), 1);
    uint8_t clock[40] = {};
    QTRY_VERIFY(HidSim::GetScreenClock("s1", clock));
    const QDateTime sent(QDate((clock[3] << 8) | clock[4], clock[5], clock[6]), QTime(clock[7], clock[8], clock[9]));
    QVERIFY2(sent >= before && sent <= QDateTime::currentDateTime(), qPrintable(sent.toString()));
    HidVendorId.set(QString());
    HidProductIds.set(QStringList());
    FoundHidPaths.set(QStringList());
}

VEXO_TEST_MAIN(TestInputPic)
#include "tst_inputpic.moc"
