#include "core/userfolders.h"
#include "core/apppaths.h"
#include "core/deviceinfocache.h"
#include "core/devicestate.h"
#include "core/macroini.h"
#include "core/postmsg.h"
#include "helpers/childapp.h"
#include "helpers/testenv.h"
#include "helpers/testwidgets.h"
#include "ui/lang/exeisrunfile.h"
#include "ui/lang/langtext.h"
#include "ui/lang/languagefilereader.h"
#include "ui/widgets/containreset.h"
#include "ui/widgets/exeisrun.h"
#include "ui/widgets/inportfail.h"
#include "ui/widgets/installationnotice.h"
#include "ui/widgets/mouseoffline.h"
#include "ui/widgets/offlinenoticeguard.h"
#include "ui/widgets/questiondialogb.h"
#include "ui/widgets/repair.h"
#include "ui/widgets/skin.h"
#include "ui/widgets/updataparam.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QPointer>
#include <QProcess>
#include <QTimer>
#include <QToolButton>
#include <QtTest>

#include <memory>

Q_DECLARE_METATYPE(LangTable)
Q_DECLARE_METATYPE(InstallationProblem)

namespace {

std::unique_ptr<QDialog> makeNotice(const QString& name)
{
    if (name == QLatin1String("MouseOffLine"))
        return std::make_unique<MouseOffLine>(nullptr);
    if (name == QLatin1String("ContainReset"))
        return std::make_unique<ContainReset>(nullptr);
    if (name == QLatin1String("QuestiondialogB"))
        return std::make_unique<QuestiondialogB>(nullptr);
    if (name == QLatin1String("RePair"))
        return std::make_unique<RePair>(nullptr);
    if (name == QLatin1String("InportFail"))
        return std::make_unique<InportFail>(nullptr);
    if (name == QLatin1String("ExeIsRun"))
        return std::make_unique<ExeIsRun>(nullptr);
    if (name == QLatin1String("InstallationNotice"))
        return std::make_unique<InstallationNotice>(
            QVector<InstallationProblem>{{true, QStringLiteral("/x"), QStringLiteral("x")}}, nullptr);
    if (name == QLatin1String("UpDataParam"))
        return std::make_unique<UpDataParam>(nullptr);
    return nullptr;
}

// The caption a user sees on a label or a button of a window.
QString captionOf(const QWidget* window, const QString& control)
{
    if (auto* label = window->findChild<QLabel*>(control))
        return label->text();
    if (auto* button = window->findChild<QToolButton*>(control))
        return button->text();
    return QStringLiteral("<no %1>").arg(control);
}

// "mode=1", "result=2", "importing": the global a notice's texts depend on.
void applySetup(const QString& fullSetup)
{
    // ",unreadable": the caller asks the import notice for its "cannot be read" message.
    const QString setup = fullSetup.section(QLatin1Char(','), 0, 0);
    OfflineNoticeMode = 0;
    ImportCheckResult = 0;
    ImportRunning = 0;
    if (setup.startsWith(QLatin1String("mode=")))
        OfflineNoticeMode = setup.mid(5).toInt();
    else if (setup.startsWith(QLatin1String("result=")))
        ImportCheckResult = setup.mid(7).toInt();
    else if (setup == QLatin1String("importing"))
        ImportRunning = 1;
}

void writeLanguagePreference(const QString& value)
{
    QDir().mkpath(AppPaths::UserDataFolder());
    if (!value.isNull())
        MacroIni::instance()->setValue(QStringLiteral("Language"), QStringLiteral("Language"), value);
}

} // namespace

class TestNotices : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanupTestCase();

    void texts_data();
    void texts();
    void designerTextKept_data();
    void designerTextKept();
    void languageChangeWhileOpen_data();
    void languageChangeWhileOpen();
    void skin_data();
    void skin();

    void answers_data();
    void answers();
    void offlineNoticeClosesWhenDeviceBack();
    void offlineNoticeAtMostOne();

    void exeIsRunLanguage_data();
    void exeIsRunLanguage();
    void exeIsRunStoredTexts();
    void exeIsRunWithoutLanguageFile_data();
    void exeIsRunWithoutLanguageFile();
    void installationNotice_data();
    void installationNotice();
    void secondStartShowsNoticeInLanguage_data();
    void secondStartShowsNoticeInLanguage();

