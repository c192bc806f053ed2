#include "core/postmsg.h"
#include "device/firmwareimages.h"
#include "helpers/testenv.h"
#include "helpers/testwidgets.h"
#include "pages/settings/findnewver.h"
#include "pages/settings/progress.h"
#include "pages/settings/updaterepair.h"
#include "ui/lang/langtext.h"
#include "ui/lang/languagefilereader.h"
#include "ui/widgets/skin.h"

#include <QApplication>
#include <QCheckBox>
#include <QFrame>
#include <QLabel>
#include <QMetaMethod>
#include <QPoint>
#include <QPointer>
#include <QProgressBar>
#include <QSignalSpy>
#include <QStyleOptionButton>
#include <QTimer>
#include <QToolButton>
#include <QVector>
#include <QtTest>

#include <memory>

// The upgrade progress dialog and the new-firmware notice: forms, skin, texts, the progress
// views and where each button leads.
class TestProgressDialogs : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanup();
    void cleanupTestCase();

    void form_data();
    void form();
    void slotOrder_data();
    void slotOrder();
    void skin_data();
    void skin();
    void texts_data();
    void texts();
    void languageChange();

    void progressViews_data();
    void progressViews();
    void leaving_data();
    void leaving();
    void closeProgressSignal_data();
    void closeProgressSignal();

    void findNewVerButtons_data();
    void findNewVerButtons();
    void findNewVerCheckBoxReadable_data();
    void findNewVerCheckBoxReadable();
    void percentReadable_data();
    void percentReadable();

private:
    std::unique_ptr<TestEnv::TempHome> m_home;
    std::unique_ptr<TestEnv::Installation> m_install;
};

namespace {

std::unique_ptr<QDialog> MakeDialog(const QString& which)
{
    if (which == QLatin1String("Progress"))
        return std::make_unique<Progress>(nullptr);
    return std::make_unique<FindNewVer>(nullptr);
}

void Step(QDialog* dialog, int schedue, int discrib)
{
    QVERIFY(QMetaObject::invokeMethod(dialog, "SlotProgress", Q_ARG(int, schedue), Q_ARG(int, discrib)));
}

QLabel* Label(const QDialog& dialog)
{
    return TestEnv::NamedChild<QLabel>(&dialog, "label");
}

QProgressBar* Bar(const QDialog& dialog)
{
    return TestEnv::NamedChild<QProgressBar>(&dialog, "progressBar_2");
}

QToolButton* Confirm(const QDialog& dialog)
{
    return TestEnv::NamedChild<QToolButton>(&dialog, "NewHong");
}

QString PercentText(int language, int percent)
{
    return LangText(LangTable::ProgressTexts, language, 0) + QStringLiteral(": ") + QString::number(percent)
           + QStringLiteral("%");
}

// "percent N", "success" or "failure" in a language, as the label should show it.
QString Expected(const QString& view, int language)
{
    if (view == QLatin1String("success"))
        return LangText(LangTable::ProgressTexts, language, 1);
    if (view == QLatin1String("failure"))
        return LangText(LangTable::ProgressTexts, language, 2);
    return PercentText(language, view.section(QLatin1Char(' '), 1).toInt());
}

} // namespace

void TestProgressDialogs::initTestCase()
{
    m_home = std::make_unique<TestEnv::TempHome>();
    m_install = std::make_unique<TestEnv::Installation>();
    LoadLanguageFiles();
    // The view tests tell the languages' texts apart.
    for (int position = 0; position < 3; ++position) {
        QVERIFY(!LangText(LangTable::ProgressTexts, 0, position).isEmpty());
        QVERIFY(LangText(LangTable::ProgressTexts, 0, position) != LangText(LangTable::ProgressTexts, 1, position));
    }
}

void TestProgressDialogs::init()
{
    CurrentLanguage = 0;
    UpgradeRunning = false;
}

void TestProgressDialogs::cleanup()
{
    CurrentLanguage = 0;
    UpgradeRunning = false;
}

void TestProgressDialogs::cleanupTestCase()
{
    m_install.reset();
    m_home.reset();
}

