#include "core/apppaths.h"
#include "helpers/testenv.h"
#include "helpers/testwidgets.h"
#include "ui/widgets/skin.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QFontDatabase>
#include <QFontInfo>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QSlider>
#include <QToolButton>
#include <QtTest>

namespace {

// Style-sheet parse complaints while a test runs.
QStringList g_styleWarnings;
QtMessageHandler g_previousHandler = nullptr;

// Images of a made-up folder are missing on purpose: only parse complaints count.
void collectStyleWarnings(QtMsgType, const QMessageLogContext&, const QString& message)
{
    if (message.contains(QLatin1String("parse")) && message.contains(QLatin1String("stylesheet"), Qt::CaseInsensitive))
        g_styleWarnings << message;
}

const QString F = QStringLiteral("/opt/vexo/Picture/WarningDialog/");

} // namespace

class TestSkin : public QObject
{
    Q_OBJECT
private slots:
    void styleTexts_data();
    void styleTexts();
    void colorText_data();
    void colorText();
    void stylesParse_data();
    void stylesParse();
    void optionColorsFromConfig();
    void folders();
    void placement_data();
    void placement();
    void moveCenteredOverWidget();
    void formFontIsLegible();
};

void TestSkin::styleTexts_data()
{
    QTest::addColumn<QString>("actual");
    QTest::addColumn<QString>("expected");
    const QString rgb = QStringLiteral("12,34,56");

    QTest::newRow("label") << Skin::LabelStyle(rgb) << QStringLiteral("QLabel{color: rgb(12,34,56;);}");
    QTest::newRow("line edit") << Skin::LineEditStyle(rgb) << QStringLiteral("QLineEdit{color: rgb(12,34,56;);}");
    QTest::newRow("confirm button") << Skin::ConfirmButtonStyle(F, rgb)
        << QStringLiteral("QToolButton{border:0px;background-position:center;background-repeat:no-repeat;"
                          "color: rgb(12,34,56;);border-image: url(/opt/vexo/Picture/WarningDialog/Confirm.png);}"
                          "QToolButton:pressed{border-image: url(/opt/vexo/Picture/WarningDialog/ConfirmClick.png); }");
    QTest::newRow("offline confirm button")
        << Skin::ConfirmButtonStyle(F, rgb, QStringLiteral("ConFirm.png"), QStringLiteral("ConFirmClick.png"))
        << QStringLiteral("QToolButton{border:0px;background-position:center;background-repeat:no-repeat;"
                          "color: rgb(12,34,56;);border-image: url(/opt/vexo/Picture/WarningDialog/ConFirm.png);}"
                          "QToolButton:pressed{border-image: url(/opt/vexo/Picture/WarningDialog/ConFirmClick.png); }");
    QTest::newRow("close button") << Skin::CloseButtonStyle(F)
        << QStringLiteral("QToolButton{border:0px;background-image: url(/opt/vexo/Picture/WarningDialog/Close.png);"
                          "background-position:center;background-repeat:no-repeat;}"
                          "QToolButton:hover{background-image: url(/opt/vexo/Picture/WarningDialog/CloseHover.png);}"
                          "QToolButton:pressed{background-image: url(/opt/vexo/Picture/WarningDialog/CloseClick.png);}");
    QTest::newRow("minimise button") << Skin::CloseButtonStyle(QStringLiteral("/i/Picture/Dialog/"), QStringLiteral("Min"))
        << QStringLiteral("QToolButton{border:0px;background-image: url(/i/Picture/Dialog/Min.png);"
                          "background-position:center;background-repeat:no-repeat;}"
                          "QToolButton:hover{background-image: url(/i/Picture/Dialog/MinHover.png);}"
                          "QToolButton:pressed{background-image: url(/i/Picture/Dialog/MinClick.png);}");
    QTest::newRow("frame") << Skin::FrameStyle(QStringLiteral("RePairA"), F)
        << QStringLiteral("#RePairA{border:0px;background-position:center;background-repeat:no-repeat;"
                          "background-image: url(/opt/vexo/Picture/WarningDialog/BackGround.png);}");
    QTest::newRow("offline frame")
        << Skin::FrameStyle(QStringLiteral("MouseOffLineA"), F, Skin::FrameImage::BackgroundSpaced)
        << QStringLiteral("#MouseOffLineA{border:0px;background-position:center;background-repeat:no-repeat;"
                          "background-image: url(/opt/vexo/Picture/WarningDialog/BackGround.png); }");
    QTest::newRow("border-image frame") << Skin::FrameStyle(QStringLiteral("FireKeyA"), F, Skin::FrameImage::Border)
        << QStringLiteral("#FireKeyA{border:0px;background-position:center;background-repeat:no-repeat;"
                          "border-image: url(/opt/vexo/Picture/WarningDialog/BackGround.png);}");
    QTest::newRow("check box") << Skin::CheckBoxStyle(F, rgb)
        << QStringLiteral("QCheckBox{color: rgb(12,34,56;);}"
                          "QCheckBox::indicator:checked {image: url(/opt/vexo/Picture/WarningDialog/CheckBoxCheck.png);}"
                          "QCheckBox::indicator:unchecked {image: url(/opt/vexo/Picture/WarningDialog/CheckBox.png);}");
    QTest::newRow("combo box")
        << Skin::ComboBoxStyle(QStringLiteral("/i/Picture/Sensor/"), rgb, QStringLiteral("1,2,3"),
                               QStringLiteral("7,8,9"))
        << QStringLiteral("QComboBox{border: 1px solid gray; color: rgb(12,34,56); "
                          "border-image: url(/i/Picture/Sensor/ComboboxBack.png);}"
                          "QComboBox::drop-down:button{border-radius:5px; background:rgb(1,2,3);} "
                          "QComboBox::down-arrow{image: url(/i/Picture/Sensor/Menu.png); right: 8px; }"
                          "QComboBox::down-arrow:on{ image: url(/i/Picture/Sensor/MenuClicked.png);}"
                          "QComboBox QAbstractItemView::item{height:25px;}"
                          "QComboBox QAbstractItemView {outline: 0px solid gray; border: 1px  solid gray;"
                          "color: rgb(12,34,56); border-image: url(/i/Picture/Sensor/ComboboxTextBack.png);"
                          "selection-background-color: rgb(7,8,9); }");
    QTest::newRow("combo list view") << Skin::ComboListViewStyle(QStringLiteral("7,8,9"))
        << QStringLiteral("QListView::item:selected{background-color: rgb(7,8,9);}"
                          "QListView::item:hover{background-color: rgb(7,8,9);}");
    QTest::newRow("slider pages") << Skin::SliderPagesStyle(rgb)
        << QStringLiteral(");} QSlider:sub-page:horizontal{border-radius: 2px;background-color: rgb(12,34,56;);}"
                          "QSlider:add-page:horizontal{border-radius: 2px;background-color: rgb(255, 255, 255);}");
}