private:
    std::unique_ptr<TestEnv::TempHome> m_home;
    std::unique_ptr<TestEnv::Installation> m_install;
};

void TestNotices::initTestCase()
{
    m_home = std::make_unique<TestEnv::TempHome>();
    m_install = std::make_unique<TestEnv::Installation>();
    LoadLanguageFiles();
    QVERIFY(LanguageTables::Global()->LanguageCount(LangTable::QuestionTexts) >= 2);
}

void TestNotices::init()
{
    CurrentLanguage = 0;
    applySetup(QString());
}

void TestNotices::cleanupTestCase()
{
    applySetup(QString());
    CurrentLanguage = 0;
    m_install.reset();
    m_home.reset();
}

void TestNotices::texts_data()
{
    QTest::addColumn<QString>("notice");
    QTest::addColumn<QString>("setup");
    QTest::addColumn<int>("language");
    QTest::addColumn<QString>("control");
    QTest::addColumn<LangTable>("table");
    QTest::addColumn<int>("position");
    struct Row {
        const char* notice;
        const char* setup;
        const char* control;
        LangTable table;
        int position;
    };
    const Row rows[] = {
        {"MouseOffLine", "mode=0", "label", LangTable::MouseOffLineTexts, 0},
        {"MouseOffLine", "mode=0", "NewHong", LangTable::QuestionTexts, 2},
        {"MouseOffLine", "mode=1", "label", LangTable::MouseOffLineTexts, 1},
        {"MouseOffLine", "mode=1", "NewHong", LangTable::QuestionTexts, 2},
        {"ContainReset", "", "label", LangTable::ContainResetTexts, 0},
        {"ContainReset", "", "OK", LangTable::DialogChangeTexts, 4},
        {"ContainReset", "", "Cancel", LangTable::QuestionTexts, 3},
        {"QuestiondialogB", "", "label", LangTable::QuestionBTexts, 0},
        {"RePair", "", "label", LangTable::RePairTexts, 0},
        {"RePair", "", "OK", LangTable::QuestionTexts, 2},
        {"RePair", "", "Cancel", LangTable::QuestionTexts, 3},
        {"InportFail", "result=1", "label", LangTable::InportFailTexts, 0},
        {"InportFail", "result=2", "label", LangTable::InportFailTexts, 1},
        {"InportFail", "result=1", "NewHong", LangTable::QuestionTexts, 2},
        {"UpDataParam", "", "label", LangTable::UpDataParamTexts, 0},
        {"UpDataParam", "importing", "label", LangTable::UpDataParamTexts, 1},
    };
    for (int language : {0, 1})
        for (const Row& r : rows)
            QTest::addRow("%s %s %s, language %d", r.notice, r.setup, r.control, language)
                << QString::fromLatin1(r.notice) << QString::fromLatin1(r.setup) << language
                << QString::fromLatin1(r.control) << r.table << r.position;
}

void TestNotices::texts()
{
    QFETCH(QString, notice);
    QFETCH(QString, setup);
    QFETCH(int, language);
    QFETCH(QString, control);
    QFETCH(LangTable, table);
    QFETCH(int, position);
    applySetup(setup);
    CurrentLanguage = language;
    const QString expected = LangText(table, language, position);
    QVERIFY(!expected.isEmpty());
    // The two languages differ, so a text of the wrong language cannot pass.
    QVERIFY(expected != LangText(table, 1 - language, position));
    const auto window = makeNotice(notice);
    QCOMPARE(captionOf(window.get(), control), expected);
}

void TestNotices::designerTextKept_data()
{
    QTest::addColumn<QString>("notice");
    QTest::addColumn<QString>("setup");
    QTest::addColumn<QString>("text");
    QTest::newRow("offline notice, unknown mode") << "MouseOffLine" << "mode=5"
                                                  << "   The mouse is offline. Please move first";
    QTest::newRow("import failure, no check yet") << "InportFail" << "result=0" << "Config does not match the device";
}

