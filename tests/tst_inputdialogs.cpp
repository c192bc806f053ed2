#include "core/postmsg.h"
#include "helpers/testenv.h"
#include "helpers/testwidgets.h"
#include "pages/buttons/groupkey.h"
#include "pages/macro/adddelaytime.h"
#include "pages/macro/addkey.h"
#include "pages/macro/questiondialog.h"
#include "ui/lang/langtext.h"
#include "ui/lang/languagefilereader.h"
#include "ui/widgets/groupmaxthree.h"
#include "ui/widgets/keyboardhook.h"
#include "ui/widgets/keyboardsource.h"
#include "ui/widgets/skin.h"

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QInputMethodEvent>
#include <QLabel>
#include <QLineEdit>
#include <QSpinBox>
#include <QTextCodec>
#include <QTimer>
#include <QToolButton>
#include <QtTest>

#include <functional>
#include <memory>

Q_DECLARE_METATYPE(LangTable)

namespace {

// The names the four dialogs go by, and their own parts.
struct DialogKind
{
    const char* name;
    const char* frame;
    const char* entry;
    LangTable prompt; // position 0 is the prompt; QuestionDialog's prompt comes from SetPrompt
};

const DialogKind kKinds[] = {
    {"QuestionDialog", "Question", "lineEdit", LangTable::QuestionTexts},
    {"AddDelayTime", "AddDelayTimeA", "spinBox", LangTable::AddDelayTimeTexts},
    {"addKey", "addKeyA", "lineEdit", LangTable::AddKeyTexts},
    {"GroupKey", "groupKeyA", "lineEdit", LangTable::GroupKeyTexts},
};

const DialogKind& kindOf(const QString& name)
{
    for (const DialogKind& kind : kKinds)
        if (name == QLatin1String(kind.name))
            return kind;
    qFatal("no dialog %s", qPrintable(name));
}

std::unique_ptr<QDialog> makeDialog(const QString& name)
{
    if (name == QLatin1String("QuestionDialog"))
        return std::make_unique<QuestionDialog>(nullptr);
    if (name == QLatin1String("AddDelayTime"))
        return std::make_unique<AddDelayTime>(nullptr);
    if (name == QLatin1String("addKey"))
        return std::make_unique<addKey>(nullptr);
    return std::make_unique<GroupKey>(nullptr);
}

template<typename T = QWidget>
T* child(const QWidget& dialog, const char* name)
{
    return dialog.findChild<T*>(QLatin1String(name));
}

QToolButton* button(const QWidget& dialog, const char* name)
{
    return child<QToolButton>(dialog, name);
}

void show(QDialog& dialog)
{
    dialog.move(321, 207);
    dialog.show();
    QVERIFY(QTest::qWaitForWindowActive(&dialog));
}

// Runs the dialog with exec(), lets `act` end it once it is the active modal window, and
// returns what exec() returned. A dialog that `act` leaves open, or a notice nobody expected
// over it, is ended after five seconds and reported as -2, so a fault fails instead of hanging.
int runModal(QDialog& dialog, const std::function<void(QDialog&)>& act)
{
    dialog.move(321, 207);
    TestEnv::AnswerNextModal([&](QWidget*) { act(dialog); }, dialog.metaObject()->className());
    bool stuck = false;
    QTimer guard;
    guard.setSingleShot(true);
    QObject::connect(&guard, &QTimer::timeout, [&] {
        stuck = dialog.isVisible();
        for (QWidget* window : QApplication::topLevelWidgets()) {
            auto* open = qobject_cast<QDialog*>(window);
            if (open && open->isVisible())
                open->done(-2);
        }
    });
    guard.start(5000);
    const int result = dialog.exec();
    return stuck ? -2 : result;
}

// How a dialog is ended in the road tests.
enum Road { Confirm, Cancel, CloseCross, WindowClose };

void take(QDialog& dialog, Road road)
{
    switch (road) {
    case Confirm:
        QTest::mouseClick(button(dialog, "NewHong"), Qt::LeftButton);
        break;
    case Cancel:
        QTest::mouseClick(button(dialog, "NewHong_2"), Qt::LeftButton);
        break;
    case CloseCross:
        QTest::mouseClick(button(dialog, "CloseButton"), Qt::LeftButton);
        break;
    case WindowClose: {
        // What the window system sends for its close command.
        dialog.windowHandle()->close();
        break;
    }
    }
}

// One key typed into a widget with the text it produces, as a keyboard or a layout without
// an ASCII key for it delivers it.
void typeText(QWidget* widget, const QString& text, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
{
    for (const QChar c : text) {
        Qt::Key key = Qt::Key_unknown;
        if (c.unicode() < 0x80)
            key = Qt::Key(QChar(c).toUpper().unicode());
        QTest::sendKeyEvent(QTest::Press, widget, key, QString(c), modifiers);
        QTest::sendKeyEvent(QTest::Release, widget, key, QString(c), modifiers);
    }
}

// What the platform's input method asks before it composes into the focus widget.
bool acceptsInputMethod(QWidget* widget)
{
    QInputMethodQueryEvent query(Qt::ImEnabled);
    QApplication::sendEvent(widget, &query);
    return query.value(Qt::ImEnabled).toBool();
}

void commit(QWidget* widget, const QString& text)
{
    QInputMethodEvent event;
    event.setCommitString(text);
    QApplication::sendEvent(widget, &event);
}

// A key event script for the hooks: tokens "+Q@0" (press at 0 ms), "-Q@10" (release),
// "~0x79@20" (system key press, F10 alone), "!0x79@20" (system key release). A key is one
// letter or digit (its own virtual key) or a hex virtual key.
void deliver(KeyboardHook& hook, const QString& script)
{
    for (const QString& token : script.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
        const int at = token.indexOf(QLatin1Char('@'));
        QVERIFY2(at > 1, qPrintable(token));
        const QString key = token.mid(1, at - 1);
        bool ok = true;
        const int vk = key.size() == 1 ? key.at(0).unicode() : key.toInt(&ok, 16);
        QVERIFY2(ok, qPrintable(token));
        const quint32 time = token.mid(at + 1).toUInt(&ok);
        QVERIFY2(ok, qPrintable(token));
        int message = KeyboardHook::KeyDown;
        switch (token.at(0).unicode()) {
        case '+':
            message = KeyboardHook::KeyDown;
            break;
        case '-':
            message = KeyboardHook::KeyUp;
            break;
        case '~':
            message = KeyboardHook::SysKeyDown;
            break;
        case '!':
            message = KeyboardHook::SysKeyUp;
            break;
        default:
            QFAIL(qPrintable(QStringLiteral("bad token ") + token));
        }
        hook.Deliver(vk, message, time);
    }
}

KeyboardHook* hookOf(QDialog& dialog)
{
    if (auto* key = qobject_cast<addKey*>(&dialog))
        return &key->Hook;
    if (auto* combo = qobject_cast<GroupKey*>(&dialog))
        return &combo->Hook;
    return nullptr;
}

const char* const kBoxes[] = {"Shift", "Ctrl", "Alt", "Win"};

QString fieldOf(const QWidget& dialog)
{
    return child<QLineEdit>(dialog, "lineEdit")->text();
}

} // namespace

class TestInputDialogs : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();
    void cleanupTestCase();

