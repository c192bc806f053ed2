#include "core/apppaths.h"
#include "core/devicestate.h"
#include "core/postmsg.h"
#include "device/buttoncatalogue.h"
#include "device/keyactioncodec.h"
#include "device/sensordefinitions.h"
#include "device/worker.h"
#include "helpers/devicelinkfixture.h"
#include "helpers/testenv.h"
#include "helpers/testwidgets.h"
#include "pages/buttons/buttoninterface.h"
#include "pages/buttons/firekey.h"
#include "pages/buttons/groupkey.h"
#include "ui/lang/langtext.h"
#include "ui/lang/languagefilereader.h"

#include "hidusb/hidsim.h"

#include <QAbstractButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QSignalSpy>
#include <QSpinBox>
#include <QStackedWidget>
#include <QtTest>

#include <cstring>
#include <memory>

namespace {

constexpr quint32 Drive1 = 0;

// The DPI code the page computes for a value on the sample mouse's sensor.
ButtonFunctionCode DpiLock(int dpi)
{
    SensorDefinitionTable table;
    SensorSwitchTexts switches;
    ReadSensorDefinitions(AppPaths::InstallFolder() + QStringLiteral("/driver_sensor.h"), table, switches);
    return DpiLockBytes(dpi, table, CurrentSensorName());
}

int DpiLockCacheCode(int dpi)
{
    SensorDefinitionTable table;
    SensorSwitchTexts switches;
    ReadSensorDefinitions(AppPaths::InstallFolder() + QStringLiteral("/driver_sensor.h"), table, switches);
    return DpiCodeFromValue(dpi, table, CurrentSensorName());
}

} // namespace

class TestButtonSelectors : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void assign_data();
    void assign();
    void consumerKeyReplacesCombination();
    void offlineChangesNothing_data();
    void offlineChangesNothing();
    void noSelectorWritesNothing();
    void uncheckedClickChangesNothing();
    void rapidFire();
    void rapidFireOffline();
    void rapidFireDoubleClick();
    void keyCombination();
    void leftButtonGuard();
    void preCheck();
    void menuOpensWithWholeEntries_data();
    void menuOpensWithWholeEntries();
    void numberSpots();
    void pressBesideMenu();

private:
    template <typename T = QAbstractButton>
    T* child(const char* name) const { return TestEnv::NamedChild<T>(m_page.get(), name); }
    QAbstractButton* selector(int row) const { return child(ButtonSlotMap[row].selector); }
    bool menuOpen() const
    {
        return child<QStackedWidget>("stackedWidget")->currentWidget() == child<QWidget>("page_2");
    }
    bool subListDefault() const
    {
        return child<QStackedWidget>("stackedWidget_2")->currentWidget() == child<QWidget>("page_9");
    }
    int scroll(const char* area) const { return child<QScrollArea>(area)->verticalScrollBar()->value(); }
    // Where a scroll bar ends up when set to a value: its range bounds it.
    int bounded(const char* area, int value) const
    {
        return qMin(value, child<QScrollArea>(area)->verticalScrollBar()->maximum());
    }
    // A list opened near a row's 15 pixels (within half an entry and a gap), no entry cut at its top.
    bool opensNear(const char* area, int rowScroll) const
    {
        return qAbs(scroll(area) - bounded(area, rowScroll)) <= 16 && !entryCutAtTop(area);
    }
    bool entryCutAtTop(const char* area) const
    {
        auto* list = child<QScrollArea>(area);
        const int top = list->verticalScrollBar()->value();
        for (const QWidget* entry : list->widget()->findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly)) {
            if (entry->isVisibleTo(list->widget()) && entry->y() < top && top <= entry->geometry().bottom())
                return true;
        }
        return false;
    }
    // Every selector right-click, so no guard stands in the way.
    void loadPlainRecord();

    std::unique_ptr<DeviceLinkFixture> m_fixture;
    std::unique_ptr<Buttoninterface> m_page;
    QByteArray m_path;
};

void TestButtonSelectors::init()
{
    m_fixture = std::make_unique<DeviceLinkFixture>(TestEnv::Installation::PrivateCopy);
    m_path = m_fixture->add(DeviceLinkFixture::CableMouse("m1"));
    QVERIFY(!m_path.isEmpty());
    LoadLanguageFiles();
    CurrentLanguage.store(0);
    UiSendsChanges.store(1);
    // The window makes the worker before the pages.
    CreateRunWorker();
    m_page = std::make_unique<Buttoninterface>(nullptr);
    WorkerPollTimer->stop();
    m_fixture->chooseFullyRead("m1", DeviceLinkFixture::InfoFor(m_path, 36, 1, 2, Drive1));
    m_page->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_page.get()));
    loadPlainRecord();
    HidSim::ClearCalls();
}