void TestNotices::designerTextKept()
{
    QFETCH(QString, notice);
    QFETCH(QString, setup);
    QFETCH(QString, text);
    applySetup(setup);
    CurrentLanguage = 1;
    const auto window = makeNotice(notice);
    QCOMPARE(captionOf(window.get(), QStringLiteral("label")), text);
}

// An open notice takes the new language at once, re-reading what its message depends on.
void TestNotices::languageChangeWhileOpen_data()
{
    QTest::addColumn<QString>("notice");
    QTest::addColumn<QString>("setupBefore");
    QTest::addColumn<QString>("setupAfter");
    QTest::addColumn<LangTable>("table");
    QTest::addColumn<int>("position");
    QTest::newRow("question loses its own message") << "ContainReset" << "" << "" << LangTable::ContainResetTexts << 0;
    QTest::newRow("import failure re-reads the result") << "InportFail" << "result=1" << "result=2"
                                                        << LangTable::InportFailTexts << 1;
    QTest::newRow("unreadable file keeps its message") << "InportFail" << "result=2,unreadable" << "result=3"
                                                       << LangTable::InportFailTexts << 0;
    QTest::newRow("offline notice follows the mode") << "MouseOffLine" << "mode=0" << "mode=1"
                                                     << LangTable::MouseOffLineTexts << 1;
    QTest::newRow("update dialog re-reads the import flag") << "UpDataParam" << "" << "importing"
                                                            << LangTable::UpDataParamTexts << 1;
    QTest::newRow("repair question") << "RePair" << "" << "" << LangTable::RePairTexts << 0;
    QTest::newRow("duplicate device notice") << "QuestiondialogB" << "" << "" << LangTable::QuestionBTexts << 0;
}

void TestNotices::languageChangeWhileOpen()
{
    QFETCH(QString, notice);
    QFETCH(QString, setupBefore);
    QFETCH(QString, setupAfter);
    QFETCH(LangTable, table);
    QFETCH(int, position);
    applySetup(setupBefore);
    const auto window = makeNotice(notice);
    if (auto* question = qobject_cast<ContainReset*>(window.get()))
        question->SetMessage(QStringLiteral("A message of the caller's"));
    if (auto* failure = qobject_cast<InportFail*>(window.get()); failure && setupBefore.endsWith(",unreadable"))
        failure->ShowUnreadableText();
    QPointer<QDialog> open = window.get();
    bool checked = false;
    TestEnv::AnswerNextModal([&](QWidget* modal) {
        applySetup(setupAfter);
        PostMsg::instance()->EmitAllLanguage(1);
        QCOMPARE(captionOf(modal, QStringLiteral("label")), LangText(table, 1, position));
        checked = true;
        modal->close();
    });
    QTimer::singleShot(5000, open.data(), [&] { if (open) open->reject(); });
    window->exec();
    QVERIFY2(checked, "the open notice was never looked at");
}

void TestNotices::skin_data()
{
    QTest::addColumn<QString>("notice");
    QTest::addColumn<QString>("frame");
    QTest::addColumn<QStringList>("confirmButtons");
    QTest::addColumn<QString>("confirmImage");
    QTest::addColumn<bool>("closeButton");
    const QString confirm = QStringLiteral("Confirm");
    QTest::newRow("MouseOffLine") << "MouseOffLine" << "MouseOffLineA" << QStringList{"NewHong"}
                                  << QStringLiteral("ConFirm") << true;
    QTest::newRow("ContainReset") << "ContainReset" << "ContainResetA" << QStringList{"OK", "Cancel"} << confirm << true;
    QTest::newRow("QuestiondialogB") << "QuestiondialogB" << "QuestionB" << QStringList() << confirm << true;
    QTest::newRow("RePair") << "RePair" << "RePairA" << QStringList{"OK", "Cancel"} << confirm << true;
    QTest::newRow("InportFail") << "InportFail" << "InportFailA" << QStringList{"NewHong"} << confirm << true;
    QTest::newRow("ExeIsRun") << "ExeIsRun" << "DeleteConfirmA" << QStringList{"NewHong"} << confirm << true;
    QTest::newRow("UpDataParam") << "UpDataParam" << "UpDataParamA" << QStringList() << confirm << false;
}

