#include "helpers/devicelinkfixture.h"
#include "helpers/testwidgets.h"
#include "pages/buttons/buttoninterface.h"
#include "ui/widgets/debouncetime.h"
#include "ui/widgets/myconmbobox.h"
#include "ui/widgets/mytoolbutton.h"

#include "ui_buttoninterface.h"

#include <QApplication>
#include <QGroupBox>
#include <QLabel>
#include <QLayout>
#include <QScrollArea>
#include <QSpacerItem>
#include <QStackedWidget>
#include <QToolButton>
#include <QtTest>

#include <climits>
#include <memory>
#include <vector>

namespace {

const QString kYaHei = QStringLiteral("微软雅黑");
const QString kYaHeiLight = QStringLiteral("Microsoft YaHei UI Light");
const QString kViewport = QStringLiteral("qt_scrollarea_viewport");
// x of a row whose widget a layout places: only its size limits are fixed.
// No form places a widget this far left; QRect arithmetic on it stays in range.
constexpr int kLaidOut = -1000000;

struct Control
{
    QString name;
    QString className;
    QString parent;
    QRect geometry; // x == kLaidOut: placed by the parent's layout
    QSize minimum;
    QSize maximum;
    bool fixedPolicy;
};

QSize noMaximum()
{
    return QSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
}

Control fixedAt(const QString& name, const QString& cls, const QString& parent, QRect geometry,
                bool fixedPolicy = true)
{
    return {name, cls, parent, geometry, geometry.size(), geometry.size(), fixedPolicy};
}

Control laidOut(const QString& name, const QString& cls, const QString& parent, QSize size, bool fixedPolicy = true)
{
    return {name, cls, parent, QRect(kLaidOut, 0, size.width(), size.height()), size, size, fixedPolicy};
}

Control freeAt(const QString& name, const QString& cls, const QString& parent, QRect geometry,
               QSize minimum = QSize(0, 0), QSize maximum = noMaximum())
{
    return {name, cls, parent, geometry, minimum, maximum, false};
}

bool isRowLabel(const QString& name)
{
    return name.startsWith(QLatin1String("label_")) || name.startsWith(QLatin1String("Key"));
}

const QStringList kSelectorRows = {"label_14", "FireKey", "label_9", "RightKey", "label_15", "BackKey",
                                   "label_11", "StartPause", "label_12", "TopMusic", "label_13", "Button9",
                                   "Key7", "Button7", "Key8", "Button8", "Key9", "BackMusic"};
const QStringList kSelectors = {"FireKey", "RightKey", "BackKey", "StartPause", "TopMusic",
                                "BackMusic", "Button9", "Button7", "Button8"};
const QStringList kFunctionList = {"LeftKey_3", "nono", "MidKey", "BackKey_2", "ForWardKey", "DPI_2",
                                   "DPI_3", "DPI_6", "DPI_8", "DPI_5", "DPI_13", "DPI_11",
                                   "DPI_4", "DPI_9", "DPI_7", "DPI_12", "DPI_10"};
const QStringList kMultimedia = {"Player", "StartPause_2", "cccz", "TopMusic_2", "Mute", "VolumeUp",
                                 "VolumeDown", "VolumeDown_4", "VolumeDown_5", "VolumeDown_6", "VolumeDown_3",
                                 "VolumeDown_8", "VolumeDown_9", "VolumeDown_7", "VolumeDown_10",
                                 "VolumeDown_12", "VolumeDown_13", "VolumeDown_11"};
const QStringList kLights = {"VolumeUp_4", "VolumeUp_5", "VolumeUp_6", "VolumeUp_7"};
const QStringList kDpiLocks = {"VolumeUp_11", "VolumeUp_12", "VolumeUp_13", "VolumeUp_16",
                               "VolumeUp_15", "VolumeUp_19", "VolumeUp_20", "VolumeUp_22",
                               "VolumeUp_18", "VolumeUp_24", "VolumeUp_23", "VolumeUp_21"};
const QStringList kHorizontal = {"VolumeUp_2", "VolumeDown_2"};
const QStringList kDpiSwitch = {"VolumeUp_8", "VolumeUp_9", "VolumeUp_10"};
const QStringList kVertical = {"VolumeUp_14", "VolumeDown_14"};
const QStringList kPageButtons = {"OutputData", "ImportData", "Reset"};

QStringList subMenuEntries()
{
    return kMultimedia + kLights + kDpiLocks + kHorizontal + kDpiSwitch + kVertical;
}

QStringList numberButtons()
{
    QStringList names;
    for (int i = 1; i <= 9; ++i)
        names << QStringLiteral("Number%1").arg(i);
    return names;
}

struct SubMenu
{
    const char* page;
    const char* area;
    const char* content;
    QSize contentSize;
    const QStringList* entries;
};

const std::vector<SubMenu>& subMenus()
{
    static const std::vector<SubMenu> menus = {
        {"page_3", "scrollArea_3", "scrollAreaWidgetContents_3", {205, 500}, &kMultimedia},
        {"page_5", "scrollArea_7", "scrollAreaWidgetContents_7", {205, 220}, nullptr},
        {"page_6", "scrollArea_8", "scrollAreaWidgetContents_8", {205, 220}, &kLights},
        {"page_8", "scrollArea_10", "scrollAreaWidgetContents_10", {205, 400}, &kDpiLocks},
        {"page_4", "scrollArea_6", "scrollAreaWidgetContents_6", {205, 220}, &kHorizontal},
        {"page_7", "scrollArea_9", "scrollAreaWidgetContents_9", {205, 220}, &kDpiSwitch},
        {"page_10", "scrollArea_12", "scrollAreaWidgetContents_12", {205, 220}, &kVertical},
    };
    return menus;
}

// Every widget of the form with its class, parent, position and size limits.
const std::vector<Control>& formControls()
{
    static const std::vector<Control> rows = [] {
        std::vector<Control> r;
        r.push_back({"MainWindow", "QFrame", "Buttoninterface", QRect(kLaidOut, 0, 883, 630), QSize(0, 0),
                     QSize(883, 630), true});
        r.push_back(freeAt("label", "QLabel", "MainWindow", QRect(30, 30, 20, 14), QSize(0, 0), QSize(20, 14)));
        r.push_back(fixedAt("widget", "QWidget", "MainWindow", QRect(220, 0, 432, 356)));
        const QPoint numbers[9] = {{140, 200}, {40, 150}, {100, 150}, {250, 175}, {290, 140},
                                   {175, 215}, {160, 100}, {190, 75},  {215, 50}};
        for (int i = 0; i < 9; ++i)
            r.push_back(fixedAt(numberButtons()[i], "QToolButton", "widget", QRect(numbers[i], QSize(38, 38)), false));
        r.push_back(fixedAt("OutputData", "QToolButton", "MainWindow", QRect(780, 350, 90, 26)));
        r.push_back(fixedAt("ImportData", "QToolButton", "MainWindow", QRect(680, 350, 90, 26)));
        r.push_back(freeAt("groupBox", "QGroupBox", "MainWindow", QRect(7, 380, 862, 216)));
        r.push_back(fixedAt("ProjectChoose", "MyConmboBox", "MainWindow", QRect(60, 25, 128, 24)));
        r.push_back(fixedAt("Reset", "QToolButton", "MainWindow", QRect(580, 350, 90, 26)));

        // Selector list: number label at x 0, selector at x 30.
        r.push_back(fixedAt("scrollArea_11", "QScrollArea", "groupBox", QRect(150, 2, 480, 212)));
        r.push_back(fixedAt("scrollAreaWidgetContents_11", "QWidget", kViewport, QRect(0, 0, 480, 350)));
        const int rowY[18] = {6, 5, 41, 40, 76, 75, 110, 109, 145, 144, 180, 214, 215, 249, 250, 287, 285, 179};
        for (int i = 0; i < kSelectorRows.size(); ++i) {
            const QString& name = kSelectorRows[i];
            r.push_back(isRowLabel(name)
                            ? fixedAt(name, "QLabel", "scrollAreaWidgetContents_11", QRect(0, rowY[i], 24, 24))
                            : fixedAt(name, "QToolButton", "scrollAreaWidgetContents_11", QRect(30, rowY[i], 262, 26)));
        }

        // Function list.
        r.push_back(freeAt("stackedWidget", "QStackedWidget", "groupBox", QRect(445, -11, 201, 241), QSize(192, 230),
                           QSize(230, 1111)));
        r.push_back(laidOut("page", "QWidget", "stackedWidget", {195, 240}));
        r.push_back(laidOut("page_2", "QWidget", "stackedWidget", {195, 240}));
        r.push_back(laidOut("scrollArea_4", "QScrollArea", "page_2", {195, 220}));
        r.push_back(fixedAt("scrollAreaWidgetContents_4", "QWidget", kViewport, QRect(0, 0, 195, 420)));
        for (const QString& name : kFunctionList) {
            const bool mine = name == "DPI_6" || name == "DPI_8";
            r.push_back(laidOut(name, mine ? "MyToolButton" : "QToolButton", "scrollAreaWidgetContents_4", {164, 22}));
        }

        // Sub-menus.
        r.push_back(freeAt("groupBox_4", "QGroupBox", "groupBox", QRect(643, -11, 211, 241)));
        r.push_back(freeAt("stackedWidget_2", "QStackedWidget", "groupBox_4", QRect(0, 0, 213, 238), QSize(213, 200),
                           QSize(213, 1111111)));
        for (const SubMenu& menu : subMenus()) {
            const QString page = QLatin1String(menu.page);
            r.push_back(laidOut(page, "QWidget", "stackedWidget_2", {205, 240}, page != "page_7"));
            if (page == "page_10")
                r.push_back(fixedAt(menu.area, "QScrollArea", menu.page, QRect(0, 10, 205, 220)));
            else
                r.push_back(laidOut(QLatin1String(menu.area), "QScrollArea", page, {205, 220}));
            r.push_back(fixedAt(menu.content, "QWidget", kViewport, QRect(QPoint(0, 0), menu.contentSize)));
            if (menu.entries) {
                for (const QString& name : *menu.entries)
                    r.push_back(laidOut(name, "QToolButton", QLatin1String(menu.content), {174, 22}));
            }
        }
        Control debouncePage = laidOut("page_9", "QWidget", "stackedWidget_2", {0, 0}, false);
        debouncePage.maximum = noMaximum();
        r.push_back(debouncePage);
        r.push_back(freeAt("groupBox_2", "QGroupBox", "page_9", QRect(10, 0, 200, 241)));
        r.push_back(freeAt("label_3", "QLabel", "groupBox_2", QRect(0, 20, 201, 31)));
        r.push_back(freeAt("DebunceButton", "DebounceTime", "groupBox_2", QRect(35, 50, 165, 37)));
        return r;
    }();
    return rows;
}

bool isA(const QWidget* widget, const QString& className)
{
    // MyConmboBox declares no meta-object of its own.
    if (className == QLatin1String("MyConmboBox"))
        return dynamic_cast<const MyConmboBox*>(widget) != nullptr;
    return QLatin1String(widget->metaObject()->className()) == className;
}

// The size policy a widget of the class has when the form leaves it alone.
QSizePolicy defaultPolicy(const QString& className)
{
    std::unique_ptr<QWidget> fresh;
    if (className == QLatin1String("QToolButton"))
        fresh = std::make_unique<QToolButton>();
    else if (className == QLatin1String("QLabel"))
        fresh = std::make_unique<QLabel>();
    else if (className == QLatin1String("QGroupBox"))
        fresh = std::make_unique<QGroupBox>();
    else if (className == QLatin1String("QStackedWidget"))
        fresh = std::make_unique<QStackedWidget>();
    else if (className == QLatin1String("DebounceTime"))
        fresh = std::make_unique<DebounceTime>();
    else
        fresh = std::make_unique<QWidget>();
    return fresh->sizePolicy();
}

QString caption(const QWidget* widget)
{
    if (auto* box = qobject_cast<const QGroupBox*>(widget))
        return box->title();
    return widget->property("text").toString();
}

QStringList childNames(const QWidget* parent)
{
    QStringList names;
    for (const QObject* child : parent->children()) {
        if (child->isWidgetType())
            names << child->objectName();
    }
    return names;
}

QString itemName(QLayoutItem* item)
{
    if (item->widget())
        return item->widget()->objectName();
    return item->spacerItem() ? QStringLiteral("<spacer>") : QStringLiteral("<other>");
}

} // namespace

