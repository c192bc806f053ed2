#include "core/apppaths.h"
#include "core/configini.h"
#include "core/devicestate.h"
#include "core/postmsg.h"
#include "device/buttoncatalogue.h"
#include "device/keyactioncodec.h"
#include "device/macrotextfile.h"
#include "device/worker.h"
#include "helpers/devicelinkfixture.h"
#include "helpers/testenv.h"
#include "helpers/testwidgets.h"
#include "pages/buttons/buttoninterface.h"
#include "tools/mousepicture.h"
#include "ui/lang/languagefilereader.h"
#include "ui/lang/langtext.h"

#include "hidusb/hidsim.h"

#include <QAbstractButton>
#include <QButtonGroup>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QLabel>
#include <QPainter>
#include <QSignalSpy>
#include <QScrollArea>
#include <QScrollBar>
#include <QStackedWidget>
#include <QtTest>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <memory>

namespace {

// Drive1 of the sample installation (the cable mouse): sensor VXP3311, six buttons.
constexpr quint32 Drive1 = 0;
// Drive2: eight buttons.
constexpr quint32 Drive2 = 1;

// Selectors by UI slot.
const char* const kSelectors[9] = {"FireKey",   "RightKey", "BackKey", "TopMusic", "StartPause",
                                   "BackMusic", "Button9",  "Button7", "Button8"};

QString Text(int language, int position)
{
    return LangText(LangTable::ButtoninterfaceTexts, language, position);
}

// Runs the emit on a thread of its own, as the worker and the library do, and waits for it.
void SetKeyNumber(const QString& installation, int drive, const QString& value)
{
    QFile file(installation + QStringLiteral("/usersetting/Config.ini"));
    QVERIFY(file.open(QIODevice::ReadOnly | QIODevice::Text));
    QStringList lines = QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'));
    file.close();
    const QString section = QStringLiteral("[Drive%1]").arg(drive);
    bool inSection = false;
    bool replaced = false;
    for (QString& line : lines) {
        if (line.startsWith(QLatin1Char('[')))
            inSection = line.trimmed() == section;
        else if (inSection && line.startsWith(QStringLiteral("KeyNumber="))) {
            line = QStringLiteral("KeyNumber=") + value;
            replaced = true;
        }
    }
    QVERIFY(replaced);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Text));
    file.write(lines.join(QLatin1Char('\n')).toUtf8());
}

} // namespace

class TestButtoninterface : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void cleanupTestCase();

    void construction();
    void loadCaptions_data();
    void loadCaptions();
    void loadHonoursKeyNumber();
    void loadFlags_data();
    void loadFlags();
    void loadSelectsDebounceWithoutWriting_data();
    void loadSelectsDebounceWithoutWriting();
    void formReset();
    void language_data();
    void language();
    void languageWithoutRecordKeepsCaptions();
    void languageChangeEventKeepsProfile();
    void subListEntriesDrawTheirImages_data();
    void subListEntriesDrawTheirImages();
    void spotSitsOnItsButton_data();
    void spotSitsOnItsButton();
    void spotsOfTheModel_data();
    void spotsOfTheModel();
    void selectorsFollowKeyNumber_data();
    void selectorsFollowKeyNumber();
    void hiddenRowsAssignNothing_data();
    void hiddenRowsAssignNothing();
    void hiddenLeftCaptionIsNoLeftClick();

private:
    template <typename T = QWidget>
    T* child(const char* name) const { return TestEnv::NamedChild<T>(m_page.get(), name); }
    QString caption(int slot) const { return child<QAbstractButton>(kSelectors[slot])->text(); }
    QComboBox* profiles() const { return child<QComboBox>("ProjectChoose"); }
    FlashDataMap record() const;
    void loadFullRead(const FlashDataMap& record);
    // Loads by one of the page's three roads: "full read", "after apply", "form reset".
    void load(const QString& road, const FlashDataMap& record);
    void choose(quint32 drive);

    std::unique_ptr<DeviceLinkFixture> m_fixture;
    std::unique_ptr<Buttoninterface> m_page;
    QByteArray m_path;
};

void TestButtoninterface::init()
{
    m_fixture = std::make_unique<DeviceLinkFixture>(TestEnv::Installation::PrivateCopy);
    m_path = m_fixture->add(DeviceLinkFixture::CableMouse("m1"));
    QVERIFY(!m_path.isEmpty());
    LoadLanguageFiles();
    CurrentLanguage.store(0);
    UiSendsChanges.store(1);
    // The window makes the worker before the pages; it starts with the device unchosen and
    // polls for it: the tests feed the page themselves.
    CreateRunWorker();
    m_page = std::make_unique<Buttoninterface>(nullptr);
    WorkerPollTimer->stop();
    choose(Drive1);
    m_page->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_page.get()));
    HidSim::ClearCalls();
}

