#include "core/devicesetters.h"
#include "core/devicestate.h"
#include "core/macroini.h"
#include "core/postmsg.h"
#include "helpers/devicelinkfixture.h"
#include "helpers/testenv.h"
#include "helpers/testwidgets.h"
#include "pages/settings/formsetting.h"
#include "pages/settings/match.h"
#include "pages/settings/updaterepair.h"
#include "platform/mousesettings.h"
#include "platform/registrystore.h"
#include "platform/startatlogin.h"
#include "ui/lang/keptexts.h"
#include "ui/lang/langtext.h"
#include "ui/lang/languagefilereader.h"
#include "ui/widgets/myconmbobox.h"
#include "ui/widgets/skin.h"

#include "hidusb/HIDUsb.h"
#include "hidusb/hidsim.h"

#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QDialog>
#include <QDesktopServices>
#include <QFile>
#include <QLabel>
#include <QListView>
#include <QMouseEvent>
#include <QPushButton>
#include <QScopeGuard>
#include <QScrollArea>
#include <QScrollBar>
#include <QSettings>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTextEdit>
#include <QTimer>
#include <QToolButton>
#include <QtTest>

#include <functional>
#include <memory>

namespace {

const QStringList LongRangeGroup = {"TitleButton_6", "label_11", "checkBox_2", "textEdit"};
const QStringList LedGroup = {"TitleButton_7", "label_14", "ReUntil",    "ReUntil_2",
                              "ReUntil_3",     "textEdit_2", "textEdit_3", "textEdit_4"};
const QStringList SleepGroup = {"TitleButton_8", "label_12", "label_13", "frameClose"};
const char* const LedBoxes[] = {"ReUntil", "ReUntil_2", "ReUntil_3"};

// The page's bottom in its two layouts: content height, web link and company line.
struct BottomLayout
{
    int height;
    QPoint link;
    QPoint company;
};
const BottomLayout LedRowHidden{630, {610, 540}, {490, 560}};
const BottomLayout LedRowShown{780, {610, 710}, {490, 730}};

// Emits on a thread of its own, as the library's callback does, and waits for it.
// Takes the web address the page opens instead of the desktop.
class UrlCatcher : public QObject
{
    Q_OBJECT
public:
    QList<QUrl> urls;
public slots:
    void open(const QUrl& url) { urls << url; }
};

// The hub's language signals in the order they came.
class LanguageOrder : public QObject
{
    Q_OBJECT
public:
    QStringList seen;
public slots:
    void all(int index) { seen << QStringLiteral("All:%1").arg(index); }
    void sameA(int index) { seen << QStringLiteral("SameA:%1").arg(index); }
};

} // namespace

class TestFormSetting : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();
    void cleanupTestCase();

    // Form and skin
    void afterConstruction();
    void skinRows_data();
    void skinRows();
    void comboSkin();
    void autoStartBoxFromMacroIni_data();
    void autoStartBoxFromMacroIni();
    void placement_data();
    void placement();
    void companyLineAndLink_data();
    void companyLineAndLink();
    void bothLanguages_data();
    void bothLanguages();
    void versionLabelFollowsTheScroll();
    void pressStopsAtThePage();

    // Row rules
    void rowRules_data();
    void rowRules();

    // Receiver options against the simulated receiver
    void chooseLedMode_data();
    void chooseLedMode();
    void ledChoiceWhileOffline();
    void nothingSentWhileUiSendsChangesClear();
    void receiversOwnLedReport();
    void longRangeOnAndOff();
    void resetSendsLongRangeOff();

    // Other options
    void languageChoice_data();
    void languageChoice();
    void languageSameB_data();
    void languageSameB();
    void startAtLogin();
    void mouseSettings_data();
    void mouseSettings();
    void webLink();
    void sleepTimeRelay_data();
    void sleepTimeRelay();
    void versionLabels();
    void updateButtonStyle_data();
    void updateButtonStyle();
    void pairingRestoresTheDeviceLink();
    void pairingNeverSendsTheOldRecord_data();
    void pairingNeverSendsTheOldRecord();

private:
    template <typename T = QWidget>
    T* child(const char* name) const { return TestEnv::NamedChild<T>(m_page.get(), name); }
    template <typename T = QWidget>
    T* child(const QString& name) const { return TestEnv::NamedChild<T>(m_page.get(), name.toLatin1().constData()); }
    bool shown(const QString& name) const { return child(name)->isVisibleTo(m_page.get()); }
    QCheckBox* box(const char* name) const { return child<QCheckBox>(name); }
    void makePage();
    void setAdvanced(const QString& items);
    // The 4 kHz receiver with both options and its mouse, chosen and fully read.
    void chooseReceiverMouse();
    int sentLedRecords() const { return HidSim::CallCount("UsbFinderC_Set4KDongleRGB"); }

    std::unique_ptr<DeviceLinkFixture> m_fixture;
    std::unique_ptr<FormSetting> m_page;
    QString m_folder;
    QByteArray m_receiver;
};

void TestFormSetting::initTestCase()
{
    TestEnv::Installation install;
    LoadLanguageFiles();
}

void TestFormSetting::cleanupTestCase()
{
    LanguageTables::SetGlobal(LanguageTables());
}

void TestFormSetting::init()
{
    m_fixture = std::make_unique<DeviceLinkFixture>(TestEnv::Installation::PrivateCopy);
    m_folder = Skin::Folder(QStringLiteral("FormSetting"));
    CurrentLanguage.store(0);
    UiSendsChanges.store(0);
    // Drive2: the sample model behind its 4 kHz receiver.
    CurrentDevice.set(DeviceLinkFixture::InfoFor("none", 36, 2, 1, 1));
}

void TestFormSetting::cleanup()
{
    MouseSettings::SetLaunchHook({});
    m_page.reset();
    UiSendsChanges.store(0);
    m_receiver.clear();
    m_fixture.reset();
}

void TestFormSetting::makePage()
{
    m_page = std::make_unique<FormSetting>(nullptr);
    m_page->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_page.get()));
}

void TestFormSetting::setAdvanced(const QString& items)
{
    QSettings config(m_fixture->installation().path() + QStringLiteral("/usersetting/Config.ini"), QSettings::IniFormat);
    if (items == QLatin1String("missing"))
        config.remove(QStringLiteral("Drive2/Adveanced"));
    else
        config.setValue(QStringLiteral("Drive2/Adveanced"), items.split(QLatin1Char(',')));
}

