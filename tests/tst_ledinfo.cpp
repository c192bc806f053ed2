#include "core/devicestate.h"
#include "core/postmsg.h"
#include "helpers/testenv.h"
#include "helpers/testwidgets.h"
#include "pages/settings/ledinfo.h"
#include "ui/lang/langtext.h"
#include "ui/lang/languagefilereader.h"
#include "ui/widgets/skin.h"

#include <QApplication>
#include <QCheckBox>
#include <QFile>
#include <QFrame>
#include <QLabel>
#include <QSignalSpy>
#include <QTextEdit>
#include <QToolButton>
#include <QtTest>

#include <memory>

namespace {

const char* const RowWidgets[] = {"TitleButton_7", "label_14", "ReUntil", "ReUntil_2", "ReUntil_3",
                                  "textEdit_2", "textEdit_3", "textEdit_4"};
const char* const Boxes[] = {"ReUntil", "ReUntil_2", "ReUntil_3"};

// The extra device sections of the private installation, by their "Adveanced" entry.
// Drive3: one item; Drive4: none; Drive5: LED option absent; Drive6: LED mode offered.
const char ExtraSections[] =
    "\n[Drive3]\nAdveanced=0\n"
    "\n[Drive4]\nName=NoAdvanced\n"
    "\n[Drive5]\nAdveanced=1,-1\n"
    "\n[Drive6]\nAdveanced=-1,2\n";

QString checkedBoxes(const LedInfo& dialog)
{
    QStringList names;
    for (const char* name : Boxes)
        if (dialog.findChild<QCheckBox*>(QLatin1String(name))->isChecked())
            names << QLatin1String(name);
    return names.join(QLatin1Char(','));
}

void hideRow(LedInfo& dialog)
{
    for (const char* name : RowWidgets)
        dialog.findChild<QWidget*>(QLatin1String(name))->hide();
}

bool rowShown(const LedInfo& dialog)
{
    for (const char* name : RowWidgets)
        if (dialog.findChild<QWidget*>(QLatin1String(name))->isHidden())
            return false;
    return true;
}

void chooseDevice(int section, quint8 connectionType, quint8 wired)
{
    DeviceAllInfo device;
    device.DriveIndex = quint32(section - 1);
    device.ConnectionType = connectionType;
    device.Wired = wired;
    CurrentDevice.set(device);
}

} // namespace

class TestLedInfo : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanupTestCase();

    void form_data();
    void form();
    void formTexts();
    void skin();
    void rowRules_data();
    void rowRules();
    void followsHubSignal();
    void languageSlotTexts_data();
    void languageSlotTexts();
    void closeButton();

private:
    std::unique_ptr<TestEnv::TempHome> m_home;
    std::unique_ptr<TestEnv::Installation> m_install;
};

void TestLedInfo::initTestCase()
{
    m_home = std::make_unique<TestEnv::TempHome>();
    m_install = std::make_unique<TestEnv::Installation>(TestEnv::Installation::PrivateCopy);
    const QString config = m_install->path() + QStringLiteral("/usersetting/Config.ini");
    QVERIFY(TestEnv::WriteFile(config, TestEnv::ReadFile(config) + ExtraSections));
    LoadLanguageFiles();
}

void TestLedInfo::init()
{
    ResetDeviceState();
    CurrentLanguage = 0;
}

void TestLedInfo::cleanupTestCase()
{
    ResetDeviceState();
    m_install.reset();
    m_home.reset();
}

void TestLedInfo::form_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("className");
    QTest::addColumn<QRect>("geometry");
    QTest::newRow("frame") << "LedInfoFrame" << "QFrame" << QRect(0, 0, 638, 318);
    QTest::newRow("title mark") << "TitleButton_7" << "QToolButton" << QRect(40, 40, 16, 10);
    QTest::newRow("heading") << "label_14" << "QLabel" << QRect(70, 33, 501, 21);
    QTest::newRow("mode 1") << "ReUntil" << "QCheckBox" << QRect(70, 60, 16, 31);
    QTest::newRow("mode 2") << "ReUntil_2" << "QCheckBox" << QRect(70, 130, 16, 31);
    QTest::newRow("mode 3") << "ReUntil_3" << "QCheckBox" << QRect(70, 200, 16, 31);
    QTest::newRow("text 1") << "textEdit_2" << "QTextEdit" << QRect(90, 60, 520, 71);
    QTest::newRow("text 2") << "textEdit_3" << "QTextEdit" << QRect(90, 130, 520, 71);
    QTest::newRow("text 3") << "textEdit_4" << "QTextEdit" << QRect(90, 200, 520, 71);
    QTest::newRow("close") << "CloseButton" << "QToolButton" << QRect(610, 10, 20, 20);
}