class TestButtonForm : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void init();
    void cleanup();

    void controls_data();
    void controls();
    void creationOrder_data();
    void creationOrder();
    void layouts_data();
    void layouts();
    void scrollAreas_data();
    void scrollAreas();
    void buttons();
    void fonts_data();
    void fonts();
    void captions_data();
    void captions();
    void stacks();
    void nothingHiddenOrDisabled();
    void styleSheets();
    void pageOpensWithMenuClosed();

private:
    template <typename T = QWidget>
    T* find(const QString& name) const
    {
        return m_host->findChild<T*>(name);
    }

    std::unique_ptr<DeviceLinkFixture> m_fixture;
    std::unique_ptr<QWidget> m_host;
    std::unique_ptr<Ui::Buttoninterface> m_form;
};

// One private installation and HOME for the whole run: the form only reads the skin.
void TestButtonForm::initTestCase()
{
    m_fixture = std::make_unique<DeviceLinkFixture>();
}

void TestButtonForm::cleanupTestCase()
{
    m_fixture.reset();
}

void TestButtonForm::init()
{
    m_host = std::make_unique<QWidget>();
    m_form = std::make_unique<Ui::Buttoninterface>();
    m_form->setupUi(m_host.get());
}

void TestButtonForm::cleanup()
{
    m_host.reset();
    m_form.reset();
}

