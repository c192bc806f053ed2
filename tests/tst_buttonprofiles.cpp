#include "core/deviceinfocache.h"
#include "core/devicestate.h"
#include "core/postmsg.h"
#include "core/profileexportfile.h"
#include "core/timing.h"
#include "device/buttoncatalogue.h"
#include "device/worker.h"
#include "helpers/devicelinkfixture.h"
#include "helpers/filesizelimit.h"
#include "helpers/hubrecorder.h"
#include "helpers/testenv.h"
#include "helpers/testwidgets.h"
#include "pages/buttons/buttoninterface.h"
#include "ui/lang/langtext.h"
#include "ui/lang/languagefilereader.h"
#include "ui/widgets/filechooser.h"
#include "ui/widgets/myconmbobox.h"

#include "hidusb/hidsim.h"

#include <QApplication>
#include <QDataStream>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QStackedWidget>
#include <QToolButton>
#include <QtTest>

#include <functional>
#include <memory>
#include <thread>

namespace {

const char* const RecordWrites[] = {"ProtocolDataUpdate", "ProtocolDataUpdateOnBinding"};

int recordWrites()
{
    int n = 0;
    for (const char* f : RecordWrites)
        n += HidSim::CallCount(f);
    return n;
}

QByteArray readAll(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void writeAll(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QCOMPARE(file.write(bytes), qint64(bytes.size()));
}

// Emits on a thread of its own, as the library's callback does, and waits for it.
// A record unlike the sample devices' stored and factory ones.
FlashDataMap changed(FlashDataMap m)
{
    m.reportRate = 3;
    m.dpiLevelCount = 3;
    m.currentDpiLevel = 2;
    m.lod = 2;
    m.debounceTime = 8;
    m.buttonFunctions[1] = ButtonFunctionCode{MouseButtonFunction, 4, 0};
    m.macros[4].nameLength = 4;
    std::memcpy(m.macros[4].name, "Shot", 4);
    m.macros[4].eventCount = 1;
    m.macros[4].events[0] = KeyActionEvent{0, 1, 0x04, 25};
    return m;
}

QString labelText(QWidget* dialog)
{
    return TestEnv::NamedChild<QLabel>(dialog, "label")->text();
}

void clickChild(QWidget* dialog, const char* name)
{
    TestEnv::NamedChild<QToolButton>(dialog, name)->click();
}

// Records the class of every window that is shown while it filters the application.
class ShownWindows : public QObject
{
public:
    QStringList names;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Show && watched->isWidgetType() && static_cast<QWidget*>(watched)->isWindow())
            names << QString::fromLatin1(watched->metaObject()->className());
        return false;
    }
};

} // namespace

class TestButtonProfiles : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();
    void cleanupTestCase();

    void exportBytesOfEachSampleDevice_data();
    void exportBytesOfEachSampleDevice();
    void exportWithoutReadWritesNothing();
    void exportCancelledOrUnwritable();
    void exportFailedWriteKeepsOldFile();
    void importRoundTrip();
    void importBadFile_data();
    void importBadFile();
    void importDeviceGoneBeforeApply();
    void importCancelledOrAbsent();

    void profileFill_data();
    void profileFill();
    void profilePickWhilePresent();
    void profilePickWhileAbsent_data();
    void profilePickWhileAbsent();

    void factoryReset();
    void factoryResetDeclined();
    void factoryResetDeviceGone();

private:
    template <typename T = QWidget>
    T* child(const char* name) const { return TestEnv::NamedChild<T>(m_page.get(), name); }
    MyConmboBox* profiles() const { return child<MyConmboBox>("ProjectChoose"); }
    void makePage();
    void chooseDrive2();
    // Where the commands' dialogs sit over the page.
    QPoint placed(const QWidget* dialog) const;
    QString file(const QString& name) const { return m_fixture->home().path() + QLatin1Char('/') + name; }
    // Answers every file dialog with path and keeps the requests.
    void answerFiles(const QString& path);
    void click(const char* name) { QTest::mouseClick(child<QToolButton>(name), Qt::LeftButton); }
    QString prefix() const { return LangText(LangTable::ButtoninterfaceTexts, 0, ProfileEntryPrefixPosition); }
    void checkFlagsClear();
    // The second button's function menu, open with a sub-list entry marked as well.
    void openMenuWithMarks();
    QString menuState() const;

    std::unique_ptr<TestEnv::TimeScale> m_time;
    std::unique_ptr<DeviceLinkFixture> m_fixture;
    std::unique_ptr<HubRecorder> m_hub;
    std::unique_ptr<Buttoninterface> m_page;
    QByteArray m_path;
    std::string m_id = "m1";
    QList<FileChooser::Request> m_requests;
};