void TestNotices::skin()
{
    QFETCH(QString, notice);
    QFETCH(QString, frame);
    QFETCH(QStringList, confirmButtons);
    QFETCH(QString, confirmImage);
    QFETCH(bool, closeButton);
    const auto window = makeNotice(notice);
    const QString folder = m_install->path() + QStringLiteral("/Picture/WarningDialog/");
    const QString label = Skin::OptionColor(QStringLiteral("LabelColor"));
    const QString button = Skin::OptionColor(QStringLiteral("ButtonColor"));
    QVERIFY(!label.isEmpty() && !button.isEmpty());

    QCOMPARE(window->objectName(), notice);
    QCOMPARE(window->size(), QSize(300, 140));
    QCOMPARE(window->windowFlags() & Skin::DialogWindowFlags(), Skin::DialogWindowFlags());
    QVERIFY(!(window->windowFlags() & Qt::BypassWindowManagerHint));
    QVERIFY(window->windowFlags() & Qt::FramelessWindowHint);
    auto* background = window->findChild<QFrame*>(frame);
    QVERIFY(background);
    QVERIFY(background->styleSheet().startsWith(QLatin1Char('#') + frame + QLatin1Char('{')));
    QVERIFY(background->styleSheet().contains(QStringLiteral("url(") + folder + QStringLiteral("BackGround.png)")));
    QCOMPARE(window->findChild<QLabel*>(QStringLiteral("label"))->styleSheet(), Skin::LabelStyle(label));
    QCOMPARE(window->findChild<QLabel*>(QStringLiteral("label"))->font().family(), Skin::FormFontFamily());
    if (closeButton)
        QCOMPARE(window->findChild<QToolButton*>(QStringLiteral("CloseButton"))->styleSheet(),
                 Skin::CloseButtonStyle(folder));
    for (const QString& name : confirmButtons)
        QCOMPARE(window->findChild<QToolButton*>(name)->styleSheet(),
                 Skin::ConfirmButtonStyle(folder, button, confirmImage + QStringLiteral(".png"),
                                          confirmImage + QStringLiteral("Click.png")));
}

void TestNotices::answers_data()
{
    QTest::addColumn<QString>("notice");
    QTest::addColumn<QString>("action"); // a button's name, "Escape" or "Return"
    QTest::addColumn<int>("answer");     // -1: the notice has no answer
    QTest::newRow("RePair OK") << "RePair" << "OK" << 1;
    QTest::newRow("RePair Cancel") << "RePair" << "Cancel" << 0;
    QTest::newRow("RePair close") << "RePair" << "CloseButton" << 0;
    QTest::newRow("RePair Escape") << "RePair" << "Escape" << 0;
    QTest::newRow("ContainReset OK") << "ContainReset" << "OK" << 1;
    QTest::newRow("ContainReset Return") << "ContainReset" << "Return" << 1;
    QTest::newRow("ContainReset Return after a language change") << "ContainReset" << "Language Return" << 1;
    QTest::newRow("ContainReset Cancel") << "ContainReset" << "Cancel" << 0;
    QTest::newRow("ContainReset close") << "ContainReset" << "CloseButton" << 0;
    QTest::newRow("ContainReset Escape") << "ContainReset" << "Escape" << 0;
    for (const char* notice : {"MouseOffLine", "InportFail", "ExeIsRun", "InstallationNotice"})
        for (const char* action : {"NewHong", "CloseButton", "Escape"})
            QTest::addRow("%s %s", notice, action) << notice << action << -1;
    QTest::newRow("QuestiondialogB close") << "QuestiondialogB" << "CloseButton" << -1;
    QTest::newRow("QuestiondialogB Escape") << "QuestiondialogB" << "Escape" << -1;
}

