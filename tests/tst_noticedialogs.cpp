#include "core/postmsg.h"
#include "helpers/testenv.h"
#include "helpers/testwidgets.h"
#include "ui/lang/langtext.h"
#include "ui/lang/languagefilereader.h"
#include "ui/widgets/deleteconfirm.h"
#include "ui/widgets/groupmaxthree.h"
#include "ui/widgets/keynumberlimit.h"
#include "ui/widgets/leftbuttononly.h"
#include "ui/widgets/makemacro.h"
#include "ui/widgets/samemacro.h"
#include "ui/widgets/skin.h"

#include <QFrame>
#include <QLabel>
#include <QSettings>
#include <QTimer>
#include <QToolButton>
#include <QtTest>

#include <memory>

Q_DECLARE_METATYPE(LangTable)

namespace {

std::unique_ptr<NoticeDialog> makeNotice(const QString& name)
{
    if (name == QLatin1String("LeftButtonOnly"))
        return std::make_unique<LeftButtonOnly>();
    if (name == QLatin1String("MakeMacro"))
        return std::make_unique<MakeMacro>();
    if (name == QLatin1String("SameMacro"))
        return std::make_unique<SameMacro>();
    if (name == QLatin1String("GroupMaxThree"))
        return std::make_unique<GroupMaxThree>();
    if (name == QLatin1String("KeyNumberLimit"))
        return std::make_unique<KeyNumberLimit>();
    if (name == QLatin1String("DeleteConfirm"))
        return std::make_unique<DeleteConfirm>();
    return nullptr;
}

struct NoticeKind
{
    const char* name;
    LangTable messages;
    bool hasConfirm;
};

const NoticeKind kNotices[] = {
    {"LeftButtonOnly", LangTable::ButtonOnlyTexts, false}, {"MakeMacro", LangTable::MakeMacroTexts, true},
    {"SameMacro", LangTable::SameMacroTexts, true},        {"GroupMaxThree", LangTable::MaxThreeTexts, true},
    {"KeyNumberLimit", LangTable::LimitTexts, true},       {"DeleteConfirm", LangTable::DeleteConfirmTexts, true},
};

QLabel* message(const QWidget& notice)
{
    return notice.findChild<QLabel*>(QStringLiteral("label"));
}

QToolButton* toolButton(const QWidget& notice, const QString& name)
{
    return notice.findChild<QToolButton*>(name);
}

// Runs the notice modally and ends it with `action` (a button's name or "Escape"). Fails when
// the notice does not close; returns exec()'s result.
void runAndEnd(QDialog& notice, const QString& action, int& result)
{
    bool answered = false;
    TestEnv::AnswerNextModal([&](QWidget* modal) {
        answered = modal == &notice;
        if (action == QLatin1String("Escape"))
            QTest::keyClick(modal, Qt::Key_Escape);
        else
            QTest::mouseClick(toolButton(*modal, action), Qt::LeftButton);
    });
    // A way out that does not close the notice ends the test instead of hanging it.
    bool stuck = false;
    QTimer::singleShot(5000, &notice, [&] {
        if (notice.isVisible()) {
            stuck = true;
            notice.done(-1);
        }
    });
    result = notice.exec();
    QVERIFY(answered);
    QVERIFY2(!stuck, "the notice stayed open");
    QVERIFY(!notice.isVisible());
}

} // namespace

class TestNoticeDialogs : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanupTestCase();

    void form_data();
    void form();
    void texts_data();
    void texts();
    void shortColourLists();

    void waysOut_data();
    void waysOut();

    void placeOver_data();
    void placeOver();
    void importStandsLower();
    void placeOnCorner();

private:
    std::unique_ptr<TestEnv::TempHome> m_home;
    std::unique_ptr<TestEnv::Installation> m_install;
};

void TestNoticeDialogs::initTestCase()
{
    m_home = std::make_unique<TestEnv::TempHome>();
    m_install = std::make_unique<TestEnv::Installation>();
    LoadLanguageFiles();
    for (const NoticeKind& kind : kNotices)
        QVERIFY2(LanguageTables::Global()->LanguageCount(kind.messages) >= 2, kind.name);
    QVERIFY(LanguageTables::Global()->LanguageCount(LangTable::QuestionTexts) >= 2);
}