void TestProgressDialogs::form_data()
{
    QTest::addColumn<QString>("dialog");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("className");
    QTest::addColumn<QRect>("geometry");
    QTest::addColumn<bool>("formFamily"); // the forms' named family, else the default one
    QTest::newRow("progress frame") << "Progress" << "AddDelayTimeA" << "QFrame" << QRect(0, 0, 300, 140) << false;
    QTest::newRow("progress label") << "Progress" << "label" << "QLabel" << QRect(10, 15, 281, 51) << true;
    QTest::newRow("progress close") << "Progress" << "CloseButton" << "QToolButton" << QRect(275, 5, 20, 20)
                                    << false;
    QTest::newRow("progress confirm") << "Progress" << "NewHong" << "QToolButton" << QRect(110, 110, 90, 24)
                                      << false;
    QTest::newRow("progress bar") << "Progress" << "progressBar_2" << "QProgressBar" << QRect(30, 70, 241, 26)
                                  << false;
    QTest::newRow("notice frame") << "FindNewVer" << "SameMacroA" << "QFrame" << QRect(0, 0, 300, 140) << false;
    QTest::newRow("notice close") << "FindNewVer" << "CloseButton" << "QToolButton" << QRect(275, 5, 20, 20)
                                  << false;
    QTest::newRow("notice confirm") << "FindNewVer" << "NewHong" << "QToolButton" << QRect(100, 90, 90, 24)
                                    << true;
    QTest::newRow("notice label") << "FindNewVer" << "label" << "QLabel" << QRect(0, 30, 301, 51) << false;
    QTest::newRow("notice check box") << "FindNewVer" << "NoApear" << "QCheckBox" << QRect(0, 120, 291, 18)
                                      << false;
}

void TestProgressDialogs::form()
{
    QFETCH(QString, dialog);
    QFETCH(QString, name);
    QFETCH(QString, className);
    QFETCH(QRect, geometry);
    QFETCH(bool, formFamily);
    const auto d = MakeDialog(dialog);
    QCOMPARE(d->objectName(), dialog);
    QCOMPARE(d->size(), QSize(300, 140));
    QCOMPARE(d->windowTitle(), QStringLiteral("Dialog"));
    auto* w = d->findChild<QWidget*>(name);
    QVERIFY(w);
    QCOMPARE(QString::fromLatin1(w->metaObject()->className()), className);
    QCOMPARE(w->geometry(), geometry);
    const QString frame = dialog == QLatin1String("Progress") ? QStringLiteral("AddDelayTimeA")
                                                               : QStringLiteral("SameMacroA");
    if (auto* f = qobject_cast<QFrame*>(w); f && className == QLatin1String("QFrame")) {
        QCOMPARE(f->minimumSize(), QSize(300, 140));
        QCOMPARE(f->maximumSize(), QSize(300, 140));
        return;
    }
    QCOMPARE(w->parentWidget()->objectName(), frame);
    // The close buttons and the check box keep the default font.
    if (name != QLatin1String("CloseButton") && name != QLatin1String("NoApear"))
        QCOMPARE(w->font().pointSize(), 11);
    if (formFamily)
        QCOMPARE(w->font().family(), Skin::FormFontFamily());
    else
        QVERIFY(w->font().family() != Skin::FormFontFamily());
    if (auto* label = qobject_cast<QLabel*>(w)) {
        QCOMPARE(label->alignment(), dialog == QLatin1String("Progress") ? Qt::AlignHCenter | Qt::AlignBottom
                                                                          : Qt::Alignment(Qt::AlignCenter));
        QVERIFY(label->wordWrap());
    }
    if (auto* button = qobject_cast<QToolButton*>(w)) {
        QVERIFY(button->autoRaise());
        QCOMPARE(button->focusPolicy(), Qt::NoFocus);
    }
    if (auto* box = qobject_cast<QCheckBox*>(w))
        QCOMPARE(box->focusPolicy(), Qt::NoFocus);
    if (auto* bar = qobject_cast<QProgressBar*>(w)) {
        QCOMPARE(bar->value(), 0);
        QVERIFY(bar->format().isEmpty());
        QVERIFY(bar->styleSheet().contains(QStringLiteral("::chunk{background-color: rgb(30, 130, 0);width: 20px;}")));
    }
}

