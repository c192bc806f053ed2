#include "core/devicestate.h"
#include "core/postmsg.h"
#include "helpers/devicelinkfixture.h"
#include "helpers/testenv.h"
#include "helpers/testwidgets.h"
#include "ui/lang/langtext.h"
#include "ui/lang/languagefilereader.h"
#include "ui/widgets/debouncetime.h"
#include "ui/widgets/lessthree.h"
#include "ui/widgets/skin.h"

#include "hidusb/hidsim.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QListView>
#include <QPointer>
#include <QSignalSpy>
#include <QTimer>
#include <QToolButton>
#include <QtTest>

#include <memory>

namespace {

QComboBox* debounceList(const DebounceTime& frame)
{
    return frame.findChild<QComboBox*>(QStringLiteral("Debunce"));
}

// What the test saw of the low-debounce warning while it was open.
struct WarningSeen
{
    int count = 0;
    int writesBefore = -1;  // record writes made before it opened
    int offlineBefore = -1; // offline reports made before it opened
    QPoint position;
};

// Answers the next low-debounce warning with its confirm button.
void answerWarning(WarningSeen& seen, const QSignalSpy& offline)
{
    TestEnv::AnswerNextModal(
        [&seen, &offline](QWidget* modal) {
            ++seen.count;
            seen.writesBefore = HidSim::CallCount("ProtocolDataUpdate");
            seen.offlineBefore = offline.count();
            seen.position = modal->pos();
            QTest::mouseClick(modal->findChild<QToolButton*>(QStringLiteral("NewHong")), Qt::LeftButton);
        },
        "LessThree");
}

// Closes and counts any modal window that opens while it lives, so a warning that should not
// appear fails the test instead of hanging it.
class UnexpectedModals
{
public:
    UnexpectedModals()
    {
        QObject::connect(&m_poll, &QTimer::timeout, [this] {
            QWidget* modal = QApplication::activeModalWidget();
            if (modal && modal->isVisible()) {
                ++count;
                modal->close();
            }
        });
        m_poll.start(5);
    }
    int count = 0;

private:
    QTimer m_poll;
};

} // namespace

class TestDebounceTime : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void cleanupTestCase();

    void choiceWrites_data();
    void choiceWrites();
    void sameItemWritesNothing();
    void noWrite_data();
    void noWrite();
    void offline_data();
    void offline();
    void itemText_data();
    void itemText();
    void skin();

    void warningButtonsClose_data();
    void warningButtonsClose();
    void warningTexts_data();
    void warningTexts();

private:
    // Makes the device hold `stored` and the list show `shown`, neither written.
    void startFrom(int stored, int shown);

    std::unique_ptr<DeviceLinkFixture> m_fixture;
    std::unique_ptr<DebounceTime> m_frame;
    FlashDataMap m_start{};
    QByteArray m_path;
};

void TestDebounceTime::init()
{
    m_fixture = std::make_unique<DeviceLinkFixture>();
    LoadLanguageFiles();
    QVERIFY(LanguageTables::Global()->LanguageCount(LangTable::LessThreeTexts) >= 2);
    CurrentLanguage = 0;
    m_path = m_fixture->add(DeviceLinkFixture::CableMouse("m1"));
    QVERIFY(!m_path.isEmpty());
    m_fixture->chooseFullyRead("m1", DeviceLinkFixture::InfoFor(m_path, 36, 1, 2, 0));
    m_start = DeviceLinkFixture::StoredRecord("m1");
    UiSendsChanges.store(0);
    ButtonLoading.store(0);
    m_frame = std::make_unique<DebounceTime>(nullptr);
    m_frame->move(600, 400);
    m_frame->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_frame.get()));
    HidSim::ClearCalls();
}

void TestDebounceTime::cleanup()
{
    m_frame.reset();
    UiSendsChanges.store(0);
    ButtonLoading.store(0);
    CurrentLanguage = 0;
    m_fixture.reset();
}

void TestDebounceTime::cleanupTestCase()
{
    LanguageTables::SetGlobal(LanguageTables());
}

