#include "core/apppaths.h"
#include "core/devicestate.h"
#include "core/postmsg.h"
#include "device/buttoncatalogue.h"
#include "device/keyactioncodec.h"
#include "device/keyusagetable.h"
#include "device/macrotextfile.h"
#include "device/worker.h"
#include "helpers/devicelinkfixture.h"
#include "helpers/testenv.h"
#include "helpers/testwidgets.h"
#include "pages/buttons/buttoninterface.h"
#include "pages/macro/macro.h"
#include "ui/lang/langtext.h"
#include "ui/lang/languagefilereader.h"
#include "ui/widgets/makemacro.h"

#include "hidusb/hidsim.h"

#include <QAbstractButton>
#include <QLabel>
#include <QLayout>
#include <QPointer>
#include <QScrollArea>
#include <QScrollBar>
#include <QSettings>
#include <QSignalSpy>
#include <QStackedWidget>
#include <QToolButton>
#include <QtTest>

#include <cstring>
#include <memory>

namespace {

constexpr quint32 Drive1 = 0;

// A macro file of n key presses, each followed by a delay line.
QByteArray macroFile(int repeat, int events)
{
    QByteArray data = QByteArray::number(repeat) + '\n';
    for (int i = 0; i < events; ++i)
        data += QByteArray(i % 2 ? "0x04 1 1\n" : "0x04 1 0\n") + QByteArray::number(10 + i) + "ms\n";
    return data;
}

QByteArray bytesOf(const void* data, int size)
{
    return QByteArray(static_cast<const char*>(data), size);
}

MacroRecord namedMacro(const QByteArray& name)
{
    MacroRecord macro{};
    macro.nameLength = quint8(qMin(name.size(), 30));
    std::memcpy(macro.name, name.constData(), size_t(qMin(name.size(), 30)));
    macro.eventCount = 2;
    macro.events[0] = KeyActionEvent{0, 1, 0x04, 15};
    macro.events[1] = KeyActionEvent{1, 1, 0x04, 0};
    return macro;
}

// The row of a device button in the selector order.
int rowOf(int deviceButton)
{
    for (int row = 0; row < ButtonSlotCount; ++row) {
        if (ButtonSlotMap[row].deviceButton == deviceButton)
            return row;
    }
    return -1;
}

} // namespace

class TestButtonMacros : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void listFromTheFolder();
    void xmlFilesAtStartAndAfterRebuild();
    void rebuildInsideAClick_data();
    void rebuildInsideAClick();
    void assignToRow8();
    void sameMacroOnTwoRows();
    void assignWritesNothingWithout_data();
    void assignWritesNothingWithout();
    void seventyEventsCostFewReports();
    void deleteGivesDefaults_data();
    void deleteGivesDefaults();
    void deleteOfAMacroShownNowhereStillSends();
    void rename();
    void repeatSaved_data();
    void repeatSaved();
    void eventsSavedAfterTheWait();
    void loadRewritesTheFile_data();
    void loadRewritesTheFile();
    void loadWithTheMacroPage();
    void preCheckFindsTheMacroButton();
    void macroEntryWithoutMacros();

private:
    template <typename T = QAbstractButton>
    T* child(const char* name) const { return TestEnv::NamedChild<T>(m_page.get(), name); }
    QAbstractButton* selector(int row) const { return child(ButtonSlotMap[row].selector); }
    // The macro list as laid out: real buttons, then placeholders.
    QList<QToolButton*> listButtons() const;
    QToolButton* macroButton(const QString& text) const;
    QString prefix() const { return LangText(LangTable::ButtoninterfaceTexts, 0, MacroCaptionPrefixPosition); }
    void makePage();
    void setConfig(const QString& key, const QVariant& value);
    void assign(int row, const QString& macro);

    std::unique_ptr<DeviceLinkFixture> m_fixture;
    std::unique_ptr<Buttoninterface> m_page;
    QByteArray m_path;
};

void TestButtonMacros::init()
{
    m_fixture = std::make_unique<DeviceLinkFixture>(TestEnv::Installation::PrivateCopy);
    m_path = m_fixture->add(DeviceLinkFixture::CableMouse("m1"));
    QVERIFY(!m_path.isEmpty());
    QVERIFY(QDir().mkpath(MacroFolder()));
    LoadLanguageFiles();
    CurrentLanguage.store(0);
    UiSendsChanges.store(1);
}