void TestProgressDialogs::slotOrder_data()
{
    QTest::addColumn<QString>("dialog");
    QTest::addColumn<QStringList>("methods");
    QTest::newRow("Progress") << "Progress"
                              << QStringList{"SlotAllLanguage(int)", "SlotCloseProgress()",
                                             "SlotProgress(int,int)", "on_CloseButton_clicked()",
                                             "on_NewHong_clicked()"};
    QTest::newRow("FindNewVer") << "FindNewVer"
                                << QStringList{"on_NewHong_clicked()", "SlotAllLanguage(int)",
                                               "on_CloseButton_clicked()"};
}

void TestProgressDialogs::slotOrder()
{
    QFETCH(QString, dialog);
    QFETCH(QStringList, methods);
    const auto d = MakeDialog(dialog);
    const QMetaObject* meta = d->metaObject();
    QStringList own;
    for (int i = meta->methodOffset(); i < meta->methodCount(); ++i)
        own << QString::fromLatin1(meta->method(i).methodSignature());
    QCOMPARE(own, methods);
}

void TestProgressDialogs::skin_data()
{
    QTest::addColumn<QString>("dialog");
    QTest::addColumn<QString>("frame");
    QTest::newRow("Progress") << "Progress" << "AddDelayTimeA";
    QTest::newRow("FindNewVer") << "FindNewVer" << "SameMacroA";
}

void TestProgressDialogs::skin()
{
    QFETCH(QString, dialog);
    QFETCH(QString, frame);
    const auto d = MakeDialog(dialog);
    const QString folder = m_install->path() + QStringLiteral("/Picture/WarningDialog/");
    const QString label = Skin::OptionColor(QStringLiteral("LabelColor"));
    const QString button = Skin::OptionColor(QStringLiteral("ButtonColor"));
    QVERIFY(!label.isEmpty() && !button.isEmpty());
    QCOMPARE(d->windowFlags() & Skin::DialogWindowFlags(), Skin::DialogWindowFlags());
    QCOMPARE(Label(*d)->styleSheet(), QStringLiteral("QLabel{color: rgb(") + label + QStringLiteral(";);}"));
    QCOMPARE(Confirm(*d)->styleSheet(),
             QStringLiteral("QToolButton{border:0px;background-position:center;background-repeat:no-repeat;"
                            "color: rgb(")
                 + button + QStringLiteral(";);border-image: url(") + folder
                 + QStringLiteral("Confirm.png);}QToolButton:pressed{border-image: url(") + folder
                 + QStringLiteral("ConfirmClick.png); }"));
    QCOMPARE(d->findChild<QFrame*>(frame)->styleSheet(),
             QStringLiteral("#") + frame
                 + QStringLiteral("{border:0px;background-position:center;background-repeat:no-repeat;"
                                  "background-image: url(")
                 + folder + QStringLiteral("BackGround.png);}"));
    QCOMPARE(d->findChild<QToolButton*>(QStringLiteral("CloseButton"))->styleSheet(),
             Skin::CloseButtonStyle(folder));
}

void TestProgressDialogs::texts_data()
{
    QTest::addColumn<int>("language");
    QTest::newRow("language 0") << 0;
    QTest::newRow("language 1") << 1;
}

void TestProgressDialogs::texts()
{
    QFETCH(int, language);
    CurrentLanguage = language;
    Progress progress(nullptr);
    // The form's text never shows: the dialog opens at 1 %, its confirm button hidden.
    QCOMPARE(Label(progress)->text(), PercentText(language, 1));
    QCOMPARE(Bar(progress)->value(), 0);
    QVERIFY(Confirm(progress)->isHidden());
    QCOMPARE(Confirm(progress)->text(), LangText(LangTable::DialogChangeTexts, language, 4));
    QVERIFY(!Confirm(progress)->text().isEmpty());

    FindNewVer notice(nullptr);
    QCOMPARE(Label(notice)->text(), LangText(LangTable::NewVerTexts, language, 0));
    QCOMPARE(TestEnv::NamedChild<QCheckBox>(&notice, "NoApear")->text(), LangText(LangTable::NewVerTexts, language, 1));
    QCOMPARE(Confirm(notice)->text(), LangText(LangTable::QuestionTexts, language, 2));
    // Each language reads its own entries.
    QVERIFY(!Label(notice)->text().isEmpty());
    QVERIFY(Label(notice)->text() != LangText(LangTable::NewVerTexts, 1 - language, 0));
    QVERIFY(Confirm(notice)->text() != LangText(LangTable::QuestionTexts, 1 - language, 2));
}