void TestSkin::styleTexts()
{
    QFETCH(QString, actual);
    QFETCH(QString, expected);
    QCOMPARE(actual, expected);
}

void TestSkin::colorText_data()
{
    QTest::addColumn<QStringList>("items");
    QTest::addColumn<QString>("rgb");
    QTest::newRow("three") << QStringList{"12", "34", "56"} << QStringLiteral("12,34,56");
    QTest::newRow("more than three: the first three") << QStringList{"1", "2", "3", "4"} << QStringLiteral("1,2,3");
    QTest::newRow("as stored, not normalised") << QStringList{"012", "34", "256"} << QStringLiteral("012,34,256");
    QTest::newRow("two") << QStringList{"12", "34"} << QString();
    QTest::newRow("one") << QStringList{"12"} << QString();
    QTest::newRow("missing key") << QStringList() << QString();
}

void TestSkin::colorText()
{
    QFETCH(QStringList, items);
    QFETCH(QString, rgb);
    QCOMPARE(Skin::ColorText(items), rgb);
}

// Every text, with and without its colour, is a style sheet Qt accepts, and a missing
// colour never takes the images with it.
void TestSkin::stylesParse_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("rgb");
    for (const QString& rgb : {QStringLiteral("12,34,56"), QString()}) {
        const char* tag = rgb.isEmpty() ? "no colour" : "colour";
        for (const char* kind : {"label", "line edit", "confirm", "close", "frame", "check box", "combo box",
                                 "combo list", "slider"})
            QTest::addRow("%s, %s", kind, tag) << QString::fromLatin1(kind) << rgb;
    }
}