void TestButtonMacros::makePage()
{
    // The window makes the worker before the pages.
    CreateRunWorker();
    m_page = std::make_unique<Buttoninterface>(nullptr);
    WorkerPollTimer->stop();
    m_fixture->chooseFullyRead("m1", DeviceLinkFixture::InfoFor(m_path, 36, 1, 2, Drive1));
    PostMsg::instance()->EmitAllLanguage(0);
    m_page->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_page.get()));
    HidSim::ClearCalls();
}

void TestButtonMacros::cleanup()
{
    EndRunWorker();
    m_page.reset();
    UiSendsChanges.store(0);
    ButtonLoading.store(0);
    ButtonLoaded.store(0);
    for (QString& name : MouseButtonNames)
        name.clear();
    m_fixture.reset();
}

QList<QToolButton*> TestButtonMacros::listButtons() const
{
    QList<QToolButton*> buttons;
    const QLayout* layout = child<QScrollArea>("scrollArea_7")->widget()->layout();
    for (int i = 0; i < layout->count(); ++i)
        buttons << qobject_cast<QToolButton*>(layout->itemAt(i)->widget());
    return buttons;
}

QToolButton* TestButtonMacros::macroButton(const QString& text) const
{
    for (QToolButton* button : listButtons()) {
        if (button->isEnabled() && button->text() == text)
            return button;
    }
    return nullptr;
}

void TestButtonMacros::setConfig(const QString& key, const QVariant& value)
{
    QSettings config(m_fixture->installation().path() + QStringLiteral("/usersetting/Config.ini"), QSettings::IniFormat);
    config.setValue(QStringLiteral("Drive1/") + key, value);
}

void TestButtonMacros::assign(int row, const QString& macro)
{
    selector(row)->setChecked(true);
    QToolButton* button = macroButton(macro);
    QVERIFY(button);
    button->click();
}

void TestButtonMacros::listFromTheFolder()
{
    for (const char* name : {"b.ini", "a.ini", "C.ini", "notes.xml"})
        QVERIFY(TestEnv::WriteFile(MacroFolder() + QLatin1Char('/') + QLatin1String(name), "1\n"));
    makePage();

    const QList<QToolButton*> buttons = listButtons();
    QCOMPARE(buttons.size(), 7);
    QStringList texts;
    for (int i = 0; i < 3; ++i) {
        QToolButton* b = buttons.at(i);
        texts << b->text();
        QVERIFY(b->isEnabled() && b->isCheckable() && !b->isHidden());
        QCOMPARE(b->minimumSize(), QSize(174, 22));
        QVERIFY(b->styleSheet().contains(QLatin1String("CMenuTitleChecked.png")));
    }
    QCOMPARE(texts, (QStringList{"a", "b", "C"}));
    for (int i = 3; i < 7; ++i) {
        QToolButton* b = buttons.at(i);
        QVERIFY(!b->isEnabled() && b->isHidden() && b->text().isEmpty());
        QCOMPARE(b->minimumSize(), QSize(174, 23));
    }

    // One macro checked at a time, together with the other sub-list entries.
    buttons.at(0)->click();
    buttons.at(1)->click();
    QVERIFY(!buttons.at(0)->isChecked() && buttons.at(1)->isChecked());
    m_page->ClearFunctionChecks();
    QVERIFY(!buttons.at(1)->isChecked());
}

void TestButtonMacros::xmlFilesAtStartAndAfterRebuild()
{
    for (const char* name : {"a.ini", "xml1.ini", "xml2.ini"})
        QVERIFY(TestEnv::WriteFile(MacroFolder() + QLatin1Char('/') + QLatin1String(name), "1\n"));
    makePage();
    QVERIFY(macroButton(QStringLiteral("xml2")));
    QVERIFY(!macroButton(QStringLiteral("xml1")));
    QCOMPARE(listButtons().size(), 7);

    PostMsg::instance()->EmitAddMacroButton();
    QVERIFY(macroButton(QStringLiteral("a")));
    QVERIFY(!macroButton(QStringLiteral("xml2")));
    // Both "xml" files still count for the placeholders: one button and five of them.
    QCOMPARE(listButtons().size(), 6);
}