void TestDebounceTime::startFrom(int stored, int shown)
{
    m_start.debounceTime = quint8(stored);
    QVERIFY(HidSim::SetSettings("m1", -1, m_start));
    m_fixture->chooseFullyRead("m1", DeviceLinkFixture::InfoFor(m_path, 36, 1, 2, 0));
    UiSendsChanges.store(0);
    {
        UnexpectedModals unexpected;
        m_frame->SetDebounceIndex(shown);
        QCOMPARE(unexpected.count, 0);
    }
    QCOMPARE(HidSim::CallCount("ProtocolDataUpdate"), 0);
    UiSendsChanges.store(1);
    HidSim::ClearCalls();
}

void TestDebounceTime::choiceWrites_data()
{
    QTest::addColumn<int>("index");
    QTest::addColumn<bool>("warns");
    for (int i = 0; i < DebounceTime::ItemCount; ++i)
        QTest::addRow("%d ms", i) << i << (i <= 7);
}

void TestDebounceTime::choiceWrites()
{
    QFETCH(int, index);
    QFETCH(bool, warns);
    const int other = index == 15 ? 14 : 15;
    VEXO_CHECKED(startFrom(other, other));
    QSignalSpy offline(PostMsg::instance(), &PostMsg::SigMouseOffLineo);
    WarningSeen seen;
    std::unique_ptr<UnexpectedModals> unexpected;
    if (warns)
        answerWarning(seen, offline);
    else
        unexpected = std::make_unique<UnexpectedModals>();

    VEXO_CHECKED(TestEnv::PickComboItem(debounceList(*m_frame), index));

    FlashDataMap expected = m_start;
    expected.debounceTime = quint8(index);
    const auto writes = HidSim::Calls("ProtocolDataUpdate");
    QCOMPARE(int(writes.size()), 1);
    QCOMPARE(DeviceLinkFixture::Bytes(DeviceLinkFixture::StoredRecord("m1")), DeviceLinkFixture::Bytes(expected));
    QCOMPARE(offline.count(), 0);
    QCOMPARE(debounceList(*m_frame)->currentIndex(), index);
    if (warns) {
        QCOMPARE(seen.count, 1);
        QCOMPARE(seen.writesBefore, 1); // written first, then warned about
        QCOMPARE(seen.position, Skin::CenteredPosition(m_frame->mapToGlobal(QPoint(0, 0)), m_frame->size(),
                                                       QSize(300, 140), QPoint(-409, -202)));
    } else {
        QCOMPARE(unexpected->count, 0);
    }
}

void TestDebounceTime::sameItemWritesNothing()
{
    VEXO_CHECKED(startFrom(5, 5));
    UnexpectedModals unexpected;
    VEXO_CHECKED(TestEnv::PickComboItem(debounceList(*m_frame), 5));
    QCOMPARE(HidSim::CallCount("ProtocolDataUpdate"), 0);
    QCOMPARE(unexpected.count, 0);
    QCOMPARE(debounceList(*m_frame)->currentIndex(), 5);
}

void TestDebounceTime::noWrite_data()
{
    QTest::addColumn<bool>("uiSendsChanges");
    QTest::addColumn<bool>("buttonLoading");
    QTest::addColumn<bool>("byUser"); // a user's pick, or the host's SetDebounceIndex
    QTest::addColumn<int>("index");
    QTest::addColumn<int>("shownAfter");
    QTest::newRow("pages not yet shown, user picks 3 ms") << false << false << true << 3 << 3;
    QTest::newRow("pages not yet shown, host selects 3 ms") << false << false << false << 3 << 3;
    QTest::newRow("button page loads 3 ms") << true << true << false << 3 << 3;
    QTest::newRow("button page loads 12 ms") << true << true << false << 12 << 12;
    QTest::newRow("stored 16 has no item") << true << false << false << 16 << -1;
    QTest::newRow("index -1") << true << false << false << -1 << -1;
}