void TestSkin::stylesParse()
{
    QFETCH(QString, kind);
    QFETCH(QString, rgb);
    QWidget window;
    QWidget* target = nullptr;
    QString sheet;
    if (kind == QLatin1String("label")) {
        target = new QLabel(QStringLiteral("text"), &window);
        sheet = Skin::LabelStyle(rgb);
    } else if (kind == QLatin1String("line edit")) {
        target = new QLineEdit(&window);
        sheet = Skin::LineEditStyle(rgb);
    } else if (kind == QLatin1String("confirm")) {
        target = new QToolButton(&window);
        sheet = Skin::ConfirmButtonStyle(F, rgb);
        QVERIFY(sheet.contains(QLatin1String("Confirm.png")));
        QVERIFY(sheet.contains(QLatin1String("ConfirmClick.png")));
    } else if (kind == QLatin1String("close")) {
        target = new QToolButton(&window);
        sheet = Skin::CloseButtonStyle(F);
    } else if (kind == QLatin1String("frame")) {
        target = new QFrame(&window);
        target->setObjectName(QStringLiteral("NoticeA"));
        sheet = Skin::FrameStyle(QStringLiteral("NoticeA"), F);
    } else if (kind == QLatin1String("check box")) {
        target = new QCheckBox(&window);
        sheet = Skin::CheckBoxStyle(F, rgb);
        QVERIFY(sheet.contains(QLatin1String("CheckBoxCheck.png")));
    } else if (kind == QLatin1String("combo box")) {
        auto* box = new QComboBox(&window);
        box->addItems({QStringLiteral("a"), QStringLiteral("b")});
        target = box;
        sheet = Skin::ComboBoxStyle(F, rgb, rgb, rgb);
        QVERIFY(sheet.contains(QLatin1String("ComboboxTextBack.png")));
    } else if (kind == QLatin1String("combo list")) {
        target = new QListView(&window);
        sheet = Skin::ComboListViewStyle(rgb);
    } else {
        target = new QSlider(Qt::Horizontal, &window);
        // A page's groove text goes before it.
        sheet = QStringLiteral("QSlider::groove:horizontal{height: 4px; background: rgb(0,0,0") + Skin::SliderPagesStyle(rgb);
    }
    QVERIFY2(!sheet.contains(QLatin1String("rgb(;")) && !sheet.contains(QLatin1String("rgb()")), qPrintable(sheet));

    g_styleWarnings.clear();
    g_previousHandler = qInstallMessageHandler(collectStyleWarnings);
    target->setStyleSheet(sheet);
    target->ensurePolished();
    qInstallMessageHandler(g_previousHandler);
    QVERIFY2(g_styleWarnings.isEmpty(), qPrintable(g_styleWarnings.join(QLatin1Char('\n')) + QLatin1Char('\n') + sheet));
}

void TestSkin::optionColorsFromConfig()
{
    TestEnv::TempHome home;
    TestEnv::Installation install(TestEnv::Installation::PrivateCopy);
    const QString ini = install.path() + QStringLiteral("/usersetting/Config.ini");
    {
        QSettings config(ini, QSettings::IniFormat);
        config.setValue(QStringLiteral("Option/LabelColor"), QStringList{"12", "34", "56"});
        config.setValue(QStringLiteral("Option/ComboxTextColor"), QStringList{"12", "34", "56"});
        config.setValue(QStringLiteral("Option/ButtonColor"), QStringList{"1", "2"});
        config.remove(QStringLiteral("Option/SliderColor"));
    }
    QCOMPARE(Skin::OptionColor(QStringLiteral("LabelColor")), QStringLiteral("12,34,56"));
    QCOMPARE(Skin::LabelStyle(Skin::OptionColor(QStringLiteral("LabelColor"))),
             QStringLiteral("QLabel{color: rgb(12,34,56;);}"));
    QVERIFY(Skin::ComboBoxStyle(F, Skin::OptionColor(QStringLiteral("ComboxTextColor")), QString(), QString())
                .startsWith(QStringLiteral("QComboBox{border: 1px solid gray; color: rgb(12,34,56);")));
    QCOMPARE(Skin::OptionColor(QStringLiteral("ButtonColor")), QString());
    QCOMPARE(Skin::OptionColor(QStringLiteral("SliderColor")), QString());
}

