#include "device/keyusagetable.h"
#include "device/macroevents.h"
#include "helpers/macrorowtexts.h"
#include "helpers/testenv.h"

#include <QtTest>

#include <cmath>
#include <limits>

namespace {


MacroRowVector listOf(const QStringList& texts, int selected)
{
    MacroRowVector list(MacroRowsFromTexts(texts));
    list.Select(selected);
    return list;
}


// A list that reports a selection it does not hold, as a widget may while its rows change.
class StaleSelection : public MacroRowVector
{
public:
    StaleSelection(const MacroRowVector& rows, int selected)
        : MacroRowVector(rows.Rows())
        , m_stale(selected)
    {
    }
    int Selected() const override { return m_stale; }

private:
    int m_stale;
};

const QStringList threeRows = {"+A", "10ms", "-A"};
const QStringList fiveRows = {"+A", "1ms", "+C", "2ms", "+E"};

} // namespace

class TestMacroEvents : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void eventFromCode_data();
    void eventFromCode();
    void eventFromName_data();
    void eventFromName();
    void delayRow_data();
    void delayRow();
    void delayValue_data();
    void delayValue();
    void rowVectorFollowsItsSelection();
    void appendingBuilders_data();
    void appendingBuilders();
    void insertKeyEvent_data();
    void insertKeyEvent();
    void insertMouseButton_data();
    void insertMouseButton();
    void insertDelay_data();
    void insertDelay();
    void deleteEvents_data();
    void deleteEvents();
    void selectionOutsideTheList_data();
    void selectionOutsideTheList();

private:
    std::array<QString, 5> m_savedNames;
};

void TestMacroEvents::init()
{
    m_savedNames = MouseButtonNames;
    MouseButtonNames = {QStringLiteral("Left"), QStringLiteral("Right"), QStringLiteral("Middle"),
                        QStringLiteral("Back"), QStringLiteral("F1")};
}

void TestMacroEvents::cleanup()
{
    MouseButtonNames = m_savedNames;
}

void TestMacroEvents::eventFromCode_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<int>("code");
    QTest::addColumn<QString>("text");

    QTest::newRow("letter") << 1 << 0x04 << "A";
    QTest::newRow("modifier sharing a letter's code") << 0 << 0x04 << "LAlt";
    QTest::newRow("function key") << 1 << 0x40 << "F7";
    QTest::newRow("right Alt") << 0 << 0x40 << "RAlt";
    QTest::newRow("arrow") << 1 << 0x52 << QString::fromUtf8("↑");
    QTest::newRow("empty key") << 1 << 0x00 << "";
    QTest::newRow("left button") << 4 << 0x01 << "Left";
    QTest::newRow("forward button") << 4 << 0x10 << "F1";
    QTest::newRow("button bit without a button") << 4 << 0x20 << "";
    QTest::newRow("keypad Enter, no row") << 1 << 0x58 << "Enter";
}

void TestMacroEvents::eventFromCode()
{
    QFETCH(int, kind);
    QFETCH(int, code);
    QFETCH(QString, text);

    for (bool down : {true, false}) {
        const MacroEventRow row = MacroEventFromCode(kind, code, down);
        QCOMPARE(row.text, text);
        QCOMPARE(row.IsRelease(), !down);
        QVERIFY(row.hasKey);
        QCOMPARE(row.kind, kind);
        QCOMPARE(row.code, code);
        QVERIFY(!row.IsDelay());
    }
}

void TestMacroEvents::eventFromName_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("kind");
    QTest::addColumn<int>("code");

    QTest::newRow("letter") << "A" << "A" << 1 << 0x04;
    QTest::newRow("modifier") << "LShift" << "LShift" << 0 << 0x02;
    QTest::newRow("function key") << "F7" << "F7" << 1 << 0x40;
    QTest::newRow("mouse button") << "Middle" << "Middle" << 4 << 0x04;
    // The forward button is named "F1" here: the function key wins.
    QTest::newRow("button named like a function key") << "F1" << "F1" << 1 << 0x3A;
    QTest::newRow("empty name") << "" << "" << 1 << 0x00;
    QTest::newRow("unknown name") << "Ctrl" << "" << 1 << 0x00;
    QTest::newRow("other case") << "a" << "" << 1 << 0x00;
}

void TestMacroEvents::eventFromName()
{
    QFETCH(QString, name);
    QFETCH(QString, text);
    QFETCH(int, kind);
    QFETCH(int, code);

    const MacroEventRow row = MacroEventFromName(name, false);
    QCOMPARE(row.text, text);
    QVERIFY(row.IsRelease());
    QVERIFY(row.hasKey);
    QCOMPARE(row.kind, kind);
    QCOMPARE(row.code, code);
}