void TestNoticeDialogs::init()
{
    CurrentLanguage = 0;
}

void TestNoticeDialogs::cleanupTestCase()
{
    CurrentLanguage = 0;
    LanguageTables::SetGlobal(LanguageTables());
    m_install.reset();
    m_home.reset();
}

void TestNoticeDialogs::form_data()
{
    QTest::addColumn<QString>("notice");
    QTest::addColumn<QString>("frame");
    QTest::addColumn<QRect>("label");
    QTest::addColumn<QRect>("confirm"); // null: no confirm button
    QTest::newRow("LeftButtonOnly") << "LeftButtonOnly" << "ButtonOnly" << QRect(0, 19, 301, 91) << QRect();
    QTest::newRow("MakeMacro") << "MakeMacro" << "MakeMacroA" << QRect(6, 29, 291, 71) << QRect(100, 110, 90, 24);
    QTest::newRow("SameMacro") << "SameMacro" << "SameMacroA" << QRect(0, 10, 301, 91) << QRect(100, 110, 90, 24);
    QTest::newRow("GroupMaxThree") << "GroupMaxThree" << "MaxThree" << QRect(0, 30, 301, 71) << QRect(105, 110, 90, 24);
    QTest::newRow("KeyNumberLimit") << "KeyNumberLimit" << "LimitA" << QRect(0, 30, 301, 71) << QRect(100, 110, 90, 24);
    QTest::newRow("DeleteConfirm") << "DeleteConfirm" << "DeleteConfirmA" << QRect(5, 30, 291, 71)
                                   << QRect(100, 110, 90, 24);
}

void TestNoticeDialogs::form()
{
    QFETCH(QString, notice);
    QFETCH(QString, frame);
    QFETCH(QRect, label);
    QFETCH(QRect, confirm);
    const auto window = makeNotice(notice);
    QVERIFY(window);
    const QString folder = m_install->path() + QStringLiteral("/Picture/WarningDialog/");

    QCOMPARE(window->objectName(), notice);
    QCOMPARE(window->size(), QSize(300, 140));
    QCOMPARE(window->windowFlags() & Skin::DialogWindowFlags(), Skin::DialogWindowFlags());

    auto* background = window->findChild<QFrame*>(frame);
    QVERIFY(background);
    QCOMPARE(background->geometry(), QRect(0, 0, 300, 140));
    QCOMPARE(background->styleSheet(), Skin::FrameStyle(frame, folder));

    QCOMPARE(message(*window)->geometry(), label);
    QVERIFY(message(*window)->wordWrap());
    QCOMPARE(message(*window)->alignment(), Qt::Alignment(Qt::AlignCenter));
    QCOMPARE(message(*window)->styleSheet(), Skin::LabelStyle(Skin::OptionColor(QStringLiteral("LabelColor"))));

    QToolButton* close = toolButton(*window, QStringLiteral("CloseButton"));
    QVERIFY(close);
    QCOMPARE(close->geometry(), QRect(275, 5, 20, 20));
    QVERIFY(close->text().isEmpty());
    QCOMPARE(close->styleSheet(), Skin::CloseButtonStyle(folder));

    QToolButton* ok = toolButton(*window, QStringLiteral("NewHong"));
    QCOMPARE(ok != nullptr, !confirm.isNull());
    if (ok) {
        QCOMPARE(ok->geometry(), confirm);
        QCOMPARE(ok->styleSheet(),
                 Skin::ConfirmButtonStyle(folder, Skin::OptionColor(QStringLiteral("ButtonColor"))));
    }
}

void TestNoticeDialogs::texts_data()
{
    QTest::addColumn<QString>("notice");
    QTest::addColumn<LangTable>("messages");
    QTest::addColumn<bool>("hasConfirm");
    QTest::addColumn<int>("builtIn");
    QTest::addColumn<int>("announced"); // -2: no announcement
    QTest::addColumn<int>("shown");
    struct Case
    {
        const char* tag;
        int builtIn;
        int announced;
        int shown;
    };
    const Case cases[] = {
        {"language 0", 0, -2, 0},
        {"language 1", 1, -2, 1},
        {"language 1 announced while open", 0, 1, 1},
        {"language 0 announced while open", 1, 0, 0},
        // Languages the files lack (a stale index from Macro.ini) read language 0.
        {"built in language 7", 7, -2, 0},
        {"language 7 announced", 1, 7, 0},
        {"language -1 announced", 1, -1, 0},
    };
    for (const NoticeKind& kind : kNotices)
        for (const Case& c : cases)
            QTest::addRow("%s, %s", kind.name, c.tag)
                << QString::fromLatin1(kind.name) << kind.messages << kind.hasConfirm << c.builtIn << c.announced
                << c.shown;
}

