#include "core/postmsg.h"
#include "helpers/testenv.h"
#include "helpers/testwidgets.h"
#include "pages/settings/updatewarning.h"
#include "ui/lang/langtext.h"
#include "ui/lang/languagefilereader.h"
#include "ui/widgets/skin.h"

#include <QApplication>
#include <QFrame>
#include <QLabel>
#include <QPointer>
#include <QTimer>
#include <QToolButton>
#include <QtTest>

#include <memory>

class TestUpDateWarning : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanupTestCase();

    void form_data();
    void form();
    void skin();
    void texts_data();
    void texts();
    void languageChangeKeepsMessage();
    void closing_data();
    void closing();

private:
    std::unique_ptr<TestEnv::TempHome> m_home;
    std::unique_ptr<TestEnv::Installation> m_install;
};

void TestUpDateWarning::initTestCase()
{
    m_home = std::make_unique<TestEnv::TempHome>();
    m_install = std::make_unique<TestEnv::Installation>();
    LoadLanguageFiles();
}

void TestUpDateWarning::init()
{
    CurrentLanguage = 0;
}

void TestUpDateWarning::cleanupTestCase()
{
    CurrentLanguage = 0;
    m_install.reset();
    m_home.reset();
}

void TestUpDateWarning::form_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("className");
    QTest::addColumn<QRect>("geometry");
    QTest::newRow("frame") << "WarningFrame" << "QFrame" << QRect(0, 0, 300, 140);
    QTest::newRow("close") << "CloseButton" << "QToolButton" << QRect(275, 5, 20, 20);
    QTest::newRow("message") << "label" << "QLabel" << QRect(5, 30, 291, 71);
    QTest::newRow("confirm") << "NewHong" << "QToolButton" << QRect(100, 110, 90, 24);
}

void TestUpDateWarning::form()
{
    QFETCH(QString, name);
    QFETCH(QString, className);
    QFETCH(QRect, geometry);
    UpDateWarning warning(nullptr);
    QCOMPARE(warning.objectName(), QStringLiteral("UpDateWarning"));
    QCOMPARE(warning.size(), QSize(300, 140));
    QCOMPARE(warning.windowTitle(), QStringLiteral("Dialog"));
    auto* w = warning.findChild<QWidget*>(name);
    QVERIFY(w);
    QCOMPARE(QString::fromLatin1(w->metaObject()->className()), className);
    QCOMPARE(w->geometry(), geometry);
    if (name != QLatin1String("WarningFrame"))
        QCOMPARE(w->parentWidget()->objectName(), QStringLiteral("WarningFrame"));
    if (auto* label = qobject_cast<QLabel*>(w)) {
        QCOMPARE(label->alignment(), Qt::AlignCenter);
        QVERIFY(label->wordWrap());
        QCOMPARE(label->font().pointSize(), 11);
        QCOMPARE(label->font().family(), Skin::FormFontFamily());
    }
    if (auto* button = qobject_cast<QToolButton*>(w))
        QVERIFY(button->autoRaise());
}

void TestUpDateWarning::skin()
{
    UpDateWarning warning(nullptr);
    const QString folder = m_install->path() + QStringLiteral("/Picture/WarningDialog/");
    const QString label = Skin::OptionColor(QStringLiteral("LabelColor"));
    const QString button = Skin::OptionColor(QStringLiteral("ButtonColor"));
    QVERIFY(!label.isEmpty() && !button.isEmpty());
    QCOMPARE(warning.windowFlags() & Skin::DialogWindowFlags(), Skin::DialogWindowFlags());
    QCOMPARE(warning.findChild<QLabel*>(QStringLiteral("label"))->styleSheet(),
             QStringLiteral("QLabel{color: rgb(") + label + QStringLiteral(";);}"));
    QCOMPARE(warning.findChild<QToolButton*>(QStringLiteral("NewHong"))->styleSheet(),
             QStringLiteral("QToolButton{border:0px;background-position:center;background-repeat:no-repeat;"
                            "color: rgb(")
                 + button + QStringLiteral(";);border-image: url(") + folder
                 + QStringLiteral("Confirm.png);}QToolButton:pressed{border-image: url(") + folder
                 + QStringLiteral("ConfirmClick.png); }"));
    QCOMPARE(warning.findChild<QFrame*>(QStringLiteral("WarningFrame"))->styleSheet(),
             QStringLiteral("#WarningFrame{border:0px;background-position:center;background-repeat:no-repeat;"
                            "background-image: url(")
                 + folder + QStringLiteral("BackGround.png);}"));
    QCOMPARE(warning.findChild<QToolButton*>(QStringLiteral("CloseButton"))->styleSheet(),
             Skin::CloseButtonStyle(folder));
}