void TestButtonForm::controls_data()
{
    QTest::addColumn<QString>("className");
    QTest::addColumn<QString>("parent");
    QTest::addColumn<QRect>("geometry");
    QTest::addColumn<QSize>("minimum");
    QTest::addColumn<QSize>("maximum");
    QTest::addColumn<bool>("fixedPolicy");
    for (const Control& c : formControls()) {
        QTest::newRow(qPrintable(c.name)) << c.className << c.parent << c.geometry << c.minimum << c.maximum
                                          << c.fixedPolicy;
    }
}

void TestButtonForm::controls()
{
    QFETCH(QString, className);
    QFETCH(QString, parent);
    QFETCH(QRect, geometry);
    QFETCH(QSize, minimum);
    QFETCH(QSize, maximum);
    QFETCH(bool, fixedPolicy);
    const QString name = QString::fromLatin1(QTest::currentDataTag());

    const QList<QWidget*> found = m_host->findChildren<QWidget*>(name);
    QCOMPARE(found.size(), 1);
    QWidget* widget = found.first();
    QVERIFY2(isA(widget, className), widget->metaObject()->className());
    QVERIFY(widget->parentWidget());
    QCOMPARE(widget->parentWidget()->objectName(), parent);
    if (geometry.x() == kLaidOut) {
        QVERIFY(widget->parentWidget()->layout());
        QVERIFY(widget->parentWidget()->layout()->indexOf(widget) >= 0);
    } else {
        QCOMPARE(widget->geometry(), geometry);
        if (widget->parentWidget()->layout())
            QCOMPARE(widget->parentWidget()->layout()->indexOf(widget), -1);
    }
    QCOMPARE(widget->minimumSize(), minimum);
    QCOMPARE(widget->maximumSize(), maximum);
    const QSizePolicy policy =
        fixedPolicy ? QSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed) : defaultPolicy(className);
    QCOMPARE(widget->sizePolicy().horizontalPolicy(), policy.horizontalPolicy());
    QCOMPARE(widget->sizePolicy().verticalPolicy(), policy.verticalPolicy());
}