void TestNotices::answers()
{
    QFETCH(QString, notice);
    QFETCH(QString, action);
    QFETCH(int, answer);
    const auto window = makeNotice(notice);
    QPointer<QDialog> open = window.get();
    TestEnv::AnswerNextModal([&](QWidget* modal) {
        QVERIFY(modal == open);
        QVERIFY(modal->isActiveWindow()); // keys and the Return shortcut reach only the active window
        if (action == QLatin1String("Escape"))
            QTest::keyClick(modal, Qt::Key_Escape);
        else if (action.endsWith(QLatin1String("Return"))) {
            // A new caption must not take the key away.
            if (action.startsWith(QLatin1String("Language")))
                PostMsg::instance()->EmitAllLanguage(1);
            QTest::keyClick(modal, Qt::Key_Return);
        } else {
            QTest::mouseClick(modal->findChild<QToolButton*>(action), Qt::LeftButton);
        }
    });
    // A notice that ignored the action is rejected later, so the test fails instead of hanging.
    bool stuck = false;
    QTimer::singleShot(5000, open.data(), [&] { if (open && open->isVisible()) { stuck = true; open->reject(); } });
    window->exec();
    QVERIFY2(!stuck, "the action did not close the notice");
    QVERIFY(!window->isVisible());
    if (auto* question = qobject_cast<RePair*>(window.get()))
        QCOMPARE(int(question->PairAgain), answer);
    else if (auto* question = qobject_cast<ContainReset*>(window.get()))
        QCOMPARE(int(question->Confirmed), answer);
    else
        QCOMPARE(answer, -1);
}

void TestNotices::offlineNoticeClosesWhenDeviceBack()
{
    MouseOffLine notice(nullptr);
    TestEnv::AnswerNextModal([](QWidget*) { PostMsg::instance()->EmitCloseOffOnline(); }, "MouseOffLine");
    bool stuck = false;
    QTimer::singleShot(5000, &notice, [&] { if (notice.isVisible()) { stuck = true; notice.reject(); } });
    notice.exec();
    QVERIFY(!stuck);
}

void TestNotices::offlineNoticeAtMostOne()
{
    QWidget window;
    window.setGeometry(100, 60, 1020, 700);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    const QPoint corner = window.mapToGlobal(QPoint(0, 0));
    int prepared = 0;
    const auto prepare = [&] { ++prepared; };
    bool second = true;
    int openNotices = 0;
    QString message;
    QPoint position;
    TestEnv::AnswerNextModal([&](QWidget* modal) {
        second = OfflineNoticeGuard::Run(1, &window, prepare);
        for (QWidget* w : QApplication::topLevelWidgets())
            openNotices += qobject_cast<MouseOffLine*>(w) && w->isVisible() ? 1 : 0;
        message = captionOf(modal, QStringLiteral("label"));
        position = modal->pos();
        QTest::mouseClick(modal->findChild<QToolButton*>(QStringLiteral("NewHong")), Qt::LeftButton);
    }, "MouseOffLine");
    QVERIFY(OfflineNoticeGuard::Run(0, &window, prepare));

    QVERIFY2(!second, "a second notice was opened over the first");
    QCOMPARE(openNotices, 1);
    QCOMPARE(prepared, 2);
    // The open notice shows the latest report.
    QCOMPARE(message, LangText(LangTable::MouseOffLineTexts, 0, 1));
    QCOMPARE(position, corner + QPoint((1020 - 300) / 2, (700 - 140) / 2 - 20));
    QVERIFY(!OfflineNoticeGuard::IsOpen());

    // Once closed, the next report opens a notice again.
    TestEnv::AnswerNextModal([](QWidget* modal) { modal->close(); }, "MouseOffLine");
    QVERIFY(OfflineNoticeGuard::Run(0, &window));
}

void TestNotices::exeIsRunLanguage_data()
{
    QTest::addColumn<QString>("stored"); // null: no value in Macro.ini
    QTest::addColumn<int>("fileLanguage");
    QTest::newRow("no value: English") << QString() << 0;
    QTest::newRow("1: Simplified Chinese") << "1" << 1;
    QTest::newRow("0: English") << "0" << 0;
    QTest::newRow("7: English") << "7" << 0;
    QTest::newRow("-1: English") << "-1" << 0;
    QTest::newRow("not a number: English") << "zh" << 0;
}