void TestProgressDialogs::languageChange()
{
    Progress progress(nullptr);
    FindNewVer notice(nullptr);
    Step(&progress, 37, 0);
    PostMsg::instance()->EmitAllLanguage(1);
    QCOMPARE(Confirm(progress)->text(), LangText(LangTable::DialogChangeTexts, 1, 4));
    QCOMPARE(Label(notice)->text(), LangText(LangTable::NewVerTexts, 1, 0));
    QCOMPARE(Confirm(notice)->text(), LangText(LangTable::QuestionTexts, 1, 2));
    // The label waits for the next progress update.
    QCOMPARE(Label(progress)->text(), PercentText(0, 37));
    Step(&progress, 38, 0);
    QCOMPARE(Label(progress)->text(), PercentText(1, 38));
    Step(&progress, 38, 1);
    QCOMPARE(Label(progress)->text(), LangText(LangTable::ProgressTexts, 1, 2));
}

void TestProgressDialogs::progressViews_data()
{
    QTest::addColumn<QVector<QPoint>>("steps"); // (schedue, Discrib) in order
    QTest::addColumn<int>("bar");
    QTest::addColumn<QString>("view");
    QTest::addColumn<bool>("confirmShown");
    QTest::addColumn<bool>("returnShortcut");
    QTest::newRow("opened") << QVector<QPoint>{} << 0 << "percent 1" << false << false;
    QTest::newRow("running") << QVector<QPoint>{{37, 0}} << 37 << "percent 37" << false << false;
    QTest::newRow("failed") << QVector<QPoint>{{40, 0}, {20, 1}} << 20 << "failure" << true << true;
    QTest::newRow("succeeded: full bar whatever the value") << QVector<QPoint>{{20, 2}} << 100 << "success" << true
                                                            << true;
    QTest::newRow("3 hides the confirm button only") << QVector<QPoint>{{20, 1}, {30, 3}} << 30 << "failure"
                                                     << false << true;
    QTest::newRow("4 resets label and bar") << QVector<QPoint>{{50, 2}, {20, 4}} << 0 << "percent 0" << false
                                            << true;
    QTest::newRow("other Discrib moves the bar only") << QVector<QPoint>{{37, 0}, {20, 7}} << 20 << "percent 37"
                                                      << false << false;
    QTest::newRow("negative Discrib moves the bar only") << QVector<QPoint>{{20, -1}} << 20 << "percent 1" << false
                                                         << false;
    QTest::newRow("progress after a failure") << QVector<QPoint>{{20, 1}, {45, 0}} << 45 << "percent 45" << true
                                              << true;
}

void TestProgressDialogs::progressViews()
{
    QFETCH(QVector<QPoint>, steps);
    QFETCH(int, bar);
    QFETCH(QString, view);
    QFETCH(bool, confirmShown);
    QFETCH(bool, returnShortcut);
    Progress progress(nullptr);
    for (const QPoint& step : steps)
        Step(&progress, step.x(), step.y());
    QCOMPARE(Bar(progress)->value(), bar);
    QCOMPARE(Label(progress)->text(), Expected(view, 0));
    QCOMPARE(!Confirm(progress)->isHidden(), confirmShown);
    QCOMPARE(Confirm(progress)->shortcut() == QKeySequence(Qt::Key_Return), returnShortcut);
}

