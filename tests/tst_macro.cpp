#include "core/devicestate.h"
#include "core/postmsg.h"
#include "device/keyusagetable.h"
#include "device/macrotextfile.h"
#include "helpers/devicelinkfixture.h"
#include "helpers/testenv.h"
#include "helpers/testwidgets.h"
#include "pages/macro/addkey.h"
#include "pages/macro/macro.h"
#include "ui/widgets/filechooser.h"
#include "pages/macro/macroexportfile.h"
#include "ui/lang/langtext.h"
#include "ui/lang/languagefilereader.h"
#include "ui/widgets/keyboardhook.h"

#include "hidusb/hidsim.h"

#include <QApplication>
#include <QBuffer>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFileDialog>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QIcon>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QListWidget>
#include <QMenu>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QScrollBar>
#include <QSignalSpy>
#include <QSpinBox>
#include <QTimer>
#include <QToolButton>
#include <QtTest>

#include <cstddef>
#include <functional>
#include <memory>

namespace {

constexpr quint32 Drive1 = 0;
constexpr int VkA = 0x41;
constexpr int VkB = 0x42;

// Answers every modal dialog that opens, by class, and notes the classes in order. A class
// without an answer is closed.
class ModalAnswers : public QObject
{
public:
    ModalAnswers()
    {
        connect(&m_timer, &QTimer::timeout, this, [this] { poll(); });
        m_timer.start(5);
    }
    void on(const QString& className, std::function<void(QWidget*)> answer) { m_answers[className] = std::move(answer); }

    QStringList seen;

private:
    void poll()
    {
        QWidget* modal = QApplication::activeModalWidget();
        if (!modal || !modal->isVisible() || modal == m_last)
            return;
        m_last = modal;
        const QString name = QString::fromLatin1(modal->metaObject()->className());
        seen << name;
        const auto answer = m_answers.value(name);
        if (answer)
            answer(modal);
        else
            modal->close();
    }

    QTimer m_timer;
    QPointer<QWidget> m_last;
    QHash<QString, std::function<void(QWidget*)>> m_answers;
};

void clickChild(QWidget* dialog, const char* name)
{
    QToolButton* button = dialog->findChild<QToolButton*>(QLatin1String(name));
    QVERIFY2(button, name);
    button->click();
}

std::function<void(QWidget*)> answerName(const QString& name)
{
    return [name](QWidget* dialog) {
        dialog->findChild<QLineEdit*>(QStringLiteral("lineEdit"))->setText(name);
        clickChild(dialog, "NewHong");
    };
}

std::function<void(QWidget*)> answerKey(const QString& name)
{
    return [name](QWidget* dialog) {
        static_cast<addKey*>(dialog)->KeyName = name;
        clickChild(dialog, "NewHong");
    };
}

std::function<void(QWidget*)> answerDelay(int value)
{
    return [value](QWidget* dialog) {
        dialog->findChild<QSpinBox*>(QStringLiteral("spinBox"))->setValue(value);
        clickChild(dialog, "NewHong");
    };
}

// Types a name into a file dialog and presses its accept button, once the answer returned (a
// question it asks is a modal of its own). A dialog still open afterwards is cancelled: a
// refused name fails the test instead of holding it.
void enterFileName(QWidget* dialog, const QString& name)
{
    dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))->setText(name);
    QMetaObject::invokeMethod(
        dialog,
        [dialog] {
            QMetaObject::invokeMethod(dialog, "accept");
            if (dialog->isVisible())
                static_cast<QDialog*>(dialog)->reject();
        },
        Qt::QueuedConnection);
}

std::function<void(QWidget*)> answerConfirm(bool yes)
{
    return [yes](QWidget* dialog) { clickChild(dialog, yes ? "NewHong" : "CloseButton"); };
}

// The bytes of a record for the macro "M": A pressed, 125 ms, A released.
QByteArray recordOfM()
{
    QByteArray bytes(int(sizeof(MacroRecord)), '\0');
    bytes[0] = 1;
    bytes[1] = 'M';
    bytes[31] = 2;
    const char events[] = {0, 1, 4, 0, 0x7D, 0, 0, 0, 1, 1, 4, 0, 0, 0, 0, 0};
    bytes.replace(32, int(sizeof events), QByteArray(events, int(sizeof events)));
    return bytes;
}

QByteArray macroBytes(const FlashDataMap& record, int button)
{
    return QByteArray(reinterpret_cast<const char*>(&record.macros[button]), int(sizeof(MacroRecord)));
}

} // namespace

class TestMacro : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    // The page as built and as it speaks.
    void construction();
    void listLooks_data();
    void listLooks();
    void texts_data();
    void texts();
    void buttonNamesWithoutLanguageFiles();
    void languageChangeEventKeepsValues();
    void consumedKeys_data();
    void consumedKeys();
    void pressTakesSpinBoxFocus_data();
    void pressTakesSpinBoxFocus();

    // Showing and the commands.
    void loadOnEntryChange_data();
    void loadOnEntryChange();
    void newMacro_data();
    void newMacro();
    void newMacroRepeatChange();
    void deleteMacro_data();
    void deleteMacro();
    void renameMacro_data();
    void renameMacro();
    void chooser_data();
    void chooser();
    void amend_data();
    void amend();
    void deleteEvent_data();
    void deleteEvent();
    void delayLimit_data();
    void delayLimit();
    void save_data();
    void save();
    void saveWithoutFile_data();
    void saveWithoutFile();
    void unreadableMacro_data();
    void unreadableMacro();
    void contextMenu_data();
    void contextMenu();
    void guardedWhileRecording_data();
    void guardedWhileRecording();

    // Recording.
    void recordKeys_data();
    void recordKeys();
    void recordPlatformKeys_data();
    void recordPlatformKeys();
    void recordLimit();
    void startWithoutMacro();
    void stopAndReset_data();
    void stopAndReset();

    // Device records.
    void downloadBuildsFromFile_data();
    void downloadBuildsFromFile();
    void downloadReportsSent_data();
    void downloadReportsSent();
    void downloadRefused_data();
    void downloadRefused();
    void rebuildFromRecord_data();
    void rebuildFromRecord();
    void rebuildOutsideButtons_data();
    void rebuildOutsideButtons();

    // Export and import.
    void exportImportRoundTrip();
    void exportImportLongest();
    void importShowsOnlyItsMacro();
    void importRefused_data();
    void importRefused();
    void exportNameGetsIniSuffix_data();
    void exportNameGetsIniSuffix();

private:
    template <typename T = QWidget>
    T* child(const char* name) const { return TestEnv::NamedChild<T>(m_page.get(), name); }
    QListWidget* macros() const { return child<QListWidget>("listWidgetHong"); }
    QListWidget* events() const { return child<QListWidget>("listWidgetKey"); }
    QStringList texts(const QListWidget* list) const
    {
        QStringList result;
        for (int i = 0; i < list->count(); ++i)
            result << list->item(i)->text();
        return result;
    }
    QList<int> types(const QListWidget* list) const
    {
        QList<int> result;
        for (int i = 0; i < list->count(); ++i)
            result << list->item(i)->type();
        return result;
    }
    QString path(const QString& name) const { return m_folder + QLatin1Char('/') + name + QStringLiteral(".ini"); }
    void writeMacro(const QString& name, const QByteArray& content) const
    {
        QFile file(path(name));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(content);
    }
    QByteArray readMacro(const QString& name) const
    {
        QFile file(path(name));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
    }
    void makePage()
    {
        m_page = std::make_unique<Macro>(nullptr);
        m_page->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_page.get()));
    }
    void select(const QString& name)
    {
        const QList<QListWidgetItem*> found = macros()->findItems(name, Qt::MatchExactly);
        QVERIFY2(!found.isEmpty(), qPrintable(name));
        macros()->setCurrentItem(found.first());
    }
    bool saveActive() const
    {
        auto* save = child<QToolButton>("Save");
        return save->isEnabled() && !save->styleSheet().contains(QLatin1String("rgb(127,127,127)"));
    }
    bool saveIdle() const
    {
        auto* save = child<QToolButton>("Save");
        return !save->isEnabled() && save->styleSheet().contains(QLatin1String("rgb(127,127,127)"));
    }
    void key(int vk, bool down, quint32 at)
    {
        m_page->RecordHook()->Deliver(vk, down ? KeyboardHook::KeyDown : KeyboardHook::KeyUp, at);
    }

    std::unique_ptr<DeviceLinkFixture> m_fixture;
    std::unique_ptr<ModalAnswers> m_answers;
    std::unique_ptr<Macro> m_page;
    QString m_folder;
};

void TestMacro::init()
{
    m_fixture = std::make_unique<DeviceLinkFixture>();
    const QByteArray devicePath = m_fixture->add(DeviceLinkFixture::CableMouse("m1"));
    QVERIFY(!devicePath.isEmpty());
    LoadLanguageFiles();
    CurrentLanguage.store(0);
    UiSendsChanges.store(1);
    m_fixture->chooseFullyRead("m1", DeviceLinkFixture::InfoFor(devicePath, 36, 1, 2, Drive1));
    m_folder = MacroFolder();
    QVERIFY(m_folder.startsWith(m_fixture->home().path()));
    QVERIFY(QDir().mkpath(m_folder));
    m_answers = std::make_unique<ModalAnswers>();
    HidSim::ClearCalls();
}

void TestMacro::cleanup()
{
    m_page.reset();
    m_answers.reset();
    FileChooser::SetAnswerForTests({});
    QCOMPARE(int(MacroRecording.load()), 0);
    UiSendsChanges.store(0);
    CurrentLanguage.store(0);
    for (QString& name : MouseButtonNames)
        name.clear();
    m_fixture.reset();
}

// ---- the page as built ----