void TestNoticeDialogs::texts()
{
    QFETCH(QString, notice);
    QFETCH(LangTable, messages);
    QFETCH(bool, hasConfirm);
    QFETCH(int, builtIn);
    QFETCH(int, announced);
    QFETCH(int, shown);
    CurrentLanguage = builtIn;
    const auto window = makeNotice(notice);
    if (announced != -2)
        PostMsg::instance()->EmitAllLanguage(announced);

    const QString text = LangText(messages, shown, 0);
    QVERIFY(!text.isEmpty());
    // The two languages differ, so a text of the wrong language cannot pass.
    QVERIFY(text != LangText(messages, 1 - shown, 0));
    QCOMPARE(message(*window)->text(), text);
    QToolButton* ok = toolButton(*window, QStringLiteral("NewHong"));
    QCOMPARE(ok != nullptr, hasConfirm);
    if (ok) {
        const QString confirm = LangText(LangTable::QuestionTexts, shown, 2);
        QVERIFY(!confirm.isEmpty() && confirm != LangText(LangTable::QuestionTexts, 1 - shown, 2));
        QCOMPARE(ok->text(), confirm);
    }
}

void TestNoticeDialogs::shortColourLists()
{
    TestEnv::Installation install(TestEnv::Installation::PrivateCopy);
    {
        QSettings config(install.path() + QStringLiteral("/usersetting/Config.ini"), QSettings::IniFormat);
        config.setValue(QStringLiteral("Option/LabelColor"), QStringList{QStringLiteral("10"), QStringLiteral("20")});
        config.remove(QStringLiteral("Option/ButtonColor"));
    }
    const QString folder = install.path() + QStringLiteral("/Picture/WarningDialog/");
    for (const NoticeKind& kind : kNotices) {
        const auto window = makeNotice(QString::fromLatin1(kind.name));
        // The toolkit's colour stays; the images do not go with the colours.
        QVERIFY2(message(*window)->styleSheet().isEmpty(), kind.name);
        QCOMPARE(message(*window)->text(), LangText(kind.messages, 0, 0));
        if (QToolButton* ok = toolButton(*window, QStringLiteral("NewHong"))) {
            QVERIFY2(!ok->styleSheet().contains(QStringLiteral("color")), kind.name);
            QVERIFY2(ok->styleSheet().contains(folder + QStringLiteral("Confirm.png")), kind.name);
        }
    }
}

void TestNoticeDialogs::waysOut_data()
{
    QTest::addColumn<QString>("notice");
    QTest::addColumn<QString>("action");
    QTest::addColumn<bool>("confirmed"); // DeleteConfirm's answer; ignored for the others
    for (const NoticeKind& kind : kNotices) {
        const QString name = QString::fromLatin1(kind.name);
        if (kind.hasConfirm)
            QTest::addRow("%s confirm", kind.name) << name << "NewHong" << true;
        QTest::addRow("%s close", kind.name) << name << "CloseButton" << false;
        QTest::addRow("%s Escape", kind.name) << name << "Escape" << false;
    }
}

void TestNoticeDialogs::waysOut()
{
    QFETCH(QString, notice);
    QFETCH(QString, action);
    QFETCH(bool, confirmed);
    const auto window = makeNotice(notice);
    auto* deleteConfirm = qobject_cast<DeleteConfirm*>(window.get());
    if (deleteConfirm)
        QCOMPARE(deleteConfirm->Confirmed, false);

    int result = -2;
    VEXO_CHECKED(runAndEnd(*window, action, result));

    // The same code for every way out: openers read members, not this.
    QCOMPARE(result, int(QDialog::Rejected));
    if (deleteConfirm)
        QCOMPARE(deleteConfirm->Confirmed, confirmed);
}