void TestButtonMacros::rebuildInsideAClick_data()
{
    QTest::addColumn<bool>("offline");
    QTest::newRow("after the assignment") << false;
    QTest::newRow("from the offline notice, inside the assignment") << true;
}

void TestButtonMacros::rebuildInsideAClick()
{
    QFETCH(bool, offline);
    QVERIFY(TestEnv::WriteFile(MacroFilePath(MacroFolder(), QStringLiteral("m")), macroFile(1, 2)));
    makePage();
    QPointer<QToolButton> old = macroButton(QStringLiteral("m"));
    QVERIFY(old);
    // The macro page answers an assignment with a rebuild; the frame rebuilds when a notice
    // lets it run. Either way the clicked button's own click is still on the stack.
    if (offline) {
        QVERIFY(HidSim::Unplug("m1"));
        connect(PostMsg::instance(), &PostMsg::SigMouseOffLineo, PostMsg::instance(),
                &PostMsg::EmitAddMacroButton);
    } else {
        connect(old.data(), &QToolButton::clicked, PostMsg::instance(), &PostMsg::EmitAddMacroButton);
    }
    selector(1)->setChecked(true);
    old->click();
    disconnect(PostMsg::instance(), &PostMsg::SigMouseOffLineo, PostMsg::instance(), &PostMsg::EmitAddMacroButton);
    QCOMPARE(int(DeviceLinkFixture::StoredRecord("m1").buttonFunctions[1].type), offline ? 1 : 6);
    QVERIFY(macroButton(QStringLiteral("m")));
    QVERIFY(macroButton(QStringLiteral("m")) != old);
    QTRY_VERIFY(old.isNull());
}

void TestButtonMacros::assignToRow8()
{
    QVERIFY(TestEnv::WriteFile(MacroFilePath(MacroFolder(), QStringLiteral("abc")), "3\n0x04 1 0\n20ms\n0x04 1 1\n"));
    makePage();
    const int row = rowOf(10);
    assign(row, QStringLiteral("abc"));

    QCOMPARE(HidSim::CallCount("ProtocolDataUpdate"), 1);
    const QByteArray stored = DeviceLinkFixture::Bytes(DeviceLinkFixture::StoredRecord("m1"));
    QCOMPARE(stored.mid(0x068, 3).toHex(' '), QByteArray("06 0a 03"));
    QByteArray expected(592, '\0');
    expected.replace(0, 4, "\x03" "abc");
    expected[31] = 2;
    expected.replace(32, 16, QByteArray::fromHex("0001040014000000" "0101040000000000"));
    QCOMPARE(stored.mid(0x1ADC, 592).toHex(' '), expected.toHex(' '));

    QCOMPARE(selector(row)->text(), prefix() + QStringLiteral("abc"));
    const Buttoninterface::CachedFunction cached = m_page->CachedButtonFunction(ButtonSlotMap[row].uiSlot);
    QCOMPARE(cached.type, 6);
    QCOMPARE(cached.code, 10);
    QCOMPARE(cached.param, 3);
    QVERIFY(child<QStackedWidget>("stackedWidget")->currentWidget() == child<QWidget>("page"));
    QVERIFY(child<QStackedWidget>("stackedWidget_2")->currentWidget() == child<QWidget>("page_9"));
}

void TestButtonMacros::sameMacroOnTwoRows()
{
    QVERIFY(TestEnv::WriteFile(MacroFilePath(MacroFolder(), QStringLiteral("twice")), macroFile(255, 3)));
    makePage();
    assign(rowOf(2), QStringLiteral("twice"));
    assign(rowOf(9), QStringLiteral("twice"));

    const FlashDataMap stored = DeviceLinkFixture::StoredRecord("m1");
    QCOMPARE(bytesOf(&stored.buttonFunctions[2], 3).toHex(' '), QByteArray("06 02 ff"));
    QCOMPARE(bytesOf(&stored.buttonFunctions[9], 3).toHex(' '), QByteArray("06 09 ff"));
    QCOMPARE(bytesOf(&stored.macros[2], 592), bytesOf(&stored.macros[9], 592));
    QCOMPARE(int(stored.macros[9].eventCount), 4);
}