void TestFormSetting::chooseReceiverMouse()
{
    HidSim::DeviceSpec receiver = DeviceLinkFixture::Receiver("r4", "0x5141", 4, 0x12, 0x34, 0x56);
    receiver.ledOption = true;
    receiver.ledMode = 1;
    receiver.longRangeOption = true;
    m_receiver = m_fixture->add(receiver);
    QVERIFY(!m_receiver.isEmpty());
    QVERIFY(!m_fixture->add(DeviceLinkFixture::ReceiverMouse("m2", "r4")).isEmpty());
    m_fixture->chooseFullyRead("m2", DeviceLinkFixture::InfoFor(m_receiver, 36, 2, 1, 1));
    // What the last read of the receiver left, with distinct bytes behind the mode.
    QVERIFY(UsbFinderC_Get4KDongleRGBValue(m_receiver.constData(), CurrentDongleRGB));
    for (int i = 0; i < 9; ++i)
        CurrentDongleRGB->data[i] = uint8_t(0x41 + i);
    HidSim::ClearCalls();
}

// ---- Form and skin ----

void TestFormSetting::afterConstruction()
{
    makePage();
    QCOMPARE(m_page->objectName(), QStringLiteral("FormSetting"));
    QCOMPARE(m_page->size(), QSize(883, 630));
    for (const char* name : {"label_2", "comboBox", "label_3", "label_4", "label_5", "label_6", "label_7", "label_8",
                             "pushButton_2", "label_9", "checkBox", "label_10", "toolButton", "pushButton", "label",
                             "pushButton_3", "pushButton_4"})
        QVERIFY2(shown(QLatin1String(name)), name);
    for (const QString& name : LongRangeGroup + LedGroup + SleepGroup
             + QStringList{"NewLabel", "Receive_2", "toolButton_2", "toolButton_3"})
        QVERIFY2(!shown(name), qPrintable(name));

    auto* content = child("scrollAreaWidgetContents");
    QCOMPARE(content->minimumSize(), QSize(880, 630));
    QCOMPARE(content->maximumSize(), QSize(880, 630));
    QCOMPARE(child<QScrollArea>("scrollArea")->verticalScrollBar()->maximum(), 0);
    QCOMPARE(child("pushButton_3")->pos(), QPoint(610, 540));
    QCOMPARE(child("pushButton_4")->pos(), QPoint(490, 560));

    const QList<QPair<const char*, QPoint>> rows = {
        {"TitleButton_5", {40, 350}}, {"label_9", {70, 343}},    {"checkBox", {40, 380}},     {"label_10", {70, 380}},
        {"toolButton", {40, 420}},    {"pushButton", {60, 420}}, {"TitleButton_6", {40, 480}}, {"label_11", {70, 473}},
        {"checkBox_2", {40, 510}},    {"textEdit", {65, 505}},   {"TitleButton_7", {40, 560}}, {"label_14", {70, 553}},
        {"ReUntil", {70, 580}},       {"ReUntil_2", {70, 620}},  {"ReUntil_3", {70, 660}},     {"textEdit_2", {90, 580}},
        {"textEdit_3", {90, 620}},    {"textEdit_4", {90, 660}}, {"line_3", {40, 325}},        {"pushButton_2", {40, 290}},
    };
    for (const auto& row : rows)
        QVERIFY2(child(row.first)->pos() == row.second, row.first);

    QCOMPARE(TestEnv::ComboItemTexts(child<QComboBox>("comboBox")), (QStringList{QStringLiteral("English"), QString::fromUtf8("简体中文")}));
    QVERIFY(dynamic_cast<MyConmboBox*>(child("comboBox")));

    QVERIFY(UpDateRepairDialog);
    QVERIFY(!UpDateRepairDialog->isVisible());
    QVERIFY(!UpDateRepairDialog->parent());
    QVERIFY(ReceiverCheckTimer && MouseCheckTimer);
    for (QTimer* timer : {ReceiverCheckTimer, MouseCheckTimer}) {
        QCOMPARE(timer->parent(), m_page.get());
        QCOMPARE(timer->interval(), 1000);
        QVERIFY(!timer->isActive());
    }
    auto* group = box("ReUntil")->group();
    QVERIFY(group && group->exclusive());
    QCOMPARE(group->buttons().size(), 3);
    for (const char* name : LedBoxes)
        QVERIFY(!box(name)->isChecked());
    QVERIFY(!box("checkBox")->isChecked());

    // The receiver LED dialog is built with the page and waits unseen.
    bool ledInfo = false;
    for (QWidget* w : QApplication::topLevelWidgets())
        ledInfo = ledInfo || (w->inherits("LedInfo") && !w->isVisible());
    QVERIFY(ledInfo);

    m_page.reset();
    QVERIFY(!UpDateRepairDialog);
    QVERIFY(!ReceiverCheckTimer);
}

void TestFormSetting::skinRows_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("style");
    // <F>: the page's picture folder. The sample installation: labels 224,224,224, buttons 255,255,255.
    for (const char* name : {"label", "label_2", "label_3", "label_4", "label_5", "label_6", "label_7", "label_8",
                             "label_9", "label_10", "label_11", "label_14"})
        QTest::newRow(name) << name << "QLabel{color: rgb(224,224,224;);}";
    QTest::newRow("pairing button")
        << "pushButton_2"
        << "QPushButton{border:0px;background-position:center;background-repeat:no-repeat;color: rgb(255,255,255;);"
           "background-image: url(" + QStringLiteral("<F>") + "PariButton.png);}";
    QTest::newRow("mouse settings link")
        << "pushButton"
        << "QPushButton{border:none;background:transparent;color: rgb(224,224,224;);text-align : left;padding-right:1px;}";
    for (const char* name : {"pushButton_3", "pushButton_4"})
        QTest::newRow(name) << name
                            << "QPushButton{border:none;background:transparent;color: rgb(224,224,224;);"
                               "text-align : right;padding-right:1px;}";
    for (int i = 2; i <= 7; ++i) {
        const QString name = QStringLiteral("TitleButton_%1").arg(i);
        QTest::newRow(qPrintable(name)) << name << "#" + name + "{border-image: url(" + QStringLiteral("<F>") + "Title.png);}";
    }
    QTest::newRow("mouse icon") << "toolButton" << "#toolButton{border-image: url(" + QStringLiteral("<F>") + "Mouse.png);}";
    for (const char* name : {"checkBox", "checkBox_2"}) {
        const QString n = QLatin1String(name);
        QTest::newRow(name) << n
                            << "#" + n + "{color: rgb(255, 255, 255);}#" + n + "::indicator:unchecked{image: url(" + QStringLiteral("<F>")
                + "CheckBox.png);}#" + n + "::indicator:checked{image: url(" + QStringLiteral("<F>") + "CheckBoxChecked.png);}";
    }
    for (const char* name : LedBoxes)
        QTest::newRow(name) << name
                            << "QCheckBox{color: rgb(224,224,224;);}QCheckBox:indicator::checked {image: url(" + QStringLiteral("<F>")
                + "CheckBoxCheck.png);}QCheckBox::indicator::unchecked {image: url(" + QStringLiteral("<F>") + "CheckBox2.png);}";
    for (const char* name : {"textEdit", "textEdit_2", "textEdit_3", "textEdit_4"})
        QTest::newRow(name) << name
                            << "#" + QLatin1String(name)
                + "{border: transparent;background-color: transparent;color: rgb(224,224,224;);}";
    for (const char* name : {"toolButton_2", "toolButton_3"})
        QTest::newRow(name) << name
                            << "QToolButton{border:0px;background-position:center;background-repeat:no-repeat;"
                               "color: rgb(255,106,0);background-image: url(" + QStringLiteral("<F>") + "Picture.png);}";
    QTest::newRow("content") << "scrollAreaWidgetContents" << "background-color:transparent;border:none;";
    // The form's own looks stay.
    QTest::newRow("sleep mark") << "TitleButton_8" << "border-image: url(:/sensor/Source/SensorImage/Title.png);";
    QTest::newRow("sleep title") << "label_12" << "color: rgb(255, 255, 255);";
    QTest::newRow("line") << "line_3" << "background-color:  rgb(53, 53, 53);";
}