void TestButtonProfiles::initTestCase()
{
    TestEnv::Installation install;
    LoadLanguageFiles();
}

void TestButtonProfiles::init()
{
    m_time = std::make_unique<TestEnv::TimeScale>(0.02);
    m_fixture = std::make_unique<DeviceLinkFixture>();
    m_path = m_fixture->add(DeviceLinkFixture::CableMouse("m1"));
    QVERIFY(!m_path.isEmpty());
    m_id = "m1";
    CurrentLanguage.store(0);
    UiSendsChanges.store(1);
    m_hub = std::make_unique<HubRecorder>();
    m_requests.clear();
    makePage();
    m_fixture->chooseFullyRead("m1", DeviceLinkFixture::InfoFor(m_path, 36, 1, 2, 0));
    DeviceDataLoaded.store(1);
    // The device pages are the ones in view.
    MainPageActive.store(1);
}

void TestButtonProfiles::makePage()
{
    // The window makes the worker before the pages.
    CreateRunWorker();
    m_page = std::make_unique<Buttoninterface>(nullptr);
    // The tests choose the device themselves; the poll runs only where a test starts it.
    WorkerPollTimer->stop();
    emit PostMsg::instance()->SigAllLanguage(0);
    m_page->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_page.get()));
}

void TestButtonProfiles::cleanup()
{
    FileChooser::SetAnswerForTests({});
    EndRunWorker();
    m_page.reset();
    m_hub.reset();
    UiSendsChanges.store(0);
    ButtonLoading.store(0);
    m_fixture.reset();
    m_time.reset();
    ImportCheckResult = 0;
}

void TestButtonProfiles::cleanupTestCase()
{
    LanguageTables::SetGlobal(LanguageTables());
}

void TestButtonProfiles::chooseDrive2()
{
    const QByteArray receiver = m_fixture->add(DeviceLinkFixture::Receiver("r4", "0x5141", 4, 0x12, 0x34, 0x56));
    QVERIFY(!m_fixture->add(DeviceLinkFixture::ReceiverMouse("m2", "r4")).isEmpty());
    m_fixture->chooseFullyRead("m2", DeviceLinkFixture::InfoFor(receiver, 36, 2, 1, 1));
    m_path = receiver;
    m_id = "m2";
}

QPoint TestButtonProfiles::placed(const QWidget* dialog) const
{
    return m_page->mapToGlobal(QPoint(0, 0))
        + QPoint((m_page->width() - dialog->width()) / 2 - 75, (m_page->height() - dialog->height()) / 2 - 65);
}

void TestButtonProfiles::answerFiles(const QString& path)
{
    FileChooser::SetAnswerForTests([this, path](QWidget*, const FileChooser::Request& r) {
        m_requests << r;
        return path;
    });
}

void TestButtonProfiles::checkFlagsClear()
{
    QCOMPARE(int(SettingsBusy.load()), 0);
    QCOMPARE(ImportRunning.load(), 0);
    QVERIFY(!QApplication::activeModalWidget());
}

// ---- Export and import ----

void TestButtonProfiles::exportBytesOfEachSampleDevice_data()
{
    QTest::addColumn<int>("drive");
    QTest::addColumn<QByteArray>("sensorField");
    QTest::newRow("Drive1 on its cable") << 1 << QByteArray("VXP3311\0\0\0\0\0", 12);
    QTest::newRow("Drive2 behind its receiver") << 2 << QByteArray("3395\0\0\0\0\0\0\0\0", 12);
}

