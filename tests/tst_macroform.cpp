#include "helpers/testwidgets.h"
#include "ui/widgets/myconmbobox.h"

#include "ui_macro.h"

#include <QApplication>
#include <QCheckBox>
#include <QFrame>
#include <QGridLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QSpinBox>
#include <QToolButton>
#include <QtTest>

#include <memory>
#include <vector>

namespace {

const QString kYaHei = QStringLiteral("微软雅黑");

struct Control
{
    QString name;
    QString className;
    QRect geometry;
    bool fixedSize; // minimum and maximum both equal the size
};

// Every control of the page frame, in creation order (later ones lie above earlier ones).
const std::vector<Control>& frameControls()
{
    static const std::vector<Control> rows = {
        {"label", "QLabel", {70, 60, 141, 17}, false},
        {"listWidgetHong", "QListWidget", {70, 87, 261, 421}, false},
        {"label_2", "QLabel", {350, 60, 201, 17}, false},
        {"listWidgetKey", "QListWidget", {350, 87, 261, 421}, false},
        {"StartRecord", "QPushButton", {637, 57, 190, 32}, true},
        {"StopRecord", "QPushButton", {637, 57, 190, 32}, true},
        {"AutoInsertDelay", "QCheckBox", {640, 100, 20, 20}, false},
        {"AutoInsertDelayLabel", "QLabel", {660, 100, 201, 41}, false},
        {"DefaultDelay", "QCheckBox", {640, 142, 211, 20}, false},
        {"DelayTime", "QSpinBox", {660, 167, 76, 30}, false},
        {"ReUntilLoose", "QCheckBox", {640, 217, 21, 20}, false},
        {"ReUntilLooseLabel", "QLabel", {660, 215, 201, 41}, false},
        {"ReUntilClick", "QCheckBox", {640, 257, 21, 20}, false},
        {"ReUntilClickLabel", "QLabel", {660, 255, 201, 41}, false},
        {"ReUntil", "QCheckBox", {640, 297, 16, 17}, false},
        {"ReUntilLabel", "QLabel", {660, 295, 201, 41}, false},
        {"ReNumber", "QCheckBox", {640, 337, 191, 17}, false},
        {"NumberEdit", "QSpinBox", {660, 362, 76, 30}, false},
        {"label_3", "QLabel", {640, 407, 181, 16}, false},
        {"ChooseEvent", "MyConmboBox", {640, 432, 181, 30}, false},
        {"Save", "QToolButton", {640, 477, 116, 30}, true},
        {"NewHong", "QToolButton", {70, 530, 116, 30}, true},
        {"DeleteHong", "QToolButton", {200, 530, 116, 30}, true},
        {"Amend", "QToolButton", {350, 530, 116, 30}, true},
        {"DeleteKey", "QToolButton", {485, 530, 116, 30}, true},
    };
    return rows;
}

const QStringList kToolButtons = {"Save", "NewHong", "DeleteHong", "Amend", "DeleteKey"};
const QStringList kCheckBoxes = {"AutoInsertDelay", "DefaultDelay", "ReUntilLoose",
                                 "ReUntilClick", "ReUntil", "ReNumber"};

bool isA(const QWidget* widget, const QString& className)
{
    // MyConmboBox declares no meta-object of its own.
    if (className == QLatin1String("MyConmboBox"))
        return dynamic_cast<const MyConmboBox*>(widget) != nullptr;
    return QLatin1String(widget->metaObject()->className()) == className;
}

QString pairName(const QString& a, const QString& b)
{
    return a < b ? a + QLatin1Char('+') + b : b + QLatin1Char('+') + a;
}

} // namespace

class TestMacroForm : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void page();
    void controls_data();
    void controls();
    void overlaps();
    void captions_data();
    void captions();
    void chooser();
    void spinBoxes_data();
    void spinBoxes();
    void lists_data();
    void lists();
    void focusPolicies_data();
    void focusPolicies();
    void fonts_data();
    void fonts();
    void checkStates_data();
    void checkStates();
    void buttons();
    void scrollBarSheet();