void TestButtonForm::creationOrder_data()
{
    // Later siblings lie above earlier ones: the function menu covers the right of the selector list.
    QTest::addColumn<QStringList>("children");
    QTest::newRow("MainWindow") << QStringList{"label", "widget", "OutputData", "ImportData", "groupBox",
                                               "ProjectChoose", "Reset"};
    QTest::newRow("widget") << numberButtons();
    QTest::newRow("groupBox") << QStringList{"scrollArea_11", "stackedWidget", "groupBox_4"};
    QTest::newRow("scrollAreaWidgetContents_11") << kSelectorRows;
    QTest::newRow("groupBox_2") << QStringList{"label_3", "DebunceButton"};
}

void TestButtonForm::creationOrder()
{
    QFETCH(QStringList, children);
    QWidget* parent = find(QString::fromLatin1(QTest::currentDataTag()));
    QVERIFY(parent);
    QCOMPARE(childNames(parent), children);
}

void TestButtonForm::layouts_data()
{
    QTest::addColumn<QString>("owner");
    QTest::addColumn<QStringList>("items");
    QTest::addColumn<bool>("list");
    const QString spacer = QStringLiteral("<spacer>");
    QTest::newRow("gridLayout_9") << "Buttoninterface" << QStringList{"MainWindow"} << false;
    QTest::newRow("gridLayout_3") << "page" << QStringList{} << false;
    QTest::newRow("gridLayout") << "page_2" << QStringList{"scrollArea_4"} << false;
    QTest::newRow("gridLayout_2") << "page_3" << QStringList{"scrollArea_3"} << false;
    QTest::newRow("gridLayout_5") << "page_5" << QStringList{"scrollArea_7"} << false;
    QTest::newRow("gridLayout_6") << "page_6" << QStringList{"scrollArea_8"} << false;
    QTest::newRow("gridLayout_8") << "page_8" << QStringList{"scrollArea_10"} << false;
    QTest::newRow("gridLayout_4") << "page_4" << QStringList{"scrollArea_6"} << false;
    QTest::newRow("gridLayout_7") << "page_7" << QStringList{"scrollArea_9"} << false;
    QTest::newRow("verticalLayout_9") << "scrollAreaWidgetContents_4" << kFunctionList << true;
    QTest::newRow("verticalLayout_4") << "scrollAreaWidgetContents_3" << kMultimedia << true;
    QTest::newRow("verticalLayout_6") << "scrollAreaWidgetContents_7" << QStringList{} << true;
    QTest::newRow("verticalLayout_10") << "scrollAreaWidgetContents_8" << kLights + QStringList{spacer} << true;
    QTest::newRow("verticalLayout_12") << "scrollAreaWidgetContents_10" << kDpiLocks << true;
    QTest::newRow("verticalLayout_5") << "scrollAreaWidgetContents_6" << kHorizontal + QStringList{spacer} << true;
    QTest::newRow("verticalLayout_11") << "scrollAreaWidgetContents_9" << kDpiSwitch + QStringList{spacer} << true;
    QTest::newRow("verticalLayout_7") << "scrollAreaWidgetContents_12" << kVertical + QStringList{spacer} << true;
}