void TestButtonProfiles::exportBytesOfEachSampleDevice()
{
    QFETCH(int, drive);
    QFETCH(QByteArray, sensorField);
    if (drive == 2)
        VEXO_CHECKED(chooseDrive2());
    const QByteArray stored = DeviceLinkFixture::Bytes(DeviceLinkFixture::StoredRecord(m_id));
    QDir(m_fixture->home().path()).mkpath(QStringLiteral("exports"));
    const QString path = file(QStringLiteral("exports/config.bin"));
    answerFiles(path);

    click("OutputData");

    const QByteArray bytes = readAll(path);
    QCOMPARE(bytes.size(), 10464);
    QCOMPARE(bytes.left(20).toHex(), QByteArray("0000000c446f766f7a000000000000000000000c"));
    QCOMPARE(bytes.mid(20, 12), sensorField);
    QCOMPARE(bytes.mid(32, 4).toHex(), QByteArray("000028bc"));
    QCOMPARE(bytes.mid(36), stored);
    QCOMPARE(m_hub->count(QStringLiteral("Offline:0")), 0);

    QCOMPARE(m_requests.size(), 1);
    const FileChooser::Request& asked = m_requests.constFirst();
    QVERIFY(asked.save);
    QCOMPARE(asked.caption, QStringLiteral("FileSave"));
    QCOMPARE(asked.filter, QStringLiteral("File(*.bin)"));
    QCOMPARE(asked.defaultSuffix, QStringLiteral("bin"));
    QCOMPARE(asked.folder, QDir::homePath());

    // The next dialog, an import's too, starts where the last file went.
    answerFiles(QString());
    click("ImportData");
    QCOMPARE(m_requests.size(), 2);
    QVERIFY(!m_requests.at(1).save);
    QCOMPARE(m_requests.at(1).caption, QStringLiteral("SelectFile"));
    QCOMPARE(m_requests.at(1).filter, QStringLiteral("File(*.bin)"));
    QCOMPARE(m_requests.at(1).folder, file(QStringLiteral("exports")));
}

void TestButtonProfiles::exportWithoutReadWritesNothing()
{
    // The device is chosen and present, but its settings were never read.
    DeviceConfigPath.set(QByteArray());
    const QString path = file(QStringLiteral("never.bin"));
    answerFiles(path);

    click("OutputData");

    QVERIFY(!QFile::exists(path));
    QVERIFY(m_requests.isEmpty());
    QCOMPARE(m_hub->count(QStringLiteral("Offline:0")), 1);
}

void TestButtonProfiles::exportCancelledOrUnwritable()
{
    answerFiles(QString());
    click("OutputData");
    QCOMPARE(QDir(m_fixture->home().path()).entryList({QStringLiteral("*.bin")}, QDir::Files), QStringList());

    const QString path = file(QStringLiteral("missing/config.bin"));
    answerFiles(path);
    click("OutputData");
    QVERIFY(!QFile::exists(path));
    QCOMPARE(m_hub->count(QStringLiteral("Offline:0")), 0);
}

void TestButtonProfiles::exportFailedWriteKeepsOldFile()
{
    const QString path = file(QStringLiteral("kept.bin"));
    answerFiles(path);
    click("OutputData");
    const QByteArray older = readAll(path);
    QCOMPARE(older.size(), 10464);

    DeviceConfig.set(changed(DeviceConfig.get()));
    {
        FileSizeLimit limit(4096);
        click("OutputData");
    }
    QCOMPARE(readAll(path), older);
    QCOMPARE(QDir(m_fixture->home().path()).entryList({QStringLiteral("kept*")}, QDir::Files | QDir::Hidden),
             QStringList{QStringLiteral("kept.bin")});
}