void TestLedInfo::form()
{
    QFETCH(QString, name);
    QFETCH(QString, className);
    QFETCH(QRect, geometry);
    LedInfo dialog(nullptr);
    QCOMPARE(dialog.objectName(), QStringLiteral("LedInfo"));
    QCOMPARE(dialog.size(), QSize(638, 318));
    QCOMPARE(dialog.windowTitle(), QStringLiteral("Dialog"));
    auto* w = dialog.findChild<QWidget*>(name);
    QVERIFY(w);
    QCOMPARE(QString::fromLatin1(w->metaObject()->className()), className);
    QCOMPARE(w->geometry(), geometry);
    if (name != QLatin1String("LedInfoFrame"))
        QCOMPARE(w->parentWidget()->objectName(), QStringLiteral("LedInfoFrame"));
    if (auto* box = qobject_cast<QCheckBox*>(w)) {
        QVERIFY(box->text().isEmpty());
        QVERIFY(!box->isChecked());
        QVERIFY(!box->isTristate());
        QCOMPARE(box->focusPolicy(), Qt::NoFocus);
    }
    if (auto* edit = qobject_cast<QTextEdit*>(w)) {
        QVERIFY(!edit->isEnabled());
        QVERIFY(edit->isReadOnly());
        QCOMPARE(edit->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);
        QCOMPARE(edit->horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);
    }
}

void TestLedInfo::formTexts()
{
    CurrentLanguage = 1; // the constructor applies no language
    LedInfo dialog(nullptr);
    QCOMPARE(dialog.findChild<QLabel*>(QStringLiteral("label_14"))->text(),
             QStringLiteral("选择接收器上的LED指示灯所传达的信息"));
    for (const char* name : {"textEdit_2", "textEdit_3", "textEdit_4"}) {
        auto* edit = dialog.findChild<QTextEdit*>(QLatin1String(name));
        QCOMPARE(edit->toPlainText(),
                 QStringLiteral("远距离模式（远距离模式下，距离会更远抗干扰能力更强，相应工作电流会加大，使用时间减少）"));
        QCOMPARE(edit->document()->defaultFont().family(), Skin::FormFontFamily());
        QVERIFY(edit->toHtml().contains(QStringLiteral("font-size:9pt")));
    }
}

void TestLedInfo::skin()
{
    LedInfo dialog(nullptr);
    const QString f = m_install->path() + QStringLiteral("/Picture/FormSetting/");
    const QString c = Skin::OptionColor(QStringLiteral("LabelColor"));
    QVERIFY(!c.isEmpty());
    QCOMPARE(dialog.windowFlags() & Skin::DialogWindowFlags(), Skin::DialogWindowFlags());
    QCOMPARE(dialog.findChild<QWidget*>(QStringLiteral("label_14"))->styleSheet(),
             QStringLiteral("QLabel{color: rgb(") + c + QStringLiteral(";);}"));
    QCOMPARE(dialog.findChild<QWidget*>(QStringLiteral("TitleButton_7"))->styleSheet(),
             QStringLiteral("#TitleButton_7{border-image: url(") + f + QStringLiteral("Title.png);}"));
    for (const char* name : Boxes)
        QCOMPARE(dialog.findChild<QWidget*>(QLatin1String(name))->styleSheet(),
                 QStringLiteral("QCheckBox{color: rgb(") + c
                     + QStringLiteral(";);}QCheckBox:indicator::checked {image: url(") + f
                     + QStringLiteral("CheckBoxCheck.png);}QCheckBox::indicator::unchecked {image: url(") + f
                     + QStringLiteral("CheckBox2.png);}"));
    QCOMPARE(dialog.findChild<QWidget*>(QStringLiteral("LedInfoFrame"))->styleSheet(),
             QStringLiteral("#LedInfoFrame{border:0px;background-position:center;background-repeat:no-repeat;"
                            "background-image: url(")
                 + f + QStringLiteral("Back.png);}"));
    for (const char* name : {"textEdit_2", "textEdit_3", "textEdit_4"})
        QCOMPARE(dialog.findChild<QWidget*>(QLatin1String(name))->styleSheet(),
                 QStringLiteral("#") + QLatin1String(name)
                     + QStringLiteral("{border: transparent;background-color: transparent;color: rgb(") + c
                     + QStringLiteral(";);}"));
    QCOMPARE(dialog.findChild<QWidget*>(QStringLiteral("CloseButton"))->styleSheet(),
             QStringLiteral("QToolButton{border:0px;background-image: url(") + f
                 + QStringLiteral("Close.png);background-position:center;background-repeat:no-repeat;}"
                                  "QToolButton:hover{background-image: url(")
                 + f + QStringLiteral("CloseHover.png);}QToolButton:pressed{background-image: url(") + f
                 + QStringLiteral("CloseClick.png);}"));
}