    // What the four share.
    void form_data();
    void form();
    void skin_data();
    void skin();
    void texts_data();
    void texts();
    void entryHasFocus_data();
    void entryHasFocus();
    void keysDoNotEndDialog_data();
    void keysDoNotEndDialog();

    // Macro name.
    void nameTyping_data();
    void nameTyping();
    void nameInDoubleByteCodePage_data();
    void nameInDoubleByteCodePage();
    void nameShiftLockOut();
    void nameRoads_data();
    void nameRoads();
    void namePromptFollowsLanguage();

    // Delay.
    void delayValue_data();
    void delayValue();
    void delayRoads_data();
    void delayRoads();

    // Key capture.
    void keyNaming_data();
    void keyNaming();
    void keyRoads_data();
    void keyRoads();
    void keyFieldTypingIsOverwritten();

    // Key combination.
    void comboCapture_data();
    void comboCapture();
    void comboConfirm_data();
    void comboConfirm();
    void comboTooManyKeys_data();
    void comboTooManyKeys();
    void comboRoads_data();
    void comboRoads();
    void comboFieldRefusesTyping();

    // Both hook dialogs.
    void hookGoneWithDialog_data();
    void hookGoneWithDialog();
    void keysThroughSource_data();
    void keysThroughSource();
    void keysAfterCloseReachNoDialog_data();
    void keysAfterCloseReachNoDialog();

private:
    std::unique_ptr<TestEnv::TempHome> m_home;
    std::unique_ptr<TestEnv::Installation> m_install;
    QTextCodec* m_localeCodec = nullptr;
};

void TestInputDialogs::initTestCase()
{
    m_home = std::make_unique<TestEnv::TempHome>();
    m_install = std::make_unique<TestEnv::Installation>();
    LoadLanguageFiles();
    for (const DialogKind& kind : kKinds)
        QVERIFY(LanguageTables::Global()->LanguageCount(kind.prompt) >= 2);
    m_localeCodec = QTextCodec::codecForLocale();
}

void TestInputDialogs::init()
{
    CurrentLanguage = 0;
    // Macro names are measured in the local 8-bit encoding; the tests pick it.
    QTextCodec::setCodecForLocale(QTextCodec::codecForName("UTF-8"));
}

void TestInputDialogs::cleanup()
{
    CurrentLanguage = 0;
    QTextCodec::setCodecForLocale(m_localeCodec);
    QApplication::clipboard()->clear();
}

void TestInputDialogs::cleanupTestCase()
{
    LanguageTables::SetGlobal(LanguageTables());
    m_install.reset();
    m_home.reset();
}

// ---- What the four share -----------------------------------------------------------------

void TestInputDialogs::form_data()
{
    QTest::addColumn<QString>("dialog");
    QTest::addColumn<QString>("control");
    QTest::addColumn<QRect>("geometry");
    struct Row {
        const char* dialog;
        const char* control;
        QRect geometry;
    };
    const Row rows[] = {
        {"QuestionDialog", "Question", {0, 0, 300, 140}},
        {"QuestionDialog", "label", {30, 20, 241, 41}},
        {"QuestionDialog", "CloseButton", {275, 5, 20, 20}},
        {"QuestionDialog", "lineEdit", {30, 70, 241, 20}},
        {"QuestionDialog", "NewHong", {50, 110, 90, 24}},
        {"QuestionDialog", "NewHong_2", {170, 110, 90, 24}},
        {"AddDelayTime", "AddDelayTimeA", {0, 0, 300, 140}},
        {"AddDelayTime", "label", {30, 25, 241, 41}},
        {"AddDelayTime", "CloseButton", {275, 5, 20, 20}},
        {"AddDelayTime", "spinBox", {30, 70, 231, 20}},
        {"AddDelayTime", "NewHong", {40, 110, 90, 24}},
        {"AddDelayTime", "NewHong_2", {160, 110, 90, 24}},
        {"addKey", "addKeyA", {0, 0, 300, 140}},
        {"addKey", "label", {30, 25, 241, 41}},
        {"addKey", "CloseButton", {275, 5, 20, 20}},
        {"addKey", "lineEdit", {30, 70, 231, 20}},
        {"addKey", "NewHong", {40, 110, 90, 24}},
        {"addKey", "NewHong_2", {160, 110, 90, 24}},
        {"GroupKey", "groupKeyA", {0, 0, 300, 140}},
        {"GroupKey", "label", {45, 9, 231, 51}},
        {"GroupKey", "CloseButton", {275, 5, 20, 20}},
        {"GroupKey", "lineEdit", {45, 60, 231, 20}},
        {"GroupKey", "Shift", {45, 85, 61, 17}},
        {"GroupKey", "Ctrl", {110, 85, 51, 17}},
        {"GroupKey", "Alt", {170, 85, 51, 17}},
        {"GroupKey", "Win", {225, 85, 61, 17}},
        {"GroupKey", "NewHong", {50, 110, 90, 24}},
        {"GroupKey", "NewHong_2", {170, 110, 90, 24}},
    };
    for (const Row& r : rows)
        QTest::addRow("%s %s", r.dialog, r.control) << r.dialog << r.control << r.geometry;
}

void TestInputDialogs::form()
{
    QFETCH(QString, dialog);
    QFETCH(QString, control);
    QFETCH(QRect, geometry);
    const auto window = makeDialog(dialog);
    QCOMPARE(window->objectName(), dialog);
    QCOMPARE(window->size(), QSize(300, 140));
    QCOMPARE(window->minimumSize(), QSize(300, 140));
    QCOMPARE(window->maximumSize(), QSize(300, 140));
    QCOMPARE(window->windowFlags() & Skin::DialogWindowFlags(), Skin::DialogWindowFlags());
    QWidget* widget = window->findChild<QWidget*>(control);
    QVERIFY(widget);
    QCOMPARE(widget->geometry(), geometry);
    if (auto* tool = qobject_cast<QToolButton*>(widget)) {
        QVERIFY(tool->autoRaise());
        if (control.startsWith(QLatin1String("NewHong")))
            QCOMPARE(tool->font().pointSize(), 11);
    }
    if (auto* label = qobject_cast<QLabel*>(widget)) {
        QVERIFY(label->wordWrap());
        QCOMPARE(label->alignment(), Qt::AlignLeft | Qt::AlignBottom);
        QCOMPARE(label->font().pointSize(), 11);
    }
}