void TestButtonSelectors::cleanup()
{
    EndRunWorker();
    m_page.reset();
    UiSendsChanges.store(0);
    ButtonLoading.store(0);
    ButtonLoaded.store(0);
    m_fixture.reset();
}

void TestButtonSelectors::loadPlainRecord()
{
    for (int row = 0; row < ButtonSlotCount; ++row) {
        const ButtonSlotRow& r = ButtonSlotMap[row];
        m_page->SetButtonParam(r.uiSlot, MouseButtonFunction, 2, 0);
        selector(row)->setText(child("nono")->text());
    }
}

void TestButtonSelectors::assign_data()
{
    QTest::addColumn<int>("row");
    QTest::addColumn<QString>("entry");
    QTest::addColumn<int>("type");
    QTest::addColumn<int>("code");
    QTest::addColumn<int>("cachedCode");
    QTest::addColumn<int>("usage"); // 0: the key block stays untouched
    QTest::addColumn<QString>("caption");

    QTest::newRow("middle on row 1") << 0 << "MidKey" << 1 << 4 << 4 << 0 << "MidKey";
    QTest::newRow("left on row 2") << 1 << "LeftKey_3" << 1 << 1 << 1 << 0 << "LeftKey_3";
    QTest::newRow("undefined on row 4") << 3 << "DPI_5" << 0 << 0 << 0 << 0 << "DPI_5";
    QTest::newRow("report rate on row 6") << 5 << "DPI_2" << 7 << 0 << 0 << 0 << "DPI_2";
    QTest::newRow("DPI- on row 9 (device 8)") << 8 << "VolumeUp_10" << 2 << 3 << 3 << 0 << "VolumeUp_10";
    QTest::newRow("wheel down on row 7 (device 9)") << 6 << "VolumeDown_14" << 11 << 2 << 2 << 0 << "VolumeDown_14";
    QTest::newRow("light strip on row 8 (device 10)") << 7 << "VolumeUp_6" << 8 << 3 << 3 << 0 << "VolumeUp_6";
    QTest::newRow("wheel right on row 3") << 2 << "VolumeDown_2" << 3 << 2 << 2 << 0 << "VolumeDown_2";
    // Codes -1: the sensor's DPI lock code of 900, known once the installation is in place.
    QTest::newRow("DPI lock 900 on row 7") << 6 << "VolumeUp_18" << 10 << -1 << -1 << 0 << "lock";
    QTest::newRow("back (0x224) on row 7") << 6 << "VolumeDown_10" << 5 << 0 << 0 << 0x224 << "VolumeDown_10";
    QTest::newRow("player (0x183) on row 9") << 8 << "Player" << 5 << 0 << 0 << 0x183 << "Player";
    QTest::newRow("computer (0x194) on row 8") << 7 << "VolumeDown_3" << 5 << 0 << 0 << 0x194 << "VolumeDown_3";
}

void TestButtonSelectors::assign()
{
    QFETCH(int, row);
    QFETCH(QString, entry);
    QFETCH(int, type);
    QFETCH(int, code);
    QFETCH(int, cachedCode);
    QFETCH(int, usage);
    QFETCH(QString, caption);
    if (code < 0) {
        code = DpiLock(900).code;
        cachedCode = DpiLockCacheCode(900);
    }
    const ButtonSlotRow& r = ButtonSlotMap[row];
    FlashDataMap expected = DeviceLinkFixture::StoredRecord("m1");
    expected.buttonFunctions[r.deviceButton] = ButtonFunctionCode{quint8(type), quint8(code), 0};
    if (usage)
        expected.keyActions[r.deviceButton] = *MultimediaKeyRecord(usage & 0xFF);
    QSignalSpy offline(PostMsg::instance(), &PostMsg::SigMouseOffLineo);

    selector(row)->click();
    QVERIFY(menuOpen());
    QAbstractButton* button = child(entry.toLatin1().constData());
    const QString expectedCaption = caption == QLatin1String("lock")
        ? child("DPI_4")->text() + QLatin1Char('-') + button->text()
        : button->text();
    HidSim::ClearCalls();
    button->click();

    QCOMPARE(HidSim::CallCount("ProtocolDataUpdate"), 1);
    QVERIFY(HidSim::ReportsSent() <= (usage ? 3 : 1));
    QCOMPARE(DeviceLinkFixture::Bytes(DeviceLinkFixture::StoredRecord("m1")), DeviceLinkFixture::Bytes(expected));
    QCOMPARE(selector(row)->text(), expectedCaption);
    const Buttoninterface::CachedFunction cached = m_page->CachedButtonFunction(r.uiSlot);
    QCOMPARE(cached.type, type);
    QCOMPARE(cached.code, cachedCode);
    QCOMPARE(cached.param, 0);
    QVERIFY(!menuOpen());
    QVERIFY(subListDefault());
    QVERIFY(selector(row)->isChecked());
    QCOMPARE(offline.count(), 0);
}