void TestMacro::construction()
{
    writeMacro(QStringLiteral("b"), "1\n");
    writeMacro(QStringLiteral("A"), "1\n");
    writeMacro(QStringLiteral("notes"), "");
    QVERIFY(QFile::rename(path(QStringLiteral("notes")), m_folder + QStringLiteral("/notes.xml")));
    QVERIFY(QFile::copy(path(QStringLiteral("b")), m_folder + QStringLiteral("/c.txt")));
    // Left by a save that a kill cut short.
    QVERIFY(QFile::copy(path(QStringLiteral("b")), path(QStringLiteral("b")) + QStringLiteral(".XyZabc")));
    VEXO_CHECKED(makePage());

    QCOMPARE(texts(macros()), (QStringList{"A", "b"}));
    QCOMPARE(macros()->currentRow(), -1);
    QCOMPARE(events()->count(), 0);
    QVERIFY(saveIdle());
    QVERIFY(child("StopRecord")->isHidden());
    QVERIFY(!child("StartRecord")->isHidden());
    QVERIFY(child<QCheckBox>("AutoInsertDelay")->isChecked());
    QVERIFY(!child<QCheckBox>("DefaultDelay")->isChecked());
    QVERIFY(child<QCheckBox>("ReNumber")->isChecked());
    QVERIFY(!child<QCheckBox>("ReUntil")->isChecked());
    QCOMPARE(child<QSpinBox>("NumberEdit")->value(), 1);
    QCOMPARE(child<QSpinBox>("DelayTime")->value(), 10);
    QCOMPARE(child<QComboBox>("ChooseEvent")->currentIndex(), 0);
    QCOMPARE(child<QComboBox>("ChooseEvent")->count(), 9);
    QCOMPARE(child<QComboBox>("ChooseEvent")->maxVisibleItems(), 5);
    // The open chooser shows five of its nine items and scrolls to the rest.
    auto* chooser = child<QComboBox>("ChooseEvent");
    chooser->showPopup();
    QTRY_VERIFY(chooser->view()->isVisible());
    QVERIFY(chooser->view()->viewport()->height() < 6 * chooser->view()->sizeHintForRow(0));
    QVERIFY(chooser->view()->verticalScrollBar()->maximum() > 0);
    chooser->hidePopup();
    QCOMPARE(child("StartRecord")->focusPolicy(), Qt::NoFocus);
    QCOMPARE(child("StopRecord")->focusPolicy(), Qt::NoFocus);
    QVERIFY(!m_page->RecordHook()->IsInstalled());
    QVERIFY(m_page->RecordHook()->TracksSystemKeys());
    QVERIFY(m_answers->seen.isEmpty());
}

// Both lists as a user sees them with more rows than fit: their own 20-pixel scroll bar (not
// the page's 13-pixel one, nor the style's), and a selected row whose text can be read on its
// light green fill.
void TestMacro::listLooks_data()
{
    QTest::addColumn<QString>("list");
    QTest::newRow("macros") << "listWidgetHong";
    QTest::newRow("events") << "listWidgetKey";
}

void TestMacro::listLooks()
{
    QFETCH(QString, list);
    QByteArray rows("1\n");
    for (int i = 0; i < 20; ++i)
        rows += "0x04 1 0\n10ms\n0x04 1 1\n10ms\n";
    for (int i = 10; i < 40; ++i)
        writeMacro(QStringLiteral("M%1").arg(i), rows);
    VEXO_CHECKED(makePage());
    select(QStringLiteral("M11"));
    QListWidget* shown = child<QListWidget>(qPrintable(list));
    QTRY_VERIFY(shown->count() >= 30);
    shown->setCurrentRow(1);

    QTRY_VERIFY(shown->verticalScrollBar()->isVisible());
    QCOMPARE(shown->verticalScrollBar()->width(), 20);

    // The text only: an event row's coloured icon says nothing about it.
    QRect text = shown->visualItemRect(shown->item(1));
    if (!shown->item(1)->icon().isNull())
        text.setLeft(text.left() + shown->iconSize().width() + 8);
    const double contrast = TestEnv::ContrastRatio(shown->viewport(), text);
    QVERIFY2(contrast >= 4.5, qPrintable(QString::number(contrast)));
}

void TestMacro::texts_data()
{
    QTest::addColumn<int>("language");
    QTest::addColumn<QStringList>("captions"); // label, NewHong, AutoInsertDelayLabel, ReNumber, Save
    QTest::addColumn<QStringList>("chooser");  // items 1 to 8
    QTest::addColumn<QString>("tip");

    const QStringList english{"Macro list", "New macro", "Record actual delays", "Repeat count", "Save"};
    const QStringList englishItems{"Key press",     "Key release",    "Delay",         "Left button",
                                   "Right button",  "Middle button",  "Forward button", "Back button"};
    QTest::newRow("language 0") << 0 << english << englishItems << QString();
    QTest::newRow("language 1") << 1
                                << QStringList{"宏列表", "新建宏", "记录实际延时", "循环次数", "保存"}
                                << QStringList{"按键按下", "按键释放", "延时", "左键", "右键", "中键", "前进键", "后退键"}
                                << QString();
    // A language the files lack reads language 0; only this index shows the tool tip.
    QTest::newRow("language 5") << 5 << english << englishItems << QStringLiteral("New macro");
}

void TestMacro::texts()
{
    QFETCH(int, language);
    QFETCH(QStringList, captions);
    QFETCH(QStringList, chooser);
    QFETCH(QString, tip);
    VEXO_CHECKED(makePage());
    PostMsg::instance()->EmitAllLanguage(5);
    PostMsg::instance()->EmitAllLanguage(language);

    const QStringList shown{child<QLabel>("label")->text(), child<QToolButton>("NewHong")->text(),
                            child<QLabel>("AutoInsertDelayLabel")->text(), child<QCheckBox>("ReNumber")->text(),
                            child<QToolButton>("Save")->text()};
    QCOMPARE(shown, captions);
    QCOMPARE(child("NewHong")->toolTip(), tip);
    QCOMPARE(TestEnv::ComboItemTexts(child<QComboBox>("ChooseEvent")).mid(1), chooser);
    QCOMPARE(child<QComboBox>("ChooseEvent")->itemText(0), QString());
    // The program-wide names of the mouse buttons: left, right, middle, back, forward.
    QCOMPARE(MouseButtonNames[0], chooser.at(3));
    QCOMPARE(MouseButtonNames[2], chooser.at(5));
    QCOMPARE(MouseButtonNames[3], chooser.at(7));
    QCOMPARE(MouseButtonNames[4], chooser.at(6));
}

void TestMacro::buttonNamesWithoutLanguageFiles()
{
    LanguageTables::SetGlobal(LanguageTables());
    VEXO_CHECKED(makePage());
    const QStringList designer{"左键", "右键", "中键", "前进键", "后退键"};
    const QStringList items = TestEnv::ComboItemTexts(child<QComboBox>("ChooseEvent")).mid(4);
    LoadLanguageFiles();
    QCOMPARE(items, designer);
    QCOMPARE(MouseButtonNames[3], designer.at(4));
    QCOMPARE(MouseButtonNames[4], designer.at(3));
}

void TestMacro::languageChangeEventKeepsValues()
{
    VEXO_CHECKED(makePage());
    PostMsg::instance()->EmitAllLanguage(1);
    CurrentLanguage.store(1);
    auto* chooser = child<QComboBox>("ChooseEvent");
    chooser->setCurrentIndex(3);
    child<QSpinBox>("DelayTime")->setValue(500);
    child<QSpinBox>("NumberEdit")->setValue(7);

    QEvent change(QEvent::LanguageChange);
    QApplication::sendEvent(m_page.get(), &change);

    QCOMPARE(chooser->currentIndex(), 3);
    QCOMPARE(child<QSpinBox>("DelayTime")->value(), 500);
    QCOMPARE(child<QSpinBox>("NumberEdit")->value(), 7);
    QCOMPARE(chooser->itemText(7), QStringLiteral("前进键"));
    QCOMPARE(child<QLabel>("label")->text(), QStringLiteral("宏列表"));
}

void TestMacro::consumedKeys_data()
{
    QTest::addColumn<int>("key");
    QTest::addColumn<bool>("consumed");
    QTest::newRow("Escape") << int(Qt::Key_Escape) << true;
    QTest::newRow("F12") << int(Qt::Key_F12) << true;
    QTest::newRow("F11 goes on") << int(Qt::Key_F11) << false;
    QTest::newRow("A goes on") << int(Qt::Key_A) << false;
}

void TestMacro::consumedKeys()
{
    QFETCH(int, key);
    QFETCH(bool, consumed);
    VEXO_CHECKED(makePage());
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
    QApplication::sendEvent(m_page.get(), &press);
    QCOMPARE(press.isAccepted(), consumed);
}

void TestMacro::pressTakesSpinBoxFocus_data()
{
    QTest::addColumn<QString>("focused");
    QTest::addColumn<QString>("pressedOn"); // "" for the page background
    QTest::addColumn<bool>("doubleClick");
    QTest::addColumn<bool>("keepsFocus");
    QTest::newRow("background takes DelayTime's") << "DelayTime" << "" << false << false;
    QTest::newRow("background takes NumberEdit's") << "NumberEdit" << "" << false << false;
    QTest::newRow("inside DelayTime's place") << "DelayTime" << "DelayTime" << false << true;
    QTest::newRow("inside NumberEdit's place") << "DelayTime" << "NumberEdit" << false << true;
    QTest::newRow("second press of a double click") << "DelayTime" << "" << true << true;
}

void TestMacro::pressTakesSpinBoxFocus()
{
    QFETCH(QString, focused);
    QFETCH(QString, pressedOn);
    QFETCH(bool, doubleClick);
    QFETCH(bool, keepsFocus);
    VEXO_CHECKED(makePage());
    m_page->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(m_page.get()));
    QWidget* spin = child(focused.toLatin1().constData());
    spin->setFocus();
    QTRY_VERIFY(spin->hasFocus());

    const QPoint at = pressedOn.isEmpty() ? QPoint(20, 600) : child(pressedOn.toLatin1().constData())->geometry().center();
    QMouseEvent press(doubleClick ? QEvent::MouseButtonDblClick : QEvent::MouseButtonPress, at, m_page->mapToGlobal(at),
                      Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(m_page.get(), &press);

    QCOMPARE(spin->hasFocus(), keepsFocus);
    if (!keepsFocus)
        QVERIFY(m_page->hasFocus());
}

// ---- showing a macro and the commands ----

void TestMacro::loadOnEntryChange_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QString>("checked");
    QTest::addColumn<int>("count");
    QTest::addColumn<QStringList>("rows");

    QTest::newRow("254") << QByteArray("254\n0x04 1 0\n10ms\n0x04 1 1\n") << "ReUntilLoose" << 5
                         << QStringList{"A", "10ms", "A"};
    QTest::newRow("255") << QByteArray("255\n") << "ReUntilClick" << 5 << QStringList{};
    QTest::newRow("253") << QByteArray("253\n") << "ReUntil" << 5 << QStringList{};
    QTest::newRow("count") << QByteArray("7\n0x02 0 0\n") << "ReNumber" << 7 << QStringList{"LShift"};
    QTest::newRow("300") << QByteArray("300\n") << "ReNumber" << 1 << QStringList{};
    QTest::newRow("0") << QByteArray("0\n") << "ReNumber" << 1 << QStringList{};
    QTest::newRow("letters") << QByteArray("abc\n") << "ReNumber" << 1 << QStringList{};
    QTest::newRow("empty file") << QByteArray() << "ReNumber" << 1 << QStringList{};
    QTest::newRow("last line without break") << QByteArray("1\r\n0x05 1 0\r\n125ms\r\n0x05 1 1")
                                             << "ReNumber" << 1 << QStringList{"B", "125ms", "B"};
}

