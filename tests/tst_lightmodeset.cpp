#include "core/postmsg.h"
#include "helpers/testenv.h"
#include "helpers/testwidgets.h"
#include "pages/lighting/lightmodeset.h"
#include "ui/lang/langtext.h"
#include "ui/lang/languagefilereader.h"
#include "ui/widgets/screencolor.h"
#include "ui/widgets/skin.h"

#include <QComboBox>
#include <QCursor>
#include <QLabel>
#include <QListView>
#include <QSettings>
#include <QSignalSpy>
#include <QSlider>
#include <QSpinBox>
#include <QToolButton>
#include <QtTest>

#include <memory>

namespace {

const QStringList ColourGroup = {"label_6",  "label_7",  "label_8",  "labelPreView", "label_11", "label_10",
                                 "label_12", "ReduceR",  "ReduceG",  "ReduceB",      "RSpinBox", "GSpinBox",
                                 "BSpinBox", "AddR",     "AddG",     "AddB",         "label_13"};

QStringList presetNames()
{
    QStringList names;
    for (char c = 'A'; c <= 'N'; ++c)
        names << QStringLiteral("toolButtonColor") + QLatin1Char(c);
    return names;
}

// A plain window of one colour, to pick from.
std::unique_ptr<QWidget> colourWindow(const QRect& geometry, const QColor& colour)
{
    auto window = std::make_unique<QWidget>(nullptr, Qt::FramelessWindowHint);
    window->setAutoFillBackground(true);
    QPalette palette = window->palette();
    palette.setColor(QPalette::Window, colour);
    window->setPalette(palette);
    window->setGeometry(geometry);
    window->show();
    return window;
}

} // namespace

class TestLightModeSet : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void builtInModeZero();
    void layout_data();
    void layout();
    void steppers_data();
    void steppers();
    void presets_data();
    void presets();
    void closeSignalsAndCloses();
    void pressOutsideTheBoxesTakesTheFocus();
    void pickFromTheScreen_data();
    void pickFromTheScreen();
    void skin();
    void shortColourListLeavesTheColourOut();
    void texts();

private:
    template <typename T = QWidget>
    T* child(const QString& name) const { return m_dialog->findChild<T*>(name); }
    QSpinBox* box(char channel) const { return child<QSpinBox>(QLatin1Char(channel) + QStringLiteral("SpinBox")); }
    void makeDialog();

    std::unique_ptr<TestEnv::Installation> m_install;
    std::unique_ptr<LightModeSet> m_dialog;
};

void TestLightModeSet::init()
{
    m_install = std::make_unique<TestEnv::Installation>(TestEnv::Installation::PrivateCopy);
    LoadLanguageFiles();
}

void TestLightModeSet::makeDialog()
{
    m_dialog = std::make_unique<LightModeSet>(nullptr);
}

void TestLightModeSet::cleanup()
{
    ScreenColor::SetScaleForTests({});
    m_dialog.reset();
    m_install.reset();
}

void TestLightModeSet::builtInModeZero()
{
    makeDialog();
    QCOMPARE(m_dialog->windowFlags() & ~Qt::Dialog, Skin::DialogWindowFlags() & ~Qt::Dialog);
    QCOMPARE(m_dialog->size(), QSize(638, 318));
    auto* mode = child<QComboBox>("LightMod");
    QCOMPARE(mode->count(), 6);
    QCOMPARE(mode->currentIndex(), 0);
    QCOMPARE(mode->itemText(3), QString::fromUtf8("混色常亮"));
    QVERIFY(qobject_cast<QListView*>(mode->view()));
    QCOMPARE(mode->maxVisibleItems(), 5);
    for (const char* name : {"horizontalLight", "horizontalSpeed"}) {
        auto* slider = child<QSlider>(name);
        QCOMPARE(slider->minimum(), 1);
        QCOMPARE(slider->maximum(), 10);
        QVERIFY(!slider->hasTracking());
    }
    for (char c : {'R', 'G', 'B'}) {
        QCOMPARE(box(c)->value(), 0);
        QCOMPARE(box(c)->maximum(), 255);
    }
    QVERIFY(child("labelPreView")->styleSheet().contains(QLatin1String("PreviewColor.png")));
}