void TestButtonSelectors::consumerKeyReplacesCombination()
{
    selector(1)->click();
    TestEnv::AnswerNextModal([](QWidget* w) {
        auto* dialog = static_cast<GroupKey*>(w);
        dialog->Confirmed = true;
        dialog->KeyText = QStringLiteral("Ctrl+Shift+A");
        dialog->close();
    }, "GroupKey");
    QTest::mouseClick(child("DPI_8"), Qt::LeftButton);
    QCOMPARE(DeviceLinkFixture::StoredRecord("m1").keyActions[1].count, 6u);
    HidSim::ClearCalls();

    child("VolumeDown_4")->click();
    const KeyActionRecord stored = DeviceLinkFixture::StoredRecord("m1").keyActions[1];
    const KeyActionRecord expected = *MultimediaKeyRecord(0xEA);
    QCOMPARE(QByteArray(reinterpret_cast<const char*>(&stored), sizeof stored),
             QByteArray(reinterpret_cast<const char*>(&expected), sizeof expected));
    QCOMPARE(HidSim::CallCount("ProtocolDataUpdate"), 1);
    QVERIFY(HidSim::ReportsSent() <= 3);
}

void TestButtonSelectors::offlineChangesNothing_data()
{
    QTest::addColumn<QString>("entry");
    QTest::addColumn<bool>("loading");
    QTest::addColumn<int>("notices");
    QTest::newRow("plain") << "MidKey" << false << 1;
    QTest::newRow("sub-list") << "VolumeUp_8" << false << 1;
    QTest::newRow("consumer") << "Mute" << false << 1;
    QTest::newRow("plain while loading") << "MidKey" << true << 0;
}

void TestButtonSelectors::offlineChangesNothing()
{
    QFETCH(QString, entry);
    QFETCH(bool, loading);
    QFETCH(int, notices);
    const QByteArray before = DeviceLinkFixture::Bytes(DeviceLinkFixture::StoredRecord("m1"));
    selector(2)->click();
    const QString caption = selector(2)->text();
    QVERIFY(HidSim::Unplug("m1"));
    ButtonLoading.store(loading ? 1 : 0);
    HidSim::ClearCalls();
    QSignalSpy offline(PostMsg::instance(), &PostMsg::SigMouseOffLineo);

    child(entry.toLatin1().constData())->click();

    QCOMPARE(HidSim::CallCount("ProtocolDataUpdate"), 0);
    QCOMPARE(offline.count(), notices);
    if (notices)
        QCOMPARE(offline.first().first().toInt(), 0);
    QCOMPARE(selector(2)->text(), caption);
    QCOMPARE(m_page->CachedButtonFunction(2).type, int(MouseButtonFunction));
    QCOMPARE(m_page->CachedButtonFunction(2).code, 2);
    QVERIFY(!menuOpen());
    QVERIFY(HidSim::Plug("m1"));
    QCOMPARE(DeviceLinkFixture::Bytes(DeviceLinkFixture::StoredRecord("m1")), before);
}

void TestButtonSelectors::noSelectorWritesNothing()
{
    child("MidKey")->click();
    child("Player")->click();
    QCOMPARE(HidSim::CallCount("ProtocolDataUpdate"), 0);
    QVERIFY(!menuOpen());
}

