#include "device/keyusagetable.h"
#include "device/macrorecordcodec.h"
#include "device/macrorecorder.h"
#include "helpers/macrorowtexts.h"
#include "helpers/testenv.h"

#include <QtTest>

namespace {

// Windows virtual keys.
constexpr int VkA = 0x41;
constexpr int VkB = 0x42;
constexpr int VkLShift = 0xA0;
constexpr int VkClear = 0x0C;
constexpr int VkNone = 0xFF; // no key of the table

struct KeyStep {
    int virtualKey;
    bool down;
    quint32 time;
};

using Result = MacroRecorder::Result;


} // namespace

Q_DECLARE_METATYPE(QVector<KeyStep>)
Q_DECLARE_METATYPE(QVector<Result>)

class TestMacroRecorder : public QObject
{
    Q_OBJECT

private slots:
    void sequences_data();
    void sequences();
    void eventsKeepTheirKey();
    void notRecording();
    void startBeginsAfresh();
    void stopsAtTheLimit();
};

void TestMacroRecorder::sequences_data()
{
    QTest::addColumn<bool>("measured");
    QTest::addColumn<int>("fixedDelay");
    QTest::addColumn<QVector<KeyStep>>("steps");
    QTest::addColumn<QVector<Result>>("results");
    QTest::addColumn<QStringList>("rows");

    const Result R = Result::Recorded;
    const Result I = Result::Ignored;

    QTest::newRow("two clicks, measured")
        << true << 10 << QVector<KeyStep>{{VkA, true, 1000}, {VkA, false, 1080}, {VkB, true, 1380}, {VkB, false, 1450}}
        << QVector<Result>{R, R, R, R} << QStringList{"+A", "80ms", "-A", "300ms", "+B", "70ms", "-B"};
    QTest::newRow("fixed delay")
        << false << 50 << QVector<KeyStep>{{VkA, true, 0}, {VkA, false, 7}, {VkB, true, 9000}}
        << QVector<Result>{R, R, R} << QStringList{"+A", "50ms", "-A", "50ms", "+B"};
    QTest::newRow("negative fixed delay")
        << false << -5 << QVector<KeyStep>{{VkA, true, 0}, {VkA, false, 7}}
        << QVector<Result>{R, R} << QStringList{"+A", "0ms", "-A"};
    QTest::newRow("held key repeats")
        << true << 10
        << QVector<KeyStep>{{VkA, true, 0}, {VkA, true, 500}, {VkA, true, 530}, {VkA, false, 2000}}
        << QVector<Result>{R, I, I, R} << QStringList{"+A", "2000ms", "-A"};
    QTest::newRow("a release frees the key")
        << true << 10 << QVector<KeyStep>{{VkA, true, 0}, {VkA, false, 10}, {VkA, true, 30}}
        << QVector<Result>{R, R, R} << QStringList{"+A", "10ms", "-A", "20ms", "+A"};
    QTest::newRow("modifier around a key, twice")
        << true << 10
        << QVector<KeyStep>{{VkLShift, true, 0}, {VkA, true, 5}, {VkA, false, 10},
                            {VkLShift, false, 20}, {VkLShift, true, 40}, {VkLShift, false, 80}}
        << QVector<Result>{R, R, R, R, R, R}
        << QStringList{"+LShift", "5ms", "+A", "5ms", "-A", "10ms", "-LShift", "20ms", "+LShift", "40ms", "-LShift"};
    QTest::newRow("key without a row in between")
        << true << 10
        << QVector<KeyStep>{{VkA, true, 0}, {VkNone, true, 100}, {VkNone, false, 150}, {VkA, false, 200}}
        << QVector<Result>{R, I, I, R} << QStringList{"+A", "200ms", "-A"};
    QTest::newRow("key without a row last: no delay after the last event")
        << true << 10 << QVector<KeyStep>{{VkA, true, 0}, {VkA, false, 10}, {VkNone, true, 20}}
        << QVector<Result>{R, R, I} << QStringList{"+A", "10ms", "-A"};
    QTest::newRow("key without a row first")
        << true << 10 << QVector<KeyStep>{{VkNone, true, 0}, {VkA, true, 100}}
        << QVector<Result>{I, R} << QStringList{"+A"};
    QTest::newRow("release of a key pressed before the start")
        << true << 10 << QVector<KeyStep>{{VkB, false, 0}, {VkA, true, 3}}
        << QVector<Result>{R, R} << QStringList{"-B", "3ms", "+A"};
    QTest::newRow("clear key records the empty key")
        << true << 10 << QVector<KeyStep>{{VkClear, true, 0}, {VkClear, false, 4}}
        << QVector<Result>{R, R} << QStringList{"+", "4ms", "-"};
    QTest::newRow("clock wraps")
        << true << 10 << QVector<KeyStep>{{VkA, true, 0xFFFFFF00u}, {VkA, false, 0x10}}
        << QVector<Result>{R, R} << QStringList{"+A", "272ms", "-A"};
}