// Out to a file and back onto the mouse: the same record, byte for byte, in one write.
void TestButtonProfiles::importRoundTrip()
{
    const FlashDataMap exported = DeviceLinkFixture::StoredRecord("m1");
    const QString path = file(QStringLiteral("roundtrip.bin"));
    answerFiles(path);
    click("OutputData");
    QCOMPARE(readAll(path).size(), 10464);

    // Meanwhile the mouse and the program hold other settings.
    const FlashDataMap other = changed(exported);
    QVERIFY(HidSim::SetSettings("m1", -1, other));
    m_fixture->chooseFullyRead("m1", DeviceLinkFixture::InfoFor(m_path, 36, 1, 2, 0));
    HidSim::ClearCalls();

    QString waitText;
    QPoint waitPos, waitWanted;
    int busyDuringWait = -1;
    TestEnv::AnswerNextModal(
        [&](QWidget* dialog) {
            waitText = labelText(dialog);
            waitPos = dialog->pos();
            waitWanted = placed(dialog);
            busyDuringWait = SettingsBusy.load();
        },
        "UpDataParam");
    click("ImportData");

    QCOMPARE(waitText, LangText(LangTable::UpDataParamTexts, 0, 1));
    QCOMPARE(waitPos, waitWanted);
    QCOMPARE(busyDuringWait, 1);
    QCOMPARE(DeviceLinkFixture::Bytes(DeviceLinkFixture::StoredRecord("m1")), DeviceLinkFixture::Bytes(exported));
    QCOMPARE(DeviceLinkFixture::Bytes(DeviceConfig.get()), DeviceLinkFixture::Bytes(exported));
    QCOMPARE(m_hub->last(QStringLiteral("ButtonUIC"))->record, DeviceLinkFixture::Bytes(exported));
    QCOMPARE(m_page->CachedButtonFunction(1).code, int(exported.buttonFunctions[1].code));
    // One record write, and no report beyond that write's own.
    QCOMPARE(recordWrites(), 1);
    int reports = 0;
    for (const char* f : RecordWrites)
        for (const HidSim::Call& call : HidSim::Calls(f))
            reports += call.reports;
    QVERIFY(reports > 0);
    QCOMPARE(HidSim::ReportsSent(), reports);
    QCOMPARE(m_hub->count(QStringLiteral("Offline:0")), 0);
    VEXO_CHECKED(checkFlagsClear());
}

void TestButtonProfiles::importBadFile_data()
{
    QTest::addColumn<QByteArray>("bytes"); // null: no such file
    QTest::addColumn<int>("text");         // the notice's text: 0 unreadable, 1 no match

    const FlashDataMap good = changed(ZeroFlashDataMap());
    const QByteArray file = ProfileExportBytes(good, QStringLiteral("VXP3311"));
    const auto withRecord = [](const FlashDataMap& m) { return ProfileExportBytes(m, QStringLiteral("VXP3311")); };
    const auto block = [](const QByteArray& b) {
        QByteArray out;
        QDataStream s(&out, QIODevice::WriteOnly);
        s.writeBytes(b.constData(), uint(b.size()));
        return out;
    };
    const QByteArray record = file.mid(36);

    QTest::newRow("no such file") << QByteArray() << 0;
    QTest::newRow("not an export file") << QByteArray("[Macro]\nname=x\n") << 0;
    QTest::newRow("wrong marker") << QByteArray(file).replace(4, 5, "Dovox") << 0;
    QTest::newRow("cut short") << file.left(5000) << 0;
    QTest::newRow("record block missing") << file.left(32) << 0;
    QTest::newRow("record one byte longer") << file.left(32) + block(record + '\0') << 0;
    QTest::newRow("record one byte shorter") << file.left(32) + block(record.left(record.size() - 1)) << 0;
    QTest::newRow("another sensor") << ProfileExportBytes(good, QStringLiteral("3395")) << 1;
    FlashDataMap levels = good;
    levels.dpiLevelCount = 7; // Drive1 allows six
    QTest::newRow("more levels than the device") << withRecord(levels) << 1;
    FlashDataMap keys = good;
    keys.keyActions[2].count = 7;
    QTest::newRow("key events out of bounds") << withRecord(keys) << 0;
    FlashDataMap macro = good;
    macro.macros[0].eventCount = 71;
    QTest::newRow("macro events out of bounds") << withRecord(macro) << 0;
}

void TestButtonProfiles::importBadFile()
{
    QFETCH(QByteArray, bytes);
    QFETCH(int, text);
    const QString path = file(QStringLiteral("bad.bin"));
    if (!bytes.isNull())
        VEXO_CHECKED(writeAll(path, bytes));
    answerFiles(path);
    const QByteArray before = DeviceLinkFixture::Bytes(DeviceConfig.get());
    const QByteArray onDevice = DeviceLinkFixture::Bytes(DeviceLinkFixture::StoredRecord("m1"));

    QString notice;
    TestEnv::AnswerNextModal(
        [&](QWidget* dialog) {
            notice = labelText(dialog);
            dialog->close();
        },
        "InportFail");
    click("ImportData");

    QCOMPARE(notice, LangText(LangTable::InportFailTexts, 0, text));
    QCOMPARE(recordWrites(), 0);
    QCOMPARE(HidSim::ReportsSent(), 0);
    QCOMPARE(DeviceLinkFixture::Bytes(DeviceConfig.get()), before);
    QCOMPARE(DeviceLinkFixture::Bytes(DeviceLinkFixture::StoredRecord("m1")), onDevice);
    QCOMPARE(m_hub->count(QStringLiteral("ButtonUIC")), 0);
    VEXO_CHECKED(checkFlagsClear());
}