void TestButtoninterface::cleanup()
{
    EndRunWorker();
    m_page.reset();
    UiSendsChanges.store(0);
    ButtonLoading.store(0);
    ButtonLoaded.store(0);
    CurrentLanguage.store(0);
    m_fixture.reset();
}

void TestButtoninterface::cleanupTestCase()
{
    LanguageTables::SetGlobal(LanguageTables());
}

void TestButtoninterface::choose(quint32 drive)
{
    m_fixture->chooseFullyRead("m1", DeviceLinkFixture::InfoFor(m_path, 36, 1, 2, drive));
}

// The stored record with nine plain functions, none the built-in ones.
FlashDataMap TestButtoninterface::record() const
{
    FlashDataMap m = DeviceLinkFixture::StoredRecord("m1");
    for (int slot = 0; slot < 9; ++slot) {
        m.buttonFunctions[DeviceButtonOfSlot(slot)] = ButtonFunctionCode{MouseButtonFunction, 2, 0};
        std::memset(&m.keyActions[DeviceButtonOfSlot(slot)], 0, sizeof(KeyActionRecord));
        std::memset(&m.macros[DeviceButtonOfSlot(slot)], 0, sizeof(MacroRecord));
    }
    m.stopCloseTime = 6;
    m.debounceTime = 4;
    return m;
}

void TestButtoninterface::loadFullRead(const FlashDataMap& record)
{
    TestEnv::EmitFromThread([record] { PostMsg::instance()->EmitUpDataLightUIButton(record); });
}

void TestButtoninterface::load(const QString& road, const FlashDataMap& record)
{
    if (road == QLatin1String("full read"))
        loadFullRead(record);
    else if (road == QLatin1String("after apply"))
        emit PostMsg::instance()->SigUpDataButtonUIC(record);
    else
        TestEnv::EmitFromThread([] { PostMsg::instance()->EmitFormReset(); });
}

void TestButtoninterface::construction()
{
    QVERIFY(child("DPI_3")->isHidden());
    QVERIFY(child("DPI_9")->isHidden());
    QCOMPARE(child<QStackedWidget>("stackedWidget")->currentWidget(), child("page"));
    QCOMPARE(child<QStackedWidget>("stackedWidget_2")->currentWidget(), child("page_9"));
    const auto groups = m_page->findChildren<QButtonGroup*>();
    QCOMPARE(groups.size(), 4);
    for (const QButtonGroup* group : groups) {
        QVERIFY(group->exclusive());
        QVERIFY(group->checkedButton() == nullptr);
    }
    // Before any record the cache holds the functions the default captions stand for.
    for (int slot = 0; slot < 9; ++slot) {
        const ButtonFunctionCode f = FormResetFunction(slot);
        const Buttoninterface::CachedFunction cached = m_page->CachedButtonFunction(slot);
        QCOMPARE(cached.type, int(f.type));
        QCOMPARE(cached.code, int(f.code));
        QCOMPARE(cached.param, 0);
    }
    // Slots outside the nine are ignored.
    m_page->SetButtonParam(9, 6, 6, 6);
    m_page->SetButtonParam(-1, 6, 6, 6);
    QCOMPARE(m_page->CachedButtonFunction(8).type, int(FormResetFunction(8).type));
    m_page->SetButtonParam(8, 6, 5, 4);
    QCOMPARE(m_page->CachedButtonFunction(8).param, 4);
    QVERIFY(child("widget")->styleSheet().endsWith(QStringLiteral("/Picture/Buttoninterface/mouse0.png);}")));

    // Connection by name runs a click's slots in declaration order: the rapid-fire entry
    // assigns before its dialog, the DPI lock entry opens its list before the no-op.
    const QMetaObject* meta = m_page->metaObject();
    QVERIFY(meta->indexOfSlot("on_DPI_6_clicked(bool)") >= 0);
    QVERIFY(meta->indexOfSlot("on_DPI_6_clicked(bool)") < meta->indexOfSlot("on_DPI_6_clicked()"));
    QVERIFY(meta->indexOfSlot("on_DPI_4_clicked()") >= 0);
    QVERIFY(meta->indexOfSlot("on_DPI_4_clicked()") < meta->indexOfSlot("on_DPI_4_clicked(bool)"));
}