void TestProgressDialogs::leaving_data()
{
    QTest::addColumn<QString>("view");      // what the label shows before the action
    QTest::addColumn<bool>("newLanguage");  // the language changes before the action
    QTest::addColumn<bool>("running");      // UpgradeRunning
    QTest::addColumn<QString>("action");    // a button's name or "Return"
    QTest::addColumn<bool>("closes");
    QTest::addColumn<int>("backToChoice");  // SigChangeMainDialog(0) emitted
    QTest::addColumn<int>("continued");     // SigContinue(0) emitted

    QTest::newRow("failure, confirm") << "failure" << false << false << "NewHong" << true << 1 << 0;
    QTest::newRow("failure, close button") << "failure" << false << false << "CloseButton" << true << 1 << 0;
    QTest::newRow("failure, Return") << "failure" << false << false << "Return" << true << 1 << 0;
    QTest::newRow("failure, new language, close button") << "failure" << true << false << "CloseButton" << true
                                                         << 1 << 0;
    QTest::newRow("failure, new language, confirm") << "failure" << true << false << "NewHong" << true << 1 << 0;
    QTest::newRow("success, confirm") << "success" << false << false << "NewHong" << true << 0 << 1;
    QTest::newRow("success, close button") << "success" << false << false << "CloseButton" << true << 0 << 1;
    QTest::newRow("success, new language, Return") << "success" << true << false << "Return" << true << 0 << 1;
    QTest::newRow("percentage, close button") << "percent 37" << false << false << "CloseButton" << true << 0 << 1;
    QTest::newRow("flashing, failure, close button") << "failure" << false << true << "CloseButton" << false << 0
                                                     << 0;
    QTest::newRow("flashing, percentage, close button") << "percent 37" << false << true << "CloseButton" << false
                                                        << 0 << 0;
    QTest::newRow("flashing, failure, confirm") << "failure" << false << true << "NewHong" << true << 1 << 0;
    QTest::newRow("flashing, success, Return") << "success" << false << true << "Return" << true << 0 << 1;
}

void TestProgressDialogs::leaving()
{
    QFETCH(QString, view);
    QFETCH(bool, newLanguage);
    QFETCH(bool, running);
    QFETCH(QString, action);
    QFETCH(bool, closes);
    QFETCH(int, backToChoice);
    QFETCH(int, continued);

    Progress progress(nullptr);
    if (view == QLatin1String("failure"))
        Step(&progress, 40, 1);
    else if (view == QLatin1String("success"))
        Step(&progress, 90, 2);
    else
        Step(&progress, 37, 0);
    const QString shown = Label(progress)->text();
    if (newLanguage)
        PostMsg::instance()->EmitAllLanguage(1);
    UpgradeRunning = running;

    QSignalSpy choice(PostMsg::instance(), &PostMsg::SigChangeMainDialog);
    QSignalSpy next(PostMsg::instance(), &PostMsg::SigContinue);
    // What the settings page would find when it carries on.
    bool openAtContinue = true;
    int barAtContinue = -1;
    QString labelAtContinue;
    const auto seen = connect(PostMsg::instance(), &PostMsg::SigContinue, this, [&] {
        openAtContinue = progress.isVisible();
        barAtContinue = Bar(progress)->value();
        labelAtContinue = Label(progress)->text();
    });

    QPointer<QDialog> open = &progress;
    bool stayedOpen = false;
    TestEnv::AnswerNextModal([&](QWidget* modal) {
        QVERIFY(modal == open);
        if (action == QLatin1String("Return")) {
            // The shortcut clicks a moment later; the guard below ends a dialog that ignores it.
            QTest::keyClick(modal, Qt::Key_Return);
            return;
        }
        QTest::mouseClick(modal->findChild<QToolButton*>(action), Qt::LeftButton);
        stayedOpen = modal->isVisible();
        if (stayedOpen)
            static_cast<QDialog*>(modal)->reject();
    });
    QTimer::singleShot(5000, &progress, [&] {
        if (open && open->isVisible()) {
            stayedOpen = true;
            open->reject();
        }
    });
    progress.exec();
    disconnect(seen);

    QCOMPARE(!stayedOpen, closes);
    QCOMPARE(choice.count(), backToChoice);
    if (backToChoice)
        QCOMPARE(choice.first().first().toInt(), 0);
    QCOMPARE(next.count(), continued);
    if (continued) {
        QCOMPARE(next.first().first().toInt(), 0);
        // Closed and reset for the next upgrade before the settings page carries on.
        QVERIFY(!openAtContinue);
        QCOMPARE(barAtContinue, 0);
        QCOMPARE(labelAtContinue, PercentText(newLanguage ? 1 : 0, 0));
    } else {
        QCOMPARE(Label(progress)->text(), shown);
    }
}