void TestInputDialogs::skin_data()
{
    QTest::addColumn<QString>("dialog");
    for (const DialogKind& kind : kKinds)
        QTest::newRow(kind.name) << kind.name;
}

void TestInputDialogs::skin()
{
    QFETCH(QString, dialog);
    const DialogKind& kind = kindOf(dialog);
    const auto window = makeDialog(dialog);
    const QString folder = m_install->path() + QStringLiteral("/Picture/WarningDialog/");
    const QString buttons = QStringLiteral(
                                "QToolButton{border:0px;background-position:center;background-repeat:no-repeat;"
                                "color: rgb(255,255,255;);border-image: url(%1Confirm.png);}"
                                "QToolButton:pressed{border-image: url(%1ConfirmClick.png); }")
                                .arg(folder);
    QCOMPARE(button(*window, "NewHong")->styleSheet(), buttons);
    QCOMPARE(button(*window, "NewHong_2")->styleSheet(), buttons);
    QCOMPARE(child(*window, "label")->styleSheet(), QStringLiteral("QLabel{color: rgb(224,224,224;);}"));
    QCOMPARE(child(*window, kind.entry)->styleSheet(),
             QLatin1String(qobject_cast<QSpinBox*>(child(*window, kind.entry)) ? "QSpinBox" : "QLineEdit")
                 + QStringLiteral("{color: rgb(240,240,240;);background:transparent;border:1px solid gray;}"));
    QCOMPARE(button(*window, "CloseButton")->styleSheet(), Skin::CloseButtonStyle(folder));
    QCOMPARE(child(*window, kind.frame)->styleSheet(),
             QStringLiteral("#%1{border:0px;background-position:center;background-repeat:no-repeat;"
                            "background-image: url(%2BackGround.png);}")
                 .arg(QLatin1String(kind.frame), folder));
    if (dialog == QLatin1String("GroupKey")) {
        for (const char* box : {"Shift", "Ctrl", "Alt", "Win"})
            QCOMPARE(child(*window, box)->styleSheet(),
                     QStringLiteral("QCheckBox{color: rgb(224,224,224;);}QCheckBox::indicator:checked {image: "
                                    "url(%1CheckBoxCheck.png);}QCheckBox::indicator:unchecked {image: "
                                    "url(%1CheckBox.png);}")
                         .arg(folder));
    }
}

void TestInputDialogs::texts_data()
{
    QTest::addColumn<QString>("dialog");
    QTest::addColumn<int>("builtIn");
    QTest::addColumn<int>("announced"); // -1: none
    QTest::addColumn<int>("shown");
    for (const DialogKind& kind : kKinds) {
        QTest::addRow("%s language 0", kind.name) << kind.name << 0 << -1 << 0;
        QTest::addRow("%s language 1", kind.name) << kind.name << 1 << -1 << 1;
        QTest::addRow("%s language 1 announced while open", kind.name) << kind.name << 0 << 1 << 1;
        QTest::addRow("%s language 0 announced while open", kind.name) << kind.name << 1 << 0 << 0;
        // A stale index names no language of the files: the first is read.
        QTest::addRow("%s language 7", kind.name) << kind.name << 7 << -1 << 0;
    }
}

void TestInputDialogs::texts()
{
    QFETCH(QString, dialog);
    QFETCH(int, builtIn);
    QFETCH(int, announced);
    QFETCH(int, shown);
    const DialogKind& kind = kindOf(dialog);
    CurrentLanguage = builtIn;
    const auto window = makeDialog(dialog);
    if (auto* question = qobject_cast<QuestionDialog*>(window.get()))
        question->SetPrompt(false);
    if (announced >= 0)
        PostMsg::instance()->EmitAllLanguage(announced);
    if (auto* question = qobject_cast<QuestionDialog*>(window.get()))
        question->SetPrompt(false);

    const QString prompt = LangText(kind.prompt, shown, 0);
    const QString confirm = LangText(LangTable::QuestionTexts, shown, 2);
    const QString cancel = LangText(LangTable::QuestionTexts, shown, 3);
    for (const QString& text : {prompt, confirm, cancel}) {
        QVERIFY(!text.isEmpty());
        QVERIFY(text != LangText(kind.prompt, 1 - shown, 0) && text != LangText(LangTable::QuestionTexts, 1 - shown, 2)
                && text != LangText(LangTable::QuestionTexts, 1 - shown, 3));
    }
    QCOMPARE(child<QLabel>(*window, "label")->text(), prompt);
    QCOMPARE(button(*window, "NewHong")->text(), confirm);
    QCOMPARE(button(*window, "NewHong_2")->text(), cancel);
    if (dialog == QLatin1String("GroupKey")) {
        // The box captions are the form's in every language, each modifier written alike.
        for (const char* box : kBoxes)
            QCOMPARE(child<QCheckBox>(*window, box)->text(), QLatin1String(box));
    }
}

void TestInputDialogs::entryHasFocus_data()
{
    skin_data();
}

void TestInputDialogs::entryHasFocus()
{
    QFETCH(QString, dialog);
    const auto window = makeDialog(dialog);
    VEXO_CHECKED(show(*window));
    QCOMPARE(QApplication::focusWidget(), child(*window, kindOf(dialog).entry));
}

void TestInputDialogs::keysDoNotEndDialog_data()
{
    QTest::addColumn<QString>("dialog");
    QTest::addColumn<int>("key");
    for (const DialogKind& kind : kKinds) {
        QTest::addRow("%s Return", kind.name) << kind.name << int(Qt::Key_Return);
        QTest::addRow("%s Enter", kind.name) << kind.name << int(Qt::Key_Enter);
        // The delay dialog is the one that Escape cancels (delayRoads).
        if (QLatin1String(kind.name) != QLatin1String("AddDelayTime"))
            QTest::addRow("%s Escape", kind.name) << kind.name << int(Qt::Key_Escape);
    }
    QTest::newRow("addKey F12") << "addKey" << int(Qt::Key_F12);
    QTest::newRow("GroupKey F12") << "GroupKey" << int(Qt::Key_F12);
}

void TestInputDialogs::keysDoNotEndDialog()
{
    QFETCH(QString, dialog);
    QFETCH(int, key);
    const auto window = makeDialog(dialog);
    QSignalSpy finished(window.get(), &QDialog::finished);
    VEXO_CHECKED(show(*window));
    // At the entry widget, and at the dialog itself (where the entry passes keys on).
    QTest::keyClick(QApplication::focusWidget(), Qt::Key(key));
    QTest::keyClick(window.get(), Qt::Key(key));
    QVERIFY(window->isVisible());
    QCOMPARE(finished.count(), 0);
    if (auto* question = qobject_cast<QuestionDialog*>(window.get()))
        QCOMPARE(question->NameText, QString());
    if (auto* delay = qobject_cast<AddDelayTime*>(window.get()))
        QVERIFY(!delay->Confirmed);
    if (auto* capture = qobject_cast<addKey*>(window.get()))
        QVERIFY(!capture->Confirmed);
    if (auto* combo = qobject_cast<GroupKey*>(window.get()))
        QVERIFY(!combo->Confirmed);
}