private:
    template <typename T = QWidget>
    T* find(const QString& name) const
    {
        return m_host->findChild<T*>(name);
    }

    std::unique_ptr<QWidget> m_host;
    std::unique_ptr<Ui::Macro> m_form;
};

void TestMacroForm::init()
{
    m_host = std::make_unique<QWidget>();
    m_form = std::make_unique<Ui::Macro>();
    m_form->setupUi(m_host.get());
}

void TestMacroForm::cleanup()
{
    m_host.reset();
    m_form.reset();
}

void TestMacroForm::page()
{
    QCOMPARE(m_host->objectName(), QStringLiteral("Macro"));
    QCOMPARE(m_host->windowTitle(), QStringLiteral("Form"));
    QCOMPARE(m_host->size(), QSize(883, 630));
    QCOMPARE(m_host->minimumSize(), QSize(883, 630));
    QCOMPARE(m_host->maximumSize(), QSize(883, 630));
    QCOMPARE(m_host->sizePolicy().horizontalPolicy(), QSizePolicy::Fixed);
    QCOMPARE(m_host->sizePolicy().verticalPolicy(), QSizePolicy::Fixed);

    auto* grid = qobject_cast<QGridLayout*>(m_host->layout());
    QVERIFY(grid);
    QCOMPARE(grid->objectName(), QStringLiteral("gridLayout"));
    QCOMPARE(grid->contentsMargins(), QMargins(0, 0, 0, 0));
    QCOMPARE(grid->horizontalSpacing(), 0);
    QCOMPARE(grid->verticalSpacing(), 0);
    QCOMPARE(grid->count(), 1);
    int row = -1, column = -1, rowSpan = 0, columnSpan = 0;
    grid->getItemPosition(0, &row, &column, &rowSpan, &columnSpan);
    QCOMPARE(QList<int>({row, column, rowSpan, columnSpan}), QList<int>({0, 0, 1, 1}));

    auto* frame = find<QFrame>(QStringLiteral("MacroPage"));
    QVERIFY(frame);
    QCOMPARE(grid->itemAt(0)->widget(), frame);
    QCOMPARE(frame->parentWidget(), m_host.get());
    QCOMPARE(frame->frameShape(), QFrame::StyledPanel);
    QCOMPARE(frame->frameShadow(), QFrame::Raised);
    QCOMPARE(frame->minimumSize(), QSize(883, 630));
    QCOMPARE(frame->maximumSize(), QSize(883, 630));
    QCOMPARE(frame->sizePolicy().horizontalPolicy(), QSizePolicy::Fixed);
    QCOMPARE(frame->sizePolicy().verticalPolicy(), QSizePolicy::Fixed);
    // The frame covers the page from its origin: the page compares presses with the frame's places.
    grid->activate();
    QCOMPARE(frame->geometry(), QRect(0, 0, 883, 630));
    QVERIFY(!frame->layout());

    // Exactly the listed controls, in creation order.
    QStringList expected;
    for (const Control& c : frameControls())
        expected << c.name;
    QStringList children;
    for (const QObject* child : frame->children()) {
        if (child->isWidgetType())
            children << child->objectName();
    }
    QCOMPARE(children, expected);
}

void TestMacroForm::controls_data()
{
    QTest::addColumn<QString>("className");
    QTest::addColumn<QRect>("geometry");
    QTest::addColumn<bool>("fixedSize");
    for (const Control& c : frameControls())
        QTest::newRow(qPrintable(c.name)) << c.className << c.geometry << c.fixedSize;
}

void TestMacroForm::controls()
{
    QFETCH(QString, className);
    QFETCH(QRect, geometry);
    QFETCH(bool, fixedSize);
    QWidget* widget = find(QString::fromLatin1(QTest::currentDataTag()));
    QVERIFY(widget);
    QVERIFY2(isA(widget, className), widget->metaObject()->className());
    QCOMPARE(widget->parentWidget()->objectName(), QStringLiteral("MacroPage"));
    QCOMPARE(widget->geometry(), geometry);
    QCOMPARE(widget->minimumSize(), fixedSize ? geometry.size() : QSize(0, 0));
    QCOMPARE(widget->maximumSize(), fixedSize ? geometry.size() : QSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX));
    QVERIFY(widget->isEnabled());
    QVERIFY(widget->isVisibleTo(m_host.get()));
}