void TestButtoninterface::loadCaptions_data()
{
    QTest::addColumn<int>("slot");
    QTest::addColumn<int>("type");
    QTest::addColumn<int>("code");
    QTest::addColumn<int>("param");
    QTest::addColumn<QString>("extra"); // consumer / combination / macro name
    QTest::addColumn<QString>("expected");

    const QString form = QStringLiteral("<form>");
    QTest::newRow("mouse button") << 0 << 1 << 4 << 0 << QString() << Text(0, 6);
    QTest::newRow("DPI up keeps its form caption") << 7 << 2 << 2 << 0 << QString() << QStringLiteral("DPI+");
    QTest::newRow("report rate switch") << 8 << 7 << 0 << 0 << QString() << Text(0, 10);
    QTest::newRow("rapid fire") << 5 << 4 << 20 << 5 << QString() << Text(0, 12);
    QTest::newRow("consumer key") << 1 << 5 << 0 << 0 << QStringLiteral("consumer") << Text(0, 27);
    QTest::newRow("key combination") << 2 << 5 << 0 << 0 << QStringLiteral("combination") << QString();
    QTest::newRow("macro") << 3 << 6 << 1 << 0 << QStringLiteral("Shot") << Text(0, 48) + QStringLiteral("Shot");
    // VXP3311: 0x10 is 100 DPI, one more for each further 50.
    QTest::newRow("DPI lock") << 4 << 10 << 0x1E << 0 << QString() << Text(0, 21) + QStringLiteral("-800");
    QTest::newRow("DPI lock outside the table") << 4 << 10 << 0x02 << 0 << QString()
                                                << Text(0, 21) + QStringLiteral("-0");
    QTest::newRow("unknown function keeps the caption") << 6 << 12 << 1 << 0 << QString() << form;
}

// A device-fed load shows each slot's function and caches its bytes.
void TestButtoninterface::loadCaptions()
{
    QFETCH(int, slot);
    QFETCH(int, type);
    QFETCH(int, code);
    QFETCH(int, param);
    QFETCH(QString, extra);
    QFETCH(QString, expected);

    SetKeyNumber(m_fixture->installation().path(), 1, QStringLiteral("9"));
    emit PostMsg::instance()->SigAllLanguage(0);
    const QString before = caption(slot);

    FlashDataMap m = record();
    const int button = DeviceButtonOfSlot(slot);
    m.buttonFunctions[button] = ButtonFunctionCode{quint8(type), quint8(code), quint8(param)};
    if (extra == QLatin1String("consumer")) {
        m.keyActions[button] = ConsumerKeyRecord(0xE2);
    } else if (extra == QLatin1String("combination")) {
        m.keyActions[button] = ParseKeyCombination(QStringLiteral("Ctrl+A"));
        expected = KeyCombinationCaption(m.keyActions[button]);
        QVERIFY(!expected.isEmpty());
    } else if (!extra.isEmpty()) {
        const QByteArray name = extra.toLocal8Bit();
        std::memcpy(m.macros[button].name, name.constData(), size_t(name.size()));
        m.macros[button].nameLength = quint8(name.size());
    }
    if (expected == QLatin1String("<form>"))
        expected = before;

    loadFullRead(m);

    QCOMPARE(caption(slot), expected);
    const Buttoninterface::CachedFunction cached = m_page->CachedButtonFunction(slot);
    QCOMPARE(cached.type, type);
    QCOMPARE(cached.code, code);
    QCOMPARE(cached.param, param);
    QCOMPARE(HidSim::CallCount("ProtocolDataUpdate"), 0);
}

// The device section says how many selectors the mouse has; the rest keep caption and cache.
void TestButtoninterface::loadHonoursKeyNumber()
{
    SetKeyNumber(m_fixture->installation().path(), 1, QStringLiteral("5"));
    emit PostMsg::instance()->SigAllLanguage(0);
    QStringList before;
    for (int slot = 0; slot < 9; ++slot)
        before << caption(slot);

    loadFullRead(record());

    for (int slot = 0; slot < 9; ++slot) {
        const Buttoninterface::CachedFunction cached = m_page->CachedButtonFunction(slot);
        if (slot < 5) {
            QCOMPARE(caption(slot), Text(0, 5));
            QCOMPARE(cached.type, int(MouseButtonFunction));
            QCOMPARE(cached.code, 2);
        } else {
            QCOMPARE(caption(slot), before.at(slot));
            QCOMPARE(cached.type, int(FormResetFunction(slot).type));
            QCOMPARE(cached.code, int(FormResetFunction(slot).code));
        }
    }

    // A count beyond the nine selectors loads the nine.
    SetKeyNumber(m_fixture->installation().path(), 1, QStringLiteral("12"));
    loadFullRead(record());
    QCOMPARE(caption(8), Text(0, 5));
}