void TestMacro::loadOnEntryChange()
{
    QFETCH(QByteArray, content);
    QFETCH(QString, checked);
    QFETCH(int, count);
    QFETCH(QStringList, rows);
    writeMacro(QStringLiteral("Before"), "255\n0x06 1 0\n");
    writeMacro(QStringLiteral("Shown"), content);
    VEXO_CHECKED(makePage());
    // The entry before sets other controls, and an edit leaves Save active.
    select(QStringLiteral("Before"));
    child<QSpinBox>("NumberEdit")->setValue(5);
    QVERIFY(saveActive());
    const QStringList before = texts(events());
    QCOMPARE(before, QStringList{"C"});

    // The keyboard moves the current entry: that macro is shown.
    macros()->setFocus();
    QTest::keyClick(macros(), Qt::Key_Down);
    QCOMPARE(macros()->currentItem()->text(), QStringLiteral("Shown"));

    QCOMPARE(texts(events()), rows);
    QVERIFY(child<QCheckBox>(checked.toLatin1().constData())->isChecked());
    QCOMPARE(child<QSpinBox>("NumberEdit")->value(), count);
    QVERIFY(saveIdle());
    QCOMPARE(events()->currentRow(), -1);
    // Loading set the controls without a change of its own; the count edited before still
    // counts, for the macro shown now.
    QSignalSpy updates(PostMsg::instance(), &PostMsg::SigUpDataMacro);
    child<QToolButton>("Save")->setEnabled(true);
    child<QToolButton>("Save")->click();
    QCOMPARE(updates.count(), 1);
    QCOMPARE(updates.at(0), (QVariantList{"Shown", 1}));
}

void TestMacro::newMacro_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("created");
    QTest::addColumn<QStringList>("dialogs");

    const QStringList ask{"QuestionDialog"};
    const QStringList same{"QuestionDialog", "SameMacro"};
    QTest::newRow("empty") << "" << false << ask;
    QTest::newRow("listed name") << "A" << false << same;
    QTest::newRow("file not listed") << "Unlisted" << false << same;
    QTest::newRow("other case") << "a" << true << ask;
    QTest::newRow("holds .ini") << "x.ini" << false << ask;
    QTest::newRow("holds xml") << "myxml" << false << ask;
    QTest::newRow("new") << "Fresh" << true << ask;
}

void TestMacro::newMacro()
{
    QFETCH(QString, name);
    QFETCH(bool, created);
    QFETCH(QStringList, dialogs);
    writeMacro(QStringLiteral("A"), "1\n0x04 1 0\n");
    writeMacro(QStringLiteral("Z"), "1\n0x04 1 0\n");
    VEXO_CHECKED(makePage());
    writeMacro(QStringLiteral("Unlisted"), "9\n");
    select(QStringLiteral("Z"));
    const QStringList before = texts(macros());
    m_answers->on(QStringLiteral("QuestionDialog"), answerName(name));

    child<QToolButton>("NewHong")->click();

    QCOMPARE(m_answers->seen, dialogs);
    if (!created) {
        QCOMPARE(texts(macros()), before);
        QCOMPARE(macros()->currentItem()->text(), QStringLiteral("Z"));
        QCOMPARE(texts(events()), QStringList{"A"});
        QCOMPARE(readMacro(QStringLiteral("Unlisted")), QByteArray("9\n"));
        QCOMPARE(QDir(m_folder).entryList(QDir::Files).size(), 3);
        return;
    }
    QCOMPARE(texts(macros()), before + QStringList{name});
    QCOMPARE(macros()->currentRow(), macros()->count() - 1);
    QCOMPARE(readMacro(name), QByteArray());
    QCOMPARE(events()->count(), 0);
    QVERIFY(child<QCheckBox>("ReNumber")->isChecked());
    QCOMPARE(child<QSpinBox>("NumberEdit")->value(), 1);
    // The repeat controls were as loaded: no repeat change, Save as it was.
    QVERIFY(saveIdle());
}

void TestMacro::newMacroRepeatChange()
{
    writeMacro(QStringLiteral("Loose"), "254\n");
    VEXO_CHECKED(makePage());
    select(QStringLiteral("Loose"));
    QVERIFY(saveIdle());
    m_answers->on(QStringLiteral("QuestionDialog"), answerName(QStringLiteral("N")));
    child<QToolButton>("NewHong")->click();

    QVERIFY(child<QCheckBox>("ReNumber")->isChecked());
    QVERIFY(saveActive());
    QSignalSpy updates(PostMsg::instance(), &PostMsg::SigUpDataMacro);
    child<QToolButton>("Save")->click();
    QCOMPARE(updates.count(), 1);
    QCOMPARE(updates.at(0), (QVariantList{"N", 1}));
    QCOMPARE(readMacro(QStringLiteral("N")), QByteArray("1\n"));
}

void TestMacro::deleteMacro_data()
{
    QTest::addColumn<int>("language");
    QTest::addColumn<bool>("confirm");
    QTest::addColumn<QString>("caption");
    QTest::newRow("confirmed") << 0 << true << "Macro: M";
    QTest::newRow("confirmed, language 1") << 1 << true << "宏：M";
    QTest::newRow("not confirmed") << 0 << false << "";
}

void TestMacro::deleteMacro()
{
    QFETCH(int, language);
    QFETCH(bool, confirm);
    QFETCH(QString, caption);
    writeMacro(QStringLiteral("M"), "1\n0x04 1 0\n");
    writeMacro(QStringLiteral("N"), "1\n");
    VEXO_CHECKED(makePage());
    PostMsg::instance()->EmitAllLanguage(language);
    select(QStringLiteral("M"));
    m_answers->on(QStringLiteral("DeleteConfirm"), answerConfirm(confirm));
    QSignalSpy deleted(PostMsg::instance(), &PostMsg::SigDeleteMacroButton);

    child<QToolButton>("DeleteHong")->click();

    QCOMPARE(m_answers->seen, QStringList{"DeleteConfirm"});
    if (!confirm) {
        QCOMPARE(deleted.count(), 0);
        QCOMPARE(texts(macros()), (QStringList{"M", "N"}));
        QCOMPARE(readMacro(QStringLiteral("M")), QByteArray("1\n0x04 1 0\n"));
        QCOMPARE(texts(events()), QStringList{"A"});
        return;
    }
    QCOMPARE(deleted.count(), 1);
    QCOMPARE(deleted.at(0).at(0).toString(), caption);
    QVERIFY(!QFile::exists(path(QStringLiteral("M"))));
    QCOMPARE(texts(macros()), QStringList{"N"});
    QCOMPARE(macros()->currentRow(), -1);
    QCOMPARE(events()->count(), 0);
}

void TestMacro::renameMacro_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QStringList>("dialogs");
    QTest::addColumn<bool>("renamed");
    QTest::newRow("new name") << "R" << QStringList{"QuestionDialog"} << true;
    QTest::newRow("own name") << "M" << QStringList{"QuestionDialog", "SameMacro"} << false;
    QTest::newRow("another entry") << "N" << QStringList{"QuestionDialog", "SameMacro"} << false;
    QTest::newRow("empty") << "" << QStringList{"QuestionDialog"} << false;
    QTest::newRow("holds xml") << "xmlish" << QStringList{"QuestionDialog"} << false;
    QTest::newRow("file not listed") << "Unlisted" << QStringList{"QuestionDialog", "SameMacro"} << false;
}

void TestMacro::renameMacro()
{
    QFETCH(QString, name);
    QFETCH(QStringList, dialogs);
    QFETCH(bool, renamed);
    writeMacro(QStringLiteral("M"), "3\n0x04 1 0\n");
    writeMacro(QStringLiteral("N"), "1\n");
    VEXO_CHECKED(makePage());
    writeMacro(QStringLiteral("Unlisted"), "9\n");
    select(QStringLiteral("M"));
    m_answers->on(QStringLiteral("QuestionDialog"), answerName(name));
    QSignalSpy renames(PostMsg::instance(), &PostMsg::SigMacroRename);

    QVERIFY(QMetaObject::invokeMethod(m_page.get(), "RenameMacro"));

    QCOMPARE(m_answers->seen, dialogs);
    if (!renamed) {
        QCOMPARE(renames.count(), 0);
        QCOMPARE(texts(macros()), (QStringList{"M", "N"}));
        QCOMPARE(readMacro(QStringLiteral("M")), QByteArray("3\n0x04 1 0\n"));
        return;
    }
    QCOMPARE(renames.count(), 1);
    QCOMPARE(renames.at(0), (QVariantList{"M", name}));
    QCOMPARE(texts(macros()), (QStringList{name, "N"}));
    QVERIFY(!QFile::exists(path(QStringLiteral("M"))));
    QCOMPARE(readMacro(name), QByteArray("3\n0x04 1 0\n"));
}

