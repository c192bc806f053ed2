#include "core/postmsg.h"
#include "helpers/testenv.h"

#include <QCoreApplication>
#include <QMetaMethod>
#include <QProcess>
#include <QThread>
#include <QtTest>

#include <cstdio>

// Receives one blocking signal and records which thread ran it.
class Receiver : public QObject
{
    Q_OBJECT
public:
    QThread* ranOn = nullptr;
    int reportRate = -1;
public slots:
    void SlotRecord(FlashDataMap DataMap)
    {
        ranOn = QThread::currentThread();
        reportRate = DataMap.reportRate;
    }
};

class TestHub : public QObject
{
    Q_OBJECT
private slots:
    void signalTable();
    void connectionKinds_data();
    void connectionKinds();
    void blockingEmitWaitsForSlot();
    void mistypedConnectionFailsLoudly_data();
    void mistypedConnectionFailsLoudly();
};

static const char* const kTable[] = {
    "SigChangeMainDialog(int)", "SigChangeSize(int)", "SigUpDataConfigUI(int,int,bool)",
    "SigUpDataLightUIButton(FlashDataMap)", "SigUpDataLightLight(FlashDataMap)",
    "SigUpDataLightSensor(FlashDataMap)", "SigUpDataLightUIA(FlashDataMap)", "SigUpDataSensorUIB(FlashDataMap)",
    "SigUpDataButtonUIC(FlashDataMap)", "SigButtonToMacro(FlashDataMap,int)", "SigSelectMouseInfo(DeviceAllInfo)",
    "SigMouseOffLineo(int)", "SigMainPageChange()", "SigSecondPageChange()", "SigUpPageLight()",
    "SigAddMacroButton()", "SigDeleteMacroButton(QString)", "SigMacroDownLoadData(QString,int)",
    "SigUpDataMacro(QString,int)", "SigUpDataParam(int)", "SigUpDataReportRate(int)", "SigUpDataDPI(int)",
    "SigUpDataDPILed(FlashDataMap)", "SigTimerStop()", "SigButtonEnable(int)", "SigLabelText(int,QString)",
    "SigLabelTextB(QString,QString)", "SigCloseUpdate()", "SigProgress(int,int)", "SigBattery(bool,int,bool)",
    "SigAutoRepair(int)", "SigAutoRepairProgress(int)", "SigChangeLanguage(int)", "SigLanguageSameA(int)",
    "SigLanguageSameB(int)", "SigCloseOffOnline()", "SigSetMacroPage()", "SigStartRecord(int)",
    "SigUpDateButton(bool)", "SigMacroRename(QString,QString)", "SigSetver(int)", "SigCloseProgress()",
    "SigRGBValue(DongleRGB*)", "SigLongRangeMode(bool)", "SigForm()", "SigFormB()", "SigEnterKey()",
    "SigFormReset()", "SigHideModel(int)", "SigContinue(int)", "SigMouseIndex(int)", "SigUpdateStart()",
    "SigCheckUpdate()", "SigRepairCheckUpdate()", "SigSetNewVer()", "SigLightToFrom(int)", "SigButtonCheck()",
    "SigAllLanguage(int)",
};

void TestHub::signalTable()
{
    const QMetaObject* mo = PostMsg::instance()->metaObject();
    QStringList actual;
    for (int i = mo->methodOffset(); i < mo->methodCount(); ++i)
        if (mo->method(i).methodType() == QMetaMethod::Signal)
            actual << QString::fromLatin1(mo->method(i).methodSignature());
    QStringList expected;
    for (const char* s : kTable)
        expected << QString::fromLatin1(s);
    QCOMPARE(actual, expected);
    // Parameter names matter to receivers written against the table.
    const int battery = mo->indexOfSignal("SigBattery(bool,int,bool)");
    QCOMPARE(mo->method(battery).parameterNames(), (QList<QByteArray>{"IsCharg", "Number", "IsText"}));
    const int lightToFrom = mo->indexOfSignal("SigLightToFrom(int)");
    QCOMPARE(mo->method(lightToFrom).parameterNames(), (QList<QByteArray>{"index"}));
}

void TestHub::connectionKinds_data()
{
    QTest::addColumn<QByteArray>("signal");
    QTest::addColumn<bool>("blocking");
    QTest::newRow("record to button page") << QByteArray(SIGNAL(SigUpDataLightUIButton(FlashDataMap))) << true;
    QTest::newRow("battery") << QByteArray("SigBattery(bool,int,bool)") << true;
    QTest::newRow("receiver light") << QByteArray("SigRGBValue(DongleRGB*)") << true;
    QTest::newRow("form reset") << QByteArray("SigFormReset()") << true;
    QTest::newRow("config selector") << QByteArray("SigUpDataConfigUI(int,int,bool)") << true;
    QTest::newRow("import copy is automatic") << QByteArray("SigUpDataLightUIA(FlashDataMap)") << false;
    QTest::newRow("offline notice is automatic") << QByteArray("SigMouseOffLineo(int)") << false;
    QTest::newRow("version is automatic") << QByteArray("SigSetver(int)") << false;
}