void TestLedInfo::rowRules_data()
{
    QTest::addColumn<int>("section");
    QTest::addColumn<int>("connectionType");
    QTest::addColumn<int>("wired");
    QTest::addColumn<QList<int>>("modes");   // byte 0 of the records, in order
    QTest::addColumn<bool>("shown");
    QTest::addColumn<QString>("checked");
    QTest::newRow("mode 1") << 2 << 1 << 0 << QList<int>{1} << true << "ReUntil";
    QTest::newRow("mode 2") << 2 << 1 << 0 << QList<int>{2} << true << "ReUntil_2";
    QTest::newRow("mode 1 then 3") << 2 << 1 << 0 << QList<int>{1, 3} << true << "ReUntil_3";
    QTest::newRow("not read yet") << 2 << 1 << 0 << QList<int>{0} << true << "";
    QTest::newRow("unknown mode keeps the box") << 2 << 1 << 0 << QList<int>{2, 7} << true << "ReUntil_2";
    QTest::newRow("not read yet keeps the box") << 2 << 1 << 0 << QList<int>{3, 0} << true << "ReUntil_3";
    QTest::newRow("other receiver item, LED offered") << 6 << 1 << 0 << QList<int>{1} << true << "ReUntil";
    QTest::newRow("LED item -1") << 1 << 1 << 0 << QList<int>{1} << false << "";
    QTest::newRow("LED item -1, long range on") << 5 << 1 << 0 << QList<int>{1} << false << "";
    QTest::newRow("one-item list counts as -1") << 3 << 1 << 0 << QList<int>{1} << false << "";
    QTest::newRow("missing list counts as -1") << 4 << 1 << 0 << QList<int>{1} << false << "";
    QTest::newRow("mouse on its cable") << 2 << 1 << 1 << QList<int>{1} << false << "";
    for (int kind : {0, 2, 3, 4, 5})
        QTest::addRow("connection kind %d", kind) << 2 << kind << 0 << QList<int>{1} << false << "";
}

void TestLedInfo::rowRules()
{
    QFETCH(int, section);
    QFETCH(int, connectionType);
    QFETCH(int, wired);
    QFETCH(QList<int>, modes);
    QFETCH(bool, shown);
    QFETCH(QString, checked);
    chooseDevice(section, quint8(connectionType), quint8(wired));
    LedInfo dialog(nullptr);
    hideRow(dialog);
    DongleRGB rgb{};
    for (int mode : modes) {
        rgb.mode = uint8_t(mode);
        dialog.SlotRGBValue(&rgb);
    }
    QCOMPARE(rowShown(dialog), shown);
    QCOMPARE(checkedBoxes(dialog), checked);
}

// The device link emits the record from its own thread and waits for the dialog.
void TestLedInfo::followsHubSignal()
{
    chooseDevice(2, 1, 0);
    LedInfo dialog(nullptr);
    DongleRGB rgb{};
    rgb.mode = 2;
    TestEnv::EmitFromThread([&rgb] { PostMsg::instance()->EmitRGBValue(&rgb); });
    QCOMPARE(checkedBoxes(dialog), QStringLiteral("ReUntil_2"));
    // It keeps no copy: the record is read when the signal comes.
    rgb.mode = 1;
    QCOMPARE(checkedBoxes(dialog), QStringLiteral("ReUntil_2"));
}

void TestLedInfo::languageSlotTexts_data()
{
    QTest::addColumn<int>("language");
    QTest::newRow("language 0") << 0;
    QTest::newRow("language 1") << 1;
}

void TestLedInfo::languageSlotTexts()
{
    QFETCH(int, language);
    LedInfo dialog(nullptr);
    // The hub's language signal does not reach it.
    PostMsg::instance()->EmitAllLanguage(language);
    QCOMPARE(dialog.findChild<QLabel*>(QStringLiteral("label_14"))->text(),
             QStringLiteral("选择接收器上的LED指示灯所传达的信息"));
    QVERIFY(QMetaObject::invokeMethod(&dialog, "SlotAllLanguage", Q_ARG(int, language)));
    const QString heading = LangText(LangTable::FormSettingTexts, language, 19);
    QVERIFY(!heading.isEmpty());
    QCOMPARE(dialog.findChild<QLabel*>(QStringLiteral("label_14"))->text(), heading);
    int position = 20;
    for (const char* name : {"textEdit_2", "textEdit_3", "textEdit_4"}) {
        QTextDocument expected;
        expected.setHtml(LangText(LangTable::FormSettingTexts, language, position++));
        QCOMPARE(dialog.findChild<QTextEdit*>(QLatin1String(name))->toPlainText(), expected.toPlainText());
    }
}

void TestLedInfo::closeButton()
{
    LedInfo dialog(nullptr);
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    QSignalSpy checks(PostMsg::instance(), &PostMsg::SigButtonCheck);
    QTest::mouseClick(dialog.findChild<QToolButton*>(QStringLiteral("CloseButton")), Qt::LeftButton);
    QCOMPARE(checks.count(), 1);
    QVERIFY(!dialog.isVisible());
}

VEXO_TEST_MAIN(TestLedInfo)
#include "tst_ledinfo.moc"