void TestFormSetting::skinRows()
{
    QFETCH(QString, name);
    QFETCH(QString, style);
    makePage();
    QCOMPARE(child(name)->styleSheet(), style.replace(QLatin1String("<F>"), m_folder));
}

void TestFormSetting::comboSkin()
{
    makePage();
    auto* combo = child<QComboBox>("comboBox");
    const QString sheet = combo->styleSheet();
    QVERIFY(sheet.startsWith(QStringLiteral("QComboBox{border: 1px solid gray; color: rgb(224,224,224); border-image: url(")
                             + m_folder + QStringLiteral("ComboboxBack.png);}")));
    for (const char* part : {"background:rgb(45,45,48)", "Menu.png", "MenuClicked.png", "ComboboxTextBack.png",
                             "selection-background-color: rgb(0,120,215)", "QComboBox:disabled{color: rgb(63, 63, 63);}"})
        QVERIFY2(sheet.contains(QLatin1String(part)), part);
    auto* view = qobject_cast<QListView*>(combo->view());
    QVERIFY(view);
    QCOMPARE(view->styleSheet(), Skin::ComboListViewStyle(QStringLiteral("0,120,215")));
    QCOMPARE(combo->maxVisibleItems(), 5);
    QVERIFY(child<QScrollArea>("scrollArea")->frameShape() == QFrame::NoFrame);
}

void TestFormSetting::autoStartBoxFromMacroIni_data()
{
    QTest::addColumn<QString>("stored");
    QTest::addColumn<bool>("checked");
    QTest::newRow("1") << "1" << true;
    QTest::newRow("01, decimal") << "01" << true;
    QTest::newRow("0") << "0" << false;
    QTest::newRow("2") << "2" << false;
    QTest::newRow("text") << "yes" << false;
    QTest::newRow("absent") << "" << false;
}

void TestFormSetting::autoStartBoxFromMacroIni()
{
    QFETCH(QString, stored);
    QFETCH(bool, checked);
    if (!stored.isEmpty())
        MacroIni::instance()->setValue(QStringLiteral("AutoStart"), QStringLiteral("Enable"), stored);
    makePage();
    QCOMPARE(box("checkBox")->isChecked(), checked);
    // Reading the setting is not a click: nothing is written.
    QVERIFY(!QFile::exists(StartAtLogin::AutostartFilePath()));
}

void TestFormSetting::placement_data()
{
    QTest::addColumn<int>("language");
    QTest::addColumn<int>("valueX");
    QTest::addColumn<QPoint>("update");
    QTest::addColumn<int>("updatePoints");
    QTest::newRow("0") << 0 << 260 << QPoint(280, 170) << 10;
    QTest::newRow("1") << 1 << 150 << QPoint(280, 170) << 10;
    QTest::newRow("2") << 2 << 150 << QPoint(330, 170) << 10;
    QTest::newRow("3") << 3 << 170 << QPoint(280, 170) << 10;
    QTest::newRow("4") << 4 << 280 << QPoint(330, 170) << 10;
    // Not moved: stays where language 0 put it.
    QTest::newRow("5") << 5 << 280 << QPoint(280, 170) << 7;
    QTest::newRow("7, any other") << 7 << 235 << QPoint(285, 155) << 10;
}

void TestFormSetting::placement()
{
    QFETCH(int, language);
    QFETCH(int, valueX);
    QFETCH(QPoint, update);
    QFETCH(int, updatePoints);
    makePage();
    PostMsg::instance()->EmitAllLanguage(0);
    PostMsg::instance()->EmitAllLanguage(language);
    QCOMPARE(child("label_5")->pos(), QPoint(valueX, 155));
    QCOMPARE(child("label_7")->pos(), QPoint(valueX, 185));
    QCOMPARE(child("Receive_2")->pos(), update);
    QCOMPARE(child("Receive_2")->font().pointSize(), updatePoints);
    QCOMPARE(child("Receive_2")->font().family(), Skin::FormFontFamily());
    QCOMPARE(child("toolButton_2")->pos(), QPoint(460, 160));
    QCOMPARE(child("toolButton_3")->pos(), QPoint(460, 190));
    QCOMPARE(child("label_5")->size(), QSize(51, 21));
    // Back to 0 restores the font and the place.
    PostMsg::instance()->EmitAllLanguage(0);
    QCOMPARE(child("Receive_2")->pos(), QPoint(280, 170));
    QCOMPARE(child("Receive_2")->font().pointSize(), 10);
}

void TestFormSetting::companyLineAndLink_data()
{
    QTest::addColumn<int>("language");
    QTest::addColumn<QString>("company");
    QTest::addColumn<QString>("link");
    const QString en = QStringLiteral("Copyright © Vexo Gaming. All rights reserved.");
    const QString cn = QStringLiteral("版权所有 © Vexo 游戏外设");
    QTest::newRow("0") << 0 << en << "https://vexo.example.com/en";
    QTest::newRow("1") << 1 << cn << "https://vexo.example.com/zh-cn";
    QTest::newRow("2") << 2 << cn << "https://vexo.example.com/zh-cn";
    QTest::newRow("3") << 3 << en << "https://vexo.example.com/en";
}