void TestMacro::chooser_data()
{
    QTest::addColumn<bool>("macroSelected");
    QTest::addColumn<int>("selectedRow");
    QTest::addColumn<int>("item");
    QTest::addColumn<QStringList>("dialogs");
    QTest::addColumn<QByteArray>("saved"); // the rows as saved; "" when nothing was inserted

    const QStringList none;
    QTest::newRow("press, no macro") << false << -1 << 1 << QStringList{"addKey"} << QByteArray();
    QTest::newRow("press") << true << -1 << 1 << QStringList{"addKey"} << QByteArray("0x04 1 0\n10ms\n0x05 1 0\n");
    QTest::newRow("release after the first event") << true << 0 << 2 << QStringList{"addKey"}
                                                   << QByteArray("0x04 1 0\n10ms\n0x05 1 1\n");
    QTest::newRow("delay, no row selected") << true << -1 << 3 << QStringList{"AddDelayTime"} << QByteArray();
    // The first event takes no delay, yet the command counts as an edit.
    QTest::newRow("delay on the first row") << true << 0 << 3 << QStringList{"AddDelayTime"} << QByteArray("0x04 1 0\n");
    QTest::newRow("delay before an event") << true << 2 << 3 << QStringList{"AddDelayTime"} << QByteArray("0x04 1 0\n500ms\n0x05 1 0\n");
    QTest::newRow("left button, no macro") << false << -1 << 4 << none << QByteArray();
    QTest::newRow("left button") << true << -1 << 4 << none << QByteArray("0x04 1 0\n10ms\n0x01 4 0\n10ms\n0x01 4 1\n");
    QTest::newRow("right button") << true << -1 << 5 << none << QByteArray("0x04 1 0\n10ms\n0x02 4 0\n10ms\n0x02 4 1\n");
    QTest::newRow("middle button") << true << -1 << 6 << none << QByteArray("0x04 1 0\n10ms\n0x04 4 0\n10ms\n0x04 4 1\n");
    QTest::newRow("forward button") << true << -1 << 7 << none << QByteArray("0x04 1 0\n10ms\n0x10 4 0\n10ms\n0x10 4 1\n");
    QTest::newRow("back button") << true << -1 << 8 << none << QByteArray("0x04 1 0\n10ms\n0x08 4 0\n10ms\n0x08 4 1\n");
    QTest::newRow("empty item") << true << -1 << 0 << none << QByteArray();
}

void TestMacro::chooser()
{
    QFETCH(bool, macroSelected);
    QFETCH(int, selectedRow);
    QFETCH(int, item);
    QFETCH(QStringList, dialogs);
    QFETCH(QByteArray, saved);
    writeMacro(QStringLiteral("M"), item == 3 && selectedRow == 2 ? "1\n0x04 1 0\n10ms\n0x05 1 0\n" : "1\n0x04 1 0\n");
    VEXO_CHECKED(makePage());
    if (macroSelected)
        select(QStringLiteral("M"));
    events()->setCurrentRow(selectedRow);
    m_answers->on(QStringLiteral("addKey"), answerKey(QStringLiteral("B")));
    m_answers->on(QStringLiteral("AddDelayTime"), answerDelay(500));
    const QStringList before = texts(events());

    QMetaObject::invokeMethod(child("ChooseEvent"), "activated", Q_ARG(int, item));

    QCOMPARE(m_answers->seen, dialogs);
    if (saved.isEmpty()) {
        QCOMPARE(texts(events()), before);
        QVERIFY(saveIdle());
        return;
    }
    QVERIFY(saveActive());
    QSignalSpy updates(PostMsg::instance(), &PostMsg::SigUpDataMacro);
    child<QToolButton>("Save")->click();
    QCOMPARE(readMacro(QStringLiteral("M")), QByteArray("1\n") + saved);
    QCOMPARE(updates.count(), 1);
    QCOMPARE(updates.at(0), (QVariantList{"M", 0}));
}

void TestMacro::amend_data()
{
    QTest::addColumn<int>("row");
    QTest::addColumn<QString>("dialog");
    QTest::addColumn<bool>("confirm");
    QTest::addColumn<QByteArray>("saved");
    QTest::addColumn<bool>("eventsChanged");

    const QByteArray before("1\n0x04 1 0\n10ms\n0x04 1 1\n");
    QTest::newRow("delay") << 1 << "AddDelayTime" << true << QByteArray("1\n0x04 1 0\n250ms\n0x04 1 1\n") << true;
    QTest::newRow("release keeps its direction") << 2 << "addKey" << true << QByteArray("1\n0x04 1 0\n10ms\n0x05 1 1\n")
                                                 << true;
    QTest::newRow("same key again") << 0 << "addKey" << true << before << false;
    QTest::newRow("cancelled") << 1 << "AddDelayTime" << false << before << false;
    QTest::newRow("no row selected") << -1 << "" << true << before << false;
}

void TestMacro::amend()
{
    QFETCH(int, row);
    QFETCH(QString, dialog);
    QFETCH(bool, confirm);
    QFETCH(QByteArray, saved);
    QFETCH(bool, eventsChanged);
    writeMacro(QStringLiteral("M"), "1\n0x04 1 0\n10ms\n0x04 1 1\n");
    VEXO_CHECKED(makePage());
    select(QStringLiteral("M"));
    events()->setCurrentRow(row);
    const QString keyName = row == 0 ? QStringLiteral("A") : QStringLiteral("B");
    m_answers->on(QStringLiteral("addKey"), confirm ? answerKey(keyName) : answerConfirm(false));
    m_answers->on(QStringLiteral("AddDelayTime"), confirm ? answerDelay(250) : answerConfirm(false));

    child<QToolButton>("Amend")->click();

    QCOMPARE(m_answers->seen, dialog.isEmpty() ? QStringList() : QStringList{dialog});
    QCOMPARE(saveActive(), confirm && !dialog.isEmpty());
    if (row == 2)
        QCOMPARE(events()->item(2)->type(), int(MacroEventRow::Release));
    QSignalSpy updates(PostMsg::instance(), &PostMsg::SigUpDataMacro);
    child<QToolButton>("Save")->setEnabled(true);
    child<QToolButton>("Save")->click();
    QCOMPARE(readMacro(QStringLiteral("M")), saved);
    QCOMPARE(updates.count(), eventsChanged ? 1 : 0);
}

void TestMacro::deleteEvent_data()
{
    QTest::addColumn<QByteArray>("rows");
    QTest::addColumn<int>("selected");
    QTest::addColumn<QStringList>("left");
    QTest::addColumn<bool>("changed");

    const QByteArray three("0x04 1 0\n10ms\n0x04 1 1\n");
    const QByteArray five("0x04 1 0\n10ms\n0x05 1 0\n20ms\n0x06 1 0\n");
    QTest::newRow("three rows, none selected") << three << -1 << QStringList{} << true;
    QTest::newRow("three rows, last selected") << three << 2 << QStringList{} << true;
    QTest::newRow("five, event in the middle") << five << 2 << QStringList{"A", "10ms", "C"} << true;
    QTest::newRow("five, delay after it") << five << 3 << QStringList{"A", "10ms", "C"} << true;
    QTest::newRow("five, last row") << five << 4 << QStringList{"A", "10ms", "B"} << true;
    QTest::newRow("five, first delay") << five << 1 << QStringList{"B", "20ms", "C"} << true;
    QTest::newRow("five, none selected") << five << -1 << QStringList{"A", "10ms", "B", "20ms", "C"} << false;
}

void TestMacro::deleteEvent()
{
    QFETCH(QByteArray, rows);
    QFETCH(int, selected);
    QFETCH(QStringList, left);
    QFETCH(bool, changed);
    writeMacro(QStringLiteral("M"), "1\n" + rows);
    VEXO_CHECKED(makePage());
    select(QStringLiteral("M"));
    events()->setCurrentRow(selected);

    child<QToolButton>("DeleteKey")->click();

    QCOMPARE(texts(events()), left);
    QCOMPARE(saveActive(), changed);
    if (!changed)
        return;
    QSignalSpy updates(PostMsg::instance(), &PostMsg::SigUpDataMacro);
    child<QToolButton>("Save")->click();
    QCOMPARE(updates.count(), 1);
    QCOMPARE(updates.at(0), (QVariantList{"M", 0}));
}

void TestMacro::delayLimit_data()
{
    QTest::addColumn<int>("typed");
    QTest::addColumn<int>("shown");
    QTest::newRow("70000") << 70000 << 65535;
    QTest::newRow("65535") << 65535 << 65535;
    QTest::newRow("65534") << 65534 << 65534;
}

void TestMacro::delayLimit()
{
    QFETCH(int, typed);
    QFETCH(int, shown);
    VEXO_CHECKED(makePage());
    child<QSpinBox>("DelayTime")->setValue(typed);
    QCOMPARE(child<QSpinBox>("DelayTime")->value(), shown);
}

void TestMacro::save_data()
{
    QTest::addColumn<QString>("mode");
    QTest::addColumn<int>("count");
    QTest::addColumn<bool>("insert");
    QTest::addColumn<QByteArray>("firstLine");
    QTest::addColumn<QList<int>>("signalled");

    QTest::newRow("until click") << "ReUntilClick" << 1 << false << QByteArray("255") << QList<int>{1};
    QTest::newRow("until released") << "ReUntilLoose" << 1 << false << QByteArray("254") << QList<int>{1};
    QTest::newRow("until any") << "ReUntil" << 1 << false << QByteArray("253") << QList<int>{1};
    QTest::newRow("count 7") << "ReNumber" << 7 << false << QByteArray("7") << QList<int>{1};
    QTest::newRow("event and count") << "ReNumber" << 7 << true << QByteArray("7") << QList<int>{0, 1};
    QTest::newRow("event only") << "ReNumber" << 1 << true << QByteArray("1") << QList<int>{0};
    QTest::newRow("nothing changed") << "ReNumber" << 1 << false << QByteArray("1") << QList<int>{};
}

void TestMacro::save()
{
    QFETCH(QString, mode);
    QFETCH(int, count);
    QFETCH(bool, insert);
    QFETCH(QByteArray, firstLine);
    QFETCH(QList<int>, signalled);
    writeMacro(QStringLiteral("M"), "1\n0x04 1 0\n");
    VEXO_CHECKED(makePage());
    select(QStringLiteral("M"));
    child<QCheckBox>(mode.toLatin1().constData())->setChecked(true);
    child<QSpinBox>("NumberEdit")->setValue(count);
    if (insert)
        QMetaObject::invokeMethod(child("ChooseEvent"), "activated", Q_ARG(int, 4));
    QSignalSpy updates(PostMsg::instance(), &PostMsg::SigUpDataMacro);

    child<QToolButton>("Save")->setEnabled(true);
    child<QToolButton>("Save")->click();

    QVERIFY(saveIdle());
    QCOMPARE(readMacro(QStringLiteral("M")).split('\n').first(), firstLine);
    QList<int> got;
    for (const QList<QVariant>& args : updates) {
        QCOMPARE(args.at(0).toString(), QStringLiteral("M"));
        got << args.at(1).toInt();
    }
    QCOMPARE(got, signalled);
    // A second save right after sends nothing.
    updates.clear();
    child<QToolButton>("Save")->setEnabled(true);
    child<QToolButton>("Save")->click();
    QCOMPARE(updates.count(), 0);
}

void TestMacro::saveWithoutFile_data()
{
    QTest::addColumn<bool>("writable");
    QTest::newRow("file deleted behind the page") << true;
    QTest::newRow("its name taken by a folder") << false;
}