// ---- Macro name ---------------------------------------------------------------------------

void TestInputDialogs::nameTyping_data()
{
    // Steps: "keys:<text>" typed key by key, "commit:<text>" an input method's commit,
    // "left:<n>" cursor moves, "paste:<text>" Ctrl+V of the clipboard's text. The field's
    // text after each step.
    QTest::addColumn<QStringList>("steps");
    QTest::addColumn<QStringList>("fieldAfter");
    const QString letters31 = QStringLiteral("abcdefghijklmnopqrstuvwxyzabcde");
    QTest::newRow("a blank at the end goes at once") << QStringList{"keys:my", "keys: ", "keys:m"}
                                                     << QStringList{"my", "my", "mym"};
    QTest::newRow("a blank inside stays until one is typed at the end")
        << QStringList{"keys:ab", "left:1", "keys: ", "keys: "} << QStringList{"ab", "ab", "a b", "ab"};
    QTest::newRow("ideographic space at the end stays")
        << QStringList{"keys:a", QStringLiteral("commit:\u3000")} << QStringList{"a", QStringLiteral("a\u3000")};
    QTest::newRow("31 letters keep 30") << QStringList{"keys:" + letters31} << QStringList{letters31.left(30)};
    QTest::newRow("30 letters and a blank keep 30")
        << QStringList{"keys:" + letters31.left(30), "keys: "} << QStringList{letters31.left(30), letters31.left(30)};
    QTest::newRow("refused ASCII keys") << QStringList{"keys:a-=[];',./`\\*+b"} << QStringList{"ab"};
    QTest::newRow("refused wide keys") << QStringList{QStringLiteral("keys:a\u3010\uFF1B\u2019\uFF0C\u3002b")}
                                       << QStringList{"ab"};
    // Only these close brackets and dots of the other list are typed.
    QTest::newRow("keys outside the list pass") << QStringList{QStringLiteral("keys:a\u3011\u00B7_b")}
                                                << QStringList{QStringLiteral("a\u3011\u00B7_b")};
    QTest::newRow("capital letter typed with Caps Lock") << QStringList{"keys:A"} << QStringList{"A"};
    QTest::newRow("refused commits")
        << QStringList{"keys:a",
                       QStringLiteral("commit:\u3010"),
                       QStringLiteral("commit:\u3011"),
                       "commit:-",
                       "commit:=",
                       QStringLiteral("commit:\u3001"),
                       QStringLiteral("commit:\uFF1B"),
                       QStringLiteral("commit:\u2019"),
                       QStringLiteral("commit:\uFF0C"),
                       QStringLiteral("commit:\u3002"),
                       "commit:/",
                       "commit:*",
                       QStringLiteral("commit:\u00B7"),
                       QStringLiteral("commit:\u2018")}
        << QStringList(QVector<QString>(14, QStringLiteral("a")).toList());
    QTest::newRow("a word holding a refused character passes")
        << QStringList{QStringLiteral("commit:\u4F60\u3002")} << QStringList{QStringLiteral("\u4F60\u3002")};
    QTest::newRow("commits outside the list pass")
        << QStringList{"commit:+", "commit:[", QStringLiteral("commit:\u5B8F")}
        << QStringList{"+", "+[", QStringLiteral("+[\u5B8F")};
    QTest::newRow("a commit past 30 bytes is cut")
        << QStringList{"keys:" + letters31.left(28), QStringLiteral("commit:\u5B8F")}
        << QStringList{letters31.left(28), letters31.left(28)};
    QTest::newRow("paste is not filtered") << QStringList{"paste:a-b/c"} << QStringList{"a-b/c"};
    QTest::newRow("paste follows the name rules")
        << QStringList{"paste:" + letters31 + "xyz", "paste:q r "} << QStringList{letters31.left(30), letters31.left(30)};
    QTest::newRow("pasted blanks at the end go with all others") << QStringList{"paste:a b "} << QStringList{"ab"};
}

void TestInputDialogs::nameTyping()
{
    QFETCH(QStringList, steps);
    QFETCH(QStringList, fieldAfter);
    QCOMPARE(steps.size(), fieldAfter.size());
    QuestionDialog dialog(nullptr);
    VEXO_CHECKED(show(dialog));
    auto* field = child<QLineEdit>(dialog, "lineEdit");
    for (int i = 0; i < steps.size(); ++i) {
        const QString& step = steps.at(i);
        const QString argument = step.section(QLatin1Char(':'), 1);
        if (step.startsWith(QLatin1String("keys:"))) {
            typeText(field, argument);
        } else if (step.startsWith(QLatin1String("commit:"))) {
            commit(field, argument);
        } else if (step.startsWith(QLatin1String("left:"))) {
            for (int n = argument.toInt(); n > 0; --n)
                QTest::keyClick(field, Qt::Key_Left);
        } else if (step.startsWith(QLatin1String("paste:"))) {
            QApplication::clipboard()->setText(argument);
            QTest::keyClick(field, Qt::Key_V, Qt::ControlModifier);
        } else {
            QFAIL(qPrintable(step));
        }
        QVERIFY2(field->text() == fieldAfter.at(i),
                 qPrintable(QStringLiteral("after %1: \"%2\"").arg(step, field->text())));
        // Each edit leaves the cursor at the end.
        if (!step.startsWith(QLatin1String("left:")))
            QCOMPARE(field->cursorPosition(), field->text().size());
    }
    QTest::mouseClick(button(dialog, "NewHong"), Qt::LeftButton);
    QCOMPARE(dialog.NameText, fieldAfter.last());
}

void TestInputDialogs::nameInDoubleByteCodePage_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("kept");
    const QString chinese16 = QStringLiteral("\u5B8F\u4E00\u4E8C\u4E09\u56DB\u4E94\u516D\u4E03\u516B\u4E5D\u5341"
                                             "\u767E\u5343\u4E07\u4EBF\u5146");
    QTest::newRow("16 Chinese characters keep 15") << chinese16 << chinese16.left(15);
    QTest::newRow("14 Chinese and three letters keep two letters")
        << chinese16.left(14) + QStringLiteral("abc") << chinese16.left(14) + QStringLiteral("ab");
    QTest::newRow("15 Chinese characters fit") << chinese16.left(15) << chinese16.left(15);
}