void TestFormSetting::companyLineAndLink()
{
    QFETCH(int, language);
    QFETCH(QString, company);
    QFETCH(QString, link);
    makePage();
    PostMsg::instance()->EmitAllLanguage(language);
    QCOMPARE(child<QPushButton>("pushButton_4")->text(), company);
    QCOMPARE(child<QPushButton>("pushButton_3")->text(), link);
}

void TestFormSetting::bothLanguages_data()
{
    QTest::addColumn<int>("language");
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("pairing");
    QTest::addColumn<QString>("wiredMode");
    QTest::addColumn<QString>("sleepItem4");
    QTest::addColumn<QString>("sleepCaption");
    QTest::newRow("0") << 0 << "Language" << "Pair"
                       << "New mouse firmware is available. To update it, connect the mouse to the computer with its cable."
                       << "10 min" << "Sleep after idle";
    QTest::newRow("1") << 1 << "语言" << "配对" << "鼠标有新固件可用，请用数据线将鼠标连接到电脑后进行升级。"
                       << "10分钟" << "静止休眠时间";
}

void TestFormSetting::bothLanguages()
{
    QFETCH(int, language);
    QFETCH(QString, title);
    QFETCH(QString, pairing);
    QFETCH(QString, wiredMode);
    QFETCH(QString, sleepItem4);
    QFETCH(QString, sleepCaption);
    CurrentLanguage.store(language);
    WiredModeText.clear();
    makePage();
    QCOMPARE(child<QLabel>("label_2")->text(), title);
    QCOMPARE(child<QPushButton>("pushButton_2")->text(), pairing);
    QCOMPARE(WiredModeText, wiredMode);
    QCOMPARE(child("frameClose")->findChild<QComboBox*>()->itemText(4), sleepItem4);
    QCOMPARE(child<QLabel>("label_13")->text(), sleepCaption);
    // Every text position reaches its widget; the long texts go to the text edits as they are.
    const auto text = [language](int position) { return LangText(LangTable::FormSettingTexts, language, position); };
    QCOMPARE(child<QLabel>("label")->text(), text(0));
    QCOMPARE(child<QToolButton>("Receive_2")->text(), text(7));
    QCOMPARE(child<QPushButton>("pushButton")->text(), text(11));
    QCOMPARE(child<QTextEdit>("textEdit_3")->toPlainText(), text(21));
    QCOMPARE(child<QTextEdit>("NewLabel")->toPlainText(), text(16));
    QCOMPARE(child<QLabel>("label_12")->text(), text(39));
    // The list holds every language, each under its own name, and shows this one.
    QCOMPARE(TestEnv::ComboItemTexts(child<QComboBox>("comboBox")), (QStringList{QStringLiteral("English"), QString::fromUtf8("简体中文")}));
    QCOMPARE(child<QComboBox>("comboBox")->currentIndex(), language);
}

void TestFormSetting::versionLabelFollowsTheScroll()
{
    makePage();
    // The LED row makes the content taller than the view.
    CurrentDongleRGB->mode = 1;
    QMetaObject::invokeMethod(m_page.get(), "SlotRGBValue", Q_ARG(DongleRGB*, CurrentDongleRGB));
    QScrollBar* bar = child<QScrollArea>("scrollArea")->verticalScrollBar();
    QTRY_VERIFY(bar->maximum() >= 150);
    bar->setValue(150);
    QCOMPARE(child("label")->pos(), QPoint(600, 180));
    bar->setValue(0);
    QCOMPARE(child("label")->pos(), QPoint(600, 30));
}

void TestFormSetting::pressStopsAtThePage()
{
    // A press on the page's bare background is taken there and not handed to its host.
    makePage();
    QMouseEvent press(QEvent::MouseButtonPress, QPointF(5, 5), Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(m_page.get(), &press);
    QVERIFY(press.isAccepted());
}

// ---- Row rules ----

void TestFormSetting::rowRules_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<bool>("wired");
    QTest::addColumn<QString>("advanced");
    QTest::addColumn<QStringList>("signals_");
    QTest::addColumn<bool>("longRange");
    QTest::addColumn<bool>("led");
    QTest::addColumn<int>("ledChecked");
    QTest::addColumn<bool>("longRangeChecked");

    const QStringList fullRead = {"RGB:2", "Range:1", "Form"};
    QTest::newRow("receiver, full read: both rows, LED kept") << 1 << false << "0,1" << fullRead << true << true << 2 << true;
    QTest::newRow("receiver, read then LED report") << 1 << false << "0,1" << QStringList{"Form", "RGB:3"} << true << true << 3 << false;
    QTest::newRow("receiver, no LED read: LED row hidden") << 1 << false << "0,1" << QStringList{"Form"} << true << false << 0 << false;
    QTest::newRow("LED -1") << 1 << false << "0,-1" << fullRead << true << false << 0 << true;
    QTest::newRow("long range -1") << 1 << false << "-1,1" << fullRead << false << true << 2 << false;
    QTest::newRow("both -1") << 1 << false << "-1,-1" << fullRead << false << false << 0 << false;
    QTest::newRow("missing list: no options") << 1 << false << "missing" << fullRead << false << false << 0 << false;
    QTest::newRow("one item: no LED option") << 1 << false << "0" << fullRead << true << false << 0 << true;
    QTest::newRow("kind 4: no LED row") << 4 << false << "0,1" << fullRead << true << false << 0 << true;
    QTest::newRow("kind 0: no LED row") << 0 << false << "0,1" << QStringList{"RGB:1"} << false << false << 0 << false;
    QTest::newRow("wired: read hides both") << 2 << true << "0,1" << QStringList{"Form"} << false << false << 0 << false;
    QTest::newRow("wired: long-range report after the read") << 2 << true << "0,1" << QStringList{"Form", "Range:1"} << true << false << 0 << true;
    QTest::newRow("wired: LED report ignored") << 2 << true << "0,1" << QStringList{"RGB:2"} << false << false << 0 << false;
    QTest::newRow("FormB leaves long range hidden") << 1 << false << "0,1" << QStringList{"FormB"} << false << false << 0 << false;
    QTest::newRow("FormB keeps long range shown") << 1 << false << "0,1" << QStringList{"Range:0", "FormB"} << true << false << 0 << false;
    QTest::newRow("FormB keeps the LED row of the read") << 1 << false << "0,1" << QStringList{"RGB:1", "FormB"} << false << true << 1 << false;
    QTest::newRow("FormB hides long range -1") << 1 << false << "-1,1" << QStringList{"Range:1", "FormB"} << false << false << 0 << false;
    QTest::newRow("LED mode 0 keeps the previous box") << 1 << false << "0,1" << QStringList{"RGB:2", "RGB:0"} << false << true << 2 << false;
    QTest::newRow("unknown LED mode checks nothing") << 1 << false << "0,1" << QStringList{"RGB:9"} << false << true << 0 << false;
    QTest::newRow("reset") << 1 << false << "0,1" << QStringList{"RGB:2", "Range:1", "Reset"} << false << false << 2 << false;
    QTest::newRow("reset, then full read") << 1 << false << "0,1" << QStringList{"Reset", "RGB:1", "Range:1", "Form"} << true << true << 1 << true;
}