void TestButtonMacros::assignWritesNothingWithout_data()
{
    QTest::addColumn<QString>("what");
    QTest::addColumn<bool>("notice"); // the "cannot be read" notice
    QTest::newRow("a selected button") << "selector" << false;
    QTest::newRow("the pages sending changes") << "sending" << false;
    QTest::newRow("the macro's file") << "file" << true;
    QTest::newRow("a file of random bytes") << "junk" << true;
    QTest::newRow("a file cut in a line") << "cut" << true;
    QTest::newRow("the device") << "device" << false;
}

void TestButtonMacros::assignWritesNothingWithout()
{
    QFETCH(QString, what);
    QFETCH(bool, notice);
    QVERIFY(TestEnv::WriteFile(MacroFilePath(MacroFolder(), QStringLiteral("m")), macroFile(1, 2)));
    makePage();
    const QByteArray before = DeviceLinkFixture::Bytes(DeviceLinkFixture::StoredRecord("m1"));
    const QString caption = selector(0)->text();
    QSignalSpy offline(PostMsg::instance(), &PostMsg::SigMouseOffLineo);
    if (what != QLatin1String("selector"))
        selector(0)->setChecked(true);
    if (what == QLatin1String("sending"))
        UiSendsChanges.store(0);
    if (what == QLatin1String("file"))
        QVERIFY(QFile::remove(MacroFilePath(MacroFolder(), QStringLiteral("m"))));
    if (what == QLatin1String("junk"))
        QVERIFY(TestEnv::WriteFile(MacroFilePath(MacroFolder(), QStringLiteral("m")),
                                   QByteArray::fromHex("1f8b0800e3ff5a0d0a9c2b0af0ee0a0d0a") + "\x01\x02 3"));
    if (what == QLatin1String("cut"))
        QVERIFY(TestEnv::WriteFile(MacroFilePath(MacroFolder(), QStringLiteral("m")), "1\n0x04 1 0\n10ms\n0x0"));
    if (what == QLatin1String("device"))
        QVERIFY(HidSim::Unplug("m1"));
    QString told;
    if (notice) {
        TestEnv::AnswerNextModal(
            [&told](QWidget* w) {
                told = w->findChild<QLabel*>(QStringLiteral("label"))->text();
                w->close();
            },
            "InportFail");
    }

    macroButton(QStringLiteral("m"))->click();

    QCOMPARE(HidSim::CallCount("ProtocolDataUpdate"), 0);
    QCOMPARE(DeviceLinkFixture::Bytes(DeviceLinkFixture::StoredRecord("m1")), before);
    QCOMPARE(selector(0)->text(), caption);
    QCOMPARE(offline.count(), what == QLatin1String("device") ? 1 : 0);
    QVERIFY(child<QStackedWidget>("stackedWidget_2")->currentWidget() == child<QWidget>("page_9"));
    QCOMPARE(told, notice ? LangText(LangTable::InportFailTexts, 0, 0) : QString());
}

void TestButtonMacros::seventyEventsCostFewReports()
{
    QVERIFY(TestEnv::WriteFile(MacroFilePath(MacroFolder(), QStringLiteral("long")), macroFile(1, 70)));
    makePage();
    assign(rowOf(3), QStringLiteral("long"));
    QCOMPARE(HidSim::CallCount("ProtocolDataUpdate"), 1);
    QCOMPARE(int(DeviceLinkFixture::StoredRecord("m1").macros[3].eventCount), 70);
    QVERIFY2(HidSim::ReportsSent() <= 12, qPrintable(QString::number(HidSim::ReportsSent())));
}