void TestLightModeSet::layout_data()
{
    QTest::addColumn<int>("mode");
    QTest::addColumn<bool>("line");
    QTest::addColumn<bool>("line2");
    QTest::addColumn<bool>("colour");
    QTest::addColumn<bool>("brightness");
    QTest::addColumn<bool>("speed");

    QTest::newRow("0 off") << 0 << true << true << false << false << false;
    QTest::newRow("1 colour flow") << 1 << false << false << false << true << true;
    QTest::newRow("2 breathing") << 2 << false << false << true << true << true;
    QTest::newRow("3 steady") << 3 << false << true << true << true << false;
    QTest::newRow("4 neon") << 4 << false << false << false << true << true;
    QTest::newRow("5 colour breathing") << 5 << false << false << false << true << true;
}

void TestLightModeSet::layout()
{
    QFETCH(int, mode);
    QFETCH(bool, line);
    QFETCH(bool, line2);
    QFETCH(bool, colour);
    QFETCH(bool, brightness);
    QFETCH(bool, speed);

    makeDialog();
    // From another mode, so every switch is seen.
    child<QComboBox>("LightMod")->setCurrentIndex(mode == 2 ? 0 : 2);
    child<QComboBox>("LightMod")->setCurrentIndex(mode);
    QCOMPARE(!child("line")->isHidden(), line);
    QCOMPARE(!child("line_2")->isHidden(), line2);
    QCOMPARE(!child("horizontalLight")->isHidden(), brightness);
    QCOMPARE(!child("horizontalSpeed")->isHidden(), speed);
    for (const QString& name : ColourGroup + presetNames())
        QVERIFY2(!child(name)->isHidden() == colour, qPrintable(name));
    for (const char* caption : {"label", "label_2", "label_3"})
        QVERIFY(!child(caption)->isHidden());
}

void TestLightModeSet::steppers_data()
{
    QTest::addColumn<char>("channel");
    QTest::addColumn<QString>("button");
    QTest::addColumn<int>("from");
    QTest::addColumn<int>("to");

    QTest::newRow("R up") << 'R' << "AddR" << 10 << 11;
    QTest::newRow("G down") << 'G' << "ReduceG" << 10 << 9;
    QTest::newRow("B up at 255 stays") << 'B' << "AddB" << 255 << 255;
    QTest::newRow("R down at 0 stays") << 'R' << "ReduceR" << 0 << 0;
}

void TestLightModeSet::steppers()
{
    QFETCH(char, channel);
    QFETCH(QString, button);
    QFETCH(int, from);
    QFETCH(int, to);

    makeDialog();
    box(channel)->setValue(from);
    const QString before = child("labelPreView")->styleSheet();
    child<QToolButton>(button)->click();
    QCOMPARE(box(channel)->value(), to);
    if (from == to) {
        QCOMPARE(child("labelPreView")->styleSheet(), before);
        return;
    }
    QCOMPARE(child("labelPreView")->styleSheet(),
             QStringLiteral("QLabel{background-color: rgb(%1,%2,%3);border: 2px solid  rgb(220,220,220);}")
                 .arg(box('R')->value())
                 .arg(box('G')->value())
                 .arg(box('B')->value()));
}

void TestLightModeSet::presets_data()
{
    QTest::addColumn<QString>("button");
    QTest::addColumn<QColor>("colour");
    QTest::newRow("A") << "toolButtonColorA" << QColor(255, 0, 0);
    QTest::newRow("H") << "toolButtonColorH" << QColor(227, 0, 127);
    QTest::newRow("N") << "toolButtonColorN" << QColor(208, 113, 173);
}

void TestLightModeSet::presets()
{
    QFETCH(QString, button);
    QFETCH(QColor, colour);
    makeDialog();
    child<QToolButton>("LightMod"); // the presets work in every mode, shown or not
    child<QToolButton>(button)->click();
    QCOMPARE(QColor(box('R')->value(), box('G')->value(), box('B')->value()), colour);
    QCOMPARE(child("labelPreView")->styleSheet(),
             QStringLiteral("QLabel{background-color: rgb(%1,%2,%3);border: 2px solid  rgb(220,220,220);}")
                 .arg(colour.red())
                 .arg(colour.green())
                 .arg(colour.blue()));
}

void TestLightModeSet::closeSignalsAndCloses()
{
    makeDialog();
    m_dialog->show();
    QSignalSpy check(PostMsg::instance(), &PostMsg::SigButtonCheck);
    child<QToolButton>("CloseButton")->click();
    QCOMPARE(check.count(), 1);
    QVERIFY(!m_dialog->isVisible());
}