void TestButtoninterface::loadFlags_data()
{
    QTest::addColumn<bool>("fullRead");
    QTest::newRow("full read") << true;
    QTest::newRow("after apply") << false;
}

// While a loader runs ButtonLoading is set; only a device-fed load raises ButtonLoaded.
void TestButtoninterface::loadFlags()
{
    QFETCH(bool, fullRead);
    ButtonLoaded.store(0);
    QList<QPair<int, int>> seen;
    QList<int> times;
    const QMetaObject::Connection c = connect(PostMsg::instance(), &PostMsg::SigLightToFrom, this, [&](int seconds) {
        times << seconds;
        seen << qMakePair(int(ButtonLoading.load()), int(ButtonLoaded.load()));
    });
    FlashDataMap m = record();
    m.stopCloseTime = 30;
    if (fullRead) {
        ButtonLoaded.store(1);
        // Blocking: the emitter goes on only after the page has taken the record.
        int loadedWhenReturned = -1;
        TestEnv::EmitFromThread([m, &loadedWhenReturned] {
            ButtonLoaded.store(0);
            PostMsg::instance()->EmitUpDataLightUIButton(m);
            loadedWhenReturned = ButtonLoaded.load();
        });
        QCOMPARE(loadedWhenReturned, 1);
    } else {
        emit PostMsg::instance()->SigUpDataButtonUIC(m);
    }
    disconnect(c);

    QCOMPARE(times, QList<int>{300});
    QCOMPARE(seen.value(0).first, 1);
    QCOMPARE(seen.value(0).second, 0);
    QCOMPARE(int(ButtonLoading.load()), 0);
    QCOMPARE(int(ButtonLoaded.load()), fullRead ? 1 : 0);
    // The right button, in the language the page started in.
    QCOMPARE(caption(0), Text(0, 5));
    QCOMPARE(HidSim::CallCount("ProtocolDataUpdate"), 0);
}

void TestButtoninterface::loadSelectsDebounceWithoutWriting_data()
{
    QTest::addColumn<int>("debounce");
    QTest::addColumn<int>("shown");
    QTest::newRow("low value, no warning") << 2 << 2;
    QTest::newRow("last item") << 15 << 15;
    QTest::newRow("no such item") << 16 << -1;
}

void TestButtoninterface::loadSelectsDebounceWithoutWriting()
{
    QFETCH(int, debounce);
    QFETCH(int, shown);
    FlashDataMap m = record();
    m.debounceTime = quint8(debounce);
    const FlashDataMap stored = DeviceLinkFixture::StoredRecord("m1");
    loadFullRead(m);
    QCOMPARE(child<QComboBox>("Debunce")->currentIndex(), shown);
    QCOMPARE(HidSim::CallCount("ProtocolDataUpdate"), 0);
    QCOMPARE(DeviceLinkFixture::Bytes(DeviceLinkFixture::StoredRecord("m1")), DeviceLinkFixture::Bytes(stored));
    // No notice was opened.
    QVERIFY(QApplication::activeModalWidget() == nullptr);
}

// The reset brings back the built-in cache and defaults but leaves the captions.
void TestButtoninterface::formReset()
{
    loadFullRead(record());
    child<QStackedWidget>("stackedWidget")->setCurrentWidget(child("page_2"));
    child<QStackedWidget>("stackedWidget_2")->setCurrentWidget(child("page_3"));
    QStringList before;
    for (int slot = 0; slot < 9; ++slot)
        before << caption(slot);

    QSignalSpy sleep(PostMsg::instance(), &PostMsg::SigLightToFrom);
    QSignalSpy mouse(PostMsg::instance(), &PostMsg::SigMouseIndex);
    TestEnv::EmitFromThread([] { PostMsg::instance()->EmitFormReset(); });

    QCOMPARE(sleep.size(), 1);
    QCOMPARE(sleep.at(0).at(0).toInt(), 60);
    QCOMPARE(mouse.size(), 1);
    QCOMPARE(mouse.at(0).at(0).toInt(), 0);
    QCOMPARE(child<QStackedWidget>("stackedWidget")->currentWidget(), child("page"));
    QCOMPARE(child<QStackedWidget>("stackedWidget_2")->currentWidget(), child("page_9"));
    QCOMPARE(child<QComboBox>("Debunce")->currentIndex(), 8);
    QCOMPARE(int(ButtonLoading.load()), 0);
    for (int slot = 0; slot < 9; ++slot) {
        QCOMPARE(caption(slot), before.at(slot));
        const Buttoninterface::CachedFunction cached = m_page->CachedButtonFunction(slot);
        QCOMPARE(cached.type, int(FormResetFunction(slot).type));
        QCOMPARE(cached.code, int(FormResetFunction(slot).code));
        QCOMPARE(cached.param, 0);
    }
    QCOMPARE(HidSim::CallCount("ProtocolDataUpdate"), 0);
}

