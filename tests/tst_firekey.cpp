#include "core/postmsg.h"
#include "helpers/testenv.h"
#include "helpers/testwidgets.h"
#include "pages/buttons/firekey.h"
#include "ui/lang/langtext.h"
#include "ui/lang/languagefilereader.h"
#include "ui/widgets/skin.h"

#include <QFrame>
#include <QLabel>
#include <QSettings>
#include <QSpinBox>
#include <QTimer>
#include <QToolButton>
#include <QtTest>

#include <climits>
#include <memory>

namespace {

QSpinBox* spin(const FireKey& dialog, const char* name)
{
    return dialog.findChild<QSpinBox*>(QLatin1String(name));
}

QString caption(const FireKey& dialog, const char* name)
{
    if (auto* label = dialog.findChild<QLabel*>(QLatin1String(name)))
        return label->text();
    if (auto* button = dialog.findChild<QToolButton*>(QLatin1String(name)))
        return button->text();
    return QStringLiteral("<no %1>").arg(QLatin1String(name));
}

// What a user types into a spin box: the old text selected, then the keys.
void typeInto(QSpinBox* box, const QString& text)
{
    QTest::keyClick(box, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClicks(box, text);
}

} // namespace

class TestFireKey : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanupTestCase();

    void form();
    void presetClamps_data();
    void presetClamps();
    void runs_data();
    void runs();
    void texts_data();
    void texts();
    void shortColourLists();

private:
    std::unique_ptr<TestEnv::TempHome> m_home;
    std::unique_ptr<TestEnv::Installation> m_install;
};

void TestFireKey::initTestCase()
{
    m_home = std::make_unique<TestEnv::TempHome>();
    m_install = std::make_unique<TestEnv::Installation>();
    LoadLanguageFiles();
    QVERIFY(LanguageTables::Global()->LanguageCount(LangTable::FireKeyTexts) >= 2);
    QVERIFY(LanguageTables::Global()->LanguageCount(LangTable::QuestionTexts) >= 2);
}

void TestFireKey::init()
{
    CurrentLanguage = 0;
}

void TestFireKey::cleanupTestCase()
{
    CurrentLanguage = 0;
    LanguageTables::SetGlobal(LanguageTables());
    m_install.reset();
    m_home.reset();
}

void TestFireKey::form()
{
    FireKey dialog;
    const QString folder = m_install->path() + QStringLiteral("/Picture/WarningDialog/");
    QCOMPARE(dialog.objectName(), QStringLiteral("FireKey"));
    QCOMPARE(dialog.size(), QSize(406, 170));
    QCOMPARE(dialog.minimumSize(), QSize(406, 170));
    QCOMPARE(dialog.maximumSize(), QSize(406, 170));
    QCOMPARE(dialog.windowFlags() & Skin::DialogWindowFlags(), Skin::DialogWindowFlags());
    QCOMPARE(dialog.Confirmed, false);
    QCOMPARE(dialog.TimeValue, 10);
    QCOMPARE(dialog.CountValue, 3);
    QCOMPARE(spin(dialog, "Time")->value(), 10);
    QCOMPARE(spin(dialog, "Count")->value(), 3);
    QCOMPARE(spin(dialog, "Time")->buttonSymbols(), QAbstractSpinBox::NoButtons);
    QCOMPARE(spin(dialog, "Count")->buttonSymbols(), QAbstractSpinBox::NoButtons);

    // The frame's image is stretched over it (406 by 170), unlike the notices' centred one.
    QCOMPARE(dialog.findChild<QFrame*>(QStringLiteral("FireKeyA"))->styleSheet(),
             Skin::FrameStyle(QStringLiteral("FireKeyA"), folder, Skin::FrameImage::Border));
    const QString button = Skin::ConfirmButtonStyle(folder, Skin::OptionColor(QStringLiteral("ButtonColor")));
    QCOMPARE(dialog.findChild<QToolButton*>(QStringLiteral("NewHong"))->styleSheet(), button);
    QCOMPARE(dialog.findChild<QToolButton*>(QStringLiteral("NewHong_2"))->styleSheet(), button);
    QCOMPARE(dialog.findChild<QToolButton*>(QStringLiteral("CloseButton"))->styleSheet(),
             Skin::CloseButtonStyle(folder));
    const QString label = Skin::LabelStyle(Skin::OptionColor(QStringLiteral("LabelColor")));
    for (const char* name : {"label", "label_2", "label_3"})
        QCOMPARE(dialog.findChild<QLabel*>(QLatin1String(name))->styleSheet(), label);
    const QString number = Skin::ColorDeclaration(Skin::OptionColor(QStringLiteral("LinEditColor")));
    QVERIFY(!number.isEmpty());
    QVERIFY(spin(dialog, "Time")->styleSheet().contains(number));
    QVERIFY(spin(dialog, "Count")->styleSheet().contains(number));
}