void TestMacroForm::overlaps()
{
    // The only places that touch: the two record buttons share one (one is always hidden), and
    // the repeat captions run one pixel into their check boxes and into each other.
    const QMap<QString, QRect> expected = {
        {pairName("StartRecord", "StopRecord"), QRect(637, 57, 190, 32)},
        {pairName("ReUntilLoose", "ReUntilLooseLabel"), QRect(660, 217, 1, 20)},
        {pairName("ReUntilClick", "ReUntilClickLabel"), QRect(660, 257, 1, 20)},
        {pairName("ReUntilLooseLabel", "ReUntilClickLabel"), QRect(660, 255, 201, 1)},
        {pairName("ReUntilClickLabel", "ReUntilLabel"), QRect(660, 295, 201, 1)},
    };
    QMap<QString, QRect> found;
    const std::vector<Control>& rows = frameControls();
    for (size_t i = 0; i < rows.size(); ++i) {
        for (size_t j = i + 1; j < rows.size(); ++j) {
            const QRect shared = find(rows[i].name)->geometry() & find(rows[j].name)->geometry();
            if (!shared.isEmpty())
                found.insert(pairName(rows[i].name, rows[j].name), shared);
        }
    }
    QCOMPARE(found, expected);
    // Everything lies inside the frame, clear of its one-pixel border.
    for (const Control& c : rows)
        QVERIFY2(QRect(1, 1, 881, 628).contains(find(c.name)->geometry()), qPrintable(c.name));
}

void TestMacroForm::captions_data()
{
    QTest::addColumn<QString>("text");
    const char* const texts[][2] = {
        {"label", "宏列表"},
        {"label_2", "按键列表"},
        {"StartRecord", "开始录制宏"},
        {"StopRecord", "停止录制宏"},
        {"AutoInsertDelay", ""},
        {"AutoInsertDelayLabel", "按键列表"},
        {"DefaultDelay", "默认延时"},
        {"ReUntilLoose", ""},
        {"ReUntilLooseLabel", "按键列表"},
        {"ReUntilClick", ""},
        {"ReUntilClickLabel", "按键列表"},
        {"ReUntil", ""},
        {"ReUntilLabel", "按键列表"},
        {"ReNumber", "循环次数"},
        {"label_3", "插入事件"},
        {"Save", "删除"},
        {"NewHong", "新建宏"},
        {"DeleteHong", "删除"},
        {"Amend", "修改"},
        {"DeleteKey", "删除"},
    };
    for (const auto& row : texts)
        QTest::newRow(row[0]) << QString::fromUtf8(row[1]);
}

void TestMacroForm::captions()
{
    QFETCH(QString, text);
    QWidget* widget = find(QString::fromLatin1(QTest::currentDataTag()));
    QVERIFY(widget);
    QCOMPARE(widget->property("text").toString(), text);
    QVERIFY(widget->toolTip().isEmpty());
}

void TestMacroForm::chooser()
{
    auto* box = find<QComboBox>(QStringLiteral("ChooseEvent"));
    QVERIFY(box);
    // Index = event kind: the page's insert command reads the index, not the text.
    const QStringList items = {"", "按键按下", "按键释放", "延时", "左键", "右键", "中键", "前进键", "后退键"};
    QCOMPARE(TestEnv::ComboItemTexts(box), items);
    QCOMPARE(box->currentIndex(), 0);
    QCOMPARE(box->maxVisibleItems(), 5);
    QVERIFY(!box->isEditable());
}

void TestMacroForm::spinBoxes_data()
{
    QTest::addColumn<int>("minimum");
    QTest::addColumn<int>("maximum");
    QTest::addColumn<int>("value");
    QTest::newRow("DelayTime") << 10 << 99999 << 10;
    QTest::newRow("NumberEdit") << 1 << 250 << 1;
}