void TestMacro::saveWithoutFile()
{
    QFETCH(bool, writable);
    writeMacro(QStringLiteral("M"), "1\n0x04 1 0\n");
    VEXO_CHECKED(makePage());
    select(QStringLiteral("M"));
    QMetaObject::invokeMethod(child("ChooseEvent"), "activated", Q_ARG(int, 4));
    const QStringList edited = texts(events());
    QVERIFY(saveActive());
    QVERIFY(QFile::remove(path(QStringLiteral("M"))));
    if (!writable)
        QVERIFY(QDir().mkpath(path(QStringLiteral("M"))));
    QString failText;
    m_answers->on(QStringLiteral("InportFail"), [&](QWidget* notice) {
        failText = notice->findChild<QLabel*>(QStringLiteral("label"))->text();
        notice->close();
    });
    QSignalSpy updates(PostMsg::instance(), &PostMsg::SigUpDataMacro);

    child<QToolButton>("Save")->click();

    const QByteArray withEdits("1\n0x04 1 0\n10ms\n0x01 4 0\n10ms\n0x01 4 1\n");
    if (writable) {
        QVERIFY(m_answers->seen.isEmpty());
        QCOMPARE(readMacro(QStringLiteral("M")), withEdits);
        QCOMPARE(updates.count(), 1);
        QVERIFY(saveIdle());
        return;
    }
    // Nothing written, and the user is told; the edits stay to be saved again.
    QCOMPARE(m_answers->seen, QStringList{"InportFail"});
    QCOMPARE(failText, LangText(LangTable::InportFailTexts, 0, 3));
    QVERIFY(QFileInfo(path(QStringLiteral("M"))).isDir());
    QCOMPARE(updates.count(), 0);
    QVERIFY(saveActive());
    QCOMPARE(texts(events()), edited);
    QVERIFY(QDir().rmdir(path(QStringLiteral("M"))));
    child<QToolButton>("Save")->click();
    QCOMPARE(readMacro(QStringLiteral("M")), withEdits);
    QCOMPARE(updates.count(), 1);
    QCOMPARE(updates.at(0), (QVariantList{"M", 0}));
}

void TestMacro::unreadableMacro_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<bool>("notice");
    QTest::newRow("over the size bound") << "200 KiB" << true;
    QTest::newRow("a folder by now") << "folder" << true;
    QTest::newRow("lines that are no macro") << "junk" << true;
    QTest::newRow("last line cut short") << "cut" << true;
    // Removed behind the page: an empty macro that Save writes again.
    QTest::newRow("missing") << "missing" << false;
}

void TestMacro::unreadableMacro()
{
    QFETCH(QString, file);
    QFETCH(bool, notice);
    writeMacro(QStringLiteral("Before"), "255\n0x06 1 0\n");
    writeMacro(QStringLiteral("M"), "1\n0x04 1 0\n");
    VEXO_CHECKED(makePage());
    select(QStringLiteral("Before"));
    if (file == QLatin1String("200 KiB")) {
        writeMacro(QStringLiteral("M"), "1\n" + QByteArray("0x04 1 0\n10ms\n").repeated(200 * 1024 / 14));
    } else if (file == QLatin1String("junk")) {
        static const char junk[] = "\x8f\x03\xd1 7\n\xfe\x00\x41z\n\x7fq r s t\n";
        writeMacro(QStringLiteral("M"), QByteArray(junk, int(sizeof junk) - 1));
    } else if (file == QLatin1String("cut")) {
        writeMacro(QStringLiteral("M"), "1\n0x04 1 0\n10ms\n0x0");
    } else {
        QVERIFY(QFile::remove(path(QStringLiteral("M"))));
        if (file == QLatin1String("folder"))
            QVERIFY(QDir().mkpath(path(QStringLiteral("M"))));
    }
    QString failText;
    m_answers->on(QStringLiteral("InportFail"), [&](QWidget* dialog) {
        failText = dialog->findChild<QLabel*>(QStringLiteral("label"))->text();
        dialog->close();
    });
    const QStringList listBefore = texts(macros());
    const QByteArray fileBefore = readMacro(QStringLiteral("M"));

    // A click as the user gives it: the press changes the entry, the release clicks it; both load.
    const QRect entry = macros()->visualItemRect(macros()->findItems(QStringLiteral("M"), Qt::MatchExactly).first());
    QTest::mouseClick(macros()->viewport(), Qt::LeftButton, Qt::NoModifier, entry.center());
    QCOMPARE(macros()->currentItem()->text(), QStringLiteral("M"));
    // The notice follows the click's events.
    QCoreApplication::sendPostedEvents(m_page.get(), QEvent::MetaCall);

    QCOMPARE(m_answers->seen, notice ? QStringList{"InportFail"} : QStringList{});
    if (notice)
        QCOMPARE(failText, LangText(LangTable::InportFailTexts, 0, 0));
    QCOMPARE(events()->count(), 0);
    QVERIFY(saveIdle());
    // The macro stays listed and its file as it was.
    QCOMPARE(texts(macros()), listBefore);
    QCOMPARE(readMacro(QStringLiteral("M")), fileBefore);
}

void TestMacro::contextMenu_data()
{
    QTest::addColumn<QString>("over"); // the entry under the pointer, "" for empty space
    QTest::addColumn<QStringList>("captions");
    QTest::addColumn<int>("chosen");
    QTest::addColumn<QStringList>("left"); // the macro list afterwards
    QTest::newRow("over an entry, delete it") << "N" << QStringList{"Export", "Rename", "Delete"} << 2
                                              << QStringList{"M"};
    QTest::newRow("empty space, new macro") << "" << QStringList{"New macro", "Import"} << 0
                                            << QStringList{"M", "N", "Q"};
}

void TestMacro::contextMenu()
{
    QFETCH(QString, over);
    QFETCH(QStringList, captions);
    QFETCH(int, chosen);
    QFETCH(QStringList, left);
    writeMacro(QStringLiteral("M"), "1\n");
    writeMacro(QStringLiteral("N"), "1\n");
    VEXO_CHECKED(makePage());
    select(QStringLiteral("M"));
    if (!over.isEmpty())
        select(over); // the right press makes the entry current
    m_answers->on(QStringLiteral("DeleteConfirm"), answerConfirm(true));
    m_answers->on(QStringLiteral("QuestionDialog"), answerName(QStringLiteral("Q")));
    QStringList shown;
    QTimer menuAnswer;
    connect(&menuAnswer, &QTimer::timeout, this, [&] {
        auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        if (!menu)
            return;
        menuAnswer.stop();
        for (QAction* action : menu->actions())
            shown << action->text();
        menu->actions().value(chosen)->trigger();
        menu->close();
    });
    menuAnswer.start(5);
    const QPoint at = over.isEmpty() ? QPoint(10, 400)
                                     : macros()->visualItemRect(macros()->findItems(over, Qt::MatchExactly).first()).center();

    QMetaObject::invokeMethod(macros(), "customContextMenuRequested", Q_ARG(QPoint, at));

    QCOMPARE(shown, captions);
    QCOMPARE(texts(macros()), left);
}

void TestMacro::guardedWhileRecording_data()
{
    QTest::addColumn<QString>("command");
    QTest::newRow("new") << "NewHong";
    QTest::newRow("delete macro") << "DeleteHong";
    QTest::newRow("amend") << "Amend";
    QTest::newRow("delete event") << "DeleteKey";
    QTest::newRow("save") << "Save";
}

void TestMacro::guardedWhileRecording()
{
    QFETCH(QString, command);
    writeMacro(QStringLiteral("M"), "1\n");
    VEXO_CHECKED(makePage());
    select(QStringLiteral("M"));
    child<QPushButton>("StartRecord")->click();
    key(VkA, true, 100);
    key(VkA, false, 200);
    events()->setCurrentRow(0);
    QSignalSpy updates(PostMsg::instance(), &PostMsg::SigUpDataMacro);
    QSignalSpy deleted(PostMsg::instance(), &PostMsg::SigDeleteMacroButton);
    child<QToolButton>("Save")->setEnabled(true);

    child<QToolButton>(command.toLatin1().constData())->click();

    QCOMPARE(m_answers->seen, QStringList{"ExeIsRun"});
    QCOMPARE(texts(events()), (QStringList{"A", "100ms", "A"}));
    QCOMPARE(texts(macros()), QStringList{"M"});
    QCOMPARE(readMacro(QStringLiteral("M")), QByteArray("1\n"));
    QCOMPARE(updates.count() + deleted.count(), 0);
    QCOMPARE(int(MacroRecording.load()), 1);
    child<QPushButton>("StopRecord")->click();
}

// ---- recording ----

void TestMacro::recordKeys_data()
{
    QTest::addColumn<bool>("measured");
    QTest::addColumn<QStringList>("rows");
    QTest::newRow("measured delays") << true << QStringList{"A", "125ms", "A", "275ms", "B", "50ms", "B"};
    QTest::newRow("fixed delay 50") << false << QStringList{"A", "50ms", "A", "50ms", "B", "50ms", "B"};
}

