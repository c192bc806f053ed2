#include "core/devicestate.h"
#include "helpers/devicelinkfixture.h"
#include "helpers/testenv.h"
#include "helpers/testwidgets.h"
#include "pages/buttons/buttoninterface.h"
#include "pages/lighting/lamplight.h"
#include "pages/lighting/lightmodeset.h"
#include "pages/macro/macro.h"
#include "pages/sensor/sensor.h"
#include "pages/settings/formsetting.h"
#include "ui/lang/langtext.h"
#include "ui/lang/languagefilereader.h"
#include "ui/lang/languagetables.h"
#include "shell/dialogchange.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QtTest>

#include <memory>

// Every skinned list opens as a scrolling list of at most its visible count, never as a menu of
// all its items, and its items can be read.
class TestSkinnedLists : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void init();
    void cleanup();
    void popupRows_data();
    void popupRows();

private:
    std::unique_ptr<DeviceLinkFixture> m_fixture;
};

namespace {

std::unique_ptr<QWidget> makeHost(const QString& host)
{
    if (host == QLatin1String("DialogChange"))
        return std::make_unique<DialogChange>(nullptr);
    if (host == QLatin1String("Sensor"))
        return std::make_unique<Sensor>(nullptr);
    if (host == QLatin1String("Macro"))
        return std::make_unique<Macro>(nullptr);
    if (host == QLatin1String("Buttoninterface"))
        return std::make_unique<Buttoninterface>(nullptr);
    if (host == QLatin1String("LampLight"))
        return std::make_unique<LampLight>(nullptr);
    if (host == QLatin1String("LightModeSet"))
        return std::make_unique<LightModeSet>(nullptr);
    if (host == QLatin1String("FormSetting"))
        return std::make_unique<FormSetting>(nullptr);
    return nullptr;
}

// Rows of the open list that the user can see, in whole or in part.
int visibleRows(const QComboBox* box)
{
    const QAbstractItemView* view = box->view();
    const QRect shown = view->viewport()->rect();
    int rows = 0;
    for (int row = 0; row < box->count(); ++row) {
        if (view->visualRect(box->model()->index(row, box->modelColumn())).intersects(shown))
            ++rows;
    }
    return rows;
}

// The contrast of the first row shown in full that is not the current one.
double rowContrast(const QComboBox* box)
{
    QAbstractItemView* view = box->view();
    for (int row = 0; row < box->count(); ++row) {
        const QRect item = view->visualRect(box->model()->index(row, box->modelColumn()));
        const QRect shown = item.intersected(view->viewport()->rect());
        if (row != box->currentIndex() && shown.height() == item.height())
            return TestEnv::ContrastRatio(view->viewport(), shown);
    }
    return 0.0;
}

} // namespace

void TestSkinnedLists::initTestCase()
{
    const TestEnv::Installation install;
    LoadLanguageFiles();
}

void TestSkinnedLists::cleanupTestCase()
{
    LanguageTables::SetGlobal(LanguageTables());
}

void TestSkinnedLists::init()
{
    m_fixture = std::make_unique<DeviceLinkFixture>();
    CurrentLanguage.store(0);
    UiSendsChanges.store(0);
}

void TestSkinnedLists::cleanup()
{
    m_fixture.reset();
}

void TestSkinnedLists::popupRows_data()
{
    QTest::addColumn<QString>("host");
    QTest::addColumn<QString>("list");
    QTest::addColumn<int>("visible"); // the most rows the list may show at once

    QTest::newRow("choice page language") << "DialogChange" << "comboBox" << 5;
    QTest::newRow("sensor mode") << "Sensor" << "ModelChoose" << 10;
    QTest::newRow("sensor performance") << "Sensor" << "PerformanceOpen" << 5;
    QTest::newRow("DPI level count") << "Sensor" << "ChooseEvent" << 5;
    QTest::newRow("lift-off distance") << "Sensor" << "LOD" << 10;
    QTest::newRow("DPI light effect") << "Sensor" << "Model" << 10;
    QTest::newRow("macro event chooser") << "Macro" << "ChooseEvent" << 5;
    QTest::newRow("profile") << "Buttoninterface" << "ProjectChoose" << 10;
    QTest::newRow("debounce") << "Buttoninterface" << "Debunce" << 10;
    QTest::newRow("lighting mode") << "LampLight" << "LightMod" << 5;
    QTest::newRow("lighting sleep time") << "LampLight" << "StopClose" << 15;
    QTest::newRow("light mode dialog") << "LightModeSet" << "LightMod" << 5;
    QTest::newRow("settings list") << "FormSetting" << "comboBox" << 5;
    QTest::newRow("settings sleep time") << "FormSetting" << "StopClose" << 15;
}

void TestSkinnedLists::popupRows()
{
    QFETCH(QString, host);
    QFETCH(QString, list);
    QFETCH(int, visible);

    const std::unique_ptr<QWidget> page = makeHost(host);
    QVERIFY(page);
    page->show();
    QVERIFY(QTest::qWaitForWindowExposed(page.get()));
    auto* box = TestEnv::NamedChild<QComboBox>(page.get(), qPrintable(list));
    // More items than the list may show, so that a list of every item stands out.
    while (box->count() <= visible)
        box->addItem(QStringLiteral("extra %1").arg(box->count()));
    box->setEnabled(true);

    box->showPopup();
    QTRY_VERIFY(box->view()->isVisible());
    const int rows = visibleRows(box);
    const double contrast = rowContrast(box);
    box->hidePopup();
    QTRY_VERIFY(!box->view()->isVisible());
    QCOMPARE(rows, visible);
    QVERIFY2(contrast >= 4.5, qPrintable(QString::number(contrast)));
}

VEXO_TEST_MAIN(TestSkinnedLists)
#include "tst_skinnedlists.moc"