void TestButtonMacros::deleteGivesDefaults_data()
{
    QTest::addColumn<int>("deviceButton");
    QTest::addColumn<QString>("keyParam"); // "" leaves Config.ini as it is
    QTest::addColumn<QByteArray>("function");
    QTest::addColumn<int>("consumerUsage"); // 0: the key block is left zero
    QTest::addColumn<QString>("captionEntry"); // "" keeps the macro caption
    QTest::addColumn<QStringList>("checked");
    QTest::addColumn<int>("writes");

    QTest::newRow("device 10 gets DPI up") << 10 << "" << QByteArray("020200") << 0 << "VolumeUp_9"
                                           << QStringList{"DPI_7", "VolumeUp_9"} << 2;
    QTest::newRow("device 9 ignores lists: report rate") << 9 << "" << QByteArray("070000") << 0 << "DPI_2"
                                                         << QStringList{"DPI_2"} << 2;
    QTest::newRow("device 1 without a 0x05 list: right click")
        << 1 << "0x01,0x02,0x00" << QByteArray("010200") << 0 << "nono" << QStringList{"nono"} << 2;
    QTest::newRow("device 2, three items: volume up")
        << 2 << "0x05,0x00,E9" << QByteArray("050000") << 0xE9 << "VolumeDown" << QStringList{"MidKey"} << 2;
    QTest::newRow("device 0, two items: nothing") << 0 << "0x05,0x00" << QByteArray("060001") << 0 << ""
                                                  << QStringList{"LeftKey_3"} << 1;
    QTest::newRow("device 3, four items: a combination")
        << 3 << "0x05,0,0,Ctrl+A" << QByteArray("050000") << -1 << "" << QStringList{} << 2;
}

void TestButtonMacros::deleteGivesDefaults()
{
    QFETCH(int, deviceButton);
    QFETCH(QString, keyParam);
    QFETCH(QByteArray, function);
    QFETCH(int, consumerUsage);
    QFETCH(QString, captionEntry);
    QFETCH(QStringList, checked);
    QFETCH(int, writes);

    if (!keyParam.isEmpty())
        setConfig(QStringLiteral("KeyParam") + QString::number(deviceButton + 1), keyParam.split(QLatin1Char(',')));
    setConfig(QStringLiteral("KeyNumber"), 9);
    QVERIFY(TestEnv::WriteFile(MacroFilePath(MacroFolder(), QStringLiteral("gone")), macroFile(1, 2)));
    makePage();
    const int row = rowOf(deviceButton);
    assign(row, QStringLiteral("gone"));
    // A key block the deletion must clear.
    DeviceConfig.update([&](FlashDataMap& m) { m.keyActions[deviceButton] = ParseKeyCombination(QStringLiteral("Q")); });
    const QString macroCaption = selector(row)->text();
    QVERIFY(macroCaption.endsWith(QLatin1String("gone")));
    // Watch which entries the deletion checks before it runs the default.
    QStringList seenChecked;
    for (const char* name : {"LeftKey_3", "nono", "MidKey", "DPI_2", "DPI_7", "VolumeUp_9"}) {
        QAbstractButton* entry = child(name);
        connect(entry, &QAbstractButton::toggled, this, [&seenChecked, name](bool on) {
            if (on)
                seenChecked << QLatin1String(name);
        });
    }
    HidSim::ClearCalls();

    PostMsg::instance()->EmitDeleteMacroButton(macroCaption);

    QCOMPARE(HidSim::CallCount("ProtocolDataUpdate"), writes);
    const FlashDataMap stored = DeviceLinkFixture::StoredRecord("m1");
    QCOMPARE(bytesOf(&stored.buttonFunctions[deviceButton], 3).toHex(), function);
    KeyActionRecord keys{};
    if (consumerUsage > 0)
        keys = *MultimediaKeyRecord(consumerUsage);
    else if (consumerUsage < 0)
        keys = ParseKeyCombination(QStringLiteral("Ctrl+A"));
    QCOMPARE(bytesOf(&stored.keyActions[deviceButton], sizeof(KeyActionRecord)).toHex(' '),
             bytesOf(&keys, sizeof(KeyActionRecord)).toHex(' '));
    QString caption = macroCaption;
    if (consumerUsage < 0)
        caption = QStringLiteral("Ctrl+A");
    else if (!captionEntry.isEmpty())
        caption = child(captionEntry.toLatin1().constData())->text();
    QCOMPARE(selector(row)->text(), caption);
    for (const QString& name : checked)
        QVERIFY2(seenChecked.contains(name), qPrintable(name));
    // The deleted macro stays in the record; no selector stays selected; the menu is closed.
    QCOMPARE(int(stored.macros[deviceButton].nameLength), 4);
    QVERIFY(!selector(row)->isChecked());
    QVERIFY(child<QStackedWidget>("stackedWidget")->currentWidget() == child<QWidget>("page"));
}