void TestHub::connectionKinds()
{
    QFETCH(QByteArray, signal);
    QFETCH(bool, blocking);
    QCOMPARE(PostMsg::ConnectionFor(signal.constData()) == Qt::BlockingQueuedConnection, blocking);
}

void TestHub::blockingEmitWaitsForSlot()
{
    Receiver receiver;
    QVERIFY(QObject::connect(PostMsg::instance(), SIGNAL(SigUpDataLightUIButton(FlashDataMap)), &receiver,
                             SLOT(SlotRecord(FlashDataMap)),
                             PostMsg::ConnectionFor("SigUpDataLightUIButton(FlashDataMap)")));
    FlashDataMap sent = ZeroFlashDataMap();
    sent.reportRate = 8;
    bool returnedAfterSlot = false;
    QThread* emitter = QThread::create([&]() {
        PostMsg::instance()->EmitUpDataLightUIButton(sent);
        returnedAfterSlot = receiver.ranOn != nullptr;
    });
    emitter->start();
    // The slot runs in this thread's event loop, so wait processing events.
    QTRY_VERIFY(emitter->isFinished());
    emitter->wait();
    delete emitter;
    QVERIFY(returnedAfterSlot);
    QCOMPARE(receiver.ranOn, QThread::currentThread());
    QCOMPARE(receiver.reportRate, 8);

    // Once shutdown has begun the emitter never waits.
    receiver.ranOn = nullptr;
    PostMsg::BeginShutdown();
    QThread* late = QThread::create([&]() { PostMsg::instance()->EmitUpDataLightUIButton(sent); });
    late->start();
    QVERIFY(late->wait(5000));
    delete late;
    PostMsg::EndShutdown();
    QVERIFY(receiver.ranOn == nullptr);
    QObject::disconnect(PostMsg::instance(), nullptr, &receiver, nullptr);
}

namespace {

// A receiver with one slot, for connections made in a child process.
class HubListener : public QObject
{
    Q_OBJECT
public slots:
    void SlotAny(int) {}
};

// Child mode: makes the connection named by argv[2] and says whether it held.
int connectInChild(const char* which)
{
    HubListener listener;
    const bool good = qstrcmp(which, "good") == 0;
    const bool connected = good ? PostMsg::Connect(SIGNAL(SigAllLanguage(int)), &listener, SLOT(SlotAny(int)))
        : qstrcmp(which, "signal") == 0 ? PostMsg::Connect(SIGNAL(SigAllLanguag(int)), &listener, SLOT(SlotAny(int)))
                                        : PostMsg::Connect(SIGNAL(SigAllLanguage(int)), &listener, SLOT(SlotAnny(int)));
    std::printf("connected %d\n", connected ? 1 : 0);
    return 0;
}

} // namespace

void TestHub::mistypedConnectionFailsLoudly_data()
{
    QTest::addColumn<QString>("which");
    QTest::addColumn<bool>("ends");
    QTest::newRow("a connection that holds") << "good" << false;
    QTest::newRow("a mistyped signal") << "signal" << true;
    QTest::newRow("a mistyped slot") << "slot" << true;
}

void TestHub::mistypedConnectionFailsLoudly()
{
    QFETCH(QString, which);
    QFETCH(bool, ends);
    QProcess child;
    child.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--connect"), which});
    QVERIFY(child.waitForFinished(30000));
    const QByteArray out = child.readAllStandardOutput();
    const QByteArray err = child.readAllStandardError();
    if (ends) {
        QVERIFY2(err.contains("hub connection failed"), err.constData());
#ifdef QT_NO_DEBUG
        // A release build names the connection and goes on without it.
        QCOMPARE(child.exitCode(), 0);
        QCOMPARE(out.trimmed(), QByteArray("connected 0"));
#else
        // A debug build stops at once, naming the connection.
        QVERIFY(child.exitStatus() == QProcess::CrashExit || child.exitCode() != 0);
        QVERIFY(!out.contains("connected"));
#endif
    } else {
        QCOMPARE(child.exitCode(), 0);
        QCOMPARE(out.trimmed(), QByteArray("connected 1"));
    }
}

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    if (argc > 2 && qstrcmp(argv[1], "--connect") == 0)
        return connectInChild(argv[2]);
    TestHub tc;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&tc, argc, argv);
}
#include "tst_hub.moc"