void TestNoticeDialogs::placeOver_data()
{
    QTest::addColumn<QString>("notice");
    QTest::addColumn<QRect>("window");  // the caller's top-level window on the screen
    QTest::addColumn<QRect>("caller");  // the caller inside it; null: the window itself
    QTest::addColumn<QPoint>("offset");
    QTest::addColumn<QSize>("assumed"); // invalid: the notice's own size
    QTest::addColumn<QPoint>("expected");
    // A page of 1020 by 640 at (0, 60) in a window at (100, 50): its corner is at (100, 110).
    const QRect frame(100, 50, 1020, 700);
    const QRect page(0, 60, 1020, 640);
    QTest::newRow("left button, over the button page")
        << "LeftButtonOnly" << frame << page << QPoint(-50, -70) << QSize() << QPoint(410, 290);
    QTest::newRow("no macro yet, over the button page")
        << "MakeMacro" << frame << page << QPoint(-50, -70) << QSize() << QPoint(410, 290);
    QTest::newRow("duplicate new name, over the macro page")
        << "SameMacro" << frame << page << QPoint(-100, -50) << QSize() << QPoint(360, 310);
    QTest::newRow("duplicate import, centred as 300 by 110")
        << "SameMacro" << frame << page << QPoint(-100, -50) << QSize(300, 110) << QPoint(360, 325);
    QTest::newRow("recording limit, odd caller size drops the half pixel")
        << "KeyNumberLimit" << QRect(0, 0, 901, 601) << QRect() << QPoint(-100, -50) << QSize() << QPoint(200, 180);
    QTest::newRow("caller smaller than the notice: halves truncate toward zero")
        << "DeleteConfirm" << QRect(500, 400, 101, 51) << QRect() << QPoint(-100, -50) << QSize()
        << QPoint(301, 306);
    QTest::newRow("caller partly off the screen")
        << "MakeMacro" << QRect(-200, -100, 640, 480) << QRect() << QPoint(-50, -70) << QSize() << QPoint(-80, 0);
}

void TestNoticeDialogs::placeOver()
{
    QFETCH(QString, notice);
    QFETCH(QRect, window);
    QFETCH(QRect, caller);
    QFETCH(QPoint, offset);
    QFETCH(QSize, assumed);
    QFETCH(QPoint, expected);
    // Frameless like the program's top-level window, so the platform keeps it where it is put.
    QWidget top(nullptr, Qt::FramelessWindowHint);
    top.setGeometry(window);
    QWidget* page = &top;
    if (!caller.isNull()) {
        page = new QWidget(&top);
        page->setGeometry(caller);
    }
    top.show();
    QVERIFY(QTest::qWaitForWindowExposed(&top));
    const auto dialog = makeNotice(notice);

    dialog->PlaceOver(page, offset.x(), offset.y(), assumed);

    QCOMPARE(dialog->pos(), expected);
    // It stays there when shown: the user sees it at that place.
    dialog->show();
    QVERIFY(QTest::qWaitForWindowExposed(dialog.get()));
    QCOMPARE(dialog->mapToGlobal(QPoint(0, 0)), expected);
    QCOMPARE(dialog->size(), QSize(300, 140));
}

void TestNoticeDialogs::importStandsLower()
{
    QWidget macroPage(nullptr, Qt::FramelessWindowHint);
    macroPage.setGeometry(130, 90, 880, 620);
    macroPage.show();
    QVERIFY(QTest::qWaitForWindowExposed(&macroPage));
    SameMacro newName;
    newName.PlaceOver(&macroPage, -100, -50, QSize(300, 140));
    SameMacro imported;
    imported.PlaceOver(&macroPage, -100, -50, QSize(300, 110));
    QCOMPARE(imported.pos() - newName.pos(), QPoint(0, 15));
}

void TestNoticeDialogs::placeOnCorner()
{
    QWidget combination(nullptr, Qt::FramelessWindowHint);
    combination.setGeometry(333, 222, 400, 200);
    combination.show();
    QVERIFY(QTest::qWaitForWindowExposed(&combination));
    GroupMaxThree notice;
    notice.PlaceOnCorner(&combination);
    QCOMPARE(notice.pos(), QPoint(333, 222));
}

VEXO_TEST_MAIN(TestNoticeDialogs)
#include "tst_noticedialogs.moc"