void TestProgressDialogs::closeProgressSignal_data()
{
    QTest::addColumn<bool>("running");
    QTest::newRow("idle: closes and resets") << false;
    QTest::newRow("flashing: nothing") << true;
}

void TestProgressDialogs::closeProgressSignal()
{
    QFETCH(bool, running);
    Progress progress(nullptr);
    progress.show();
    QVERIFY(QTest::qWaitForWindowExposed(&progress));
    Step(&progress, 37, 0);
    UpgradeRunning = running;
    QSignalSpy next(PostMsg::instance(), &PostMsg::SigContinue);
    PostMsg::instance()->EmitCloseProgress();
    QCOMPARE(progress.isVisible(), running);
    QCOMPARE(Bar(progress)->value(), running ? 37 : 0);
    QCOMPARE(Label(progress)->text(), PercentText(0, running ? 37 : 0));
    QCOMPARE(next.count(), 0);
}

void TestProgressDialogs::findNewVerButtons_data()
{
    QTest::addColumn<QString>("button");
    QTest::addColumn<bool>("closes");
    QTest::newRow("confirm") << "NewHong" << true;
    QTest::newRow("close button") << "CloseButton" << true;
    QTest::newRow("do not show again") << "NoApear" << false;
}

void TestProgressDialogs::findNewVerButtons()
{
    QFETCH(QString, button);
    QFETCH(bool, closes);
    FindNewVer notice(nullptr);
    notice.show();
    QVERIFY(QTest::qWaitForWindowExposed(&notice));
    QSignalSpy choice(PostMsg::instance(), &PostMsg::SigChangeMainDialog);
    QSignalSpy next(PostMsg::instance(), &PostMsg::SigContinue);
    auto* target = notice.findChild<QAbstractButton*>(button);
    QVERIFY(target);
    QTest::mouseClick(target, Qt::LeftButton, {}, QPoint(5, target->height() / 2));
    QCOMPARE(notice.isVisible(), !closes);
    if (auto* box = qobject_cast<QCheckBox*>(target))
        QVERIFY(box->isChecked());
    QCOMPARE(choice.count(), 0);
    QCOMPARE(next.count(), 0);
}

void TestProgressDialogs::findNewVerCheckBoxReadable_data()
{
    QTest::addColumn<int>("language");
    QTest::newRow("language 0") << 0;
    QTest::newRow("language 1") << 1;
}

// The "do not show again" text on the notice's dark background.
void TestProgressDialogs::findNewVerCheckBoxReadable()
{
    QFETCH(int, language);
    CurrentLanguage.store(language);
    FindNewVer notice(nullptr);
    CurrentLanguage.store(0);
    notice.show();
    QVERIFY(QTest::qWaitForWindowExposed(&notice));
    auto* box = TestEnv::NamedChild<QCheckBox>(&notice, "NoApear");
    QVERIFY(!box->text().isEmpty());
    QStyleOptionButton option;
    option.initFrom(box);
    option.text = box->text();
    const QRect text = box->style()->subElementRect(QStyle::SE_CheckBoxContents, &option, box);
    const double contrast = TestEnv::ContrastRatio(box, text);
    QVERIFY2(contrast >= 4.5, qPrintable(QString::number(contrast)));
}

VEXO_TEST_MAIN(TestProgressDialogs)
void TestProgressDialogs::percentReadable_data()
{
    QTest::addColumn<int>("value");
    // The percentage sits on the empty bar at the start and on the filled bar at the end.
    QTest::newRow("empty") << 0;
    QTest::newRow("full") << 100;
}

void TestProgressDialogs::percentReadable()
{
    QFETCH(int, value);
    // The repair dialog writes the percentage on its bar (the update dialog has it in a label).
    UpDateRepair window(nullptr);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QProgressBar* bar = Bar(window);
    bar->setVisible(true);
    QVERIFY(bar->isTextVisible() && !bar->format().isEmpty());
    bar->setValue(value);
    // Inside the bar's frame, where the percentage is written.
    const QRect inside = bar->rect().adjusted(4, 4, -4, -4);
    QVERIFY2(TestEnv::ContrastRatio(bar, inside) >= 3.0,
             qPrintable(QString::number(TestEnv::ContrastRatio(bar, inside))));
}

#include "tst_progressdialogs.moc"