void TestFireKey::presetClamps_data()
{
    QTest::addColumn<QString>("box");
    QTest::addColumn<int>("preset");
    QTest::addColumn<int>("shown");
    QTest::newRow("interval 5 shows 10") << "Time" << 5 << 10;
    QTest::newRow("interval 9 shows 10") << "Time" << 9 << 10;
    QTest::newRow("interval 10") << "Time" << 10 << 10;
    QTest::newRow("interval 30") << "Time" << 30 << 30;
    QTest::newRow("interval 255") << "Time" << 255 << 255;
    QTest::newRow("interval 256 shows 255") << "Time" << 256 << 255;
    QTest::newRow("interval -1 shows 10") << "Time" << -1 << 10;
    QTest::newRow("interval INT_MAX shows 255") << "Time" << INT_MAX << 255;
    QTest::newRow("count 0") << "Count" << 0 << 0;
    QTest::newRow("count 3") << "Count" << 3 << 3;
    QTest::newRow("count 4 shows 3") << "Count" << 4 << 3;
    QTest::newRow("count 9 shows 3") << "Count" << 9 << 3;
    QTest::newRow("count 200 shows 3") << "Count" << 200 << 3;
    QTest::newRow("count -1 shows 0") << "Count" << -1 << 0;
    QTest::newRow("count INT_MIN shows 0") << "Count" << INT_MIN << 0;
}

void TestFireKey::presetClamps()
{
    QFETCH(QString, box);
    QFETCH(int, preset);
    QFETCH(int, shown);
    FireKey dialog;
    if (box == QLatin1String("Time"))
        dialog.SetTime(preset);
    else
        dialog.SetCount(preset);
    QCOMPARE(dialog.findChild<QSpinBox*>(box)->value(), shown);
    QCOMPARE(dialog.findChild<QSpinBox*>(box)->text(), QString::number(shown));
    // A preset is not a result.
    QCOMPARE(dialog.Confirmed, false);
    QCOMPARE(dialog.TimeValue, 10);
    QCOMPARE(dialog.CountValue, 3);
}

void TestFireKey::runs_data()
{
    QTest::addColumn<int>("presetTime");
    QTest::addColumn<int>("presetCount");
    QTest::addColumn<QString>("typedTime");  // typed by the user while it is open; null: nothing
    QTest::addColumn<QString>("typedCount");
    QTest::addColumn<QString>("action");     // a button's name or "Escape"
    QTest::addColumn<bool>("confirmed");
    QTest::addColumn<int>("timeValue");
    QTest::addColumn<int>("countValue");
    const QString none;
    QTest::newRow("preset (30, 0) confirmed untouched: count 0 passes")
        << 30 << 0 << none << none << "NewHong" << true << 30 << 0;
    QTest::newRow("the opener's defaults confirmed") << 10 << 3 << none << none << "NewHong" << true << 10 << 3;
    QTest::newRow("count 200 and interval 5 preset: confirmed as 10 and 3")
        << 5 << 200 << none << none << "NewHong" << true << 10 << 3;
    QTest::newRow("range ends confirmed") << 255 << 0 << none << none << "NewHong" << true << 255 << 0;
    QTest::newRow("typed values confirmed") << 30 << 1 << "42" << "2" << "NewHong" << true << 42 << 2;
    // The boxes refuse keys that leave their range; a confirmed result is always in range.
    QTest::newRow("typed 300 and 7 refused") << 30 << 1 << "300" << "7" << "NewHong" << true << 30 << 1;
    QTest::newRow("typed interval below 10 keeps the last valid one")
        << 30 << 1 << "5" << none << "NewHong" << true << 30 << 1;
    QTest::newRow("both changed, then cancel") << 30 << 1 << "99" << "2" << "NewHong_2" << false << 10 << 3;
    QTest::newRow("both changed, then the close button")
        << 30 << 1 << "99" << "2" << "CloseButton" << false << 10 << 3;
    QTest::newRow("both changed, then Escape") << 30 << 1 << "99" << "2" << "Escape" << false << 10 << 3;
}