void TestButtonMacros::deleteOfAMacroShownNowhereStillSends()
{
    makePage();
    const QByteArray before = DeviceLinkFixture::Bytes(DeviceLinkFixture::StoredRecord("m1"));
    PostMsg::instance()->EmitDeleteMacroButton(prefix() + QStringLiteral("nowhere"));
    QCOMPARE(HidSim::CallCount("ProtocolDataUpdate"), 1);
    QCOMPARE(DeviceLinkFixture::Bytes(DeviceLinkFixture::StoredRecord("m1")), before);
}

void TestButtonMacros::rename()
{
    QVERIFY(TestEnv::WriteFile(MacroFilePath(MacroFolder(), QStringLiteral("elevenchars")), macroFile(4, 3)));
    makePage();
    assign(rowOf(0), QStringLiteral("elevenchars"));
    selector(rowOf(8))->setText(QStringLiteral("other"));
    HidSim::ClearCalls();

    PostMsg::instance()->EmitMacroRename(QStringLiteral("elevenchars"), QStringLiteral("ab"));

    QCOMPARE(HidSim::CallCount("ProtocolDataUpdate"), 1);
    const FlashDataMap stored = DeviceLinkFixture::StoredRecord("m1");
    QByteArray name(31, '\0');
    name.replace(0, 3, "\x02" "ab");
    QCOMPARE(bytesOf(&stored.macros[0], 31).toHex(' '), name.toHex(' '));
    QCOMPARE(int(stored.macros[0].eventCount), 4);
    QCOMPARE(bytesOf(&stored.buttonFunctions[0], 3).toHex(' '), QByteArray("06 00 04"));
    QCOMPARE(selector(rowOf(0))->text(), prefix() + QStringLiteral("ab"));
    QCOMPARE(selector(rowOf(8))->text(), QStringLiteral("other"));
}

void TestButtonMacros::repeatSaved_data()
{
    QTest::addColumn<QByteArray>("firstLine");
    QTest::addColumn<int>("param");
    QTest::newRow("253") << QByteArray("253") << 253;
    QTest::newRow("letters") << QByteArray("abc") << 0;
    QTest::newRow("300") << QByteArray("300") << 1;
}

void TestButtonMacros::repeatSaved()
{
    QFETCH(QByteArray, firstLine);
    QFETCH(int, param);
    const QString path = MacroFilePath(MacroFolder(), QStringLiteral("rep"));
    QVERIFY(TestEnv::WriteFile(path, macroFile(2, 2)));
    makePage();
    assign(rowOf(4), QStringLiteral("rep"));
    const FlashDataMap before = DeviceLinkFixture::StoredRecord("m1");
    const QByteArray macroBefore = bytesOf(&before.macros[4], 592);
    QVERIFY(TestEnv::WriteFile(path, firstLine + "\n0x05 1 0\n"));
    HidSim::ClearCalls();

    PostMsg::instance()->EmitUpDataMacro(QStringLiteral("rep"), 1);

    QCOMPARE(HidSim::CallCount("ProtocolDataUpdate"), 1);
    const FlashDataMap stored = DeviceLinkFixture::StoredRecord("m1");
    QCOMPARE(int(stored.buttonFunctions[4].type), 6);
    QCOMPARE(int(stored.buttonFunctions[4].code), 4);
    QCOMPARE(int(stored.buttonFunctions[4].parameter), param);
    QCOMPARE(bytesOf(&stored.macros[4], 592), macroBefore);
}