void TestLightModeSet::pressOutsideTheBoxesTakesTheFocus()
{
    makeDialog();
    child<QComboBox>("LightMod")->setCurrentIndex(3);
    m_dialog->show();
    QVERIFY(QTest::qWaitForWindowActive(m_dialog.get()));
    box('G')->setFocus();
    QTRY_VERIFY(box('G')->hasFocus());
    // A press on a caption reaches the dialog.
    QTest::mousePress(child("label_2"), Qt::LeftButton, {}, QPoint(3, 3));
    QVERIFY(!box('G')->hasFocus());
    QVERIFY(m_dialog->hasFocus());
}

void TestLightModeSet::pickFromTheScreen_data()
{
    QTest::addColumn<QPoint>("cursor");
    QTest::addColumn<double>("scale");
    QTest::addColumn<bool>("picked");

    QTest::newRow("over the window") << QPoint(710, 510) << 1.0 << true;
    QTest::newRow("1.5: cursor at 100, 200 grabs at 150, 300") << QPoint(100, 200) << 1.5 << true;
    QTest::newRow("outside every screen") << QPoint(-500, -500) << 1.0 << false;
}

void TestLightModeSet::pickFromTheScreen()
{
    QFETCH(QPoint, cursor);
    QFETCH(double, scale);
    QFETCH(bool, picked);

    const QColor colour(12, 200, 34);
    // Covers (150, 300) and (710, 510), not (100, 200).
    const QRect area = scale == 1.0 ? QRect(700, 500, 40, 40) : QRect(140, 290, 30, 30);
    auto window = colourWindow(area, colour);
    QVERIFY(QTest::qWaitForWindowExposed(window.get()));
    ScreenColor::SetScaleForTests([scale] { return QPointF(scale, scale); });
    makeDialog();
    child<QComboBox>("LightMod")->setCurrentIndex(2);
    m_dialog->move(0, 0);
    m_dialog->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_dialog.get()));
    box('R')->setValue(1);
    box('G')->setValue(2);
    box('B')->setValue(3);
    const QString before = child("labelPreView")->styleSheet();

    QCursor::setPos(cursor);
    QTest::mousePress(child("label_7"), Qt::LeftButton, {}, QPoint(5, 5));

    const QColor expected = picked ? colour : QColor(1, 2, 3);
    QCOMPARE(QColor(box('R')->value(), box('G')->value(), box('B')->value()), expected);
    if (!picked)
        QCOMPARE(child("labelPreView")->styleSheet(), before);
}