void TestNotices::exeIsRunLanguage()
{
    QFETCH(QString, stored);
    QFETCH(int, fileLanguage);
    TestEnv::TempHome home;
    writeLanguagePreference(stored);
    const auto english = ExeIsRunFile::Read(ExeIsRunFile::Path(0));
    const auto chinese = ExeIsRunFile::Read(ExeIsRunFile::Path(1));
    QVERIFY(english.value(QStringLiteral("label")) != chinese.value(QStringLiteral("label")));
    const auto texts = fileLanguage == 1 ? chinese : english;

    ExeIsRun notice(nullptr);
    QCOMPARE(captionOf(&notice, QStringLiteral("label")), texts.value(QStringLiteral("label")));
    QCOMPARE(captionOf(&notice, QStringLiteral("NewHong")), texts.value(QStringLiteral("NewHong")));

    // It follows a later language choice too.
    PostMsg::instance()->EmitChangeLanguage(1 - fileLanguage);
    const auto other = fileLanguage == 1 ? english : chinese;
    QCOMPARE(captionOf(&notice, QStringLiteral("label")), other.value(QStringLiteral("label")));
}

void TestNotices::exeIsRunStoredTexts()
{
    TestEnv::TempHome home;
    writeLanguagePreference(QStringLiteral("1"));
    const auto texts = ExeIsRunFile::Read(ExeIsRunFile::Path(1));
    ExeIsRun notice(nullptr);
    notice.ShowPleaseStopText();
    QCOMPARE(captionOf(&notice, QStringLiteral("label")), texts.value(QStringLiteral("PleaseStop")));
    notice.ShowSecondText();
    QCOMPARE(captionOf(&notice, QStringLiteral("label")), texts.value(QStringLiteral("label_2")));
    QCOMPARE(captionOf(&notice, QStringLiteral("NewHong")), texts.value(QStringLiteral("NewHong")));
}

// Texts the notice's own file lacks come from the text tables when the main window has loaded
// them (the macro page), else in English (a second start): never the form's placeholders.
void TestNotices::exeIsRunWithoutLanguageFile_data()
{
    QTest::addColumn<int>("language");
    QTest::addColumn<QByteArray>("file"); // the language's own file; empty: none
    QTest::addColumn<bool>("tablesLoaded");
    QTest::addColumn<QStringList>("expected"); // label, NewHong, label_2, PleaseStop
    const QStringList english{"Vexo Gaming Mouse is already running.", "OK", "Please select a macro first.",
                              "Please stop recording first."};
    QStringList chineseTables;
    for (int position : {0, 2, 1, 3})
        chineseTables << LangText(LangTable::EXEIsRunTexts, 1, position);
    QTest::newRow("second start, English") << 0 << QByteArray() << false << english;
    QTest::newRow("second start, Chinese") << 1 << QByteArray() << false << english;
    QTest::newRow("macro page, Chinese") << 1 << QByteArray() << true << chineseTables;
    QTest::newRow("file lacks keys, an empty one")
        << 0 << QByteArray("<Total><EXEIsRun><label>Already open</label><NewHong></NewHong></EXEIsRun></Total>")
        << false << QStringList{"Already open", "OK", english[2], english[3]};
}

void TestNotices::exeIsRunWithoutLanguageFile()
{
    QFETCH(int, language);
    QFETCH(QByteArray, file);
    QFETCH(bool, tablesLoaded);
    QFETCH(QStringList, expected);
    TestEnv::TempHome home;
    TestEnv::Installation install(TestEnv::Installation::PrivateCopy);
    writeLanguagePreference(QString::number(language));
    QVERIFY(QFile::remove(ExeIsRunFile::Path(language)));
    if (!file.isEmpty())
        QVERIFY(TestEnv::WriteFile(ExeIsRunFile::Path(language), file));
    const auto loaded = LanguageTables::Global();
    if (!tablesLoaded)
        LanguageTables::SetGlobal(LanguageTables());
    ExeIsRun notice(nullptr);
    QStringList shown{captionOf(&notice, QStringLiteral("label")), captionOf(&notice, QStringLiteral("NewHong"))};
    notice.ShowSecondText();
    shown << captionOf(&notice, QStringLiteral("label"));
    notice.ShowPleaseStopText();
    shown << captionOf(&notice, QStringLiteral("label"));
    LanguageTables::SetGlobal(*loaded);
    QCOMPARE(shown, expected);
}