void TestDebounceTime::noWrite()
{
    QFETCH(bool, uiSendsChanges);
    QFETCH(bool, buttonLoading);
    QFETCH(bool, byUser);
    QFETCH(int, index);
    QFETCH(int, shownAfter);
    VEXO_CHECKED(startFrom(8, 8));
    UiSendsChanges.store(uiSendsChanges ? 1 : 0);
    ButtonLoading.store(buttonLoading ? 1 : 0);
    QSignalSpy offline(PostMsg::instance(), &PostMsg::SigMouseOffLineo);
    UnexpectedModals unexpected;

    if (byUser)
        VEXO_CHECKED(TestEnv::PickComboItem(debounceList(*m_frame), index));
    else
        m_frame->SetDebounceIndex(index);

    QCOMPARE(HidSim::CallCount("ProtocolDataUpdate"), 0);
    QCOMPARE(unexpected.count, 0);
    QCOMPARE(offline.count(), 0);
    QCOMPARE(debounceList(*m_frame)->currentIndex(), shownAfter);
    QCOMPARE(DeviceLinkFixture::Bytes(DeviceLinkFixture::StoredRecord("m1")), DeviceLinkFixture::Bytes(m_start));
    QCOMPARE(DeviceConfig.get().debounceTime, quint8(8));
}

void TestDebounceTime::offline_data()
{
    QTest::addColumn<int>("index");
    QTest::addColumn<bool>("warns");
    QTest::newRow("3 ms: offline, then the warning") << 3 << true;
    QTest::newRow("12 ms: offline only") << 12 << false;
}

void TestDebounceTime::offline()
{
    QFETCH(int, index);
    QFETCH(bool, warns);
    VEXO_CHECKED(startFrom(8, 8));
    QVERIFY(HidSim::Unplug("m1"));
    HidSim::ClearCalls();
    QSignalSpy offline(PostMsg::instance(), &PostMsg::SigMouseOffLineo);
    WarningSeen seen;
    std::unique_ptr<UnexpectedModals> unexpected;
    if (warns)
        answerWarning(seen, offline);
    else
        unexpected = std::make_unique<UnexpectedModals>();

    VEXO_CHECKED(TestEnv::PickComboItem(debounceList(*m_frame), index));

    QCOMPARE(HidSim::CallCount("ProtocolDataUpdate"), 0);
    QCOMPARE(offline.count(), 1);
    QCOMPARE(offline.first().first().toInt(), 0);
    QCOMPARE(DeviceConfig.get().debounceTime, quint8(8));
    QCOMPARE(DeviceLinkFixture::Bytes(DeviceLinkFixture::StoredRecord("m1")), DeviceLinkFixture::Bytes(m_start));
    QCOMPARE(debounceList(*m_frame)->currentIndex(), index); // the list keeps the user's choice
    if (warns) {
        QCOMPARE(seen.count, 1);
        QCOMPARE(seen.offlineBefore, 1);
    } else {
        QCOMPARE(unexpected->count, 0);
    }
}

void TestDebounceTime::itemText_data()
{
    QTest::addColumn<int>("index");
    QTest::addColumn<QString>("unit");
    QTest::addColumn<int>("changed"); // the item that changes, -1 none
    QTest::newRow("3 ms") << 3 << "ms" << 3;
    QTest::newRow("first item") << 0 << "毫秒" << 0;
    QTest::newRow("last item") << 15 << "ms" << 15;
    QTest::newRow("16 has no item") << 16 << "ms" << -1;
    QTest::newRow("20 has no item") << 20 << "ms" << -1;
    QTest::newRow("-1 has no item") << -1 << "ms" << -1;
}

void TestDebounceTime::itemText()
{
    QFETCH(int, index);
    QFETCH(QString, unit);
    QFETCH(int, changed);
    QStringList expected;
    for (int i = 0; i < DebounceTime::ItemCount; ++i) {
        m_frame->SetDebounceItemText(i, QStringLiteral(" x"));
        expected << QString::number(i) + QStringLiteral(" x");
    }
    if (changed >= 0)
        expected[changed] = QString::number(changed) + unit;

    m_frame->SetDebounceItemText(index, unit);

    QCOMPARE(TestEnv::ComboItemTexts(debounceList(*m_frame)), expected);
    QCOMPARE(HidSim::CallCount("ProtocolDataUpdate"), 0);
}