void TestMacroForm::spinBoxes()
{
    QFETCH(int, minimum);
    QFETCH(int, maximum);
    QFETCH(int, value);
    auto* box = find<QSpinBox>(QString::fromLatin1(QTest::currentDataTag()));
    QVERIFY(box);
    QCOMPARE(box->minimum(), minimum);
    QCOMPARE(box->maximum(), maximum);
    QCOMPARE(box->value(), value);
    QCOMPARE(box->buttonSymbols(), QAbstractSpinBox::NoButtons);
    QCOMPARE(box->alignment(), Qt::AlignCenter);
    QVERIFY(!box->isReadOnly());
    QVERIFY(box->keyboardTracking());
}

void TestMacroForm::lists_data()
{
    QTest::addColumn<Qt::ContextMenuPolicy>("menu");
    QTest::newRow("listWidgetHong") << Qt::CustomContextMenu;
    QTest::newRow("listWidgetKey") << Qt::DefaultContextMenu;
}

void TestMacroForm::lists()
{
    QFETCH(Qt::ContextMenuPolicy, menu);
    auto* list = find<QListWidget>(QString::fromLatin1(QTest::currentDataTag()));
    QVERIFY(list);
    QCOMPARE(list->contextMenuPolicy(), menu);
    QVERIFY(list->hasAutoScroll());
    QCOMPARE(list->verticalScrollBarPolicy(), Qt::ScrollBarAsNeeded);
    QCOMPARE(list->horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);
    QCOMPARE(list->count(), 0);
}

void TestMacroForm::focusPolicies_data()
{
    QTest::addColumn<Qt::FocusPolicy>("policy");
    // Recorded keys and the window's Space must never act on a control: only the macro list and
    // the two numbers take the focus, and only by a click.
    QTest::newRow("listWidgetHong") << Qt::ClickFocus;
    QTest::newRow("listWidgetKey") << Qt::NoFocus;
    QTest::newRow("StartRecord") << Qt::NoFocus;
    QTest::newRow("StopRecord") << Qt::NoFocus;
    QTest::newRow("ChooseEvent") << Qt::NoFocus;
    QTest::newRow("DelayTime") << Qt::ClickFocus;
    QTest::newRow("NumberEdit") << Qt::ClickFocus;
    for (const QString& name : kToolButtons + kCheckBoxes)
        QTest::newRow(qPrintable(name)) << Qt::NoFocus;
    for (const char* name : {"label", "label_2", "label_3", "AutoInsertDelayLabel", "ReUntilLooseLabel",
                             "ReUntilClickLabel", "ReUntilLabel"})
        QTest::newRow(name) << Qt::NoFocus;
}

void TestMacroForm::focusPolicies()
{
    QFETCH(Qt::FocusPolicy, policy);
    QWidget* widget = find(QString::fromLatin1(QTest::currentDataTag()));
    QVERIFY(widget);
    QCOMPARE(widget->focusPolicy(), policy);
}

void TestMacroForm::fonts_data()
{
    QTest::addColumn<QString>("family");
    QTest::addColumn<int>("points");
    for (const char* name : {"listWidgetHong", "listWidgetKey", "label", "label_2", "label_3", "ChooseEvent",
                             "AutoInsertDelay", "ReUntilClick", "ReUntil"})
        QTest::newRow(name) << kYaHei << 11;
    for (const QString& name : kToolButtons)
        QTest::newRow(qPrintable(name)) << kYaHei << 11;
    for (const char* name : {"ReNumber", "DefaultDelay", "AutoInsertDelayLabel", "ReUntilLooseLabel",
                             "ReUntilClickLabel", "ReUntilLabel"})
        QTest::newRow(name) << kYaHei << 10;
    QTest::newRow("StartRecord") << kYaHei << 9;
    QTest::newRow("StopRecord") << kYaHei << 9;
    QTest::newRow("DelayTime") << "Arial" << 12;
    QTest::newRow("NumberEdit") << "Arial" << 12;
    // Its caption is a separate label: the box keeps the application's font.
    const QFont plain = QApplication::font("QCheckBox");
    QTest::newRow("ReUntilLoose") << plain.family() << plain.pointSize();
}