void TestButtoninterface::language_data()
{
    QTest::addColumn<int>("language");
    QTest::addColumn<int>("pointSize");
    QTest::addColumn<bool>("toolTips");
    QTest::newRow("English") << 0 << 9 << false;
    QTest::newRow("Chinese") << 1 << 9 << false;
    QTest::newRow("index 4") << 4 << 7 << false;
    QTest::newRow("index 5") << 5 << 9 << true;
}

// With a device open the captions follow DeviceConfig (there is no cache file here), and the
// profile list is renamed in place.
void TestButtoninterface::language()
{
    QFETCH(int, language);
    QFETCH(int, pointSize);
    QFETCH(bool, toolTips);
    QVERIFY(DeviceConfigHoldsChosenDevice());
    QVERIFY(!QFile::exists(SelectedCacheName.get()) || SelectedCacheName.get().isEmpty());
    DeviceConfig.update([](FlashDataMap& m) { m.buttonFunctions[0] = ButtonFunctionCode{MouseButtonFunction, 16, 0}; });
    profiles()->addItems({QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c")});
    profiles()->setCurrentIndex(2);
    QSignalSpy indexChanged(profiles(), qOverload<int>(&QComboBox::currentIndexChanged));

    emit PostMsg::instance()->SigAllLanguage(language);

    for (const char* name : {"LeftKey_3", "DPI_4", "DPI_10"})
        QCOMPARE(child(name)->font().pointSize(), pointSize);
    QCOMPARE(child("ImportData")->toolTip(), toolTips ? Text(language, 2) : QString());
    QCOMPARE(child("OutputData")->toolTip(), toolTips ? Text(language, 3) : QString());
    QCOMPARE(child<QAbstractButton>("Reset")->text(), Text(language, 1));
    QCOMPARE(child<QLabel>("label_3")->text(), Text(language, 43));
    QCOMPARE(child<QAbstractButton>("VolumeDown_8")->text(), Text(language, 51));
    QCOMPARE(child<QAbstractButton>("Button9")->text(), QStringLiteral("DPI+"));
    QCOMPARE(child<QAbstractButton>("Button7")->text(), QStringLiteral("DPI-"));
    // Slot 0 from DeviceConfig: the forward button.
    QCOMPARE(caption(0), Text(language, 7));
    QCOMPARE(m_page->CachedButtonFunction(0).code, 16);
    QCOMPARE(child<QComboBox>("Debunce")->itemText(15), QStringLiteral("15") + Text(language, 50));
    QCOMPARE(profiles()->count(), 3);
    QCOMPARE(profiles()->currentIndex(), 2);
    QCOMPARE(profiles()->itemText(2), Text(language, 49) + QStringLiteral("3"));
    QCOMPARE(indexChanged.size(), 0);
    QCOMPARE(HidSim::CallCount("ProtocolDataUpdate"), 0);
}

// Without DeviceConfig for the chosen device and without a cache file, only texts change.
void TestButtoninterface::languageWithoutRecordKeepsCaptions()
{
    DeviceConfig.update([](FlashDataMap& m) { m.buttonFunctions[0] = ButtonFunctionCode{MouseButtonFunction, 16, 0}; });
    DeviceConfigPath.set(QByteArray());
    QVERIFY(!DeviceConfigHoldsChosenDevice());
    SelectedCacheName.set(QDir::tempPath() + QStringLiteral("/no-such-cache.bin"));
    profiles()->addItems({QStringLiteral("a"), QStringLiteral("b")});
    const QString before = caption(0);

    // The page started in language 0.
    CurrentLanguage.store(1);
    emit PostMsg::instance()->SigAllLanguage(1);

    // The language's own default caption, not a record's.
    QCOMPARE(caption(0), Text(1, 4));
    QVERIFY(caption(0) != before);
    QCOMPARE(profiles()->itemText(1), QStringLiteral("b"));
    QCOMPARE(child<QAbstractButton>("Reset")->text(), Text(1, 1));
}

void TestButtoninterface::languageChangeEventKeepsProfile()
{
    emit PostMsg::instance()->SigAllLanguage(0);
    profiles()->addItems({QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c")});
    profiles()->setCurrentIndex(1);
    QSignalSpy indexChanged(profiles(), qOverload<int>(&QComboBox::currentIndexChanged));

    QEvent event(QEvent::LanguageChange);
    QApplication::sendEvent(m_page.get(), &event);

    QCOMPARE(profiles()->currentIndex(), 1);
    QCOMPARE(indexChanged.size(), 0);
    // The form's own captions are back.
    QCOMPARE(child<QAbstractButton>("Reset")->text(), QStringLiteral("重置"));
}

void TestButtoninterface::subListEntriesDrawTheirImages_data()
{
    QTest::addColumn<QString>("page");
    QTest::addColumn<QString>("entry");
    QTest::newRow("multimedia") << "page_3" << "Player";
    QTest::newRow("horizontal wheel") << "page_4" << "VolumeUp_2";
    QTest::newRow("lights") << "page_6" << "VolumeUp_4";
    QTest::newRow("DPI steps") << "page_7" << "VolumeUp_8";
    QTest::newRow("DPI lock") << "page_8" << "VolumeUp_11";
    QTest::newRow("vertical wheel") << "page_10" << "VolumeUp_14";
}

// Every sub-list entry shows the list images, plain and checked, not a bare caption.
void TestButtoninterface::subListEntriesDrawTheirImages()
{
    QFETCH(QString, page);
    QFETCH(QString, entry);
    child<QStackedWidget>("stackedWidget_2")->setCurrentWidget(child(qPrintable(page)));
    auto* button = child<QAbstractButton>(qPrintable(entry));
    const QString folder = AppPaths::InstallFolder() + QStringLiteral("/Picture/Buttoninterface/");
    // A spot left of the caption, where only the image is drawn.
    const QPoint spot(3, 11);
    for (const bool checked : {false, true}) {
        button->setChecked(checked);
        const QImage image(folder + (checked ? "CMenuTitleChecked.png" : "CMenuTitle.png"));
        QCOMPARE(image.size(), button->size());
        QCOMPARE(QColor(button->grab().toImage().pixel(spot)), QColor(image.pixel(spot)));
    }
}

void TestButtoninterface::spotSitsOnItsButton_data()
{
    QTest::addColumn<int>("spot");
    QTest::newRow("1 left button") << 1;
    QTest::newRow("2 right button") << 2;
    QTest::newRow("3 wheel") << 3;
    QTest::newRow("4 front thumb button") << 4;
    QTest::newRow("5 rear thumb button") << 5;
    QTest::newRow("6 DPI button") << 6;
    QTest::newRow("7 first button behind the wheel") << 7;
    QTest::newRow("8 second button behind the wheel") << 8;
    QTest::newRow("9 third button behind the wheel") << 9;
}

// Each number spot of the form lies on its own drawn button, and on the mouse, not beside it.
void TestButtoninterface::spotSitsOnItsButton()
{
    QFETCH(int, spot);
    const QImage picture = QImage(AppPaths::InstallFolder() + QStringLiteral("/Picture/Buttoninterface/mouse0.png"))
                               .convertToFormat(QImage::Format_ARGB32);
    QVERIFY(!picture.isNull());
    // The picture is centred in its widget at its own size: its pixels are the widget's.
    QCOMPARE(picture.size(), child("widget")->size());
    QCOMPARE(picture.size(), MousePicture::Size());
    // The installed picture is the drawing whose button areas are checked here.
    QImage drawn(MousePicture::Size(), QImage::Format_ARGB32_Premultiplied);
    drawn.fill(Qt::transparent);
    QPainter painter(&drawn);
    MousePicture::Paint(painter);
    painter.end();
    drawn = drawn.convertToFormat(QImage::Format_ARGB32);

    const QPointF centre = QRectF(child(qPrintable(QStringLiteral("Number%1").arg(spot)))->geometry()).center();
    QVector<QPointF> points{centre};
    for (int i = 0; i < 8; ++i)
        points << centre + 6 * QPointF(std::cos(i * M_PI / 4), std::sin(i * M_PI / 4));
    for (const QPointF& at : points) {
        const QByteArray where = QStringLiteral("(%1, %2)").arg(at.x()).arg(at.y()).toLatin1();
        QVERIFY2(MousePicture::ButtonArea(spot).contains(at), where.constData());
        for (int other = 1; other <= 9; ++other)
            QVERIFY2(other == spot || !MousePicture::ButtonArea(other).contains(at), where.constData());
        const QRgb seen = picture.pixel(at.toPoint());
        const QRgb expected = drawn.pixel(at.toPoint());
        QVERIFY2(qAlpha(seen) == 255, where.constData());
        // The raster engine may round a level or two differently on another processor.
        QVERIFY2(std::abs(qRed(seen) - qRed(expected)) <= 2 && std::abs(qGreen(seen) - qGreen(expected)) <= 2
                     && std::abs(qBlue(seen) - qBlue(expected)) <= 2,
                 where.constData());
    }
}

void TestButtoninterface::spotsOfTheModel_data()
{
    QTest::addColumn<QList<int>>("drives"); // chosen in turn, each followed by its load
    QTest::addColumn<bool>("withRecord");
    QTest::addColumn<int>("spots");
    QTest::newRow("six-button model") << QList<int>{0} << true << 6;
    QTest::newRow("eight-button model") << QList<int>{1} << true << 8;
    QTest::newRow("six after eight") << QList<int>{1, 0} << true << 6;
    QTest::newRow("eight after six") << QList<int>{0, 1} << true << 8;
    QTest::newRow("six after eight, no record") << QList<int>{1, 0} << false << 6;
}

// The picture shows a spot for each button the chosen model has (KeyNumber), no more.
void TestButtoninterface::spotsOfTheModel()
{
    QFETCH(QList<int>, drives);
    QFETCH(bool, withRecord);
    QFETCH(int, spots);
    for (const int drive : drives) {
        choose(quint32(drive));
        if (withRecord)
            loadFullRead(record());
        else
            TestEnv::EmitFromThread([] { PostMsg::instance()->EmitFormReset(); });
    }
    for (int n = 1; n <= 9; ++n)
        QCOMPARE(child(qPrintable(QStringLiteral("Number%1").arg(n)))->isVisible(), n <= spots);
}

void TestButtoninterface::selectorsFollowKeyNumber_data()
{
    QTest::addColumn<QString>("road");
    QTest::newRow("full read") << "full read";
    QTest::newRow("after apply") << "after apply";
    QTest::newRow("form reset") << "form reset";
}

// Drive1, Drive2, Drive1 on one page: a selector, its row number and its spot show only for the
// model's buttons, and a hidden selector takes neither focus, nor a shortcut, nor list room.
void TestButtoninterface::selectorsFollowKeyNumber()
{
    QFETCH(QString, road);
    QVERIFY(QTest::qWaitForWindowActive(m_page.get()));
    auto* list = child<QScrollArea>("scrollArea_11");
    for (const QPair<quint32, int>& step : {qMakePair(Drive1, 6), qMakePair(Drive2, 8), qMakePair(Drive1, 6)}) {
        choose(step.first);
        load(road, record());
        const int buttons = step.second;
        const QByteArray where = QStringLiteral("Drive%1").arg(step.first + 1).toLatin1();
        QList<QWidget*> hidden;
        QList<QRect> rows;
        for (const ButtonSlotRow& row : ButtonSlotMap) {
            const bool has = row.uiSlot < buttons;
            for (const char* name : {row.selector, row.rowLabel, row.numberLabel})
                QVERIFY2(child(name)->isVisible() == has, (where + ' ' + name).constData());
            if (has)
                rows << child(row.selector)->geometry();
            else
                hidden << child(row.selector);
        }
        // Scrolled to its end, the list shows its last row whole with less than a row of room
        // below it, and cuts no row at its top.
        QScrollBar* bar = list->verticalScrollBar();
        bar->setValue(bar->maximum());
        const QRect view(QPoint(0, bar->value()), list->viewport()->size());
        QVERIFY2(view.contains(rows.last()), where.constData());
        QVERIFY2(view.bottom() - rows.last().bottom() < rows.last().height(), where.constData());
        for (const QRect& r : qAsConst(rows))
            QVERIFY2(!(r.top() < view.top() && view.top() <= r.bottom()), where.constData());
        bar->setValue(0);

        // No focus even when asked for, and no press by the mnemonic of its caption.
        for (QWidget* selector : qAsConst(hidden)) {
            selector->setFocus();
            QVERIFY2(!selector->hasFocus(), (where + ' ' + selector->objectName().toLatin1()).constData());
        }
        m_page->setFocus();
        QTRY_COMPARE(QApplication::focusWidget(), m_page.get());
        if (!hidden.isEmpty()) {
            auto* last = static_cast<QAbstractButton*>(hidden.last());
            last->setText(QStringLiteral("&Q"));
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Q, Qt::AltModifier);
            QVERIFY2(!last->isDown() && !last->isChecked(), where.constData());
            QCOMPARE(child<QStackedWidget>("stackedWidget")->currentWidget(), child("page"));
        }
    }
    QCOMPARE(HidSim::CallCount("ProtocolDataUpdate"), 0);
}

void TestButtoninterface::hiddenRowsAssignNothing_data()
{
    QTest::addColumn<QString>("road");
    QTest::newRow("menu left open on it") << "menu";
    QTest::newRow("macro renamed") << "rename";
    QTest::newRow("macro saved") << "save";
    QTest::newRow("macro deleted") << "delete";
}

// Row 7 (device button 9) is Drive2's, not Drive1's: once Drive1 is open, neither the menu
// that row opened nor a macro its old caption names writes to that button.
void TestButtoninterface::hiddenRowsAssignNothing()
{
    QFETCH(QString, road);
    const ButtonSlotRow& row7 = ButtonSlotMap[6];
    const int button = row7.deviceButton;
    FlashDataMap m = record();
    m.buttonFunctions[button] = ButtonFunctionCode{MacroFunction, quint8(button), 1};
    m.macros[button].nameLength = 4;
    std::memcpy(m.macros[button].name, "Gone", 4);
    m.macros[button].eventCount = 1;
    m.macros[button].events[0] = KeyActionEvent{0, 1, 0x04, 10};
    QVERIFY(HidSim::SetSettings("m1", -1, m));
    choose(Drive2);
    loadFullRead(m);
    auto* selector = child<QAbstractButton>(row7.selector);
    const QString caption = selector->text();
    QVERIFY(caption.endsWith(QLatin1String("Gone")));
    selector->click();
    QCOMPARE(child<QStackedWidget>("stackedWidget")->currentWidget(), child("page_2"));

    choose(Drive1);
    loadFullRead(m);
    QVERIFY(selector->isHidden());
    QVERIFY(!selector->isChecked());
    QCOMPARE(child<QStackedWidget>("stackedWidget")->currentWidget(), child("page"));
    QCOMPARE(selector->text(), caption);
    // The macro file as the macro page leaves it: another repeat than the mouse holds.
    QVERIFY(TestEnv::WriteFile(MacroFilePath(MacroFolder(), QStringLiteral("Gone")), "5\n0x04 1 0\n10ms\n"));
    HidSim::ClearCalls();

    if (road == QLatin1String("menu"))
        child<QAbstractButton>("MidKey")->click();
    else if (road == QLatin1String("rename"))
        PostMsg::instance()->EmitMacroRename(QStringLiteral("Gone"), QStringLiteral("New"));
    else if (road == QLatin1String("save"))
        PostMsg::instance()->EmitUpDataMacro(QStringLiteral("Gone"), 1);
    else
        PostMsg::instance()->EmitDeleteMacroButton(caption);

    const FlashDataMap stored = DeviceLinkFixture::StoredRecord("m1");
    const auto bytes = [](const auto& part) { return QByteArray(reinterpret_cast<const char*>(&part), sizeof part); };
    QCOMPARE(bytes(stored.buttonFunctions[button]).toHex(' '), bytes(m.buttonFunctions[button]).toHex(' '));
    QCOMPARE(bytes(stored.keyActions[button]), bytes(m.keyActions[button]));
    QCOMPARE(bytes(stored.macros[button]), bytes(m.macros[button]));
    QCOMPARE(selector->text(), caption);
}

// A hidden selector still showing a left click from the model before does not count as one:
// the one left click of the open model stays guarded.
void TestButtoninterface::hiddenLeftCaptionIsNoLeftClick()
{
    FlashDataMap m = record();
    m.buttonFunctions[0] = ButtonFunctionCode{MouseButtonFunction, 1, 0};
    m.buttonFunctions[ButtonSlotMap[6].deviceButton] = ButtonFunctionCode{MouseButtonFunction, 1, 0};
    choose(Drive2);
    loadFullRead(m);
    choose(Drive1);
    loadFullRead(m);
    QCOMPARE(child<QAbstractButton>(ButtonSlotMap[6].selector)->text(), child<QAbstractButton>("LeftKey_3")->text());

    bool noticed = false;
    TestEnv::AnswerNextModal([&noticed](QWidget* w) {
        noticed = true;
        w->close();
    }, "LeftButtonOnly");
    child<QAbstractButton>("FireKey")->click();
    QVERIFY(noticed);
    QCOMPARE(child<QStackedWidget>("stackedWidget")->currentWidget(), child("page"));
}

VEXO_TEST_MAIN(TestButtoninterface)
#include "tst_buttoninterface.moc"