void TestMacroEvents::delayRow_data()
{
    QTest::addColumn<double>("milliseconds");
    QTest::addColumn<QString>("text");

    QTest::newRow("whole") << 10.0 << "10ms";
    QTest::newRow("rounds up") << 12.6 << "13ms";
    QTest::newRow("rounds down") << 12.4 << "12ms";
    QTest::newRow("zero") << 0.0 << "0ms";
    QTest::newRow("negative") << -3.0 << "0ms";
    QTest::newRow("largest") << 4294967295.0 << "4294967295ms";
    QTest::newRow("too large") << 1e12 << "4294967295ms";
    QTest::newRow("not a number") << std::nan("") << "0ms";
}

void TestMacroEvents::delayRow()
{
    QFETCH(double, milliseconds);
    QFETCH(QString, text);

    const MacroEventRow row = MacroDelayRow(milliseconds);
    QCOMPARE(row.text, text);
    QVERIFY(row.IsDelay());
    QVERIFY(!row.IsRelease());
    QVERIFY(!row.hasKey);
}

void TestMacroEvents::delayValue_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<uint>("value");

    QTest::newRow("delay") << "125ms" << 125u;
    QTest::newRow("every ms removed") << "5msms" << 5u;
    QTest::newRow("ms inside") << "1ms2" << 12u;
    QTest::newRow("digits only") << "12" << 12u;
    QTest::newRow("ms only") << "ms" << 0u;
    QTest::newRow("letters") << "abcms" << 0u;
    QTest::newRow("negative") << "-5ms" << 0u;
    QTest::newRow("largest") << "4294967295ms" << 4294967295u;
    QTest::newRow("beyond 32 bits") << "4294967296ms" << 0u;
    QTest::newRow("upper case MS") << "10MS" << 0u;
}

void TestMacroEvents::delayValue()
{
    QFETCH(QString, text);
    QFETCH(uint, value);

    MacroEventRow row;
    row.text = text;
    QCOMPARE(MacroDelayValue(row), quint32(value));
}

void TestMacroEvents::rowVectorFollowsItsSelection()
{
    MacroRowVector list = listOf(fiveRows, 2);

    list.Insert(0, MacroRowFromText("+X"));
    QCOMPARE(list.Selected(), 3); // moved down with its row
    list.Insert(4, MacroRowFromText("+Y"));
    QCOMPARE(list.Selected(), 3); // inserted after it
    list.Insert(99, MacroRowFromText("+Z"));
    QCOMPARE(MacroRowTexts(list.Rows()), (QStringList{"+X", "+A", "1ms", "+C", "+Y", "2ms", "+E", "+Z"}));

    list.RemoveAt(3); // the selected row: the one that followed takes its place
    QCOMPARE(list.Selected(), 3);
    QCOMPARE(list.At(3).text, QString("Y"));
    list.RemoveAt(0);
    QCOMPARE(list.Selected(), 2);
    list.Select(list.Count() - 1);
    list.RemoveAt(list.Count() - 1); // the selected last row: the one before it
    QCOMPARE(list.Selected(), list.Count() - 1);
    list.RemoveAt(-1);
    list.RemoveAt(list.Count());
    QCOMPARE(list.Count(), 5);

    list.Select(list.Count());
    QCOMPARE(list.Selected(), -1);
    list.Select(0);
    list.Clear();
    QCOMPARE(list.Count(), 0);
    QCOMPARE(list.Selected(), -1);
}

void TestMacroEvents::appendingBuilders_data()
{
    QTest::addColumn<QStringList>("start");
    QTest::addColumn<QStringList>("steps"); // "+A"/"-A" an event, a number a delay
    QTest::addColumn<QStringList>("rows");
    QTest::addColumn<int>("selected");

    QTest::newRow("recorded click") << QStringList() << QStringList{"+A", "125", "-A"}
                                    << QStringList{"+A", "125ms", "-A"} << 2;
    QTest::newRow("delay selects the row before it")
        << QStringList() << QStringList{"+A", "12.6"} << QStringList{"+A", "13ms"} << 0;
    QTest::newRow("delay on an empty list") << QStringList() << QStringList{"7"}
                                            << QStringList{"7ms"} << -1;
    QTest::newRow("appends whatever is selected")
        << threeRows << QStringList{"+B"} << QStringList{"+A", "10ms", "-A", "+B"} << 3;
}

void TestMacroEvents::appendingBuilders()
{
    QFETCH(QStringList, start);
    QFETCH(QStringList, steps);
    QFETCH(QStringList, rows);
    QFETCH(int, selected);

    MacroRowVector list = listOf(start, 0);
    for (const QString& step : steps) {
        if (step.startsWith(QLatin1Char('+')) || step.startsWith(QLatin1Char('-')))
            AddKeyEventItem(list, MacroRowFromText(step));
        else
            AddDelayItem(list, step.toDouble());
    }
    QCOMPARE(MacroRowTexts(list.Rows()), rows);
    QCOMPARE(list.Selected(), selected);
}