void TestButtonForm::layouts()
{
    QFETCH(QString, owner);
    QFETCH(QStringList, items);
    QFETCH(bool, list);
    QWidget* widget = owner == QLatin1String("Buttoninterface") ? m_host.get() : find(owner);
    QVERIFY(widget);
    QLayout* layout = widget->layout();
    QVERIFY(layout);
    QCOMPARE(layout->objectName(), QString::fromLatin1(QTest::currentDataTag()));

    QStringList names;
    for (int i = 0; i < layout->count(); ++i) {
        QLayoutItem* item = layout->itemAt(i);
        names << itemName(item);
        if (QSpacerItem* spacer = item->spacerItem()) {
            QCOMPARE(spacer->sizeHint(), QSize(20, 40));
            QCOMPARE(spacer->sizePolicy().horizontalPolicy(), QSizePolicy::Minimum);
            QCOMPARE(spacer->sizePolicy().verticalPolicy(), QSizePolicy::Expanding);
        }
    }
    QCOMPARE(names, items);

    if (list) {
        QVERIFY(qobject_cast<QVBoxLayout*>(layout));
        QCOMPARE(layout->contentsMargins().left(), 7);
        return;
    }
    auto* grid = qobject_cast<QGridLayout*>(layout);
    QVERIFY(grid);
    QCOMPARE(grid->contentsMargins(), QMargins(0, 0, 0, 0));
    if (owner != QLatin1String("Buttoninterface")) {
        QCOMPARE(grid->horizontalSpacing(), 0);
        QCOMPARE(grid->verticalSpacing(), 0);
    }
    if (!items.isEmpty()) {
        int row = -1, column = -1, rowSpan = 0, columnSpan = 0;
        grid->getItemPosition(0, &row, &column, &rowSpan, &columnSpan);
        QCOMPARE(QList<int>({row, column, rowSpan, columnSpan}), QList<int>({0, 0, 1, 1}));
    }
}