void TestMacro::recordKeys()
{
    QFETCH(bool, measured);
    QFETCH(QStringList, rows);
    writeMacro(QStringLiteral("R"), "1\n0x06 1 0\n");
    VEXO_CHECKED(makePage());
    m_page->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(m_page.get()));
    select(QStringLiteral("R"));
    child<QCheckBox>(measured ? "AutoInsertDelay" : "DefaultDelay")->setChecked(true);
    child<QSpinBox>("DelayTime")->setValue(50);
    QSignalSpy record(PostMsg::instance(), &PostMsg::SigStartRecord);

    child<QPushButton>("StartRecord")->click();
    QCOMPARE(record.count(), 1);
    QCOMPARE(record.at(0).at(0).toInt(), 0);
    QVERIFY(m_page->RecordHook()->IsInstalled());
    QCOMPARE(int(MacroRecording.load()), 1);
    QCOMPARE(events()->count(), 0);
    QVERIFY(child("StartRecord")->isHidden());
    QVERIFY(!child("StopRecord")->isHidden());
    QVERIFY(!macros()->isEnabled());
    QVERIFY(!child("ChooseEvent")->isEnabled());
    QVERIFY(child("DelayTime")->isHidden());
    QVERIFY(child("NumberEdit")->isHidden());
    QTRY_VERIFY(m_page->hasFocus());

    key(VkA, true, 1000);
    key(VkA, true, 1030); // held: an auto-repeat
    key(VkA, false, 1125);
    key(VkB, true, 1400);
    key(VkB, false, 1450);

    QCOMPARE(texts(events()), rows);
    QCOMPARE(types(events()), (QList<int>{0, 0, 1, 0, 0, 0, 1}));

    child<QPushButton>("StopRecord")->click();
    QCOMPARE(record.count(), 2);
    QCOMPARE(record.at(1).at(0).toInt(), 1);
    QVERIFY(!m_page->RecordHook()->IsInstalled());
    QCOMPARE(int(MacroRecording.load()), 0);
    QVERIFY(saveActive());
    QVERIFY(macros()->isEnabled());
    QVERIFY(child("ChooseEvent")->isEnabled());
    QVERIFY(!child("DelayTime")->isHidden());
    QVERIFY(!child("NumberEdit")->isHidden());
    QVERIFY(!child("StartRecord")->isHidden());
    QVERIFY(child("StopRecord")->isHidden());
    // Keys after the stop add nothing.
    key(VkA, true, 2000);
    QCOMPARE(events()->count(), rows.size());

    QSignalSpy updates(PostMsg::instance(), &PostMsg::SigUpDataMacro);
    child<QToolButton>("Save")->click();
    const QString delay = measured ? QStringLiteral("275ms") : QStringLiteral("50ms");
    const QString first = measured ? QStringLiteral("125ms") : QStringLiteral("50ms");
    QCOMPARE(QString::fromUtf8(readMacro(QStringLiteral("R"))),
             QStringLiteral("1\n0x04 1 0\n") + first + QStringLiteral("\n0x04 1 1\n") + delay
                 + QStringLiteral("\n0x05 1 0\n50ms\n0x05 1 1\n"));
    QCOMPARE(updates.count(), 1);
    QCOMPARE(updates.at(0), (QVariantList{"R", 0}));
}

void TestMacro::recordPlatformKeys_data()
{
    QTest::addColumn<QString>("script");
    QTest::addColumn<bool>("queued");
    QTest::addColumn<QStringList>("rows");
    // X11 repeats a held key as a release and a press at one server time.
    const QString held = QStringLiteral("A+1000 A-1500 A+1500 A-1533 A+1533 A-2000");
    const QString again = QStringLiteral("A+1000 A-1500 A+1600 A-2000");
    for (const bool queued : {false, true}) {
        const char* const how = queued ? "queued" : "one by one";
        QTest::addRow("held key, %s", how) << held << queued << QStringList{"A", "1000ms", "A"};
        QTest::addRow("released and pressed again, %s", how)
            << again << queued << QStringList{"A", "500ms", "A", "100ms", "A", "400ms", "A"};
    }
}

void TestMacro::recordPlatformKeys()
{
    QFETCH(QString, script);
    QFETCH(bool, queued);
    QFETCH(QStringList, rows);
    writeMacro(QStringLiteral("R"), "1\n");
    VEXO_CHECKED(makePage());
    m_page->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(m_page.get()));
    select(QStringLiteral("R"));
    child<QCheckBox>("AutoInsertDelay")->setChecked(true);
    child<QPushButton>("StartRecord")->click();
    QTRY_VERIFY(m_page->hasFocus());

    VEXO_CHECKED(TestEnv::SendPlatformKeys(script, queued));
    QTRY_COMPARE(texts(events()), rows);
    child<QPushButton>("StopRecord")->click();
}

void TestMacro::recordLimit()
{
    writeMacro(QStringLiteral("R"), "1\n");
    VEXO_CHECKED(makePage());
    select(QStringLiteral("R"));
    child<QPushButton>("StartRecord")->click();
    bool hookDuringNotice = true;
    m_answers->on(QStringLiteral("KeyNumberLimit"), [&](QWidget* notice) {
        hookDuringNotice = m_page->RecordHook()->IsInstalled();
        notice->close();
    });

    quint32 at = 1000;
    for (int i = 0; i < 35; ++i) {
        key(VkA, true, at += 10);
        key(VkA, false, at += 10);
    }
    // The notice opens after the key's callback has returned.
    QVERIFY(m_answers->seen.isEmpty());
    QCOMPARE(int(MacroRecording.load()), 0);
    QVERIFY(!m_page->RecordHook()->IsInstalled());
    QTRY_COMPARE(m_answers->seen, QStringList{"KeyNumberLimit"});
    QVERIFY(!hookDuringNotice);

    QCOMPARE(events()->count(), 139);
    int delays = 0;
    for (const QString& text : texts(events()))
        delays += text.contains(QLatin1String("ms")) ? 1 : 0;
    QCOMPARE(delays, 69);
    key(VkB, true, at += 10);
    key(VkB, false, at += 10);
    QCOMPARE(events()->count(), 139);
    // The recording layout stays until Stop.
    QVERIFY(!child("StopRecord")->isHidden());
    QVERIFY(!macros()->isEnabled());
    QSignalSpy record(PostMsg::instance(), &PostMsg::SigStartRecord);
    child<QPushButton>("StopRecord")->click();
    QCOMPARE(record.count(), 1);
    QVERIFY(macros()->isEnabled());
}

void TestMacro::startWithoutMacro()
{
    writeMacro(QStringLiteral("R"), "1\n");
    VEXO_CHECKED(makePage());
    QSignalSpy record(PostMsg::instance(), &PostMsg::SigStartRecord);
    child<QPushButton>("StartRecord")->click();
    QCOMPARE(m_answers->seen, QStringList{"ExeIsRun"});
    QCOMPARE(record.count(), 0);
    QCOMPARE(int(MacroRecording.load()), 0);
    QVERIFY(!m_page->RecordHook()->IsInstalled());
    QVERIFY(!child("StartRecord")->isHidden());
    key(VkA, true, 10);
    QCOMPARE(events()->count(), 0);
}

void TestMacro::stopAndReset_data()
{
    QTest::addColumn<QString>("how");
    QTest::addColumn<bool>("saveActive");
    QTest::newRow("stop") << "stop" << true;
    QTest::newRow("page reset") << "reset" << false;
    QTest::newRow("page closed") << "destroy" << false;
}

void TestMacro::stopAndReset()
{
    QFETCH(QString, how);
    QFETCH(bool, saveActive);
    writeMacro(QStringLiteral("R"), "1\n");
    VEXO_CHECKED(makePage());
    select(QStringLiteral("R"));
    child<QPushButton>("StartRecord")->click();
    key(VkA, true, 10);
    QSignalSpy record(PostMsg::instance(), &PostMsg::SigStartRecord);

    if (how == QLatin1String("stop"))
        child<QPushButton>("StopRecord")->click();
    else if (how == QLatin1String("reset"))
        PostMsg::instance()->EmitSetMacroPage();
    else
        m_page.reset();

    QCOMPARE(record.count(), 1);
    QCOMPARE(record.at(0).at(0).toInt(), 1);
    QCOMPARE(int(MacroRecording.load()), 0);
    if (!m_page)
        return;
    QVERIFY(!m_page->RecordHook()->IsInstalled());
    QVERIFY(macros()->isEnabled());
    QVERIFY(child("ChooseEvent")->isEnabled());
    QVERIFY(!child("StartRecord")->isHidden());
    QVERIFY(child("StopRecord")->isHidden());
    QVERIFY(!child("DelayTime")->isHidden());
    QCOMPARE(this->saveActive(), saveActive);
    QCOMPARE(saveIdle(), !saveActive);
    QCOMPARE(texts(events()), QStringList{"A"});
}

// ---- device records ----

void TestMacro::downloadBuildsFromFile_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("state"); // what the page shows meanwhile

    QTest::newRow("nothing shown") << "M" << "";
    QTest::newRow("another macro with edits") << "M" << "other";
    QTest::newRow("during a recording") << "M" << "recording";
    QTest::newRow("M with unsaved edits") << "M" << "edited";
    QTest::newRow("name with a zero") << QStringLiteral("M") + QChar(0) << "";
}

void TestMacro::downloadReportsSent_data()
{
    QTest::addColumn<int>("events");
    QTest::addColumn<int>("maxReports");
    QTest::newRow("one event") << 1 << 2;
    QTest::newRow("35 events") << 35 << 6;
    QTest::newRow("70 events") << 70 << 12;
}

// A push sends only the 64-byte reports its record changed (printed for the record).
void TestMacro::downloadReportsSent()
{
    QFETCH(int, events);
    QFETCH(int, maxReports);
    QByteArray file("1\n");
    for (int i = 0; i < events; ++i) {
        if (i > 0)
            file += "20ms\n";
        file += i % 2 ? "0x04 1 1\n" : "0x04 1 0\n";
    }
    writeMacro(QStringLiteral("M"), file);
    VEXO_CHECKED(makePage());
    HidSim::ClearCalls();

    PostMsg::instance()->EmitMacroDownLoadData(QStringLiteral("M"), 3);

    QCOMPARE(HidSim::CallCount("ProtocolDataUpdate"), 1);
    qInfo("%d events: %d reports", events, HidSim::ReportsSent());
    QVERIFY(HidSim::ReportsSent() >= 1);
    QVERIFY(HidSim::ReportsSent() <= maxReports);
}

void TestMacro::downloadBuildsFromFile()
{
    QFETCH(QString, name);
    QFETCH(QString, state);
    writeMacro(QStringLiteral("M"), "1\n0x04 1 0\n125ms\n0x04 1 1\n");
    writeMacro(QStringLiteral("N"), "1\n0x05 1 0\n");
    VEXO_CHECKED(makePage());
    if (state == QLatin1String("other") || state == QLatin1String("recording"))
        select(QStringLiteral("N"));
    if (state == QLatin1String("edited"))
        select(QStringLiteral("M"));
    if (state == QLatin1String("other") || state == QLatin1String("edited"))
        QMetaObject::invokeMethod(child("ChooseEvent"), "activated", Q_ARG(int, 5));
    if (state == QLatin1String("recording")) {
        child<QPushButton>("StartRecord")->click();
        key(VkB, true, 10);
    }
    const FlashDataMap before = DeviceLinkFixture::StoredRecord("m1");
    HidSim::ClearCalls();

    PostMsg::instance()->EmitMacroDownLoadData(name, 3);

    QCOMPARE(HidSim::CallCount("ProtocolDataUpdate"), 1);
    const FlashDataMap after = DeviceLinkFixture::StoredRecord("m1");
    QCOMPARE(macroBytes(after, 3), recordOfM());
    QByteArray expected = DeviceLinkFixture::Bytes(before);
    expected.replace(int(offsetof(FlashDataMap, macros) + 3 * sizeof(MacroRecord)), int(sizeof(MacroRecord)), recordOfM());
    QCOMPARE(DeviceLinkFixture::Bytes(after), expected);
    QCOMPARE(macroBytes(DeviceConfig.get(), 3), recordOfM());
    if (state == QLatin1String("recording")) {
        QCOMPARE(texts(events()), QStringList{"B"});
        child<QPushButton>("StopRecord")->click();
    }
}