void TestButtonProfiles::importDeviceGoneBeforeApply()
{
    const QString path = file(QStringLiteral("good.bin"));
    VEXO_CHECKED(writeAll(path, ProfileExportBytes(changed(ZeroFlashDataMap()), QStringLiteral("VXP3311"))));
    answerFiles(path);
    const QByteArray before = DeviceLinkFixture::Bytes(DeviceConfig.get());
    // Unplugged while the waiting dialog counts down.
    TestEnv::AnswerNextModal([](QWidget*) { QVERIFY(HidSim::Unplug("m1")); }, "UpDataParam");

    click("ImportData");

    QTRY_COMPARE(m_hub->count(QStringLiteral("Offline:0")), 1);
    QCOMPARE(recordWrites(), 0);
    QCOMPARE(DeviceLinkFixture::Bytes(DeviceConfig.get()), before);
    QCOMPARE(m_hub->count(QStringLiteral("ButtonUIC")), 0);
    VEXO_CHECKED(checkFlagsClear());
}

void TestButtonProfiles::importCancelledOrAbsent()
{
    // Cancelled: no waiting dialog, nothing sent.
    int busyWhileAsked = -1;
    FileChooser::SetAnswerForTests([&](QWidget*, const FileChooser::Request&) {
        busyWhileAsked = SettingsBusy.load();
        return QString();
    });
    ShownWindows shown;
    qApp->installEventFilter(&shown);
    click("ImportData");
    qApp->removeEventFilter(&shown);
    QCOMPARE(busyWhileAsked, 1);
    QCOMPARE(shown.names, QStringList());
    VEXO_CHECKED(checkFlagsClear());

    // Absent: the offline notice, not even a file dialog.
    QVERIFY(HidSim::Unplug("m1"));
    answerFiles(file(QStringLiteral("x.bin")));
    click("ImportData");
    QVERIFY(m_requests.isEmpty());
    QCOMPARE(m_hub->count(QStringLiteral("Offline:0")), 1);
    QCOMPARE(recordWrites(), 0);
    VEXO_CHECKED(checkFlagsClear());
}

// ---- Profiles ----

void TestButtonProfiles::profileFill_data()
{
    QTest::addColumn<int>("total");
    QTest::addColumn<int>("select");
    QTest::addColumn<bool>("enable");
    QTest::addColumn<int>("items");
    QTest::addColumn<int>("current");

    QTest::newRow("four profiles, third active") << 4 << 2 << true << 4 << 2;
    QTest::newRow("report of another length") << 0 << 0 << false << 1 << 0;
    QTest::newRow("no profiles") << -1 << 0 << true << 0 << -1;
    QTest::newRow("active profile out of range") << 4 << 9 << true << 4 << 0;
}

void TestButtonProfiles::profileFill()
{
    QFETCH(int, total);
    QFETCH(int, select);
    QFETCH(bool, enable);
    QFETCH(int, items);
    QFETCH(int, current);
    // Something shown before, as after an earlier report.
    TestEnv::EmitFromThread([] { PostMsg::instance()->EmitUpDataConfigUI(2, 1, false); });
    QCOMPARE(profiles()->count(), 2);

    TestEnv::EmitFromThread([=] { PostMsg::instance()->EmitUpDataConfigUI(total, select, enable); });

    QStringList expected;
    for (int k = 1; k <= items; ++k)
        expected << prefix() + QString::number(k);
    QCOMPARE(TestEnv::ComboItemTexts(profiles()), expected);
    QCOMPARE(profiles()->currentIndex(), current);
    QCOMPARE(profiles()->isEnabled(), enable);
    // Filling never switches the mouse.
    QCOMPARE(HidSim::CallCount("UsbServer_SetCurrentConfig"), 0);
}