void TestMacroForm::fonts()
{
    QFETCH(QString, family);
    QFETCH(int, points);
    QWidget* widget = find(QString::fromLatin1(QTest::currentDataTag()));
    QVERIFY(widget);
    QCOMPARE(widget->font().family(), family);
    QCOMPARE(widget->font().pointSize(), points);
    QCOMPARE(widget->font().weight(), int(QFont::Normal));
    QVERIFY(!widget->font().italic());
}

void TestMacroForm::checkStates_data()
{
    QTest::addColumn<bool>("checked");
    // The page groups the boxes; the form already starts with one delay source and one repeat mode.
    QTest::newRow("AutoInsertDelay") << true;
    QTest::newRow("DefaultDelay") << false;
    QTest::newRow("ReUntilLoose") << false;
    QTest::newRow("ReUntilClick") << false;
    QTest::newRow("ReUntil") << false;
    QTest::newRow("ReNumber") << true;
}

void TestMacroForm::checkStates()
{
    QFETCH(bool, checked);
    auto* box = find<QCheckBox>(QString::fromLatin1(QTest::currentDataTag()));
    QVERIFY(box);
    QCOMPARE(box->isChecked(), checked);
    QVERIFY(box->isCheckable());
    QVERIFY(!box->isTristate());
}

void TestMacroForm::buttons()
{
    const QList<QToolButton*> tools = m_host->findChildren<QToolButton*>();
    QStringList names;
    for (QToolButton* button : tools) {
        names << button->objectName();
        QVERIFY2(button->autoRaise(), qPrintable(button->objectName()));
        QVERIFY2(!button->isCheckable(), qPrintable(button->objectName()));
    }
    names.sort();
    QStringList expected = kToolButtons;
    expected.sort();
    QCOMPARE(names, expected);

    for (const char* name : {"StartRecord", "StopRecord"}) {
        auto* button = find<QPushButton>(QLatin1String(name));
        QVERIFY(button);
        QVERIFY(!button->isCheckable());
        QVERIFY(!button->isDefault());
        QVERIFY(!button->autoDefault());
    }

    // The captions beside the check boxes start level with their box and wrap onto a second
    // line rather than being cut.
    for (const char* name : {"AutoInsertDelayLabel", "ReUntilLooseLabel", "ReUntilClickLabel", "ReUntilLabel"}) {
        const auto* caption = find<QLabel>(QLatin1String(name));
        QCOMPARE(caption->alignment(), Qt::AlignLeft | Qt::AlignTop);
        QVERIFY(caption->wordWrap());
    }
}

void TestMacroForm::scrollBarSheet()
{
    // The frame's sheet gives every other scroll bar of the page (the chooser's popup) the dark look.
    const QString sheet = find(QStringLiteral("MacroPage"))->styleSheet();
    for (const char* rule : {"QScrollBar:vertical", "width:13px", "background:rgb(30,30,30)",
                             "QScrollBar::handle:vertical", "background:rgb(117, 117, 117)",
                             "QScrollBar::add-page:vertical", "QScrollBar::sub-page:vertical",
                             "QScrollBar::up-arrow:vertical", "QScrollBar::down-arrow:vertical",
                             "background:transparent",
                             // no end buttons, which the style would draw as empty boxes
                             "QScrollBar::add-line:vertical,QScrollBar::sub-line:vertical{\nheight:0px;"})
        QVERIFY2(sheet.contains(QLatin1String(rule)), rule);
    QVERIFY(m_host->styleSheet().isEmpty());
    for (const Control& c : frameControls())
        QVERIFY2(find(c.name)->styleSheet().isEmpty(), qPrintable(c.name));
}

VEXO_TEST_MAIN(TestMacroForm)
#include "tst_macroform.moc"