void TestButtonSelectors::uncheckedClickChangesNothing()
{
    selector(1)->click();
    child<QStackedWidget>("stackedWidget_2")->setCurrentIndex(int(SubListPage::Lights));
    QVERIFY(QMetaObject::invokeMethod(m_page.get(), "on_BackKey_2_clicked", Q_ARG(bool, false)));
    QVERIFY(QMetaObject::invokeMethod(m_page.get(), "on_Player_clicked", Q_ARG(bool, false)));
    QVERIFY(menuOpen());
    QVERIFY(!subListDefault());
    // The left entry shows the default sub-list page even then, and writes nothing.
    QVERIFY(QMetaObject::invokeMethod(m_page.get(), "on_LeftKey_3_clicked", Q_ARG(bool, false)));
    QVERIFY(subListDefault());
    QVERIFY(menuOpen());
    QCOMPARE(HidSim::CallCount("ProtocolDataUpdate"), 0);
}

void TestButtonSelectors::rapidFire()
{
    const auto answer = [](int time, int count, bool confirm, int newTime, int newCount) {
        TestEnv::AnswerNextModal([=](QWidget* w) {
            QCOMPARE(w->findChild<QSpinBox*>(QStringLiteral("Time"))->value(), time);
            QCOMPARE(w->findChild<QSpinBox*>(QStringLiteral("Count"))->value(), count);
            w->findChild<QSpinBox*>(QStringLiteral("Time"))->setValue(newTime);
            w->findChild<QSpinBox*>(QStringLiteral("Count"))->setValue(newCount);
            w->findChild<QAbstractButton*>(QLatin1String(confirm ? "NewHong" : "NewHong_2"))->click();
        }, "FireKey");
    };
    const ButtonSlotRow& r = ButtonSlotMap[3];

    // Cancel: nothing changes.
    selector(3)->click();
    answer(10, 3, false, 50, 1);
    QTest::mouseClick(child("DPI_6"), Qt::LeftButton);
    QCOMPARE(HidSim::CallCount("ProtocolDataUpdate"), 0);
    QCOMPARE(m_page->CachedButtonFunction(r.uiSlot).type, int(MouseButtonFunction));

    // Confirm 30 / 0.
    selector(3)->click();
    answer(10, 3, true, 30, 0);
    QTest::mouseClick(child("DPI_6"), Qt::LeftButton);
    QCOMPARE(HidSim::CallCount("ProtocolDataUpdate"), 1);
    const ButtonFunctionCode stored = DeviceLinkFixture::StoredRecord("m1").buttonFunctions[r.deviceButton];
    QCOMPARE(int(stored.type), 4);
    QCOMPARE(int(stored.code), 30);
    QCOMPARE(int(stored.parameter), 0);
    QCOMPARE(selector(3)->text(), child("DPI_6")->text());
    QVERIFY(!menuOpen());

    // The same button presets its own values; another the defaults.
    selector(3)->click();
    answer(30, 0, false, 30, 0);
    QTest::mouseClick(child("DPI_6"), Qt::LeftButton);
    selector(4)->click();
    answer(10, 3, false, 10, 3);
    QTest::mouseClick(child("DPI_6"), Qt::LeftButton);
    QCOMPARE(HidSim::CallCount("ProtocolDataUpdate"), 1);
}

void TestButtonSelectors::rapidFireOffline()
{
    selector(3)->click();
    QVERIFY(HidSim::Unplug("m1"));
    HidSim::ClearCalls();
    QSignalSpy offline(PostMsg::instance(), &PostMsg::SigMouseOffLineo);
    bool dialogShown = false;
    TestEnv::AnswerNextModal([&dialogShown](QWidget* w) {
        dialogShown = true;
        w->close();
    }, "FireKey", 500);
    QTest::mouseClick(child("DPI_6"), Qt::LeftButton);
    QVERIFY(!dialogShown);
    QVERIFY(!menuOpen());
    QVERIFY(subListDefault());
    QCOMPARE(offline.count(), 0);
    QCOMPARE(HidSim::CallCount("ProtocolDataUpdate"), 0);
}

void TestButtonSelectors::rapidFireDoubleClick()
{
    // A double-click assigns the last confirmed values (10 and 3 at first), then opens the dialog.
    const ButtonSlotRow& r = ButtonSlotMap[0];
    selector(0)->click();
    TestEnv::AnswerNextModal([](QWidget* w) { w->findChild<QAbstractButton*>(QStringLiteral("NewHong_2"))->click(); },
                    "FireKey");
    QTest::mouseDClick(child("DPI_6"), Qt::LeftButton);
    const ButtonFunctionCode stored = DeviceLinkFixture::StoredRecord("m1").buttonFunctions[r.deviceButton];
    QCOMPARE(int(stored.type), 4);
    QCOMPARE(int(stored.code), 10);
    QCOMPARE(int(stored.parameter), 3);
}