void TestMacro::downloadRefused_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("index");
    QTest::addColumn<bool>("sends");
    QTest::addColumn<bool>("online");

    QTest::newRow("button 16") << "M" << 16 << true << true;
    QTest::newRow("button -1") << "M" << -1 << true << true;
    QTest::newRow("changes not sent") << "M" << 3 << false << true;
    QTest::newRow("offline") << "M" << 3 << true << false;
    QTest::newRow("no such macro") << "Gone" << 3 << true << true;
    QTest::newRow("name leaving the folder") << "../M" << 3 << true << true;
}

void TestMacro::downloadRefused()
{
    QFETCH(QString, name);
    QFETCH(int, index);
    QFETCH(bool, sends);
    QFETCH(bool, online);
    writeMacro(QStringLiteral("M"), "1\n0x04 1 0\n125ms\n0x04 1 1\n");
    // A file of that name one folder up.
    QFile outside(QFileInfo(m_folder).dir().filePath(QStringLiteral("M.ini")));
    QVERIFY(outside.open(QIODevice::WriteOnly));
    outside.write("1\n0x04 1 0\n125ms\n0x04 1 1\n");
    outside.close();
    VEXO_CHECKED(makePage());
    const QByteArray before = DeviceLinkFixture::Bytes(DeviceLinkFixture::StoredRecord("m1"));
    const QByteArray config = DeviceLinkFixture::Bytes(DeviceConfig.get());
    UiSendsChanges.store(sends ? 1 : 0);
    if (!online)
        QVERIFY(HidSim::Unplug("m1"));
    HidSim::ClearCalls();

    PostMsg::instance()->EmitMacroDownLoadData(name, index);

    QCOMPARE(HidSim::CallCount("ProtocolDataUpdate"), 0);
    QCOMPARE(DeviceLinkFixture::Bytes(DeviceConfig.get()), config);
    if (!online)
        QVERIFY(HidSim::Plug("m1"));
    QCOMPARE(DeviceLinkFixture::Bytes(DeviceLinkFixture::StoredRecord("m1")), before);
}

void TestMacro::rebuildFromRecord_data()
{
    QTest::addColumn<QByteArray>("recordName");
    QTest::addColumn<QString>("file");    // the macro file the record fills, "" for none
    QTest::addColumn<QString>("state");   // "", "recording"
    QTest::addColumn<bool>("listed");

    QTest::newRow("new macro") << QByteArray("Fwd") << "Fwd" << "" << true;
    QTest::newRow("listed macro") << QByteArray("M") << "M" << "" << true;
    QTest::newRow("during a recording") << QByteArray("Fwd") << "Fwd" << "recording" << false;
    QTest::newRow("name up to the zero byte") << QByteArray("AB\0CD", 5) << "AB" << "" << true;
    QTest::newRow("name leaving the folder") << QByteArray("../x") << "" << "" << false;
}

void TestMacro::rebuildFromRecord()
{
    QFETCH(QByteArray, recordName);
    QFETCH(QString, file);
    QFETCH(QString, state);
    QFETCH(bool, listed);
    writeMacro(QStringLiteral("M"), "3\n");
    writeMacro(QStringLiteral("R"), "1\n");
    VEXO_CHECKED(makePage());
    // The button page writes line 1 before it hands the record over.
    if (!file.isEmpty() && file != QLatin1String("M"))
        writeMacro(file, "3\n");
    const QString outside = QFileInfo(m_folder).dir().filePath(QStringLiteral("x.ini"));
    {
        QFile out(outside);
        QVERIFY(out.open(QIODevice::WriteOnly));
        out.write("3\n");
    }
    select(QStringLiteral("R"));
    if (state == QLatin1String("recording")) {
        child<QPushButton>("StartRecord")->click();
        key(VkA, true, 10);
    }
    const QStringList macrosBefore = texts(macros());
    const QStringList eventsBefore = texts(events());

    FlashDataMap map = DeviceConfig.get();
    MacroRecord& record = map.macros[2];
    std::memset(&record, 0, sizeof record);
    record.nameLength = quint8(recordName.size());
    std::memcpy(record.name, recordName.constData(), size_t(recordName.size()));
    record.eventCount = 2;
    record.events[0] = KeyActionEvent{0, 4, 0x10, 50};
    record.events[1] = KeyActionEvent{1, 4, 0x10, 0};
    QSignalSpy added(PostMsg::instance(), &PostMsg::SigAddMacroButton);
    HidSim::ClearCalls();

    PostMsg::instance()->EmitButtonToMacro(map, 2);

    QCOMPARE(HidSim::CallCount("ProtocolDataUpdate"), 0);
    QFile xFile(outside);
    QVERIFY(xFile.open(QIODevice::ReadOnly));
    QCOMPARE(xFile.readAll(), QByteArray("3\n"));
    if (file.isEmpty()) {
        QCOMPARE(texts(macros()), macrosBefore);
        QCOMPARE(added.count(), 0);
        return;
    }
    QCOMPARE(readMacro(file), QByteArray("3\n0x10 4 0\n50ms\n0x10 4 1\n"));
    QCOMPARE(added.count(), 1);
    if (state == QLatin1String("recording")) {
        QCOMPARE(texts(macros()), macrosBefore);
        QCOMPARE(macros()->currentItem()->text(), QStringLiteral("R"));
        QCOMPARE(texts(events()), eventsBefore);
        child<QPushButton>("StopRecord")->click();
        return;
    }
    QCOMPARE(texts(macros()).contains(file), listed);
    QCOMPARE(texts(macros()).count(file), 1);
    QCOMPARE(macros()->currentRow(), -1);
    QCOMPARE(events()->count(), 0);
}

void TestMacro::rebuildOutsideButtons_data()
{
    QTest::addColumn<int>("button");
    QTest::newRow("16") << 16;
    QTest::newRow("-1") << -1;
}

void TestMacro::rebuildOutsideButtons()
{
    QFETCH(int, button);
    writeMacro(QStringLiteral("M"), "1\n");
    VEXO_CHECKED(makePage());
    select(QStringLiteral("M"));
    FlashDataMap map = DeviceConfig.get();
    for (MacroRecord& record : map.macros) {
        std::memset(&record, 0, sizeof record);
        record.nameLength = 1;
        record.name[0] = 'Q';
    }
    QSignalSpy added(PostMsg::instance(), &PostMsg::SigAddMacroButton);

    PostMsg::instance()->EmitButtonToMacro(map, button);

    QCOMPARE(added.count(), 0);
    QCOMPARE(texts(macros()), QStringList{"M"});
    QCOMPARE(macros()->currentItem()->text(), QStringLiteral("M"));
    QCOMPARE(QDir(m_folder).entryList(QDir::Files), QStringList{"M.ini"});
}

// ---- export and import ----

void TestMacro::exportImportRoundTrip()
{
    const QByteArray content("254\n0x04 1 0\n10ms\n0x10 4 1\n");
    writeMacro(QStringLiteral("M"), content);
    VEXO_CHECKED(makePage());
    const QString exported = m_fixture->home().path() + QStringLiteral("/M-export.ini");
    QStringList asked;
    FileChooser::SetAnswerForTests([&](QWidget*, const FileChooser::Request& r) {
        asked << QString::number(r.save) + QLatin1Char('|') + r.caption + QLatin1Char('|') + r.folder + QLatin1Char('|') + r.filter;
        return exported;
    });
    select(QStringLiteral("M"));
    QVERIFY(QMetaObject::invokeMethod(m_page.get(), "ExPortMacro"));
    QVERIFY(QFile::exists(exported));

    m_answers->on(QStringLiteral("DeleteConfirm"), answerConfirm(true));
    child<QToolButton>("DeleteHong")->click();
    QVERIFY(!QFile::exists(path(QStringLiteral("M"))));
    // Another language: the mouse button still comes back as the forward button.
    PostMsg::instance()->EmitAllLanguage(1);
    // The repeat controls stay as they are.
    child<QCheckBox>("ReUntilClick")->setChecked(true);

    QVERIFY(QMetaObject::invokeMethod(m_page.get(), "InPortMacro"));

    const QString home = QDir::homePath();
    QCOMPARE(asked, (QStringList{"1|FileSave|" + home + "|File(*.ini)", "0|SelectFile|" + home + "|File(*.ini)"}));
    QCOMPARE(m_answers->seen, QStringList{"DeleteConfirm"});
    QCOMPARE(readMacro(QStringLiteral("M")), content);
    QCOMPARE(macros()->currentItem()->text(), QStringLiteral("M"));
    QCOMPARE(texts(events()), (QStringList{"A", "10ms", "前进键"}));
    QCOMPARE(types(events()), (QList<int>{0, 0, 1}));
    QVERIFY(child<QCheckBox>("ReUntilClick")->isChecked());
}

void TestMacro::exportImportLongest()
{
    writeMacro(QStringLiteral("R"), "1\n");
    VEXO_CHECKED(makePage());
    select(QStringLiteral("R"));
    child<QPushButton>("StartRecord")->click();
    quint32 at = 1000;
    for (int i = 0; i < 35; ++i) {
        const int vk = i % 2 ? VkB : VkA;
        key(vk, true, at += 10);
        key(vk, false, at += 20);
    }
    QTRY_COMPARE(m_answers->seen, QStringList{"KeyNumberLimit"});
    child<QPushButton>("StopRecord")->click();
    child<QToolButton>("Save")->click();
    const QByteArray saved = readMacro(QStringLiteral("R"));
    const QStringList recorded = texts(events());
    const QList<int> recordedTypes = types(events());
    QCOMPARE(recorded.size(), 139);
    // The rows show the page's own images, and the export carries them.
    for (int row = 0; row < events()->count(); ++row)
        QVERIFY(!events()->item(row)->icon().isNull());

    const QString exported = m_fixture->home().path() + QStringLiteral("/R-export.ini");
    FileChooser::SetAnswerForTests([&](QWidget*, const FileChooser::Request&) { return exported; });
    QVERIFY(QMetaObject::invokeMethod(m_page.get(), "ExPortMacro"));
    // Far beyond the 64 KiB that once bounded the whole file.
    QVERIFY2(QFileInfo(exported).size() > 64 * 1024, qPrintable(QString::number(QFileInfo(exported).size())));
    m_answers->on(QStringLiteral("DeleteConfirm"), answerConfirm(true));
    child<QToolButton>("DeleteHong")->click();
    QVERIFY(!QFile::exists(path(QStringLiteral("R"))));

    QVERIFY(QMetaObject::invokeMethod(m_page.get(), "InPortMacro"));

    QCOMPARE(m_answers->seen, (QStringList{"KeyNumberLimit", "DeleteConfirm"}));
    QCOMPARE(macros()->currentItem()->text(), QStringLiteral("R"));
    QCOMPARE(texts(events()), recorded);
    QCOMPARE(types(events()), recordedTypes);
    QCOMPARE(readMacro(QStringLiteral("R")), saved);
}