void TestFormSetting::rowRules()
{
    QFETCH(int, kind);
    QFETCH(bool, wired);
    QFETCH(QString, advanced);
    QFETCH(QStringList, signals_);
    QFETCH(bool, longRange);
    QFETCH(bool, led);
    QFETCH(int, ledChecked);
    QFETCH(bool, longRangeChecked);

    setAdvanced(advanced);
    DeviceAllInfo device = DeviceLinkFixture::InfoFor("none", 36, 2, quint8(kind), 1);
    device.Wired = wired ? 1 : 0;
    CurrentDevice.set(device);
    makePage();

    PostMsg* hub = PostMsg::instance();
    for (const QString& s : signals_) {
        const QString name = s.section(QLatin1Char(':'), 0, 0);
        const int value = s.section(QLatin1Char(':'), 1).toInt();
        if (name == QLatin1String("RGB")) {
            CurrentDongleRGB->mode = uint8_t(value);
            TestEnv::EmitFromThread([hub] { hub->EmitRGBValue(CurrentDongleRGB); });
        } else if (name == QLatin1String("Range")) {
            TestEnv::EmitFromThread([hub, value] { hub->EmitLongRangeMode(value != 0); });
        } else if (name == QLatin1String("Form")) {
            TestEnv::EmitFromThread([hub] { hub->EmitForm(); });
        } else if (name == QLatin1String("Reset")) {
            TestEnv::EmitFromThread([hub] { hub->EmitFormReset(); });
        } else {
            hub->EmitFormB();
        }
    }

    for (const QString& name : LongRangeGroup)
        QVERIFY2(shown(name) == longRange, qPrintable(name));
    for (const QString& name : LedGroup)
        QVERIFY2(shown(name) == led, qPrintable(name));
    const BottomLayout& bottom = led ? LedRowShown : LedRowHidden;
    QCOMPARE(child("scrollAreaWidgetContents")->minimumSize(), QSize(880, bottom.height));
    QCOMPARE(child("scrollAreaWidgetContents")->maximumSize(), QSize(880, bottom.height));
    QCOMPARE(child("pushButton_3")->pos(), bottom.link);
    QCOMPARE(child("pushButton_4")->pos(), bottom.company);
    for (int mode = 1; mode <= 3; ++mode)
        QVERIFY2(box(LedBoxes[mode - 1])->isChecked() == (mode == ledChecked), LedBoxes[mode - 1]);
    QCOMPARE(box("checkBox_2")->isChecked(), longRangeChecked);
    // The options shown never reached the device: the page sends only while changes are sent.
    QCOMPARE(HidSim::CallCount("UsbFinderC_Set4KDongleRGB"), 0);
    QCOMPARE(HidSim::CallCount("UsbFinderC_SetLongRangeMode"), 0);
}

// ---- Receiver options ----

void TestFormSetting::chooseLedMode_data()
{
    QTest::addColumn<int>("from");
    QTest::addColumn<int>("to");
    QTest::newRow("1 -> 2") << 1 << 2;
    QTest::newRow("1 -> 3") << 1 << 3;
    QTest::newRow("3 -> 1") << 3 << 1;
}

void TestFormSetting::chooseLedMode()
{
    QFETCH(int, from);
    QFETCH(int, to);
    chooseReceiverMouse();
    makePage();
    // The read's mode is shown without sending it back.
    CurrentDongleRGB->mode = uint8_t(from);
    QMetaObject::invokeMethod(m_page.get(), "SlotRGBValue", Q_ARG(DongleRGB*, CurrentDongleRGB));
    QVERIFY(box(LedBoxes[from - 1])->isChecked());
    QCOMPARE(sentLedRecords(), 0);
    const DongleRGB before = *CurrentDongleRGB;

    UiSendsChanges.store(1);
    QSignalSpy offline(PostMsg::instance(), &PostMsg::SigMouseOffLineo);
    QTest::mouseClick(box(LedBoxes[to - 1]), Qt::LeftButton, Qt::NoModifier, QPoint(8, 15));
    QVERIFY(box(LedBoxes[to - 1])->isChecked());
    QVERIFY(!box(LedBoxes[from - 1])->isChecked());
    QCOMPARE(sentLedRecords(), 1);
    QCOMPARE(offline.count(), 0);

    DongleRGB held{};
    QVERIFY(HidSim::GetDongleRGB("r4", &held));
    QCOMPARE(int(held.mode), to);
    QCOMPARE(QByteArray(reinterpret_cast<const char*>(held.data), 9),
             QByteArray(reinterpret_cast<const char*>(before.data), 9));
    QCOMPARE(int(CurrentDongleRGB->mode), to);
}

void TestFormSetting::ledChoiceWhileOffline()
{
    chooseReceiverMouse();
    makePage();
    CurrentDongleRGB->mode = 1;
    QMetaObject::invokeMethod(m_page.get(), "SlotRGBValue", Q_ARG(DongleRGB*, CurrentDongleRGB));
    QVERIFY(HidSim::SetAwake("m2", false));
    UiSendsChanges.store(1);
    QSignalSpy offline(PostMsg::instance(), &PostMsg::SigMouseOffLineo);
    QTest::mouseClick(box("ReUntil_2"), Qt::LeftButton, Qt::NoModifier, QPoint(8, 15));
    // One for the box unchecked, one for the box checked; the boxes keep the new state.
    QCOMPARE(offline.count(), 2);
    for (const QList<QVariant>& args : offline)
        QCOMPARE(args.at(0).toInt(), 0);
    QVERIFY(box("ReUntil_2")->isChecked());
    QCOMPARE(sentLedRecords(), 0);
    DongleRGB held{};
    QVERIFY(HidSim::GetDongleRGB("r4", &held));
    QCOMPARE(int(held.mode), 1);

    // Long range too.
    QTest::mouseClick(box("checkBox_2"), Qt::LeftButton, Qt::NoModifier, QPoint(8, 8));
    QCOMPARE(offline.count(), 3);
    QCOMPARE(HidSim::CallCount("UsbFinderC_SetLongRangeMode"), 0);
}