void TestFireKey::runs()
{
    QFETCH(int, presetTime);
    QFETCH(int, presetCount);
    QFETCH(QString, typedTime);
    QFETCH(QString, typedCount);
    QFETCH(QString, action);
    QFETCH(bool, confirmed);
    QFETCH(int, timeValue);
    QFETCH(int, countValue);
    FireKey dialog;
    dialog.SetTime(presetTime);
    dialog.SetCount(presetCount);

    bool answered = false;
    TestEnv::AnswerNextModal(
        [&](QWidget* modal) {
            answered = modal == &dialog;
            if (!typedTime.isNull())
                typeInto(spin(dialog, "Time"), typedTime);
            if (!typedCount.isNull())
                typeInto(spin(dialog, "Count"), typedCount);
            if (action == QLatin1String("Escape"))
                QTest::keyClick(modal, Qt::Key_Escape);
            else
                QTest::mouseClick(modal->findChild<QToolButton*>(action), Qt::LeftButton);
        },
        "FireKey");
    // A way out that does not close the dialog ends the test instead of hanging it.
    bool stuck = false;
    QTimer::singleShot(5000, &dialog, [&] {
        if (dialog.isVisible()) {
            stuck = true;
            dialog.done(-1);
        }
    });
    const int result = dialog.exec();

    QVERIFY(answered);
    QVERIFY2(!stuck, "the dialog stayed open");
    QVERIFY(!dialog.isVisible());
    // The same code for confirm and cancel: the opener reads Confirmed.
    QCOMPARE(result, int(QDialog::Rejected));
    QCOMPARE(dialog.Confirmed, confirmed);
    QCOMPARE(dialog.TimeValue, timeValue);
    QCOMPARE(dialog.CountValue, countValue);
}

void TestFireKey::texts_data()
{
    QTest::addColumn<int>("builtIn");
    QTest::addColumn<int>("announced"); // -2: no announcement
    QTest::addColumn<int>("shown");
    QTest::newRow("language 0") << 0 << -2 << 0;
    QTest::newRow("language 1") << 1 << -2 << 1;
    QTest::newRow("language 1 announced while open") << 0 << 1 << 1;
    QTest::newRow("language 0 announced while open") << 1 << 0 << 0;
    QTest::newRow("built in language 7: language 0") << 7 << -2 << 0;
    QTest::newRow("language 7 announced: language 0") << 1 << 7 << 0;
}

void TestFireKey::texts()
{
    QFETCH(int, builtIn);
    QFETCH(int, announced);
    QFETCH(int, shown);
    CurrentLanguage = builtIn;
    FireKey dialog;
    if (announced != -2)
        PostMsg::instance()->EmitAllLanguage(announced);

    const struct
    {
        const char* widget;
        LangTable table;
        int position;
    } texts[] = {
        {"label", LangTable::FireKeyTexts, 0},    {"label_2", LangTable::FireKeyTexts, 1},
        {"label_3", LangTable::FireKeyTexts, 2},  {"NewHong", LangTable::QuestionTexts, 2},
        {"NewHong_2", LangTable::QuestionTexts, 3},
    };
    for (const auto& t : texts) {
        const QString expected = LangText(t.table, shown, t.position);
        QVERIFY2(!expected.isEmpty(), t.widget);
        // The two languages differ, so a text of the wrong language cannot pass.
        QVERIFY2(expected != LangText(t.table, 1 - shown, t.position), t.widget);
        QCOMPARE(caption(dialog, t.widget), expected);
    }
    QCOMPARE(dialog.windowTitle(), QStringLiteral("Dialog"));
    QVERIFY(caption(dialog, "CloseButton").isEmpty());
}

void TestFireKey::shortColourLists()
{
    TestEnv::Installation install(TestEnv::Installation::PrivateCopy);
    {
        QSettings config(install.path() + QStringLiteral("/usersetting/Config.ini"), QSettings::IniFormat);
        config.setValue(QStringLiteral("Option/LabelColor"), QStringList{QStringLiteral("10"), QStringLiteral("20")});
        config.setValue(QStringLiteral("Option/LinEditColor"), QStringList{QStringLiteral("10")});
        config.remove(QStringLiteral("Option/ButtonColor"));
    }
    FireKey dialog;
    for (const char* name : {"label", "label_2", "label_3"})
        QVERIFY2(dialog.findChild<QLabel*>(QLatin1String(name))->styleSheet().isEmpty(), name);
    QVERIFY(!spin(dialog, "Time")->styleSheet().contains(QStringLiteral("color")));
    QVERIFY(!spin(dialog, "Count")->styleSheet().contains(QStringLiteral("color")));
    const QString images = install.path() + QStringLiteral("/Picture/WarningDialog/Confirm.png");
    for (const char* name : {"NewHong", "NewHong_2"}) {
        const QString sheet = dialog.findChild<QToolButton*>(QLatin1String(name))->styleSheet();
        QVERIFY2(!sheet.contains(QStringLiteral("color")) && sheet.contains(images), name);
    }
    QCOMPARE(caption(dialog, "label"), LangText(LangTable::FireKeyTexts, 0, 0));
}

VEXO_TEST_MAIN(TestFireKey)
#include "tst_firekey.moc"
