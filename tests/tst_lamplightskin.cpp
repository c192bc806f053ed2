#include "core/devicestate.h"
#include "helpers/devicelinkfixture.h"
#include "helpers/testenv.h"
#include "helpers/testwidgets.h"
#include "pages/lighting/lamplight.h"
#include "ui/lang/languagefilereader.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QListView>
#include <QSettings>
#include <QtTest>

#include <memory>

namespace {

// Style-sheet parse complaints while a page is built and shown.
QStringList g_styleWarnings;
QtMessageHandler g_previousHandler = nullptr;

void collectStyleWarnings(QtMsgType type, const QMessageLogContext& context, const QString& message)
{
    if (message.contains(QLatin1String("parse")) && message.contains(QLatin1String("stylesheet"), Qt::CaseInsensitive))
        g_styleWarnings << message;
    else if (g_previousHandler)
        g_previousHandler(type, context, message);
}

const char* const kColourKeys[] = {"LabelColor",  "ComboxTextColor", "ComboxBackGroundColor", "ComboxSelectColor",
                                   "SliderColor", "LinEditColorSecond"};

} // namespace

class TestLampLightSkin : public QObject
{
    Q_OBJECT

private slots:
    void cleanupTestCase();
    void skin_data();
    void skin();
};

void TestLampLightSkin::cleanupTestCase()
{
    LanguageTables::SetGlobal(LanguageTables());
}

void TestLampLightSkin::skin_data()
{
    QTest::addColumn<bool>("triples");       // every colour key holds three items, else two
    QTest::addColumn<QStringList>("widgets"); // "view": the drop-down list of LightMod
    QTest::addColumn<QString>("expected");    // %F the picture folder, %N the widget, %L its last letter

    const QString combo = QStringLiteral(
        "QComboBox{border: 1px solid gray; color: rgb(21,22,23); border-image: url(%FComboboxBack.png);}"
        "QComboBox::drop-down:button{border-radius:5px; background:rgb(31,32,33);} "
        "QComboBox::down-arrow{image: url(%FMenu.png); right: 8px; }"
        "QComboBox::down-arrow:on{ image: url(%FMenuClicked.png);}"
        "QComboBox QAbstractItemView::item{height:25px;}"
        "QComboBox QAbstractItemView {outline: 0px solid gray; border: 1px  solid gray;color: rgb(21,22,23); "
        "border-image: url(%FComboboxTextBack.png);selection-background-color: rgb(41,42,43); }"
        "QComboBox{combobox-popup: 0;}");
    const QString slider = QStringLiteral(
        "QSlider::groove:horizontal { border-radius: 2px;  height: 5px;background:#ffffff}"
        "QSlider:handle:horizontal{ border-radius: 2px;width:  6px;height: 18px;  margin-top: -9px;"
        "margin-left: -1px; margin-bottom: -9px;margin-right: -1px; border-image: url(%FHuaKuai.png);} "
        "QSlider:sub-page:horizontal{border-radius: 2px;background-color: rgb(51,52,53;);}"
        "QSlider:add-page:horizontal{border-radius: 2px;background-color: rgb(255, 255, 255);}");
    const QString channel = QStringLiteral(
        "QSpinBox{background-color: rgb(0,0,0);color: rgb(61,62,63;);border: 1px  solid gray;}"
        "QSpinBox:hover{background-color: transparent;color: rgb(61,62,63;);border: 1px  solid gray;}");
    const QString toggle = QStringLiteral(
        "QToolButton{color: rgb(255, 255, 255);border:0px;background-position:center;background-repeat:no-repeat;"
        "background-image: url(%FClose.png);}QToolButton:checked{background-image: url(%FOpen.png);}");
    const QString centred = QStringLiteral(
        "#%N{border:0px;background-position:center;background-repeat:no-repeat;background-image: url(%F%1);}");
    const QString imageFirst = QStringLiteral(
        "#%N{background-image: url(%F%1);border:0px;background-position:center;background-repeat:no-repeat;}");
    const QStringList labels{"label", "label_2", "label_3", "label_4", "label_5", "label_6", "label_8", "label_13"};
    const QStringList channelNames{"label_10", "label_11", "label_12"};
    const QStringList mirrors{"LightSpinBox_2", "SpeedSpinBox_2"};
    const QStringList boxes{"RSpinBox", "GSpinBox", "BSpinBox"};
    const QStringList sliders{"horizontalLight", "horizontalSpeed"};
    QStringList presets;
    for (char letter = 'A'; letter <= 'N'; ++letter)
        presets << QStringLiteral("toolButtonColor") + QLatin1Char(letter);

    QTest::newRow("combo") << true << QStringList{"LightMod"} << combo;
    QTest::newRow("combo list") << true << QStringList{"view"}
                                << QStringLiteral("QListView::item:selected{background-color: rgb(41,42,43);}"
                                                  "QListView::item:hover{background-color: rgb(41,42,43);}");
    QTest::newRow("titles") << true << labels << QStringLiteral("QLabel{color: rgb(11,12,13;);}");
    QTest::newRow("channel names keep the form's white") << true << channelNames
                                                         << QStringLiteral("color: rgb(255, 255, 255);");
    QTest::newRow("mirrors") << true << mirrors
                             << QStringLiteral("QSpinBox{color: rgb(11,12,13;);background-color: transparent;border: 0px;}");
    QTest::newRow("channel boxes") << true << boxes << channel;
    QTest::newRow("sliders") << true << sliders << slider;
    QTest::newRow("moving toggle") << true << QStringList{"RippeControl"} << toggle;
    QTest::newRow("colour board") << true << QStringList{"label_7"} << centred.arg(QLatin1String("ColorBoard.png"));
    QTest::newRow("reduce") << true << QStringList{"ReduceR", "ReduceG", "ReduceB"}
                            << imageFirst.arg(QLatin1String("Reduce.png"));
    QTest::newRow("add") << true << QStringList{"AddR", "AddG", "AddB"} << imageFirst.arg(QLatin1String("Add.png"));
    QTest::newRow("preview picture") << true << QStringList{"labelPreView"}
                                     << imageFirst.arg(QLatin1String("PreviewColor.png"));
    QTest::newRow("presets") << true << presets << centred.arg(QLatin1String("Color%L.png"));

    // A colour of two items is left out; pictures and the rest of each text stay.
    QTest::newRow("two items: combo")
        << false << QStringList{"LightMod"}
        << QStringLiteral("QComboBox{border: 1px solid gray; ; border-image: url(%FComboboxBack.png);}"
                          "QComboBox::drop-down:button{border-radius:5px; ;} "
                          "QComboBox::down-arrow{image: url(%FMenu.png); right: 8px; }"
                          "QComboBox::down-arrow:on{ image: url(%FMenuClicked.png);}"
                          "QComboBox QAbstractItemView::item{height:25px;}"
                          "QComboBox QAbstractItemView {outline: 0px solid gray; border: 1px  solid gray;; "
                          "border-image: url(%FComboboxTextBack.png);; }"
                          "QComboBox{combobox-popup: 0;}");
    QTest::newRow("two items: combo list") << false << QStringList{"view"} << QString();
    QTest::newRow("two items: titles") << false << labels << QString();
    QTest::newRow("two items: mirrors") << false << mirrors
                                        << QStringLiteral("QSpinBox{background-color: transparent;border: 0px;}");
    QTest::newRow("two items: channel boxes")
        << false << boxes
        << QStringLiteral("QSpinBox{background-color: rgb(0,0,0);border: 1px  solid gray;}"
                          "QSpinBox:hover{background-color: transparent;border: 1px  solid gray;}");
    QTest::newRow("two items: sliders") << false << sliders << QString(slider).replace(
        QLatin1String("background-color: rgb(51,52,53;);"), QString());
    QTest::newRow("two items: moving toggle") << false << QStringList{"RippeControl"} << toggle;
}