void TestMacroRecorder::sequences()
{
    QFETCH(bool, measured);
    QFETCH(int, fixedDelay);
    QFETCH(QVector<KeyStep>, steps);
    QFETCH(QVector<Result>, results);
    QFETCH(QStringList, rows);

    MacroRecorder recorder;
    MacroRowVector list;
    recorder.Start();
    QVector<Result> got;
    for (const KeyStep& step : steps)
        got << recorder.Key(step.virtualKey, step.down, step.time, measured, fixedDelay, list);

    QCOMPARE(got, results);
    QCOMPARE(MacroRowTexts(list.Rows()), rows);
    QCOMPARE(recorder.RecordedKeyCount(), int(results.count(Result::Recorded)));
    QVERIFY(recorder.IsRecording());
    QCOMPARE(list.Selected(), list.Count() - 1);
}

void TestMacroRecorder::eventsKeepTheirKey()
{
    MacroRecorder recorder;
    MacroRowVector list;
    recorder.Start();
    recorder.Key(VkLShift, true, 0, true, 10, list);
    recorder.Key(0xA5, true, 1, true, 10, list); // right Alt
    recorder.Key(0x70, true, 2, true, 10, list); // F1

    const QVector<MacroEventRow> rows = list.Rows();
    QCOMPARE(rows.size(), 5);
    QCOMPARE(rows.at(0), MacroEventFromCode(KindModifier, 0x02, true));
    QCOMPARE(rows.at(2), MacroEventFromCode(KindModifier, 0x40, true));
    QCOMPARE(rows.at(4), MacroEventFromCode(KindKeyboard, 0x3A, true));
}

void TestMacroRecorder::notRecording()
{
    MacroRecorder recorder;
    MacroRowVector list;
    QVERIFY(!recorder.IsRecording());
    QCOMPARE(recorder.Key(VkA, true, 0, true, 10, list), Result::Ignored);

    recorder.Start();
    QCOMPARE(recorder.Key(VkA, true, 0, true, 10, list), Result::Recorded);
    recorder.Stop();
    QVERIFY(!recorder.IsRecording());
    QCOMPARE(recorder.Key(VkA, false, 5, true, 10, list), Result::Ignored);
    QCOMPARE(recorder.Key(VkB, true, 6, true, 10, list), Result::Ignored);
    QCOMPARE(MacroRowTexts(list.Rows()), QStringList{"+A"});
}

void TestMacroRecorder::startBeginsAfresh()
{
    MacroRecorder recorder;
    MacroRowVector list;
    recorder.Start();
    recorder.Key(VkA, true, 0, true, 10, list);
    recorder.Key(VkB, true, 10, true, 10, list);
    QCOMPARE(recorder.RecordedKeyCount(), 2);

    // A and B are still down: a new recording records them again, with no delay first.
    list.Clear();
    recorder.Start();
    QCOMPARE(recorder.RecordedKeyCount(), 0);
    QCOMPARE(recorder.Key(VkA, true, 5000, true, 10, list), Result::Recorded);
    QCOMPARE(recorder.Key(VkB, true, 5100, true, 10, list), Result::Recorded);
    QCOMPARE(MacroRowTexts(list.Rows()), (QStringList{"+A", "100ms", "+B"}));
}

void TestMacroRecorder::stopsAtTheLimit()
{
    MacroRecorder recorder;
    MacroRowVector list;
    recorder.Start();
    int limits = 0;
    quint32 time = 0;
    for (int i = 0; i < MacroEventLimit + 5; ++i) {
        const Result result = recorder.Key(VkA, i % 2 == 0, time += 20, true, 10, list);
        if (i < MacroEventLimit - 1)
            QCOMPARE(result, Result::Recorded);
        else if (i == MacroEventLimit - 1)
            QCOMPARE(result, Result::LimitReached);
        else
            QCOMPARE(result, Result::Ignored);
        limits += result == Result::LimitReached;
    }
    QCOMPARE(limits, 1);
    QVERIFY(!recorder.IsRecording());

    const QVector<MacroEventRow> rows = list.Rows();
    const int delays = int(std::count_if(rows.begin(), rows.end(), [](const MacroEventRow& row) { return row.IsDelay(); }));
    QCOMPARE(rows.size() - delays, MacroEventLimit);
    QCOMPARE(delays, MacroEventLimit - 1);
    QVERIFY(!rows.last().IsDelay());
    QCOMPARE(int(BuildMacroRecord("M", rows).eventCount), MacroEventLimit);
}

VEXO_TEST_CORE_MAIN(TestMacroRecorder)
#include "tst_macrorecorder.moc"