void TestButtonSelectors::keyCombination()
{
    const ButtonSlotRow& r = ButtonSlotMap[5];
    selector(5)->click();
    child("VolumeUp_4")->setChecked(true);
    FlashDataMap expected = DeviceLinkFixture::StoredRecord("m1");

    // Cancel: nothing changes, the menu stays as it was with the key combination entry marked.
    TestEnv::AnswerNextModal([](QWidget* w) { w->close(); }, "GroupKey");
    QTest::mouseClick(child("DPI_8"), Qt::LeftButton);
    QCOMPARE(HidSim::CallCount("ProtocolDataUpdate"), 0);
    QVERIFY(menuOpen());
    QVERIFY(child("DPI_8")->isChecked());
    QVERIFY(selector(5)->isChecked());
    QVERIFY(child("VolumeUp_4")->isChecked());

    TestEnv::AnswerNextModal([](QWidget* w) {
        auto* dialog = static_cast<GroupKey*>(w);
        dialog->Confirmed = true;
        dialog->KeyText = QStringLiteral("Shift+Alt+F");
        dialog->close();
    }, "GroupKey");
    QTest::mouseClick(child("DPI_8"), Qt::LeftButton);

    expected.buttonFunctions[r.deviceButton] = KeyActionButtonCode;
    expected.keyActions[r.deviceButton] = ParseKeyCombination(QStringLiteral("Shift+Alt+F"));
    QCOMPARE(HidSim::CallCount("ProtocolDataUpdate"), 1);
    QCOMPARE(DeviceLinkFixture::Bytes(DeviceLinkFixture::StoredRecord("m1")), DeviceLinkFixture::Bytes(expected));
    QCOMPARE(selector(5)->text(), QStringLiteral("Shift+Alt+F"));
    QCOMPARE(m_page->CachedButtonFunction(r.uiSlot).type, 5);
    QVERIFY(menuOpen());
    QVERIFY(subListDefault());
    QVERIFY(!child("VolumeUp_4")->isChecked());
}

void TestButtonSelectors::leftButtonGuard()
{
    const QString left = child("LeftKey_3")->text();
    selector(2)->setText(left);
    // Two left captions: either may open the menu.
    selector(0)->setText(left);
    selector(2)->click();
    QVERIFY(menuOpen());
    QVERIFY(selector(2)->isChecked());

    // One left caption: its selector refuses with the notice.
    selector(0)->setText(child("nono")->text());
    bool noticed = false;
    TestEnv::AnswerNextModal([&noticed](QWidget* w) {
        noticed = true;
        w->close();
    }, "LeftButtonOnly");
    selector(2)->click();
    QVERIFY(noticed);
    QVERIFY(!menuOpen());
    QVERIFY(subListDefault());
    for (int row = 0; row < ButtonSlotCount; ++row)
        QVERIFY(!selector(row)->isChecked());
}

void TestButtonSelectors::preCheck()
{
    // Rapid fire.
    m_page->SetButtonParam(ButtonSlotMap[3].uiSlot, RapidFireFunction, 10, 3);
    selector(3)->click();
    QVERIFY(menuOpen());
    QVERIFY(child("DPI_6")->isChecked());
    QVERIFY(subListDefault());
    QVERIFY(opensNear("scrollArea_4", 105));

    // DPI lock 900.
    m_page->SetButtonParam(ButtonSlotMap[4].uiSlot, DpiLockFunction, DpiLockCacheCode(900), 0);
    selector(4)->click();
    QVERIFY(child("DPI_4")->isChecked());
    QVERIFY(child("VolumeUp_18")->isChecked());
    QVERIFY(opensNear("scrollArea_10", 120));
    QVERIFY(opensNear("scrollArea_4", 225));

    // Consumer 0xEA, read from the device's record.
    child("VolumeDown_4")->click();
    child("Mute")->setChecked(true);
    selector(4)->click();
    QCOMPARE(child<QStackedWidget>("stackedWidget_2")->currentIndex(), int(SubListPage::Multimedia));
    QVERIFY(child("VolumeDown_4")->isChecked());
    QVERIFY(child("DPI_12")->isChecked());
    QVERIFY(opensNear("scrollArea_3", 105));
    QVERIFY(opensNear("scrollArea_4", 240));

    // The clear after a vertical wheel assignment leaves no wheel entry checked.
    child("VolumeUp_14")->click();
    m_page->ClearFunctionChecks();
    QVERIFY(!child("VolumeUp_14")->isChecked());
    QVERIFY(!child("VolumeDown_14")->isChecked());
}