void TestLampLightSkin::skin()
{
    QFETCH(bool, triples);
    QFETCH(QStringList, widgets);
    QFETCH(QString, expected);
    DeviceLinkFixture fixture(TestEnv::Installation::PrivateCopy);
    {
        QSettings config(fixture.installation().path() + QStringLiteral("/usersetting/Config.ini"),
                         QSettings::IniFormat);
        int tens = 1;
        for (const char* key : kColourKeys) {
            QStringList items{QString::number(10 * tens + 1), QString::number(10 * tens + 2)};
            if (triples)
                items << QString::number(10 * tens + 3);
            config.setValue(QStringLiteral("Option/") + QLatin1String(key), items);
            ++tens;
        }
    }
    LoadLanguageFiles();
    g_styleWarnings.clear();
    g_previousHandler = qInstallMessageHandler(collectStyleWarnings);
    auto page = std::make_unique<LampLight>(nullptr);
    page->show();
    const bool exposed = QTest::qWaitForWindowExposed(page.get());
    qInstallMessageHandler(g_previousHandler);
    QVERIFY(exposed);
    QVERIFY2(g_styleWarnings.isEmpty(), qPrintable(g_styleWarnings.join(QLatin1Char('\n'))));

    const QString folder = fixture.installation().path() + QStringLiteral("/Picture/Light/");
    for (const QString& name : widgets) {
        QString text = expected;
        text.replace(QLatin1String("%F"), folder).replace(QLatin1String("%N"), name).replace(QLatin1String("%L"),
                                                                                             name.right(1));
        const QWidget* widget = nullptr;
        if (name == QLatin1String("view")) {
            auto* box = TestEnv::NamedChild<QComboBox>(page.get(), "LightMod");
            QVERIFY(qobject_cast<QListView*>(box->view()));
            QCOMPARE(box->maxVisibleItems(), 5);
            widget = box->view();
        } else {
            widget = TestEnv::NamedChild<QWidget>(page.get(), qPrintable(name));
        }
        QVERIFY2(widget->styleSheet() == text,
                 qPrintable(name + QStringLiteral(":\n  actual   ") + widget->styleSheet()
                            + QStringLiteral("\n  expected ") + text));
    }
}

VEXO_TEST_MAIN(TestLampLightSkin)
#include "tst_lamplightskin.moc"