void TestInputDialogs::nameInDoubleByteCodePage()
{
    QFETCH(QString, typed);
    QFETCH(QString, kept);
    QTextCodec* gbk = QTextCodec::codecForName("GBK");
    QVERIFY(gbk);
    QTextCodec::setCodecForLocale(gbk);
    QuestionDialog dialog(nullptr);
    VEXO_CHECKED(show(dialog));
    auto* field = child<QLineEdit>(dialog, "lineEdit");
    // Each character as an input method commits it.
    for (const QChar c : typed)
        commit(field, QString(c));
    QCOMPARE(field->text(), kept);
    QVERIFY(gbk->fromUnicode(field->text()).size() <= 30);
}

void TestInputDialogs::nameShiftLockOut()
{
    QuestionDialog dialog(nullptr);
    VEXO_CHECKED(show(dialog));
    auto* field = child<QLineEdit>(dialog, "lineEdit");
    typeText(field, QStringLiteral("a"));

    QTest::keyPress(QApplication::focusWidget(), Qt::Key_Shift, Qt::ShiftModifier);
    QVERIFY(!field->isEnabled());
    // Whatever has the focus meanwhile: nothing is typed, no button is pressed.
    QWidget* focus = QApplication::focusWidget() ? QApplication::focusWidget() : &dialog;
    typeText(focus, QStringLiteral("B"), Qt::ShiftModifier);
    typeText(focus, QStringLiteral("_"), Qt::ShiftModifier);
    QTest::keyClick(focus, Qt::Key_Space, Qt::ShiftModifier);
    QTest::keyClick(focus, Qt::Key_Return, Qt::ShiftModifier);
    QCOMPARE(field->text(), QStringLiteral("a"));
    QVERIFY(dialog.isVisible());
    QCOMPARE(dialog.NameText, QString());

    QTest::keyRelease(QApplication::focusWidget() ? QApplication::focusWidget() : &dialog, Qt::Key_Shift);
    QVERIFY(field->isEnabled());
    QCOMPARE(QApplication::focusWidget(), field);
    typeText(field, QStringLiteral("c"));
    QCOMPARE(field->text(), QStringLiteral("ac"));

    // The mouse still confirms while Shift is held.
    QTest::keyPress(field, Qt::Key_Shift, Qt::ShiftModifier);
    QVERIFY(!field->isEnabled());
    QTest::mouseClick(button(dialog, "NewHong"), Qt::LeftButton);
    QCOMPARE(dialog.NameText, QStringLiteral("ac"));
}

void TestInputDialogs::nameRoads_data()
{
    QTest::addColumn<QString>("pasted");
    QTest::addColumn<int>("road");
    QTest::addColumn<QString>("name");
    QTest::newRow("confirm") << "macro1" << int(Confirm) << "macro1";
    QTest::newRow("confirm keeps blanks inside") << "a b" << int(Confirm) << "a b";
    QTest::newRow("confirm an empty field") << "" << int(Confirm) << "";
    QTest::newRow("cancel") << "macro1" << int(Cancel) << "";
    QTest::newRow("close cross") << "macro1" << int(CloseCross) << "";
    QTest::newRow("window close") << "macro1" << int(WindowClose) << "";
}

void TestInputDialogs::nameRoads()
{
    QFETCH(QString, pasted);
    QFETCH(int, road);
    QFETCH(QString, name);
    QuestionDialog dialog(nullptr);
    dialog.SetPrompt(false);
    QApplication::clipboard()->setText(pasted);
    const int result = runModal(dialog, [&](QDialog& d) {
        QTest::keyClick(child(d, "lineEdit"), Qt::Key_V, Qt::ControlModifier);
        take(d, Road(road));
    });
    QVERIFY(result != -2);
    QVERIFY(!dialog.isVisible());
    QCOMPARE(dialog.NameText, name);
}

void TestInputDialogs::namePromptFollowsLanguage()
{
    QuestionDialog dialog(nullptr);
    auto* label = child<QLabel>(dialog, "label");
    dialog.SetPrompt(true);
    QCOMPARE(label->text(), LangText(LangTable::QuestionTexts, 0, 1));
    QCOMPARE(fieldOf(dialog), QString());
    // A language change keeps the prompt shown; the next SetPrompt takes the new language.
    PostMsg::instance()->EmitAllLanguage(1);
    QCOMPARE(label->text(), LangText(LangTable::QuestionTexts, 0, 1));
    dialog.SetPrompt(true);
    QCOMPARE(label->text(), LangText(LangTable::QuestionTexts, 1, 1));
    dialog.SetPrompt(false);
    QCOMPARE(label->text(), LangText(LangTable::QuestionTexts, 1, 0));
}

// ---- Delay ----------------------------------------------------------------------------------

void TestInputDialogs::delayValue_data()
{
    // Steps: "clear" empties the box, anything else is typed at the end of its text.
    QTest::addColumn<QStringList>("steps");
    QTest::addColumn<QString>("shown");
    QTest::addColumn<int>("value");
    QTest::newRow("confirmed at once") << QStringList{} << "10" << 10;
    QTest::newRow("250") << QStringList{"clear", "250"} << "250" << 250;
    QTest::newRow("65535") << QStringList{"clear", "65535"} << "65535" << 65535;
    QTest::newRow("no sixth digit") << QStringList{"clear", "655359"} << "65535" << 65535;
    QTest::newRow("nothing above 65535") << QStringList{"clear", "70000"} << "7000" << 7000;
    QTest::newRow("5 is not yet a value") << QStringList{"clear", "5"} << "5" << 10;
    QTest::newRow("the last valid value") << QStringList{"clear", "250", "clear", "5"} << "5" << 250;
    QTest::newRow("an empty box") << QStringList{"clear"} << "" << 10;
    QTest::newRow("digits only") << QStringList{"clear", "1a2-b0"} << "120" << 120;
}

void TestInputDialogs::delayValue()
{
    QFETCH(QStringList, steps);
    QFETCH(QString, shown);
    QFETCH(int, value);
    AddDelayTime dialog(nullptr);
    VEXO_CHECKED(show(dialog));
    auto* box = child<QSpinBox>(dialog, "spinBox");
    QCOMPARE(box->value(), 10);
    for (const QString& step : steps) {
        if (step == QLatin1String("clear")) {
            box->selectAll();
            QTest::keyClick(box, Qt::Key_Backspace);
        } else {
            QTest::keyClicks(box, step);
        }
    }
    QCOMPARE(box->text(), shown);
    QCOMPARE(dialog.DelayValue, 0); // written only on confirm
    QTest::mouseClick(button(dialog, "NewHong"), Qt::LeftButton);
    QVERIFY(!dialog.isVisible());
    QVERIFY(dialog.Confirmed);
    QCOMPARE(dialog.DelayValue, value);
}