void TestLightModeSet::skin()
{
    makeDialog();
    const QString f = Skin::Folder(QStringLiteral("ScreeInfo"));
    const auto url = [&f](const char* image) { return QStringLiteral("url(") + f + QLatin1String(image) + QLatin1Char(')'); };
    QCOMPARE(child("label_13")->styleSheet(), QStringLiteral("QLabel{color: rgb(224,224,224;);}"));
    QCOMPARE(child("ReduceG")->styleSheet(), QStringLiteral("#ReduceG{background-image: ") + url("Reduce.png")
                                                 + QStringLiteral(";border:0px;background-position:center;background-repeat:no-repeat;}"));
    QCOMPARE(child("AddB")->styleSheet(), QStringLiteral("#AddB{background-image: ") + url("Add.png")
                                              + QStringLiteral(";border:0px;background-position:center;background-repeat:no-repeat;}"));
    QCOMPARE(child("LightModeSetframe")->styleSheet(),
             QStringLiteral("#LightModeSetframe{border:0px;background-position:center;background-repeat:no-repeat;"
                            "background-image: ")
                 + url("Back.png") + QStringLiteral(";}"));
    QCOMPARE(child("CloseButton")->styleSheet(),
             QStringLiteral("QToolButton{border:0px;background-image: ") + url("CloseButton.png")
                 + QStringLiteral(";background-position:center;background-repeat:no-repeat;}QToolButton:hover{"
                                  "background-image: ")
                 + url("CloseHover.png") + QStringLiteral(";}QToolButton:pressed{background-image: ")
                 + url("CloseClick.png") + QStringLiteral(";}"));
    QCOMPARE(box('G')->styleSheet(),
             QStringLiteral("QSpinBox{background-color: rgb(0,0,0);color: rgb(240,240,240;);border: 1px  solid gray;}"
                            "QSpinBox:hover{background-color: transparent;color: rgb(240,240,240;);border: 1px  solid "
                            "gray;}"));
    QCOMPARE(child("LightMod")->styleSheet(),
             QStringLiteral("QComboBox{border: 1px solid gray; color: rgb(224,224,224); border-image: ")
                 + url("ComboboxBack.png")
                 + QStringLiteral(";}QComboBox::drop-down:button{border-radius:5px; background:rgb(45,45,48);} "
                                  "QComboBox::down-arrow{image: ")
                 + url("Menu.png") + QStringLiteral("; right: 8px; }QComboBox::down-arrow:on{ image: ")
                 + url("MenuClicked.png")
                 + QStringLiteral(";}QComboBox QAbstractItemView::item{height:25px;}QComboBox QAbstractItemView "
                                  "{outline: 0px solid gray; border: 1px  solid gray;color: rgb(224,224,224); "
                                  "border-image: ")
                 + url("ComboboxTextBack.png")
                 + QStringLiteral(";selection-background-color: rgb(0,120,215); }") + Skin::ListPopupRule());
    QCOMPARE(child<QComboBox>("LightMod")->view()->styleSheet(),
             QStringLiteral("QListView::item:selected{background-color: rgb(0,120,215);}QListView::item:hover{"
                            "background-color: rgb(0,120,215);}"));
    QCOMPARE(child("horizontalSpeed")->styleSheet(),
             QStringLiteral("QSlider::groove:horizontal { border-radius: 2px;  height: 5px;background:#ffffff}"
                            "QSlider:handle:horizontal{ border-radius: 2px;width:  6px;height: 18px;  margin-top: "
                            "-9px;margin-left: -1px; margin-bottom: -9px;margin-right: -1px; border-image: ")
                 + url("Slider.png")
                 + QStringLiteral(";} QSlider:sub-page:horizontal{border-radius: 2px;background-color: rgb(0,120,215;"
                                  ");}QSlider:add-page:horizontal{border-radius: 2px;background-color: rgb(255, 255, "
                                  "255);}"));
    QCOMPARE(child("labelPreView")->styleSheet(), QStringLiteral("#labelPreView{background-image: ")
                                                      + url("PreviewColor.png")
                                                      + QStringLiteral(";border:0px;background-position:center;"
                                                                       "background-repeat:no-repeat;}"));
    QCOMPARE(child("toolButtonColorK")->styleSheet(),
             QStringLiteral("#toolButtonColorK{border:0px;background-position:center;background-repeat:no-repeat;"
                            "background-image: ")
                 + url("ColorK.png") + QStringLiteral(";}"));
    QCOMPARE(child("label_7")->styleSheet(),
             QStringLiteral("#label_7{border:0px;background-position:center;background-repeat:no-repeat;"
                            "background-image: ")
                 + url("ColorBoard.png") + QStringLiteral(";}"));
}

void TestLightModeSet::shortColourListLeavesTheColourOut()
{
    {
        QSettings config(m_install->path() + QStringLiteral("/usersetting/Config.ini"), QSettings::IniFormat);
        config.setValue(QStringLiteral("Option/LinEditColorSecond"), QStringList{"1", "2"});
        config.setValue(QStringLiteral("Option/SliderColor"), QStringList{"7"});
    }
    makeDialog();
    QCOMPARE(box('R')->styleSheet(), QStringLiteral("QSpinBox{background-color: rgb(0,0,0);border: 1px  solid gray;}"
                                                    "QSpinBox:hover{background-color: transparent;border: 1px  solid "
                                                    "gray;}"));
    QVERIFY(child("horizontalLight")->styleSheet().contains(
        QLatin1String("QSlider:sub-page:horizontal{border-radius: 2px;}")));
}

void TestLightModeSet::texts()
{
    // Nothing connects the dialog to the language: it keeps its own texts until told.
    makeDialog();
    PostMsg::instance()->EmitAllLanguage(1);
    QCOMPARE(child<QLabel>("label")->text(), QString::fromUtf8("灯光模式"));
    for (int language : {0, 1}) {
        m_dialog->SlotAllLanguage(language);
        const auto text = [language](int position) { return LangText(LangTable::ScreenInfoTexts, language, position); };
        QVERIFY(!text(5).isEmpty());
        QCOMPARE(child<QLabel>("label")->text(), text(5));
        QCOMPARE(child<QLabel>("label_2")->text(), text(13));
        QCOMPARE(child<QLabel>("label_11")->text(), text(18));
        QCOMPARE(child<QLabel>("label_12")->text(), text(20));
        QCOMPARE(child<QComboBox>("LightMod")->itemText(0), text(6));
        QCOMPARE(child<QComboBox>("LightMod")->itemText(5), text(11));
        QCOMPARE(child<QComboBox>("LightMod")->count(), 6);
    }
}

VEXO_TEST_MAIN(TestLightModeSet)
#include "tst_lightmodeset.moc"