void TestSkin::folders()
{
    TestEnv::Installation install(TestEnv::Installation::PrivateCopy);
    QCOMPARE(Skin::Folder(QStringLiteral("Sensor")), install.path() + QStringLiteral("/Picture/Sensor/"));
    QCOMPARE(Skin::WarningDialogFolder(), install.path() + QStringLiteral("/Picture/WarningDialog/"));
}

void TestSkin::placement_data()
{
    QTest::addColumn<QPoint>("global");
    QTest::addColumn<QSize>("outer");
    QTest::addColumn<QSize>("inner");
    QTest::addColumn<QPoint>("shift");
    QTest::addColumn<QPoint>("expected");
    QTest::newRow("main window, offline notice 20 up")
        << QPoint(100, 50) << QSize(1020, 700) << QSize(300, 140) << QPoint(0, -20) << QPoint(460, 310);
    QTest::newRow("firmware question 20 left")
        << QPoint(100, 50) << QSize(1020, 700) << QSize(300, 140) << QPoint(-20, 0) << QPoint(440, 330);
    QTest::newRow("odd difference drops the half pixel")
        << QPoint(0, 0) << QSize(301, 141) << QSize(300, 140) << QPoint() << QPoint(0, 0);
    QTest::newRow("caller smaller than the dialog: halves truncate toward zero")
        << QPoint(10, 10) << QSize(100, 99) << QSize(300, 140) << QPoint() << QPoint(-90, -10);
    QTest::newRow("caller off the left of the screen")
        << QPoint(-500, -30) << QSize(300, 140) << QSize(300, 140) << QPoint() << QPoint(-500, -30);
}

void TestSkin::placement()
{
    QFETCH(QPoint, global);
    QFETCH(QSize, outer);
    QFETCH(QSize, inner);
    QFETCH(QPoint, shift);
    QFETCH(QPoint, expected);
    QCOMPARE(Skin::CenteredPosition(global, outer, inner, shift), expected);
}

void TestSkin::moveCenteredOverWidget()
{
    QWidget window;
    window.setGeometry(200, 100, 1020, 700);
    // The caller may be a page inside the window: its own corner on the screen counts.
    auto* page = new QWidget(&window);
    page->setGeometry(20, 30, 500, 400);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QWidget dialog;
    dialog.resize(300, 140);
    const QPoint corner = page->mapToGlobal(QPoint(0, 0));
    Skin::MoveCenteredOver(&dialog, page, QPoint(0, -20));
    QCOMPARE(dialog.pos(), QPoint(corner.x() + 100, corner.y() + 130 - 20));
}

// The forms name a family Linux lacks; the labels must still come out in an installed
// family that has both Latin and CJK glyphs.
void TestSkin::formFontIsLegible()
{
    QFont font(Skin::FormFontFamily(), 11);
    QLabel label(QStringLiteral("OK 确定"));
    label.setFont(font);
    const QString used = QFontInfo(label.font()).family();
    QString expected;
    const QStringList installed = QFontDatabase().families();
    for (const QString& family : Skin::FormFontSubstitutes())
        if (expected.isEmpty() && installed.contains(family))
            expected = family;
    QCOMPARE(used, expected);
    QVERIFY(QFontDatabase().writingSystems(used).contains(QFontDatabase::Latin));
    if (used == Skin::FormFontSubstitutes().first())
        QVERIFY(QFontDatabase().writingSystems(used).contains(QFontDatabase::SimplifiedChinese));
}

VEXO_TEST_MAIN(TestSkin)
#include "tst_skin.moc"