void TestButtonForm::scrollAreas_data()
{
    QTest::addColumn<QString>("content");
    QTest::newRow("scrollArea_11") << "scrollAreaWidgetContents_11";
    QTest::newRow("scrollArea_4") << "scrollAreaWidgetContents_4";
    for (const SubMenu& menu : subMenus())
        QTest::newRow(menu.area) << QString::fromLatin1(menu.content);
}

void TestButtonForm::scrollAreas()
{
    QFETCH(QString, content);
    auto* area = find<QScrollArea>(QString::fromLatin1(QTest::currentDataTag()));
    QVERIFY(area);
    QVERIFY(area->widget());
    QCOMPARE(area->widget()->objectName(), content);
    QCOMPARE(area->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
    QCOMPARE(area->horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);
    QVERIFY(area->widgetResizable());
    QCOMPARE(area->focusPolicy(), Qt::NoFocus);
}

void TestButtonForm::buttons()
{
    // Only the selectors and the two menu levels keep a checked state.
    const QStringList plain = numberButtons() + kPageButtons;
    const QStringList checkable = kSelectors + kFunctionList + subMenuEntries();

    const QList<QToolButton*> all = m_host->findChildren<QToolButton*>();
    QCOMPARE(all.size(), plain.size() + checkable.size());
    for (QToolButton* button : all) {
        const QString name = button->objectName();
        QVERIFY2(plain.contains(name) || checkable.contains(name), qPrintable(name));
        QVERIFY2(button->autoRaise(), qPrintable(name));
        QVERIFY2(button->focusPolicy() == Qt::NoFocus, qPrintable(name));
        QVERIFY2(button->isCheckable() == checkable.contains(name), qPrintable(name));
        QVERIFY2(!button->isChecked(), qPrintable(name));
    }
    for (const char* name : {"DPI_6", "DPI_8"})
        QVERIFY(qobject_cast<MyToolButton*>(find(QLatin1String(name))));

    auto* combo = find<QComboBox>(QStringLiteral("ProjectChoose"));
    QVERIFY(combo);
    QCOMPARE(combo->focusPolicy(), Qt::NoFocus);
    QCOMPARE(combo->count(), 0);
}

void TestButtonForm::fonts_data()
{
    QTest::addColumn<QString>("family");
    QTest::addColumn<int>("points");
    QTest::newRow("ProjectChoose") << kYaHei << 11;
    for (const QString& name : kPageButtons)
        QTest::newRow(qPrintable(name)) << kYaHei << 10;
    // The picture buttons keep the application's family.
    for (const QString& name : numberButtons())
        QTest::newRow(qPrintable(name)) << QApplication::font().family() << 16;
    for (int i = 0; i < kSelectorRows.size(); ++i) {
        const QString& name = kSelectorRows[i];
        const bool label = isRowLabel(name);
        QTest::newRow(qPrintable(name)) << (label ? kYaHeiLight : kYaHei) << (label ? 16 : 11);
    }
    for (const QString& name : kFunctionList) {
        int points = 8;
        if (name == "DPI_12")
            points = 7;
        else if (QStringList{"DPI_13", "DPI_11", "DPI_4", "DPI_9", "DPI_7"}.contains(name))
            points = 6;
        QTest::newRow(qPrintable(name)) << kYaHei << points;
    }
    for (const QString& name : subMenuEntries())
        QTest::newRow(qPrintable(name)) << kYaHei << 9;
    QTest::newRow("label_3") << kYaHei << 11;
}

void TestButtonForm::fonts()
{
    QFETCH(QString, family);
    QFETCH(int, points);
    QWidget* widget = find(QString::fromLatin1(QTest::currentDataTag()));
    QVERIFY(widget);
    QCOMPARE(widget->font().family(), family);
    QCOMPARE(widget->font().pointSize(), points);
    QCOMPARE(widget->font().weight(), int(QFont::Normal));
}

void TestButtonForm::captions_data()
{
    QTest::addColumn<QString>("text");
    QTest::newRow("label") << "";
    QTest::newRow("OutputData") << "导出";
    QTest::newRow("ImportData") << "导入";
    QTest::newRow("Reset") << "重置";
    QTest::newRow("groupBox") << "";
    QTest::newRow("groupBox_4") << "";
    QTest::newRow("groupBox_2") << "";
    QTest::newRow("label_3") << "按钮防抖时间";
    for (int i = 1; i <= 9; ++i)
        QTest::newRow(qPrintable(QStringLiteral("Number%1").arg(i))) << QString::number(i);
    const QStringList rowLabels = {"label_14", "label_9", "label_15", "label_11", "label_12",
                                   "label_13", "Key7", "Key8", "Key9"};
    for (int i = 0; i < rowLabels.size(); ++i)
        QTest::newRow(qPrintable(rowLabels[i])) << QString::number(i + 1);

    const char* const texts[][2] = {
        // Selectors: placeholders until the page shows the device's functions.
        {"FireKey", "左键"}, {"RightKey", "右键"}, {"BackKey", "中键"}, {"StartPause", "后退键"},
        {"TopMusic", "前进键"}, {"BackMusic", "下一曲"}, {"Button9", "下一曲"}, {"Button7", "下一曲"},
        {"Button8", "下一曲"},
        // Function list.
        {"LeftKey_3", "左键"}, {"nono", "右键"}, {"MidKey", "中键"}, {"BackKey_2", "后退键"},
        {"ForWardKey", "前进键"}, {"DPI_2", "切换报告率"}, {"DPI_3", "配置切换"}, {"DPI_6", "火力键"},
        {"DPI_8", "组合键"}, {"DPI_5", "待定义按键"}, {"DPI_13", "鼠标上/下滚"}, {"DPI_11", "鼠标左/右滚"},
        {"DPI_4", "DPI锁定"}, {"DPI_9", "开关装饰灯"}, {"DPI_7", "DPI切换"}, {"DPI_12", "多媒体功能"},
        {"DPI_10", "宏定义"},
        // Multimedia: the object names do not say what the entries do.
        {"Player", "播放器"}, {"StartPause_2", "播放/暂停"}, {"cccz", "下一曲"}, {"TopMusic_2", "上一曲"},
        {"Mute", "停止播放"}, {"VolumeUp", "静音"}, {"VolumeDown", "音量加"}, {"VolumeDown_4", "音量减"},
        {"VolumeDown_5", "邮件"}, {"VolumeDown_6", "计算器"}, {"VolumeDown_3", "我的电脑"},
        {"VolumeDown_8", "主页"}, {"VolumeDown_9", "搜索"}, {"VolumeDown_7", "前进"}, {"VolumeDown_10", "后退"},
        {"VolumeDown_12", "停止网页"}, {"VolumeDown_13", "刷新"}, {"VolumeDown_11", "收藏夹"},
        // Lights, wheel and DPI switch.
        {"VolumeUp_4", "开/关所有装饰灯"}, {"VolumeUp_5", "开/关DPI指示灯"}, {"VolumeUp_6", "开/关灯带"},
        {"VolumeUp_7", "循环切换灯带效果"}, {"VolumeUp_2", "左滚"}, {"VolumeDown_2", "右滚"},
        {"VolumeUp_8", "DPI循环"}, {"VolumeUp_9", "DPI+"}, {"VolumeUp_10", "DPI-"}, {"VolumeUp_14", "上滚"},
        {"VolumeDown_14", "下滚"},
    };
    for (const auto& row : texts)
        QTest::newRow(row[0]) << QString::fromUtf8(row[1]);
    for (int i = 0; i < kDpiLocks.size(); ++i)
        QTest::newRow(qPrintable(kDpiLocks[i])) << QString::number(100 * (i + 1));
}

void TestButtonForm::captions()
{
    QFETCH(QString, text);
    QWidget* widget = find(QString::fromLatin1(QTest::currentDataTag()));
    QVERIFY(widget);
    QCOMPARE(caption(widget), text);
}

void TestButtonForm::stacks()
{
    auto* menu = find<QStackedWidget>(QStringLiteral("stackedWidget"));
    auto* subMenu = find<QStackedWidget>(QStringLiteral("stackedWidget_2"));
    QVERIFY(menu && subMenu);
    QStringList pages;
    for (int i = 0; i < menu->count(); ++i)
        pages << menu->widget(i)->objectName();
    QCOMPARE(pages, (QStringList{"page", "page_2"}));
    pages.clear();
    for (int i = 0; i < subMenu->count(); ++i)
        pages << subMenu->widget(i)->objectName();
    QCOMPARE(pages, (QStringList{"page_3", "page_5", "page_6", "page_8", "page_9", "page_4", "page_7", "page_10"}));
    // The form leaves the function list and the DPI switch up; the page closes the menu itself.
    QCOMPARE(menu->currentWidget()->objectName(), QStringLiteral("page_2"));
    QCOMPARE(subMenu->currentWidget()->objectName(), QStringLiteral("page_7"));
    QCOMPARE(m_host->objectName(), QStringLiteral("Buttoninterface"));
    QCOMPARE(m_host->windowTitle(), QStringLiteral("Form"));
    QCOMPARE(m_host->size(), QSize(883, 630));
    QCOMPARE(m_host->maximumSize(), QSize(883, 660));
    QCOMPARE(m_host->sizePolicy().horizontalPolicy(), QSizePolicy::Fixed);
    QCOMPARE(m_host->sizePolicy().verticalPolicy(), QSizePolicy::Fixed);
}

void TestButtonForm::nothingHiddenOrDisabled()
{
    m_host->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_host.get()));
    // Show each sub-menu in turn with the function list beside it: every control is then on screen.
    auto* menu = find<QStackedWidget>(QStringLiteral("stackedWidget"));
    auto* subMenu = find<QStackedWidget>(QStringLiteral("stackedWidget_2"));
    for (int open = 0; open < subMenu->count(); ++open) {
        subMenu->setCurrentIndex(open);
        for (int shown = 0; shown < menu->count(); ++shown) {
            menu->setCurrentIndex(shown);
            for (const Control& c : formControls()) {
                QWidget* widget = find(c.name);
                QVERIFY2(widget->isEnabled(), qPrintable(c.name));
                bool onShownPage = true;
                for (QWidget* w = widget; w && w != m_host.get(); w = w->parentWidget()) {
                    if (auto* stack = qobject_cast<QStackedWidget*>(w->parentWidget()))
                        onShownPage = onShownPage && stack->currentWidget() == w;
                }
                QVERIFY2(widget->isVisibleTo(m_host.get()) == onShownPage, qPrintable(c.name));
            }
        }
    }
}