void TestFormSetting::nothingSentWhileUiSendsChangesClear()
{
    chooseReceiverMouse();
    makePage();
    QSignalSpy offline(PostMsg::instance(), &PostMsg::SigMouseOffLineo);
    for (const char* name : {"ReUntil_3", "ReUntil", "checkBox_2"})
        box(name)->click();
    QVERIFY(HidSim::SetAwake("m2", false));
    box("ReUntil_2")->click();
    box("checkBox_2")->click();
    QCOMPARE(offline.count(), 0);
    QCOMPARE(sentLedRecords(), 0);
    QCOMPARE(HidSim::CallCount("UsbFinderC_SetLongRangeMode"), 0);
}

void TestFormSetting::receiversOwnLedReport()
{
    chooseReceiverMouse();
    makePage();
    UiSendsChanges.store(1);
    // The page shows and echoes the mode the link last read from the receiver.
    CurrentDongleRGB->mode = 3;
    QVERIFY(HidSim::SetDongleLedMode("r4", 3, true));
    QTRY_VERIFY(box("ReUntil_3")->isChecked());
    QVERIFY(shown("ReUntil_3"));
    QCOMPARE(child("scrollAreaWidgetContents")->minimumHeight(), 780);
    QTRY_COMPARE(sentLedRecords(), 1);
    const HidSim::Call sent = HidSim::Calls("UsbFinderC_Set4KDongleRGB").front();
    QCOMPARE(int(sent.bytes.at(0)), 3);
    QCOMPARE(int(sent.bytes.at(1)), 0x41);
    // The echo comes back as a report of the same mode: nothing more is sent.
    QTRY_COMPARE(HidSim::PendingAnswers(), 0);
    QCOMPARE(sentLedRecords(), 1);
}

void TestFormSetting::longRangeOnAndOff()
{
    chooseReceiverMouse();
    makePage();
    TestEnv::EmitFromThread([] { PostMsg::instance()->EmitLongRangeMode(false); });
    QVERIFY(shown("checkBox_2"));
    QCOMPARE(HidSim::CallCount("UsbFinderC_SetLongRangeMode"), 0);
    UiSendsChanges.store(1);

    QTest::mouseClick(box("checkBox_2"), Qt::LeftButton, Qt::NoModifier, QPoint(8, 8));
    QCOMPARE(HidSim::LongRangeMode("r4"), 1);
    QTest::mouseClick(box("checkBox_2"), Qt::LeftButton, Qt::NoModifier, QPoint(8, 8));
    QCOMPARE(HidSim::LongRangeMode("r4"), 0);
    const std::vector<HidSim::Call> calls = HidSim::Calls("UsbFinderC_SetLongRangeMode");
    QCOMPARE(int(calls.size()), 2);
    QVERIFY(QByteArray::fromStdString(calls.at(0).arguments).endsWith(",1"));
    QVERIFY(QByteArray::fromStdString(calls.at(1).arguments).endsWith(",0"));
    // The receiver reports the switch off on its own time; that report comes first.
    QTRY_COMPARE(HidSim::PendingAnswers(), 0);
    QVERIFY(!box("checkBox_2")->isChecked());

    // A report of the device's mode sets the box and, being a change, is sent as well.
    TestEnv::EmitFromThread([] { PostMsg::instance()->EmitLongRangeMode(true); });
    QVERIFY(box("checkBox_2")->isChecked());
    QCOMPARE(HidSim::LongRangeMode("r4"), 1);
}

void TestFormSetting::resetSendsLongRangeOff()
{
    chooseReceiverMouse();
    makePage();
    TestEnv::EmitFromThread([] { PostMsg::instance()->EmitLongRangeMode(true); });
    QVERIFY(box("checkBox_2")->isChecked());
    UiSendsChanges.store(1);
    QVERIFY(HidSim::SetLongRangeMode("r4", 1, false));

    TestEnv::EmitFromThread([] { PostMsg::instance()->EmitFormReset(); });
    QVERIFY(!box("checkBox_2")->isChecked());
    QCOMPARE(HidSim::CallCount("UsbFinderC_SetLongRangeMode"), 1);
    QCOMPARE(HidSim::LongRangeMode("r4"), 0);
    // Unchecked already: a second reset sends nothing.
    TestEnv::EmitFromThread([] { PostMsg::instance()->EmitFormReset(); });
    QCOMPARE(HidSim::CallCount("UsbFinderC_SetLongRangeMode"), 1);
}

// ---- Other options ----

void TestFormSetting::languageChoice_data()
{
    QTest::addColumn<int>("built");
    QTest::addColumn<int>("shown");
    QTest::addColumn<int>("chosen");
    QTest::addColumn<QString>("title");
    QTest::newRow("English, then Chinese chosen") << 0 << 0 << 1 << QString::fromUtf8("语言");
    QTest::newRow("Chinese, then English chosen") << 1 << 1 << 0 << "Language";
    QTest::newRow("a language the files lack shows English") << 7 << 0 << 1 << QString::fromUtf8("语言");
}

void TestFormSetting::languageChoice()
{
    QFETCH(int, built);
    QFETCH(int, shown);
    QFETCH(int, chosen);
    QFETCH(QString, title);
    CurrentLanguage.store(built);
    makePage();
    auto* combo = child<QComboBox>("comboBox");
    QCOMPARE(combo->currentIndex(), shown);
    LanguageOrder order;
    PostMsg::Connect(SIGNAL(SigAllLanguage(int)), &order, SLOT(all(int)));
    PostMsg::Connect(SIGNAL(SigLanguageSameA(int)), &order, SLOT(sameA(int)));

    VEXO_CHECKED(TestEnv::PickComboItem(combo, chosen));
    QCOMPARE(order.seen, (QStringList{QStringLiteral("All:%1").arg(chosen), QStringLiteral("SameA:%1").arg(chosen)}));
    QCOMPARE(MacroIni::instance()->value(QStringLiteral("Language"), QStringLiteral("Language")), QString::number(chosen));
    QCOMPARE(CurrentLanguage.load(), chosen);
    QCOMPARE(combo->currentIndex(), chosen);
    QCOMPARE(child<QLabel>("label_2")->text(), title);
}

void TestFormSetting::languageSameB_data()
{
    QTest::addColumn<int>("told");
    QTest::addColumn<int>("shown");
    QTest::newRow("English") << 0 << 0;
    QTest::newRow("Chinese") << 1 << 1;
    // Never an empty list.
    QTest::newRow("a language the list lacks") << 7 << 0;
    QTest::newRow("negative") << -1 << 0;
}