void TestNotices::installationNotice_data()
{
    QTest::addColumn<int>("language");
    QTest::addColumn<bool>("tablesLoaded");
    QTest::addColumn<QVector<InstallationProblem>>("problems");
    QTest::addColumn<QString>("expected");
    const InstallationProblem config{false, QStringLiteral("usersetting/Config.ini"), QStringLiteral("x")};
    const InstallationProblem pictures{false, QStringLiteral("Picture"), QStringLiteral("x")};
    const InstallationProblem folder{true, QStringLiteral("/home/u/.local/share/Vexo Gaming Mouse"), QStringLiteral("x")};
    const QString files = QStringLiteral("Some files of the program are missing or cannot be read. "
                                         "Please install Vexo Gaming Mouse again.");
    const QString folders = QStringLiteral("Your settings and macros cannot be saved: this folder cannot be written.");
    for (int language : {0, 1}) {
        QTest::addRow("files, language %d", language)
            << language << true << QVector<InstallationProblem>{config, pictures}
            << LangText(LangTable::InstallationNoticeTexts, language, 0) + "\nusersetting/Config.ini, Picture";
        QTest::addRow("folder, language %d", language)
            << language << true << QVector<InstallationProblem>{folder}
            << LangText(LangTable::InstallationNoticeTexts, language, 1) + '\n' + folder.shown;
        // The language files are what is missing: the built-in English texts.
        QTest::addRow("both, no language files, language %d", language)
            << language << false << QVector<InstallationProblem>{config, folder, config}
            << files + "\nusersetting/Config.ini\n\n" + folders + '\n' + folder.shown;
    }
}

void TestNotices::installationNotice()
{
    QFETCH(int, language);
    QFETCH(bool, tablesLoaded);
    QFETCH(QVector<InstallationProblem>, problems);
    QFETCH(QString, expected);
    QVERIFY(!expected.startsWith(QLatin1Char('\n')));
    const auto loaded = LanguageTables::Global();
    if (!tablesLoaded)
        LanguageTables::SetGlobal(LanguageTables());
    CurrentLanguage = language;
    InstallationNotice notice(problems, nullptr);
    const QString message = captionOf(&notice, QStringLiteral("label"));
    const QString confirm = captionOf(&notice, QStringLiteral("NewHong"));
    LanguageTables::SetGlobal(*loaded);
    // A long folder may wrap after each "/".
    QCOMPARE(QString(message).remove(QChar(0x200B)), expected);
    QCOMPARE(confirm, tablesLoaded ? LangText(LangTable::QuestionTexts, language, 2) : QStringLiteral("OK"));
    QCOMPARE(notice.windowFlags() & Skin::DialogWindowFlags(), Skin::DialogWindowFlags());
}

void TestNotices::secondStartShowsNoticeInLanguage_data()
{
    QTest::addColumn<QString>("stored");
    QTest::addColumn<int>("fileLanguage");
    QTest::newRow("English") << QString() << 0;
    QTest::newRow("Simplified Chinese") << "1" << 1;
}

void TestNotices::secondStartShowsNoticeInLanguage()
{
    QFETCH(QString, stored);
    QFETCH(int, fileLanguage);
    TestEnv::TempHome home;
    PrepareUserFolders();
    writeLanguagePreference(stored);
    // The child runs from the build's installation.
    const QString installed = TestEnv::BuiltInstallFolder() + QStringLiteral("/Language/")
        + ExeIsRunFile::FileName(fileLanguage);
    const QString message = ExeIsRunFile::Read(installed).value(QStringLiteral("label"));
    QVERIFY(!message.isEmpty());

    ChildApp first(home);
    QVERIFY2(!first.waitForLine(QStringLiteral("SHOWN DialogMain")).isNull(), qPrintable(first.output()));
    ChildApp second(home);
    const QString line = second.waitForLine(QStringLiteral("MODAL ExeIsRun|"));
    QVERIFY2(!line.isNull(), qPrintable(second.output()));
    QVERIFY2(line.split(QLatin1Char('|')).contains(message), qPrintable(line));
    QVERIFY(second.process().waitForFinished(30000));
    QCOMPARE(second.process().exitStatus(), QProcess::NormalExit);
    QCOMPARE(second.process().exitCode(), 0);
    QVERIFY(!second.output().contains(QStringLiteral("SHOWN DialogMain")));
    QCOMPARE(first.process().state(), QProcess::Running);
}

VEXO_TEST_MAIN(TestNotices)
#include "tst_notices.moc"