void TestButtonMacros::eventsSavedAfterTheWait()
{
    QVERIFY(TestEnv::WriteFile(MacroFilePath(MacroFolder(), QStringLiteral("ev")), macroFile(2, 2)));
    makePage();
    assign(rowOf(1), QStringLiteral("ev"));
    assign(rowOf(10), QStringLiteral("ev"));
    QSignalSpy asked(PostMsg::instance(), &PostMsg::SigMacroDownLoadData);
    TestEnv::TimeScale fast(0.01);
    bool waited = false;
    // The page keeps events flowing while it waits for the macro page's save.
    QTimer::singleShot(0, this, [&waited, &asked] { waited = asked.isEmpty(); });

    PostMsg::instance()->EmitUpDataMacro(QStringLiteral("ev"), 0);

    QVERIFY(waited);
    QCOMPARE(asked.count(), 2);
    QCOMPARE(asked.at(0).at(0).toString(), QStringLiteral("ev"));
    QCOMPARE(asked.at(0).at(1).toInt(), 1);
    QCOMPARE(asked.at(1).at(1).toInt(), 10);
    asked.clear();
    PostMsg::instance()->EmitUpDataMacro(QStringLiteral("other"), 0);
    PostMsg::instance()->EmitUpDataMacro(QStringLiteral("ev"), 2);
    QCOMPARE(asked.count(), 0);
}

void TestButtonMacros::loadRewritesTheFile_data()
{
    QTest::addColumn<QByteArray>("name");
    QTest::addColumn<int>("deviceButton");
    QTest::addColumn<bool>("announced");

    QTest::newRow("button 2") << QByteArray("M") << 2 << true;
    QTest::newRow("slot 6 is device button 9") << QByteArray("nine") << 9 << true;
    QTest::newRow("30 bytes without a zero") << QByteArray(30, 'z') << 10 << true;
    QTest::newRow("parent folder") << QByteArray("../x") << 2 << false;
    QTest::newRow("empty name") << QByteArray() << 2 << false;
}

void TestButtonMacros::loadRewritesTheFile()
{
    QFETCH(QByteArray, name);
    QFETCH(int, deviceButton);
    QFETCH(bool, announced);

    setConfig(QStringLiteral("KeyNumber"), 9);
    const QString outside = QDir(MacroFolder()).absoluteFilePath(QStringLiteral("../x.ini"));
    QVERIFY(TestEnv::WriteFile(outside, "untouched\n"));
    QVERIFY(TestEnv::WriteFile(MacroFolder() + QStringLiteral("/.ini"), "untouched\n"));
    const QString file = MacroFilePath(MacroFolder(), QString::fromLatin1(name));
    if (announced)
        QVERIFY(TestEnv::WriteFile(file, "9\n0x05 1 0\n10ms\n0x05 1 1\n"));
    makePage();
    QSignalSpy toMacro(PostMsg::instance(), &PostMsg::SigButtonToMacro);

    FlashDataMap record = DeviceLinkFixture::StoredRecord("m1");
    record.buttonFunctions[deviceButton] = ButtonFunctionCode{6, quint8(deviceButton), 3};
    record.macros[deviceButton] = namedMacro(name);
    PostMsg::instance()->EmitUpDataButtonUIC(record);

    const int row = rowOf(deviceButton);
    QCOMPARE(selector(row)->text(), prefix() + QString::fromLatin1(name));
    QCOMPARE(TestEnv::ReadFile(outside), QByteArray("untouched\n"));
    QCOMPARE(TestEnv::ReadFile(MacroFolder() + QStringLiteral("/.ini")), QByteArray("untouched\n"));
    if (!announced) {
        QCOMPARE(toMacro.count(), 0);
        return;
    }
    QCOMPARE(TestEnv::ReadFile(file), QByteArray("3\n"));
    QCOMPARE(toMacro.count(), 1);
    QCOMPARE(toMacro.at(0).at(1).toInt(), deviceButton);
    const FlashDataMap sent = toMacro.at(0).at(0).value<FlashDataMap>();
    QCOMPARE(DeviceLinkFixture::Bytes(sent), DeviceLinkFixture::Bytes(record));

    // A language change shows the device's captions again, and so rewrites the file again.
    DeviceConfig.set(record);
    QVERIFY(TestEnv::WriteFile(file, "9\n"));
    PostMsg::instance()->EmitAllLanguage(1);
    QCOMPARE(TestEnv::ReadFile(file), QByteArray("3\n"));
    QCOMPARE(selector(row)->text(),
             LangText(LangTable::ButtoninterfaceTexts, 1, MacroCaptionPrefixPosition) + QString::fromLatin1(name));
}