void TestMacroEvents::insertKeyEvent_data()
{
    QTest::addColumn<QStringList>("start");
    QTest::addColumn<int>("selected");
    QTest::addColumn<QStringList>("rows");

    QTest::newRow("none, empty") << QStringList() << -1 << QStringList{"+B"};
    QTest::newRow("none, not empty") << threeRows << -1 << QStringList{"+A", "10ms", "-A", "10ms", "+B"};
    QTest::newRow("only row, selected") << QStringList{"+A"} << 0 << QStringList{"+A", "10ms", "+B"};
    QTest::newRow("last row") << fiveRows << 4
                              << QStringList{"+A", "1ms", "+C", "2ms", "+E", "10ms", "+B"};
    QTest::newRow("first row") << threeRows << 0 << QStringList{"+A", "10ms", "+B", "10ms", "-A"};
    QTest::newRow("first row of two") << QStringList{"+A", "5ms"} << 0
                                      << QStringList{"+A", "5ms", "+B", "10ms"};
    QTest::newRow("delay") << fiveRows << 1 << QStringList{"+A", "1ms", "+B", "10ms", "+C", "2ms", "+E"};
    QTest::newRow("later delay") << fiveRows << 3
                                 << QStringList{"+A", "1ms", "+C", "2ms", "+B", "10ms", "+E"};
    QTest::newRow("event") << fiveRows << 2 << QStringList{"+A", "1ms", "+C", "2ms", "+B", "10ms", "+E"};
}

void TestMacroEvents::insertKeyEvent()
{
    QFETCH(QStringList, start);
    QFETCH(int, selected);
    QFETCH(QStringList, rows);

    MacroRowVector list = listOf(start, selected);
    const MacroEventRow event = MacroEventFromName("B", true);
    InsertKeyEventItem(list, event);

    QCOMPARE(MacroRowTexts(list.Rows()), rows);
    QCOMPARE(list.Selected(), selected);
    QCOMPARE(list.At(rows.indexOf("+B")), event);
}

void TestMacroEvents::insertMouseButton_data()
{
    QTest::addColumn<QStringList>("start");
    QTest::addColumn<int>("selected");
    QTest::addColumn<QStringList>("rows");

    QTest::newRow("none, empty") << QStringList() << -1 << QStringList{"+Left", "10ms", "-Left"};
    QTest::newRow("none, not empty")
        << threeRows << -1 << QStringList{"+A", "10ms", "-A", "10ms", "+Left", "10ms", "-Left"};
    QTest::newRow("only row, selected")
        << QStringList{"+A"} << 0 << QStringList{"+A", "10ms", "+Left", "10ms", "-Left"};
    QTest::newRow("last row")
        << fiveRows << 4 << QStringList{"+A", "1ms", "+C", "2ms", "+E", "10ms", "+Left", "10ms", "-Left"};
    QTest::newRow("first row")
        << threeRows << 0 << QStringList{"+A", "10ms", "+Left", "10ms", "-Left", "10ms", "-A"};
    QTest::newRow("delay")
        << fiveRows << 1 << QStringList{"+A", "1ms", "+Left", "10ms", "-Left", "10ms", "+C", "2ms", "+E"};
    QTest::newRow("event")
        << fiveRows << 2 << QStringList{"+A", "1ms", "+C", "10ms", "+Left", "10ms", "-Left", "2ms", "+E"};
}

void TestMacroEvents::insertMouseButton()
{
    QFETCH(QStringList, start);
    QFETCH(int, selected);
    QFETCH(QStringList, rows);

    MacroRowVector list = listOf(start, selected);
    const MacroEventRow press = MacroEventFromCode(KindMouseButton, 0x01, true);
    InsertMouseButtonItems(list, press);

    QCOMPARE(MacroRowTexts(list.Rows()), rows);
    QCOMPARE(list.Selected(), selected);
    const MacroEventRow release = list.At(rows.indexOf("-Left"));
    QCOMPARE(list.At(rows.indexOf("+Left")), press);
    QVERIFY(release.IsRelease());
    QCOMPARE(release.kind, int(KindMouseButton));
    QCOMPARE(release.code, 0x01);
}

void TestMacroEvents::insertDelay_data()
{
    QTest::addColumn<QStringList>("start");
    QTest::addColumn<int>("selected");
    QTest::addColumn<double>("milliseconds");
    QTest::addColumn<QStringList>("rows");
    QTest::addColumn<int>("selectedAfter");

    QTest::newRow("first row") << threeRows << 0 << 500.0 << threeRows << 0;
    QTest::newRow("none") << threeRows << -1 << 500.0 << threeRows << -1;
    QTest::newRow("delay") << fiveRows << 3 << 500.0 << QStringList{"+A", "1ms", "+C", "500ms", "+E"} << 3;
    QTest::newRow("event after a delay") << threeRows << 2 << 500.0 << QStringList{"+A", "500ms", "-A"} << 1;
    QTest::newRow("event after an event")
        << QStringList{"+A", "+C", "10ms", "+E"} << 1 << 500.0 << QStringList{"+A", "500ms", "+C", "10ms", "+E"}
        << 1;
    QTest::newRow("rounded") << threeRows << 1 << 12.6 << QStringList{"+A", "13ms", "-A"} << 1;
}