void TestButtonProfiles::profilePickWhilePresent()
{
    // The third profile holds other settings.
    const FlashDataMap third = changed(DeviceLinkFixture::StoredRecord("m1"));
    QVERIFY(HidSim::SetSettings("m1", 2, third));
    TestEnv::EmitFromThread([] { PostMsg::instance()->EmitUpDataConfigUI(4, 0, true); });
    WorkerPollTimer->start();

    VEXO_CHECKED(TestEnv::PickComboItem(profiles(), 2));

    QCOMPARE(HidSim::CallCount("UsbServer_SetCurrentConfig"), 1);
    QCOMPARE(HidSim::ActiveProfile("m1"), 2);
    // The device's own reports bring the profile's record to the pages.
    QTRY_VERIFY(m_hub->count(QStringLiteral("Button")) > 0
                && m_hub->last(QStringLiteral("Button"))->record == DeviceLinkFixture::Bytes(third));
    QTRY_COMPARE(m_page->CachedButtonFunction(1).code, int(third.buttonFunctions[1].code));
    QCOMPARE(profiles()->currentIndex(), 2);
    QCOMPARE(m_hub->count(QStringLiteral("Offline:0")), 0);
}

void TestButtonProfiles::profilePickWhileAbsent_data()
{
    QTest::addColumn<bool>("loading");
    QTest::newRow("absent") << false;
    QTest::newRow("absent while the page loads") << true;
}

void TestButtonProfiles::profilePickWhileAbsent()
{
    QFETCH(bool, loading);
    TestEnv::EmitFromThread([] { PostMsg::instance()->EmitUpDataConfigUI(4, 1, true); });
    QVERIFY(HidSim::Unplug("m1"));
    ButtonLoading.store(loading ? 1 : 0);
    HidSim::ClearCalls();

    // The press remembers the profile shown; the pick goes to the fourth.
    QTest::mousePress(profiles(), Qt::LeftButton);
    QCOMPARE(profiles()->PressedIndex, 1);
    VEXO_CHECKED(TestEnv::PickComboItem(profiles(), 3));

    if (loading) {
        QCOMPARE(HidSim::CallCount("UsbServer_SetCurrentConfig"), 1);
        QCOMPARE(profiles()->currentIndex(), 3);
        QCOMPARE(m_hub->count(QStringLiteral("Offline:0")), 0);
    } else {
        QCOMPARE(HidSim::CallCount("UsbServer_SetCurrentConfig"), 0);
        QCOMPARE(profiles()->currentIndex(), 1);
        QCOMPARE(m_hub->count(QStringLiteral("Offline:0")), 1);
    }
}

// ---- Factory reset ----

void TestButtonProfiles::openMenuWithMarks()
{
    click("RightKey");
    child<QAbstractButton>("VolumeUp_4")->setChecked(true);
    QCOMPARE(menuState(), QStringLiteral("page_2 page_9 RightKey VolumeUp_4"));
}

// The menu's page, its sub-list page, and the checked selectors and sub-list entries.
QString TestButtonProfiles::menuState() const
{
    QStringList state{child<QStackedWidget>("stackedWidget")->currentWidget()->objectName(),
                      child<QStackedWidget>("stackedWidget_2")->currentWidget()->objectName()};
    for (const char* name : {"FireKey", "RightKey", "BackKey", "StartPause", "TopMusic", "BackMusic", "Button9",
                             "Button7", "Button8", "VolumeUp_4", "VolumeUp_5", "VolumeUp_6", "VolumeUp_7"}) {
        if (child<QAbstractButton>(name)->isChecked())
            state << QLatin1String(name);
    }
    return state.join(QLatin1Char(' '));
}