void TestDebounceTime::skin()
{
    const QString folder = m_fixture->installation().path() + QStringLiteral("/Picture/");
    QComboBox* box = debounceList(*m_frame);
    QCOMPARE(box->count(), DebounceTime::ItemCount);
    QVERIFY(box->styleSheet().contains(folder + QStringLiteral("Buttoninterface/ComboboxBack.png")));
    auto* view = qobject_cast<QListView*>(box->view());
    QVERIFY(view);
    QCOMPARE(view->styleSheet(), Skin::ComboListViewStyle(Skin::OptionColor(QStringLiteral("ComboxSelectColor"))));

    LessThree warning(nullptr);
    const QString notices = folder + QStringLiteral("WarningDialog/");
    QCOMPARE(warning.size(), QSize(300, 140));
    QCOMPARE(warning.windowFlags() & Skin::DialogWindowFlags(), Skin::DialogWindowFlags());
    QVERIFY(warning.findChild<QFrame*>(QStringLiteral("LessThreeframe"))
                ->styleSheet()
                .contains(QStringLiteral("url(") + notices + QStringLiteral("BackGround.png)")));
    QCOMPARE(warning.findChild<QToolButton*>(QStringLiteral("NewHong"))->styleSheet(),
             Skin::ConfirmButtonStyle(notices, Skin::OptionColor(QStringLiteral("ButtonColor"))));
    QCOMPARE(warning.findChild<QToolButton*>(QStringLiteral("CloseButton"))->styleSheet(),
             Skin::CloseButtonStyle(notices));
}

void TestDebounceTime::warningButtonsClose_data()
{
    QTest::addColumn<QString>("button");
    QTest::newRow("confirm") << "NewHong";
    QTest::newRow("close cross") << "CloseButton";
}

void TestDebounceTime::warningButtonsClose()
{
    QFETCH(QString, button);
    LessThree warning(nullptr);
    bool answered = false;
    TestEnv::AnswerNextModal(
        [&](QWidget* modal) {
            answered = modal == &warning;
            QTest::mouseClick(modal->findChild<QToolButton*>(button), Qt::LeftButton);
        },
        "LessThree");
    // A button that does not close it ends the test instead of hanging it.
    bool stuck = false;
    QTimer::singleShot(5000, &warning, [&] {
        if (warning.isVisible()) {
            stuck = true;
            warning.reject();
        }
    });
    warning.exec();
    QVERIFY(answered);
    QVERIFY2(!stuck, "the button did not close the warning");
    QVERIFY(!warning.isVisible());
}

void TestDebounceTime::warningTexts_data()
{
    QTest::addColumn<int>("builtIn");
    QTest::addColumn<int>("announced"); // -1: no announcement
    QTest::addColumn<int>("shown");
    QTest::newRow("language 0") << 0 << -1 << 0;
    QTest::newRow("language 1") << 1 << -1 << 1;
    QTest::newRow("language 1 announced after it was built") << 0 << 1 << 1;
    QTest::newRow("language 0 announced after it was built") << 1 << 0 << 0;
}

void TestDebounceTime::warningTexts()
{
    QFETCH(int, builtIn);
    QFETCH(int, announced);
    QFETCH(int, shown);
    CurrentLanguage = builtIn;
    LessThree warning(nullptr);
    if (announced >= 0)
        PostMsg::instance()->EmitAllLanguage(announced);
    const QString message = LangText(LangTable::LessThreeTexts, shown, 0);
    const QString confirm = LangText(LangTable::QuestionTexts, shown, 2);
    QVERIFY(!message.isEmpty() && !confirm.isEmpty());
    // The two languages differ, so a text of the wrong language cannot pass.
    QVERIFY(message != LangText(LangTable::LessThreeTexts, 1 - shown, 0));
    QVERIFY(confirm != LangText(LangTable::QuestionTexts, 1 - shown, 2));
    QCOMPARE(warning.findChild<QLabel*>(QStringLiteral("label"))->text(), message);
    QCOMPARE(warning.findChild<QToolButton*>(QStringLiteral("NewHong"))->text(), confirm);
}

VEXO_TEST_MAIN(TestDebounceTime)
#include "tst_debouncetime.moc"