void TestButtonMacros::loadWithTheMacroPage()
{
    // The file of a macro the mouse holds ends up holding exactly that macro.
    Macro macroPage(nullptr);
    PostMsg::instance()->EmitAllLanguage(0);
    makePage();
    FlashDataMap record = DeviceLinkFixture::StoredRecord("m1");
    record.buttonFunctions[1] = ButtonFunctionCode{6, 1, 5};
    record.macros[1] = namedMacro("fromMouse");
    PostMsg::instance()->EmitUpDataButtonUIC(record);

    QCOMPARE(TestEnv::ReadFile(MacroFilePath(MacroFolder(), QStringLiteral("fromMouse"))),
             QByteArray("5\n0x04 1 0\n15ms\n0x04 1 1\n"));
    // Assigning it again gives the mouse the same bytes back.
    PostMsg::instance()->EmitAddMacroButton();
    HidSim::ClearCalls();
    assign(rowOf(2), QStringLiteral("fromMouse"));
    const FlashDataMap stored = DeviceLinkFixture::StoredRecord("m1");
    QCOMPARE(bytesOf(&stored.macros[2], 592), bytesOf(&record.macros[1], 592));
    QCOMPARE(int(stored.buttonFunctions[2].parameter), 5);
}

void TestButtonMacros::preCheckFindsTheMacroButton()
{
    for (const char* name : {"a", "b", "c", "d", "e", "f", "g", "h", "i", "j", "k", "l"})
        QVERIFY(TestEnv::WriteFile(MacroFilePath(MacroFolder(), QLatin1String(name)), macroFile(1, 1)));
    makePage();
    assign(rowOf(5), QStringLiteral("c"));
    ButtonLoading.store(0);

    selector(rowOf(5))->click();

    QVERIFY(child<QStackedWidget>("stackedWidget")->currentWidget() == child<QWidget>("page_2"));
    QVERIFY(child<QStackedWidget>("stackedWidget_2")->currentWidget() == child<QWidget>("page_5"));
    QVERIFY(child("DPI_10")->isChecked());
    QVERIFY(macroButton(QStringLiteral("c"))->isChecked());
    QVERIFY(!macroButton(QStringLiteral("a"))->isChecked());
    // The list grows with its macros, so it is scrolled to the third one's row (45 pixels), as
    // far as the nearer gap between buttons: no button shows cut at the top, the macro's whole.
    auto* list = child<QScrollArea>("scrollArea_7");
    const int top = list->verticalScrollBar()->value();
    QVERIFY2(qAbs(top - 45) <= 16, qPrintable(QString::number(top)));
    for (const QWidget* button : list->widget()->findChildren<QToolButton*>(QString(), Qt::FindDirectChildrenOnly)) {
        if (button->isVisible())
            QVERIFY(button->y() >= top || button->geometry().bottom() < top);
    }
    QVERIFY(QRect(QPoint(0, top), list->viewport()->size()).contains(macroButton(QStringLiteral("c"))->geometry()));
}

void TestButtonMacros::macroEntryWithoutMacros()
{
    makePage();
    selector(0)->setChecked(true);
    bool noticeShown = false;
    TestEnv::AnswerNextModal(
        [&noticeShown](QWidget* w) {
            noticeShown = true;
            w->close();
        },
        "MakeMacro");
    child("DPI_10")->click();
    QVERIFY(noticeShown);
    QVERIFY(child<QStackedWidget>("stackedWidget_2")->currentWidget() == child<QWidget>("page_9"));

    QVERIFY(TestEnv::WriteFile(MacroFilePath(MacroFolder(), QStringLiteral("m")), macroFile(1, 1)));
    PostMsg::instance()->EmitAddMacroButton();
    child("DPI_10")->click();
    QVERIFY(child<QStackedWidget>("stackedWidget_2")->currentWidget() == child<QWidget>("page_5"));
}

VEXO_TEST_MAIN(TestButtonMacros)
#include "tst_buttonmacros.moc"