void TestButtonProfiles::factoryReset()
{
    const FlashDataMap before = changed(DeviceLinkFixture::StoredRecord("m1"));
    QVERIFY(HidSim::SetSettings("m1", -1, before));
    m_fixture->chooseFullyRead("m1", DeviceLinkFixture::InfoFor(m_path, 36, 1, 2, 0));
    FlashDataMap factory = ZeroFlashDataMap();
    QVERIFY(HidSim::GetFactorySettings("m1", &factory));
    QVERIFY(DeviceLinkFixture::Bytes(factory) != DeviceLinkFixture::Bytes(before));
    WorkerPollTimer->start();
    VEXO_CHECKED(openMenuWithMarks());

    QPoint confirmPos, confirmWanted;
    TestEnv::AnswerNextModal(
        [&](QWidget* dialog) {
            confirmPos = dialog->pos();
            confirmWanted = placed(dialog);
            clickChild(dialog, "OK");
        },
        "ContainReset");
    bool pollDuringWait = true;
    int busyDuringWait = -1;
    TestEnv::AnswerNextModal(
        [&](QWidget*) {
            pollDuringWait = WorkerPollTimer->isActive();
            busyDuringWait = SettingsBusy.load();
        },
        "UpDataParam");
    click("Reset");

    QCOMPARE(confirmPos, confirmWanted);
    QVERIFY(!pollDuringWait);
    QCOMPARE(busyDuringWait, 1);
    QVERIFY(WorkerPollTimer->isActive());
    VEXO_CHECKED(checkFlagsClear());

    // The three requests back to back on the GUI thread, the record as the program held it.
    QStringList order;
    QByteArray sent;
    for (const HidSim::Call& call : HidSim::Calls()) {
        if (call.thread != std::this_thread::get_id() || call.function.rfind("UsbFinder", 0) == 0)
            continue;
        order << QString::fromStdString(call.function + "(" + call.arguments + ")");
        if (call.function.rfind("ProtocolDataUpdate", 0) == 0 && sent.isEmpty())
            sent = QByteArray(reinterpret_cast<const char*>(call.bytes.data()), int(call.bytes.size()));
    }
    QVERIFY2(order.size() >= 3, qPrintable(order.join(QLatin1Char(' '))));
    QCOMPARE(order.at(0), QStringLiteral("UsbServer_SetBatteryOptimizeEnable(0)"));
    QVERIFY2(order.at(1).startsWith(QStringLiteral("ProtocolDataUpdate")), qPrintable(order.at(1)));
    QCOMPARE(order.at(2), QStringLiteral("UsbServer_SetClearSetting()"));
    QCOMPARE(sent, DeviceLinkFixture::Bytes(before));

    // The fresh read reached the pages: the factory record.
    QCOMPARE(DeviceLinkFixture::Bytes(DeviceLinkFixture::StoredRecord("m1")), DeviceLinkFixture::Bytes(factory));
    QCOMPARE(DeviceLinkFixture::Bytes(DeviceConfig.get()), DeviceLinkFixture::Bytes(factory));
    QVERIFY(m_hub->count(QStringLiteral("Button")) > 0);
    QCOMPARE(m_hub->last(QStringLiteral("Button"))->record, DeviceLinkFixture::Bytes(factory));
    QCOMPARE(m_page->CachedButtonFunction(1).code, int(factory.buttonFunctions[1].code));
    QCOMPARE(m_hub->count(QStringLiteral("Offline:0")), 0);
    // Every button has another function now: the menu and its marks are gone.
    QCOMPARE(menuState(), QStringLiteral("page page_9"));
}

void TestButtonProfiles::factoryResetDeclined()
{
    WorkerPollTimer->start();
    VEXO_CHECKED(openMenuWithMarks());
    TestEnv::AnswerNextModal([](QWidget* dialog) { clickChild(dialog, "Cancel"); }, "ContainReset");
    click("Reset");
    QCOMPARE(menuState(), QStringLiteral("page_2 page_9 RightKey VolumeUp_4"));

    QCOMPARE(HidSim::CallCount("UsbServer_SetBatteryOptimizeEnable"), 0);
    QCOMPARE(recordWrites(), 0);
    QCOMPARE(HidSim::CallCount("UsbServer_SetClearSetting"), 0);
    QVERIFY(WorkerPollTimer->isActive());
    VEXO_CHECKED(checkFlagsClear());

    // Absent from the start: no question at all.
    QVERIFY(HidSim::Unplug("m1"));
    click("Reset");
    QCOMPARE(m_hub->count(QStringLiteral("Offline:0")), 1);
    QCOMPARE(HidSim::CallCount("UsbServer_SetClearSetting"), 0);
}

void TestButtonProfiles::factoryResetDeviceGone()
{
    WorkerPollTimer->start();
    // Unplugged between the question and the OK.
    TestEnv::AnswerNextModal(
        [](QWidget* dialog) {
            QVERIFY(HidSim::Unplug("m1"));
            clickChild(dialog, "OK");
        },
        "ContainReset");
    click("Reset");

    QTRY_COMPARE(m_hub->count(QStringLiteral("Offline:0")), 1);
    QVERIFY(WorkerPollTimer->isActive());
    VEXO_CHECKED(checkFlagsClear());
}

VEXO_TEST_MAIN(TestButtonProfiles)
#include "tst_buttonprofiles.moc"