void TestFormSetting::languageSameB()
{
    QFETCH(int, told);
    QFETCH(int, shown);
    makePage();
    auto* combo = child<QComboBox>("comboBox");
    QSignalSpy changed(combo, QOverload<int>::of(&QComboBox::currentIndexChanged));
    QSignalSpy languages(PostMsg::instance(), &PostMsg::SigAllLanguage);
    combo->setCurrentIndex(-1);
    changed.clear();
    PostMsg::instance()->EmitLanguageSameB(told);
    QCOMPARE(combo->currentIndex(), shown);
    QCOMPARE(changed.count(), 0);
    QCOMPARE(languages.count(), 0);
    QVERIFY(!combo->signalsBlocked());
    QVERIFY(MacroIni::instance()->value(QStringLiteral("Language"), QStringLiteral("Language")).isEmpty());
}

void TestFormSetting::startAtLogin()
{
    makePage();
    const QString entry = StartAtLogin::AutostartFilePath();
    QTest::mouseClick(box("checkBox"), Qt::LeftButton, Qt::NoModifier, QPoint(8, 8));
    QVERIFY(StartAtLogin::Enabled());
    QVERIFY(QFile::exists(entry));
    QCOMPARE(RegistryStore::instance()->value(StartAtLogin::RunKey(), StartAtLogin::EntryName()).toString(),
             StartAtLogin::RunValue());
    QTest::mouseClick(box("checkBox"), Qt::LeftButton, Qt::NoModifier, QPoint(8, 8));
    QVERIFY(!StartAtLogin::Enabled());
    QVERIFY(!QFile::exists(entry));
    // Set by the program, not clicked: nothing is written.
    box("checkBox")->setChecked(true);
    QVERIFY(!QFile::exists(entry));
}

void TestFormSetting::mouseSettings_data()
{
    QTest::addColumn<bool>("installed");
    QTest::addColumn<int>("language");
    QTest::newRow("installed") << true << 0;
    QTest::newRow("none installed, English") << false << 0;
    QTest::newRow("none installed, Chinese") << false << 1;
}

void TestFormSetting::mouseSettings()
{
    QFETCH(bool, installed);
    QFETCH(int, language);
    // The programs on PATH are the test's own.
    const QByteArray savedPath = qgetenv("PATH");
    const auto restorePath = qScopeGuard([savedPath] { qputenv("PATH", savedPath); });
    QTemporaryDir bin;
    QVERIFY(bin.isValid());
    const QString program = bin.path() + QStringLiteral("/gnome-control-center");
    if (installed) {
        QVERIFY(TestEnv::WriteFile(program, "#!/bin/sh\nexit 0\n"));
        QVERIFY(QFile::setPermissions(program, QFileDevice::ReadOwner | QFileDevice::ExeOwner));
    }
    qputenv("PATH", bin.path().toLocal8Bit());
    QStringList started;
    MouseSettings::SetLaunchHook([&started](const QString& path, const QStringList&) {
        started << path;
        return true;
    });
    makePage();
    CurrentLanguage.store(language);
    PostMsg::instance()->EmitAllLanguage(language);

    QString told;
    if (!installed) {
        TestEnv::AnswerNextModal([&told](QWidget* notice) {
            told = notice->findChild<QLabel*>(QStringLiteral("label"))->text();
            QTest::mouseClick(notice->findChild<QToolButton*>(QStringLiteral("NewHong")), Qt::LeftButton);
        });
    }
    QTest::mouseClick(child("pushButton"), Qt::LeftButton);
    QCOMPARE(started, installed ? QStringList{program} : QStringList());
    if (installed)
        return;
    // Nothing to open: the notice names every program looked for, in the chosen language.
    QCOMPARE(told, LangText(LangTable::NoMouseSettingsTexts, language, 0)
                       .arg(MouseSettings::KnownPrograms().join(QStringLiteral(", "))));
    for (const char* name : {"gnome-control-center", "systemsettings", "xfce4-mouse-settings", "lxinput"})
        QVERIFY2(told.contains(QLatin1String(name)), name);
    QVERIFY(!told.contains(QLatin1String("%1")));
}

void TestFormSetting::webLink()
{
    UrlCatcher catcher;
    QDesktopServices::setUrlHandler(QStringLiteral("https"), &catcher, "open");
    makePage();
    QTest::mouseClick(child("pushButton_3"), Qt::LeftButton);
    PostMsg::instance()->EmitAllLanguage(1);
    QTest::mouseClick(child("pushButton_3"), Qt::LeftButton);
    QDesktopServices::unsetUrlHandler(QStringLiteral("https"));
    QCOMPARE(catcher.urls, (QList<QUrl>{QUrl("https://vexo.example.com/en"), QUrl("https://vexo.example.com/zh-cn")}));
}

void TestFormSetting::sleepTimeRelay_data()
{
    QTest::addColumn<int>("seconds");
    QTest::addColumn<int>("index");
    QTest::newRow("600") << 600 << 4;
    QTest::newRow("10") << 10 << 0;
    QTest::newRow("2400") << 2400 << 10;
    QTest::newRow("45: not offered") << 45 << 2;
    QTest::newRow("0") << 0 << 2;
}

void TestFormSetting::sleepTimeRelay()
{
    QFETCH(int, seconds);
    QFETCH(int, index);
    makePage();
    auto* list = child("frameClose")->findChild<QComboBox*>();
    list->setCurrentIndex(2);
    PostMsg::instance()->EmitLightToFrom(seconds);
    QCOMPARE(list->currentIndex(), index);
}

void TestFormSetting::versionLabels()
{
    makePage();
    PostMsg* hub = PostMsg::instance();
    hub->EmitLabelText(0, QStringLiteral("v1.2"));
    hub->EmitLabelText(1, QStringLiteral("v3.4"));
    hub->EmitLabelText(2, QStringLiteral("v9.9"));
    QCOMPARE(child<QLabel>("label_5")->text(), QStringLiteral("v1.2"));
    QCOMPARE(child<QLabel>("label_7")->text(), QStringLiteral("v3.4"));
    QCOMPARE(CurrentDevice.get().VersionText, QStringLiteral("v1.2"));
    QCOMPARE(CurrentDevice.get().FirmwareVersionText, QStringLiteral("v3.4"));

    hub->EmitSetNewVer();
    QCOMPARE(child<QToolButton>("Receive_2")->text(), QStringLiteral("Already up to date"));
    QVERIFY(!shown("Receive_2"));
}

void TestFormSetting::updateButtonStyle_data()
{
    QTest::addColumn<QString>("flag");
    QTest::addColumn<bool>("waiting");
    QTest::newRow("true") << "true" << true;
    QTest::newRow("True") << "True" << false;
    QTest::newRow("false") << "false" << false;
    QTest::newRow("empty") << "" << false;
}