void TestInputDialogs::delayRoads_data()
{
    QTest::addColumn<QString>("road"); // a Road, or "escape"
    QTest::addColumn<bool>("confirmed");
    QTest::addColumn<int>("value");
    QTest::newRow("confirm") << "confirm" << true << 250;
    QTest::newRow("cancel") << "cancel" << false << 0;
    QTest::newRow("close cross") << "cross" << false << 0;
    QTest::newRow("window close") << "window" << false << 0;
    QTest::newRow("escape") << "escape" << false << 0;
}

void TestInputDialogs::delayRoads()
{
    QFETCH(QString, road);
    QFETCH(bool, confirmed);
    QFETCH(int, value);
    AddDelayTime dialog(nullptr);
    const int result = runModal(dialog, [&](QDialog& d) {
        auto* box = child<QSpinBox>(d, "spinBox");
        box->selectAll();
        QTest::keyClicks(box, "250");
        if (road == QLatin1String("escape"))
            QTest::keyClick(box, Qt::Key_Escape);
        else
            take(d, road == QLatin1String("confirm") ? Confirm
                    : road == QLatin1String("cancel") ? Cancel
                    : road == QLatin1String("cross")  ? CloseCross
                                                       : WindowClose);
    });
    QVERIFY(result != -2);
    QVERIFY(!dialog.isVisible());
    QCOMPARE(dialog.Confirmed, confirmed);
    QCOMPARE(dialog.DelayValue, value);
}

// ---- Key capture ----------------------------------------------------------------------------

void TestInputDialogs::keyNaming_data()
{
    QTest::addColumn<QString>("script");
    QTest::addColumn<QString>("name");
    QTest::newRow("A pressed and released") << "+A@0 -A@80" << "A";
    QTest::newRow("A pressed") << "+A@0" << "A";
    QTest::newRow("A held down") << "+A@0 +A@500 +A@530 +A@560" << "A";
    QTest::newRow("left Shift") << "+0xA0@0" << "LShift";
    QTest::newRow("right Shift") << "+0xA1@0 -0xA1@50" << "RShift";
    QTest::newRow("left Ctrl, right Ctrl") << "+0xA2@0 +0xA3@10" << "RCtrl";
    QTest::newRow("left Alt") << "+0xA4@0" << "LAlt";
    QTest::newRow("Windows keys") << "+0x5B@0 -0x5B@10 +0x5C@20" << "RWin";
    QTest::newRow("right Alt has no name here") << "+0xA0@0 +0xA5@10" << "";
    QTest::newRow("released after right Alt") << "+0xA5@10 -0xA0@20" << "LShift";
    QTest::newRow("Clear") << "+A@0 +0x0C@10" << "";
    QTest::newRow("a key without a row") << "+A@0 +0xE9@10" << "";
    QTest::newRow("A then Tab") << "+A@0 -A@10 +0x09@20 -0x09@30" << "Tab";
    QTest::newRow("Escape") << "+0x1B@0 -0x1B@10" << "Esc";
    QTest::newRow("F12") << "+0x7B@0" << "F12";
    QTest::newRow("Num+") << "+0x6B@0" << "Num+";
    QTest::newRow("arrow") << "+0x25@0" << QStringLiteral("\u2190");
    QTest::newRow("nothing pressed") << "" << "";
}

void TestInputDialogs::keyNaming()
{
    QFETCH(QString, script);
    QFETCH(QString, name);
    addKey dialog(nullptr);
    QString shown = QStringLiteral("<not run>");
    QString named;
    const int result = runModal(dialog, [&](QDialog&) {
        deliver(dialog.Hook, script);
        shown = fieldOf(dialog);
        named = dialog.KeyName;
        take(dialog, Confirm);
    });
    QCOMPARE(shown, name);
    QCOMPARE(named, name);
    QCOMPARE(result, 1);
    QVERIFY(dialog.Confirmed);
    QCOMPARE(dialog.KeyName, name);
    QVERIFY(!dialog.Hook.IsInstalled());
}

void TestInputDialogs::keyRoads_data()
{
    QTest::addColumn<int>("road");
    QTest::addColumn<int>("result");
    QTest::addColumn<bool>("confirmed");
    QTest::newRow("confirm") << int(Confirm) << 1 << true;
    QTest::newRow("cancel") << int(Cancel) << 0 << false;
    QTest::newRow("close cross") << int(CloseCross) << 0 << false;
    QTest::newRow("window close") << int(WindowClose) << 0 << false;
}

void TestInputDialogs::keyRoads()
{
    QFETCH(int, road);
    QFETCH(int, result);
    QFETCH(bool, confirmed);
    addKey dialog(nullptr);
    QVERIFY(dialog.Hook.IsInstalled());
    QVERIFY(!dialog.Hook.TracksSystemKeys());
    bool installedWhileOpen = false;
    const int returned = runModal(dialog, [&](QDialog&) {
        installedWhileOpen = dialog.Hook.IsInstalled();
        deliver(dialog.Hook, QStringLiteral("+B@0 -B@10"));
        take(dialog, Road(road));
    });
    QCOMPARE(returned, result);
    QVERIFY(installedWhileOpen);
    QCOMPARE(dialog.Confirmed, confirmed);
    QVERIFY(!dialog.isVisible());
    QVERIFY(!dialog.Hook.IsInstalled());
}

void TestInputDialogs::keyFieldTypingIsOverwritten()
{
    addKey dialog(nullptr);
    VEXO_CHECKED(show(dialog));
    auto* field = child<QLineEdit>(dialog, "lineEdit");
    QCOMPARE(field->maxLength(), 50);
    QVERIFY(acceptsInputMethod(field));
    VEXO_CHECKED(deliver(dialog.Hook, QStringLiteral("+A@0")));
    // Typed or composed text shows, but is never the answer.
    typeText(field, QStringLiteral("xy"));
    commit(field, QStringLiteral("\u5B8F"));
    QCOMPARE(field->text(), QStringLiteral("Axy\u5B8F"));
    QCOMPARE(dialog.KeyName, QStringLiteral("A"));
    VEXO_CHECKED(deliver(dialog.Hook, QStringLiteral("-A@10")));
    QCOMPARE(field->text(), QStringLiteral("A"));
}

// ---- Key combination -----------------------------------------------------------------------