void TestUpDateWarning::texts_data()
{
    QTest::addColumn<int>("language");
    QTest::newRow("language 0") << 0;
    QTest::newRow("language 1") << 1;
}

void TestUpDateWarning::texts()
{
    QFETCH(int, language);
    CurrentLanguage = language;
    const QString confirm = LangText(LangTable::QuestionTexts, language, 2);
    QVERIFY(!confirm.isEmpty());
    QVERIFY(confirm != LangText(LangTable::QuestionTexts, 1 - language, 2));
    UpDateWarning warning(nullptr);
    QCOMPARE(warning.findChild<QToolButton*>(QStringLiteral("NewHong"))->text(), confirm);
    // Without a message of the caller's the form's text stays.
    QCOMPARE(warning.findChild<QLabel*>(QStringLiteral("label"))->text(), QStringLiteral("Confirm Delete"));
    warning.SetMessage(QStringLiteral("The receiver is not ready"));
    QCOMPARE(warning.findChild<QLabel*>(QStringLiteral("label"))->text(), QStringLiteral("The receiver is not ready"));
}

void TestUpDateWarning::languageChangeKeepsMessage()
{
    UpDateWarning warning(nullptr);
    warning.SetMessage(QStringLiteral("A message of the caller's"));
    warning.show();
    PostMsg::instance()->EmitAllLanguage(1);
    QCOMPARE(warning.findChild<QToolButton*>(QStringLiteral("NewHong"))->text(),
             LangText(LangTable::QuestionTexts, 1, 2));
    QCOMPARE(warning.findChild<QLabel*>(QStringLiteral("label"))->text(), QStringLiteral("A message of the caller's"));
}

void TestUpDateWarning::closing_data()
{
    QTest::addColumn<QString>("action"); // a button's name or a key
    QTest::newRow("confirm") << "NewHong";
    QTest::newRow("close button") << "CloseButton";
    QTest::newRow("Return") << "Return";
    QTest::newRow("Return after a language change") << "Language Return";
}

void TestUpDateWarning::closing()
{
    QFETCH(QString, action);
    UpDateWarning warning(nullptr);
    QPointer<QDialog> open = &warning;
    TestEnv::AnswerNextModal([&](QWidget* modal) {
        QVERIFY(modal == open);
        QVERIFY(modal->isActiveWindow()); // the Return shortcut reaches only the active window
        if (action.endsWith(QLatin1String("Return"))) {
            // A new caption must not take the key away.
            if (action.startsWith(QLatin1String("Language")))
                PostMsg::instance()->EmitAllLanguage(1);
            QTest::keyClick(modal, Qt::Key_Return);
        } else
            QTest::mouseClick(modal->findChild<QToolButton*>(action), Qt::LeftButton);
    });
    // A notice that ignored the action is rejected later, so the test fails instead of hanging.
    bool stuck = false;
    QTimer::singleShot(5000, &warning, [&] {
        if (open && open->isVisible()) {
            stuck = true;
            open->reject();
        }
    });
    warning.exec();
    QVERIFY2(!stuck, "the action did not close the notice");
    QVERIFY(!warning.isVisible());
}

VEXO_TEST_MAIN(TestUpDateWarning)
#include "tst_updatewarning.moc"