void TestMacroEvents::insertDelay()
{
    QFETCH(QStringList, start);
    QFETCH(int, selected);
    QFETCH(double, milliseconds);
    QFETCH(QStringList, rows);
    QFETCH(int, selectedAfter);

    MacroRowVector list = listOf(start, selected);
    InsertDelayItem(list, milliseconds);
    QCOMPARE(MacroRowTexts(list.Rows()), rows);
    QCOMPARE(list.Selected(), selectedAfter);
}

void TestMacroEvents::deleteEvents_data()
{
    QTest::addColumn<QStringList>("start");
    QTest::addColumn<int>("selected");
    QTest::addColumn<bool>("removed");
    QTest::addColumn<QStringList>("rows");
    QTest::addColumn<int>("selectedAfter");

    const QStringList none;
    QTest::newRow("three rows, first") << threeRows << 0 << true << none << -1;
    QTest::newRow("three rows, delay") << threeRows << 1 << true << none << -1;
    QTest::newRow("three rows, none") << threeRows << -1 << true << none << -1;
    QTest::newRow("two rows, none") << QStringList{"+A", "10ms"} << -1 << true << none << -1;
    QTest::newRow("empty") << none << -1 << true << none << -1;
    QTest::newRow("five, none") << fiveRows << -1 << false << fiveRows << -1;
    QTest::newRow("five, first event") << fiveRows << 0 << true << QStringList{"+C", "2ms", "+E"} << 0;
    QTest::newRow("five, first delay") << fiveRows << 1 << true << QStringList{"+C", "2ms", "+E"} << 0;
    QTest::newRow("five, middle event") << fiveRows << 2 << true << QStringList{"+A", "1ms", "+E"} << 2;
    QTest::newRow("five, second delay") << fiveRows << 3 << true << QStringList{"+A", "1ms", "+E"} << 2;
    QTest::newRow("five, last") << fiveRows << 4 << true << QStringList{"+A", "1ms", "+C"} << 2;
    QTest::newRow("four ending with a delay, last")
        << QStringList{"+A", "1ms", "+C", "2ms"} << 3 << true << QStringList{"+A", "1ms"} << 1;
    QTest::newRow("malformed, delay first")
        << QStringList{"1ms", "+A", "2ms", "+C"} << 0 << true << QStringList{"+A", "2ms", "+C"} << 0;
}

void TestMacroEvents::deleteEvents()
{
    QFETCH(QStringList, start);
    QFETCH(int, selected);
    QFETCH(bool, removed);
    QFETCH(QStringList, rows);
    QFETCH(int, selectedAfter);

    MacroRowVector list = listOf(start, selected);
    QCOMPARE(DeleteEventItems(list), removed);
    QCOMPARE(MacroRowTexts(list.Rows()), rows);
    QCOMPARE(list.Selected(), selectedAfter);
}

void TestMacroEvents::selectionOutsideTheList_data()
{
    QTest::addColumn<QString>("builder");
    QTest::addColumn<QStringList>("rows");

    QTest::newRow("key event") << "key" << QStringList{"+A", "1ms", "+C", "2ms", "+E", "10ms", "+B"};
    QTest::newRow("mouse button")
        << "mouse" << QStringList{"+A", "1ms", "+C", "2ms", "+E", "10ms", "+Left", "10ms", "-Left"};
    QTest::newRow("delay") << "delay" << fiveRows;
    QTest::newRow("delete") << "delete" << fiveRows;
}

void TestMacroEvents::selectionOutsideTheList()
{
    QFETCH(QString, builder);
    QFETCH(QStringList, rows);

    // Taken as no selection: nothing placed relative to a row that is not there.
    for (int stale : {5, 9, -2}) {
        StaleSelection list(listOf(fiveRows, -1), stale);
        if (builder == "key")
            InsertKeyEventItem(list, MacroEventFromName("B", true));
        else if (builder == "mouse")
            InsertMouseButtonItems(list, MacroEventFromCode(KindMouseButton, 0x01, true));
        else if (builder == "delay")
            InsertDelayItem(list, 500);
        else
            QVERIFY(!DeleteEventItems(list));
        QCOMPARE(MacroRowTexts(list.Rows()), rows);
    }
}

VEXO_TEST_CORE_MAIN(TestMacroEvents)
#include "tst_macroevents.moc"