void TestButtonForm::styleSheets()
{
    // The panel's sheet styles every scroll bar of the page; the page keeps it at run time.
    const QString sheet = find(QStringLiteral("MainWindow"))->styleSheet();
    for (const char* rule : {"QScrollArea", "QScrollBar:vertical", "width:10px", "rgb(28,28,28)",
                             "QScrollBar::handle:vertical", "rgb(63, 63, 63)", "border-radius:3px", "min-height:30px",
                             "QScrollBar::add-line:vertical", "QScrollBar::sub-line:vertical", "height:25px"})
        QVERIFY2(sheet.contains(QLatin1String(rule)), rule);
    QVERIFY(m_host->styleSheet().isEmpty());
    QVERIFY(find(QStringLiteral("label_3"))->styleSheet().contains(QLatin1String("rgb(255, 255, 255)")));
}

void TestButtonForm::pageOpensWithMenuClosed()
{
    m_host.reset();
    static QStringList warnings;
    warnings.clear();
    const QtMessageHandler previous = qInstallMessageHandler([](QtMsgType type, const QMessageLogContext&,
                                                                const QString& message) {
        if (type == QtWarningMsg)
            warnings << message;
    });
    auto page = std::make_unique<Buttoninterface>(nullptr);
    qInstallMessageHandler(previous);
    QVERIFY2(warnings.filter(QStringLiteral("connectSlotsByName")).isEmpty(), qPrintable(warnings.join('\n')));

    QCOMPARE(page->objectName(), QStringLiteral("Buttoninterface"));
    QCOMPARE(page->size(), QSize(883, 630));
    auto* menu = page->findChild<QStackedWidget*>(QStringLiteral("stackedWidget"));
    auto* subMenu = page->findChild<QStackedWidget*>(QStringLiteral("stackedWidget_2"));
    QVERIFY(menu && subMenu);
    QCOMPARE(menu->currentWidget()->objectName(), QStringLiteral("page"));
    QCOMPARE(subMenu->currentWidget()->objectName(), QStringLiteral("page_9"));
    QVERIFY(page->findChild<DebounceTime*>(QStringLiteral("DebunceButton")));
}

VEXO_TEST_MAIN(TestButtonForm)
#include "tst_buttonform.moc"