void TestMacro::importShowsOnlyItsMacro()
{
    const QByteArray other("1\n0x05 1 0\n5ms\n0x05 1 1\n");
    writeMacro(QStringLiteral("Other"), other);
    VEXO_CHECKED(makePage());
    select(QStringLiteral("Other"));
    QCOMPARE(texts(events()), (QStringList{"B", "5ms", "B"}));
    const QString file = m_fixture->home().path() + QStringLiteral("/M-export.ini");
    {
        QFile out(file);
        QVERIFY(out.open(QIODevice::WriteOnly));
        MacroEventRow delay;
        delay.text = QStringLiteral("10ms");
        const QVector<MacroEventRow> rows{MacroEventFromCode(KindKeyboard, 0x04, true), delay,
                                          MacroEventFromCode(KindKeyboard, 0x04, false)};
        QVERIFY(WriteMacroExportFile(out, QStringLiteral("M"), 1, rows, [](const MacroEventRow&) { return QIcon(); }));
    }
    FileChooser::SetAnswerForTests([&](QWidget*, const FileChooser::Request&) { return file; });

    QVERIFY(QMetaObject::invokeMethod(m_page.get(), "InPortMacro"));

    QCOMPARE(macros()->currentItem()->text(), QStringLiteral("M"));
    QCOMPARE(texts(events()), (QStringList{"A", "10ms", "A"}));
    child<QToolButton>("Save")->setEnabled(true);
    child<QToolButton>("Save")->click();
    QCOMPARE(readMacro(QStringLiteral("M")), QByteArray("1\n0x04 1 0\n10ms\n0x04 1 1\n"));
    QCOMPARE(readMacro(QStringLiteral("Other")), other);
    QVERIFY(m_answers->seen.isEmpty());
}

void TestMacro::importRefused_data()
{
    QTest::addColumn<QByteArray>("data");
    QTest::addColumn<QStringList>("dialogs");

    const auto exportOf = [](const QString& name,
                             const QVector<MacroEventRow>& rows = {MacroEventFromCode(KindKeyboard, 0x04, true)}) {
        QBuffer buffer;
        buffer.open(QIODevice::WriteOnly);
        WriteMacroExportFile(buffer, name, 1, rows, [](const MacroEventRow&) { return QIcon(); });
        return buffer.data();
    };
    QByteArray wrongMarker = exportOf(QStringLiteral("Other"));
    wrongMarker[4] = 'X';
    QByteArray listedWrongMarker = exportOf(QStringLiteral("M"));
    listedWrongMarker[4] = 'X';
    const QByteArray good = exportOf(QStringLiteral("Other"));

    QTest::newRow("not an export file") << QByteArray("hello") << QStringList{"InportFail"};
    QTest::newRow("cut short") << good.left(good.size() - 3) << QStringList{"InportFail"};
    QVector<MacroEventRow> tooMany;
    for (int i = 0; i <= MacroExportMaxRows; ++i)
        tooMany << MacroEventFromCode(KindKeyboard, 0x04, i % 2 == 0);
    QTest::newRow("more rows than a macro holds") << exportOf(QStringLiteral("Other"), tooMany)
                                                  << QStringList{"InportFail"};
    MacroEventRow longText = MacroEventFromCode(KindKeyboard, 0x04, true);
    longText.text = QString(int(MacroExportMaxTextBytes), QLatin1Char('k'));
    QTest::newRow("a text over its bound") << exportOf(QStringLiteral("Other"), {longText})
                                           << QStringList{"InportFail"};
    QTest::newRow("listed name") << exportOf(QStringLiteral("M")) << QStringList{"SameMacro"};
    QTest::newRow("listed name, wrong marker") << listedWrongMarker << QStringList{"SameMacro"};
    QTest::newRow("wrong marker") << wrongMarker << QStringList{};
    QTest::newRow("name leaving the folder") << exportOf(QStringLiteral("../x")) << QStringList{"InportFail"};
    MacroEventRow badDelay;
    badDelay.text = QStringLiteral("tenms");
    QTest::newRow("a delay the macro file refuses")
        << exportOf(QStringLiteral("Other"), {MacroEventFromCode(KindKeyboard, 0x04, true), badDelay,
                                              MacroEventFromCode(KindKeyboard, 0x04, false)})
        << QStringList{"InportFail"};
}

void TestMacro::importRefused()
{
    QFETCH(QByteArray, data);
    QFETCH(QStringList, dialogs);
    writeMacro(QStringLiteral("M"), "1\n");
    VEXO_CHECKED(makePage());
    QString failText;
    m_answers->on(QStringLiteral("InportFail"), [&](QWidget* notice) {
        failText = notice->findChild<QLabel*>(QStringLiteral("label"))->text();
        notice->close();
    });
    const QString file = m_fixture->home().path() + QStringLiteral("/in.ini");
    {
        QFile in(file);
        QVERIFY(in.open(QIODevice::WriteOnly));
        in.write(data);
    }
    FileChooser::SetAnswerForTests([&](QWidget*, const FileChooser::Request&) { return file; });
    const QStringList before = QDir(m_folder).entryList(QDir::Files);

    QVERIFY(QMetaObject::invokeMethod(m_page.get(), "InPortMacro"));

    QCOMPARE(m_answers->seen, dialogs);
    QCOMPARE(QDir(m_folder).entryList(QDir::Files), before);
    QVERIFY(!QFile::exists(QFileInfo(m_folder).dir().filePath(QStringLiteral("x.ini"))));
    QCOMPARE(texts(macros()), QStringList{"M"});
    QCOMPARE(readMacro(QStringLiteral("M")), QByteArray("1\n"));
    if (dialogs.contains(QStringLiteral("InportFail")))
        QCOMPARE(failText, LangText(LangTable::InportFailTexts, 0, 0));
}

void TestMacro::exportNameGetsIniSuffix_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("written");
    QTest::addColumn<bool>("existing"); // the written name is taken: the replace question, answered No

    QTest::newRow("no extension") << "Mine" << "Mine.ini" << false;
    QTest::newRow("extension in capitals kept") << "Mine.INI" << "Mine.INI" << false;
    QTest::newRow("no extension, that .ini file exists") << "Mine" << "Mine.ini" << true;
}

// The program's own file dialogs, as the user meets them: the name typed into the export's,
// the file looked for in the import's list.
void TestMacro::exportNameGetsIniSuffix()
{
    QFETCH(QString, typed);
    QFETCH(QString, written);
    QFETCH(bool, existing);
    writeMacro(QStringLiteral("M"), "254\n0x04 1 0\n10ms\n0x04 1 1\n");
    VEXO_CHECKED(makePage());
    select(QStringLiteral("M"));
    const QDir home(m_fixture->home().path());
    if (existing)
        QVERIFY(TestEnv::WriteFile(home.filePath(written), "old"));
    m_answers->on(QStringLiteral("QFileDialog"), [&](QWidget* dialog) { enterFileName(dialog, typed); });
    QString question;
    m_answers->on(QStringLiteral("QMessageBox"), [&](QWidget* box) {
        question = static_cast<QMessageBox*>(box)->text();
        if (QAbstractButton* no = static_cast<QMessageBox*>(box)->button(QMessageBox::No))
            no->click();
        else
            box->close();
    });

    QVERIFY(QMetaObject::invokeMethod(m_page.get(), "ExPortMacro"));

    if (existing) {
        QCOMPARE(m_answers->seen, (QStringList{"QFileDialog", "QMessageBox"}));
        QVERIFY2(question.startsWith(written + QLatin1Char(' ')), qPrintable(question));
        QCOMPARE(TestEnv::ReadFile(home.filePath(written)), QByteArray("old"));
        QCOMPARE(home.entryList(QDir::Files), QStringList{written});
        return;
    }
    QCOMPARE(m_answers->seen, QStringList{"QFileDialog"});
    QCOMPARE(home.entryList(QDir::Files), QStringList{written});

    m_answers->on(QStringLiteral("DeleteConfirm"), answerConfirm(true));
    child<QToolButton>("DeleteHong")->click();
    QStringList listed;
    m_answers->on(QStringLiteral("QFileDialog"), [&](QWidget* dialog) {
        auto* files = static_cast<QFileDialog*>(dialog);
        auto* view = files->findChild<QListView*>(QStringLiteral("listView"));
        const auto names = [view] {
            QStringList shown;
            const QModelIndex root = view->rootIndex();
            for (int row = 0; row < view->model()->rowCount(root); ++row)
                shown << view->model()->index(row, 0, root).data().toString();
            return shown;
        };
        // The folder is read on a thread of the dialog's own; what it listed is checked below.
        (void)QTest::qWaitFor([&] { return names().contains(written); }, 30000);
        listed = names();
        enterFileName(dialog, written);
    });

    QVERIFY(QMetaObject::invokeMethod(m_page.get(), "InPortMacro"));

    QVERIFY2(listed.contains(written), qPrintable(listed.join(QLatin1Char('|'))));
    QCOMPARE(m_answers->seen, (QStringList{"QFileDialog", "DeleteConfirm", "QFileDialog"}));
    QCOMPARE(macros()->currentItem()->text(), QStringLiteral("M"));
    QCOMPARE(texts(events()), (QStringList{"A", "10ms", "A"}));
    QCOMPARE(readMacro(QStringLiteral("M")), QByteArray("254\n0x04 1 0\n10ms\n0x04 1 1\n"));
}

VEXO_TEST_MAIN(TestMacro)
#include "tst_macro.moc"