void TestInputDialogs::comboCapture_data()
{
    QTest::addColumn<QString>("script");
    QTest::addColumn<QString>("field");
    QTest::newRow("three keys") << "+Q@0 +W@100 +E@200" << "Q+W+E";
    QTest::newRow("a fourth key starts over") << "+Q@0 +W@100 +E@200 +R@300" << "R";
    QTest::newRow("2000 ms after the first key") << "+A@0 -A@50 +B@2000" << "A+B";
    QTest::newRow("2001 ms after the first key") << "+A@0 -A@50 +B@2001" << "B";
    QTest::newRow("the window runs from the first key")
        << "+A@0 +B@1500 +C@2001" << "C";
    QTest::newRow("a new window from the key that cleared")
        << "+A@0 +B@2500 +C@4000 +D@4501" << "D";
    QTest::newRow("starting over does not restart the window")
        << "+Q@0 +W@100 +E@200 +R@300 +T@2100" << "T";
    QTest::newRow("a held key shows once") << "+A@0 +A@500 +A@530 +A@560" << "A";
    QTest::newRow("holding the third key") << "+Q@0 +W@100 +E@200 +E@700 +E@730" << "E";
    QTest::newRow("a key already there") << "+A@0 -A@10 +B@20 -B@30 +A@40" << "A+B";
    QTest::newRow("the same key twice in a row") << "+A@0 -A@10 +A@20" << "A";
    QTest::newRow("releases change nothing") << "+A@0 -A@10 -B@20 -C@30 -0xA0@40" << "A";
    QTest::newRow("1 after Num1") << "+0x61@0 +1@10" << "Num1+1";
    QTest::newRow("1 and 2 after F12") << "+0x7B@0 +1@10 +2@20" << "F12+1+2";
    QTest::newRow("Num+ is one key") << "+A@0 +0x6B@10 +B@20" << "A+Num++B";
    QTest::newRow("Num+ first") << "+0x6B@0 +A@10 +B@20" << "Num++A+B";
    QTest::newRow("Num+ and a fourth key") << "+A@0 +0x6B@10 +B@20 +C@30" << "C";
    QTest::newRow("Num+ after Num-") << "+0x6D@0 +0x6B@10" << "Num-+Num+";
    QTest::newRow("Num+ twice") << "+0x6B@0 +A@10 +0x6B@20" << "Num++A";
    QTest::newRow("a key without a name adds nothing") << "+A@0 +0x0C@10 +B@20" << "A+B";
    QTest::newRow("modifier keys add nothing") << "+0xA0@0 +0xA2@10 +A@20 +0x5B@30" << "A";
    QTest::newRow("Shift after three keys empties") << "+Q@0 +W@100 +E@200 +0xA0@300" << "";
    QTest::newRow("Escape and F12") << "+0x1B@0 +0x7B@10" << "Esc+F12";
    // The dialogs' hook reports a system key with the down flag of the event before it.
    QTest::newRow("F10 alone after a release is not taken") << "+A@0 -A@10 ~0x79@20 !0x79@30" << "A";
    QTest::newRow("F10 alone after a press is taken") << "+A@0 ~0x79@20" << "A+F10";
}

void TestInputDialogs::comboCapture()
{
    QFETCH(QString, script);
    QFETCH(QString, field);
    GroupKey dialog(nullptr);
    VEXO_CHECKED(show(dialog));
    VEXO_CHECKED(deliver(dialog.Hook, script));
    QCOMPARE(fieldOf(dialog), field);
    QVERIFY(dialog.isVisible());
    QVERIFY(!dialog.Confirmed);
}

void TestInputDialogs::comboConfirm_data()
{
    QTest::addColumn<QString>("boxes"); // S, C, A, W
    QTest::addColumn<QString>("script");
    QTest::addColumn<QString>("keyText");
    QTest::newRow("nothing") << "" << "" << "";
    QTest::newRow("Alt and Shift") << "AS" << "" << "Shift+Alt";
    QTest::newRow("Win and Num+") << "W" << "+0x6B@0" << "Win+Num+";
    QTest::newRow("Shift, Ctrl and Num+") << "SC" << "+0x6B@0" << "Shift+Ctrl+Num+";
    QTest::newRow("Shift, Ctrl and A") << "SC" << "+A@0" << "Shift+Ctrl+A";
    QTest::newRow("Shift, Ctrl, Alt") << "SCA" << "" << "Shift+Ctrl+Alt";
    QTest::newRow("three keys") << "" << "+Q@0 +W@10 +E@20" << "Q+W+E";
    QTest::newRow("Ctrl and two keys") << "C" << "+Q@0 +0x6B@10" << "Ctrl+Q+Num+";
    QTest::newRow("keys in pressed order") << "" << "+0x28@0 +0x26@10" << QStringLiteral("\u2193+\u2191");
}

void TestInputDialogs::comboConfirm()
{
    QFETCH(QString, boxes);
    QFETCH(QString, script);
    QFETCH(QString, keyText);
    GroupKey dialog(nullptr);
    runModal(dialog, [&](QDialog&) {
        for (const char* name : kBoxes)
            if (boxes.contains(QLatin1Char(name[0])))
                QTest::mouseClick(child<QCheckBox>(dialog, name), Qt::LeftButton);
        deliver(dialog.Hook, script);
        take(dialog, Confirm);
    });
    QVERIFY(!dialog.isVisible());
    QVERIFY(dialog.Confirmed);
    QCOMPARE(dialog.KeyText, keyText);
    QVERIFY(!dialog.Hook.IsInstalled());
}

void TestInputDialogs::comboTooManyKeys_data()
{
    QTest::addColumn<QString>("boxes"); // S, C, A, W
    QTest::addColumn<QString>("script");
    QTest::newRow("Shift, Ctrl and two keys") << "SC" << "+A@0 +B@10";
    QTest::newRow("four boxes") << "SCAW" << "";
    QTest::newRow("Shift and three keys") << "S" << "+Q@0 +W@10 +E@20";
    QTest::newRow("three boxes and Num+") << "SCA" << "+0x6B@0";
}

void TestInputDialogs::comboTooManyKeys()
{
    QFETCH(QString, boxes);
    QFETCH(QString, script);
    GroupKey dialog(nullptr);
    VEXO_CHECKED(show(dialog));
    for (const char* name : kBoxes)
        if (boxes.contains(QLatin1Char(name[0])))
            QTest::mouseClick(child<QCheckBox>(dialog, name), Qt::LeftButton);
    VEXO_CHECKED(deliver(dialog.Hook, script));

    int notices = 0;
    QPoint noticeAt;
    bool hookWhileNotice = false;
    TestEnv::AnswerNextModal(
        [&](QWidget* notice) {
            ++notices;
            noticeAt = notice->pos();
            hookWhileNotice = dialog.Hook.IsInstalled();
            // Keys pressed meanwhile reach the dialog and are dropped when the notice closes.
            deliver(dialog.Hook, QStringLiteral("+X@100 +Y@110"));
            QTest::mouseClick(button(*notice, "NewHong"), Qt::LeftButton);
        },
        "GroupMaxThree");
    QTest::mouseClick(button(dialog, "NewHong"), Qt::LeftButton);

    QCOMPARE(notices, 1);
    QCOMPARE(noticeAt, dialog.mapToGlobal(QPoint(0, 0)));
    QCOMPARE(noticeAt, QPoint(321, 207));
    QVERIFY(hookWhileNotice);
    QVERIFY(dialog.Hook.IsInstalled());
    QVERIFY(dialog.isVisible());
    QVERIFY(!dialog.Confirmed);
    QCOMPARE(fieldOf(dialog), QString());
    for (const char* name : kBoxes)
        QCOMPARE(child<QCheckBox>(dialog, name)->isChecked(), boxes.contains(QLatin1Char(name[0])));

    // The next key starts a new combination, even the one pressed last.
    VEXO_CHECKED(deliver(dialog.Hook, QStringLiteral("+Y@120")));
    QCOMPARE(fieldOf(dialog), QStringLiteral("Y"));
}