void TestFormSetting::updateButtonStyle()
{
    QFETCH(QString, flag);
    QFETCH(bool, waiting);
    makePage();
    PostMsg::instance()->EmitLabelTextB(QStringLiteral("v2.0"), flag);
    QCOMPARE(child<QLabel>("label_5")->text(), QStringLiteral("v2.0"));
    const QString head = QStringLiteral(
        "QToolButton{border:0px;background-position:center;background-repeat:no-repeat;color: rgb(255,255,255;);");
    const QString style = waiting
        ? head + "background-image: url(" + m_folder + "WaitUpdate.png);}QToolButton::hover{background-image: url("
            + m_folder + "WaitUpdateHover.png);}"
        : head + "border-image: url(" + m_folder + "Confirm.png);}";
    QCOMPARE(child("Receive_2")->styleSheet(), style);
}

void TestFormSetting::pairingRestoresTheDeviceLink()
{
    chooseReceiverMouse();
    makePage();
    StopUsbChanged();
    HidSim::ClearCalls();
    bool placed = false;
    bool modal = false;
    TestEnv::AnswerNextModal([&](QWidget* dialog) {
        placed = dialog->pos()
            == Skin::CenteredPosition(m_page->mapToGlobal(QPoint()), m_page->size(), dialog->size(), QPoint(-70, -30));
        modal = dialog->isModal();
        // The device link is given back only after the dialog closed.
        QCOMPARE(HidSim::CallCount("StartUsbChanged"), 0);
        dialog->close();
    }, "Match");
    QTest::mouseClick(child("pushButton_2"), Qt::LeftButton);
    QVERIFY(placed);
    QVERIFY(modal);
    QVERIFY(!QApplication::activeModalWidget());
    // The dialog's own close registers hot-plug notices too; the page's calls come last.
    const std::vector<HidSim::Call> calls = HidSim::Calls();
    int hotplug = -1;
    int service = -1;
    for (int i = 0; i < int(calls.size()); ++i) {
        if (calls[size_t(i)].function == "StartUsbChanged")
            hotplug = i;
        else if (calls[size_t(i)].function == "UsbServerC_Start")
            service = i;
    }
    QVERIFY(hotplug >= 0 && service > hotplug);
    QCOMPARE(QString::fromStdString(calls[size_t(hotplug)].arguments), QStringLiteral("600"));
    QVERIFY(QByteArray::fromStdString(calls[size_t(service)].arguments).contains(m_receiver));
    QCOMPARE(ServicePath.get(), m_receiver);
}

VEXO_TEST_MAIN(TestFormSetting)
void TestFormSetting::pairingNeverSendsTheOldRecord_data()
{
    QTest::addColumn<bool>("paired");
    QTest::newRow("another mouse paired") << true;
    QTest::newRow("pairing failed") << false;
}

// The receiver may hold another mouse of the same model after a pairing: the record the pages
// held belongs to the first one and must never be written onto it.
void TestFormSetting::pairingNeverSendsTheOldRecord()
{
    QFETCH(bool, paired);
    chooseReceiverMouse();
    HidSim::DeviceSpec second = DeviceLinkFixture::ReceiverMouse("m3", "");
    FlashDataMap own = DeviceLinkFixture::StoredRecord("m2");
    own.dpiLevels[0].red = uint8_t(own.dpiLevels[0].red ^ 0x5A);
    own.lod = uint8_t(own.lod ^ 0x03);
    second.factory.assign(reinterpret_cast<const uint8_t*>(&own), reinterpret_cast<const uint8_t*>(&own) + sizeof own);
    QVERIFY(!m_fixture->add(second).isEmpty());
    const QByteArray firstBefore = DeviceLinkFixture::Bytes(DeviceLinkFixture::StoredRecord("m2"));
    const QByteArray secondBefore = DeviceLinkFixture::Bytes(DeviceLinkFixture::StoredRecord("m3"));
    QVERIFY(firstBefore != secondBefore);
    MainPageActive.store(1);
    UiSendsChanges.store(1);
    makePage();

    HidSim::ScriptPairing(paired ? HidSim::PairOutcome::Success : HidSim::PairOutcome::Failure, "m3");
    TestEnv::AnswerNextModal([&](QWidget* dialog) {
        // A failed check must not leave the modal dialog running.
        const auto end = qScopeGuard([dialog]() { static_cast<QDialog*>(dialog)->done(QDialog::Rejected); });
        auto* button = TestEnv::NamedChild<QPushButton>(dialog, "MatchButton");
        // The button takes presses once the receiver poll has seen a receiver to pair through.
        QSignalSpy poll(TestEnv::NamedChild<QTimer>(dialog, "MatchUsbTimer"), &QTimer::timeout);
        QVERIFY(poll.wait());
        QTest::mouseClick(button, Qt::LeftButton);
        QTRY_COMPARE(PairResult.load(), int(paired ? Match::Succeeded : Match::Failed));
    }, "Match");
    QTest::mouseClick(child("pushButton_2"), Qt::LeftButton);
    QVERIFY(!QApplication::activeModalWidget());
    const std::string holder = paired ? "m3" : "m2";
    QCOMPARE(HidSim::ReceiverAddress("m3") == HidSim::ReceiverAddress("r4"), paired);

    // Until the receiver's mouse was read, a change reaches no mouse; a read is on its way.
    HidSim::ClearCalls();
    QVERIFY(!SetLightColor(1, 2, 3));
    QCOMPARE(HidSim::CallCount("ProtocolDataUpdate"), 0);
    QCOMPARE(DeviceLinkFixture::Bytes(DeviceLinkFixture::StoredRecord("m2")), firstBefore);
    QCOMPARE(DeviceLinkFixture::Bytes(DeviceLinkFixture::StoredRecord("m3")), secondBefore);
    QCOMPARE(RestartWorkerPending.load(), quint8(1));

    // The read pass's request: the change then lands on the mouse the receiver holds, with its own record.
    UsbServer_ReadAllFlashData();
    QTRY_VERIFY(DeviceConfigHoldsChosenDevice());
    const FlashDataMap held = DeviceConfig.get();
    QCOMPARE(held.lod, paired ? own.lod : DeviceLinkFixture::StoredRecord("m2").lod);
    FlashDataMap expected = DeviceLinkFixture::StoredRecord(holder);
    QVERIFY(SetLightColor(1, 2, 3));
    expected.lightColor[0] = 1;
    expected.lightColor[1] = 2;
    expected.lightColor[2] = 3;
    QCOMPARE(DeviceLinkFixture::Bytes(DeviceLinkFixture::StoredRecord(paired ? "m2" : "m3")),
             paired ? firstBefore : secondBefore);
    QCOMPARE(DeviceLinkFixture::Bytes(DeviceLinkFixture::StoredRecord(holder)), DeviceLinkFixture::Bytes(expected));
}

#include "tst_formsetting.moc"