void TestButtonSelectors::menuOpensWithWholeEntries_data()
{
    QTest::addColumn<int>("type");
    QTest::addColumn<int>("code");
    QTest::addColumn<QString>("entry"); // the main list's entry checked
    QTest::addColumn<int>("row");       // its scroll row
    QTest::newRow("right") << 1 << 2 << "nono" << 1;
    QTest::newRow("middle") << 1 << 4 << "MidKey" << 2;
    QTest::newRow("back") << 1 << 8 << "BackKey_2" << 3;
    QTest::newRow("forward") << 1 << 16 << "ForWardKey" << 4;
    QTest::newRow("report rate") << 7 << 0 << "DPI_2" << 5;
    QTest::newRow("rapid fire") << 4 << 10 << "DPI_6" << 7;
    QTest::newRow("key combination") << 5 << 0 << "DPI_8" << 8;
    QTest::newRow("disabled") << 0 << 0 << "DPI_5" << 9;
    QTest::newRow("horizontal wheel") << 3 << 1 << "DPI_11" << 10;
    QTest::newRow("vertical wheel") << 11 << 1 << "DPI_13" << 10;
    QTest::newRow("DPI switch") << 2 << 1 << "DPI_7" << 13;
    QTest::newRow("macro") << 6 << 0 << "DPI_10" << 15;
}

void TestButtonSelectors::menuOpensWithWholeEntries()
{
    QFETCH(int, type);
    QFETCH(int, code);
    QFETCH(QString, entry);
    QFETCH(int, row);
    m_page->SetButtonParam(ButtonSlotMap[1].uiSlot, type, code, 0);
    selector(1)->click();
    QVERIFY(menuOpen());
    QVERIFY(child(qPrintable(entry))->isChecked());
    QVERIFY2(opensNear("scrollArea_4", 15 * row), qPrintable(QString::number(scroll("scrollArea_4"))));
    // The checked entry is in view, whole.
    auto* list = child<QScrollArea>("scrollArea_4");
    const QRect shown(QPoint(0, scroll("scrollArea_4")), list->viewport()->size());
    QVERIFY(shown.contains(child(qPrintable(entry))->geometry()));
}

void TestButtonSelectors::numberSpots()
{
    QSignalSpy offline(PostMsg::instance(), &PostMsg::SigMouseOffLineo);
    child("Number8")->click();
    QVERIFY(child("Button7")->isChecked());
    QCOMPARE(scroll("scrollArea_11"), bounded("scrollArea_11", 150));
    QVERIFY(!menuOpen());
    QCOMPARE(offline.count(), 0);

    QVERIFY(HidSim::Unplug("m1"));
    child("Number2")->click();
    QVERIFY(child("RightKey")->isChecked());
    QVERIFY(!child("Button7")->isChecked());
    QCOMPARE(offline.count(), 1);
    QCOMPARE(HidSim::CallCount("ProtocolDataUpdate"), 0);
}

void TestButtonSelectors::pressBesideMenu()
{
    selector(3)->click();
    QVERIFY(menuOpen());
    const QPoint beside(5, 5); // outside the selector list and the menu
    QTest::mousePress(m_page.get(), Qt::RightButton, Qt::NoModifier, beside);
    QVERIFY(menuOpen());
    QVERIFY(selector(3)->isChecked());

    QTest::mousePress(m_page.get(), Qt::LeftButton, Qt::NoModifier, beside);
    QVERIFY(!menuOpen());
    QVERIFY(subListDefault());
    QVERIFY(!selector(3)->isChecked());
    QCOMPARE(child<QScrollArea>("scrollArea_11")->verticalScrollBar()->styleSheet(),
             QStringLiteral("QScrollBar {width:10px;}"));
    QCOMPARE(HidSim::CallCount("ProtocolDataUpdate"), 0);
}

VEXO_TEST_MAIN(TestButtonSelectors)
#include "tst_buttonselectors.moc"