void TestInputDialogs::comboRoads_data()
{
    QTest::addColumn<int>("road");
    QTest::addColumn<bool>("confirmed");
    QTest::newRow("confirm") << int(Confirm) << true;
    QTest::newRow("cancel") << int(Cancel) << false;
    QTest::newRow("close cross") << int(CloseCross) << false;
    QTest::newRow("window close") << int(WindowClose) << false;
}

void TestInputDialogs::comboRoads()
{
    QFETCH(int, road);
    QFETCH(bool, confirmed);
    GroupKey dialog(nullptr);
    QVERIFY(dialog.Hook.IsInstalled());
    QVERIFY(!dialog.Hook.TracksSystemKeys());
    const int result = runModal(dialog, [&](QDialog&) {
        deliver(dialog.Hook, QStringLiteral("+A@0"));
        take(dialog, Road(road));
    });
    QVERIFY(result != -2);
    QVERIFY(!dialog.isVisible());
    QCOMPARE(dialog.Confirmed, confirmed);
    if (confirmed)
        QCOMPARE(dialog.KeyText, QStringLiteral("A"));
    QVERIFY(!dialog.Hook.IsInstalled());
}

void TestInputDialogs::comboFieldRefusesTyping()
{
    GroupKey dialog(nullptr);
    VEXO_CHECKED(show(dialog));
    auto* field = child<QLineEdit>(dialog, "lineEdit");
    QVERIFY(!field->isReadOnly());
    QVERIFY(!acceptsInputMethod(field));
    VEXO_CHECKED(deliver(dialog.Hook, QStringLiteral("+A@0")));
    typeText(field, QStringLiteral("xy"));
    QTest::keyClick(field, Qt::Key_Backspace);
    QTest::keyClick(field, Qt::Key_V, Qt::ControlModifier);
    QCOMPARE(field->text(), QStringLiteral("A"));
    QVERIFY(dialog.isVisible());
    // What the context menu pastes shows in upper case.
    QApplication::clipboard()->setText(QStringLiteral("ctrl+b"));
    field->selectAll();
    field->paste();
    QCOMPARE(field->text(), QStringLiteral("CTRL+B"));
}

// ---- Both hook dialogs ----------------------------------------------------------------------

void TestInputDialogs::hookGoneWithDialog_data()
{
    QTest::addColumn<QString>("dialog");
    QTest::newRow("addKey") << "addKey";
    QTest::newRow("GroupKey") << "GroupKey";
}

void TestInputDialogs::hookGoneWithDialog()
{
    QFETCH(QString, dialog);
    auto window = makeDialog(dialog);
    const auto other = makeDialog(dialog);
    const KeyboardHook* hook = hookOf(*window);
    QVERIFY(KeyboardSource::Instance()->IsRegistered(hook));
    VEXO_CHECKED(show(*window));
    window.reset();
    QVERIFY(!KeyboardSource::Instance()->IsRegistered(hook));
    // The other dialog keeps its own hook.
    QVERIFY(KeyboardSource::Instance()->IsRegistered(hookOf(*other)));
    VEXO_CHECKED(deliver(*hookOf(*other), QStringLiteral("+A@0")));
    QCOMPARE(fieldOf(*other), QStringLiteral("A"));
}

void TestInputDialogs::keysThroughSource_data()
{
    QTest::addColumn<QString>("dialog");
    QTest::addColumn<int>("key");
    QTest::addColumn<QString>("field");
    QTest::newRow("addKey Escape") << "addKey" << int(Qt::Key_Escape) << "Esc";
    QTest::newRow("addKey F12") << "addKey" << int(Qt::Key_F12) << "F12";
    QTest::newRow("addKey B") << "addKey" << int(Qt::Key_B) << "B";
    QTest::newRow("GroupKey Escape") << "GroupKey" << int(Qt::Key_Escape) << "Esc";
    QTest::newRow("GroupKey F12") << "GroupKey" << int(Qt::Key_F12) << "F12";
    QTest::newRow("GroupKey B") << "GroupKey" << int(Qt::Key_B) << "B";
}

// Keys typed on the keyboard: the hook names them, and neither Escape nor F12 ends the dialog.
void TestInputDialogs::keysThroughSource()
{
    QFETCH(QString, dialog);
    QFETCH(int, key);
    QFETCH(QString, field);
    KeyboardSource::Instance()->SetActivePredicate([] { return true; });
    const auto window = makeDialog(dialog);
    QSignalSpy finished(window.get(), &QDialog::finished);
    VEXO_CHECKED(show(*window));
    QTest::keyClick(window->windowHandle(), Qt::Key(key));
    KeyboardSource::Instance()->SetActivePredicate({});
    QCOMPARE(fieldOf(*window), field);
    QVERIFY(window->isVisible());
    QCOMPARE(finished.count(), 0);
}

void TestInputDialogs::keysAfterCloseReachNoDialog_data()
{
    QTest::addColumn<QString>("dialog");
    QTest::addColumn<int>("road");
    for (const char* name : {"addKey", "GroupKey"}) {
        QTest::addRow("%s confirm", name) << name << int(Confirm);
        QTest::addRow("%s cancel", name) << name << int(Cancel);
        QTest::addRow("%s close cross", name) << name << int(CloseCross);
        QTest::addRow("%s window close", name) << name << int(WindowClose);
    }
}

void TestInputDialogs::keysAfterCloseReachNoDialog()
{
    QFETCH(QString, dialog);
    QFETCH(int, road);
    KeyboardSource::Instance()->SetActivePredicate([] { return true; });
    const auto window = makeDialog(dialog);
    QWidget host;
    host.resize(200, 100);
    host.show();
    QVERIFY(QTest::qWaitForWindowExposed(&host));
    runModal(*window, [&](QDialog& d) { take(d, Road(road)); });
    QVERIFY(!window->isVisible());
    QVERIFY(!KeyboardSource::Instance()->IsRegistered(hookOf(*window)));
    host.activateWindow();
    QTest::keyClick(host.windowHandle(), Qt::Key_C);
    KeyboardSource::Instance()->SetActivePredicate({});
    QCOMPARE(fieldOf(*window), QString());
}

VEXO_TEST_MAIN(TestInputDialogs)
#include "tst_inputdialogs.moc"
