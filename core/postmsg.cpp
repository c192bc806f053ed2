#include "core/postmsg.h"

#include <QCoreApplication>
#include <QMetaObject>
#include <QThread>
#include <QtDebug>

#include <cstring>

std::atomic<bool> PostMsg::s_shuttingDown{false};

const char* const PostMsg::BlockingQueuedSignals[] = {
    "SigUpDataConfigUI(int,int,bool)",
    "SigUpDataLightUIButton(FlashDataMap)",
    "SigUpDataLightLight(FlashDataMap)",
    "SigUpDataLightSensor(FlashDataMap)",
    "SigUpDataReportRate(int)",
    "SigUpDataDPI(int)",
    "SigUpDataDPILed(FlashDataMap)",
    "SigBattery(bool,int,bool)",
    "SigRGBValue(DongleRGB*)",
    "SigLongRangeMode(bool)",
    "SigForm()",
    "SigFormReset()",
    nullptr,
};

PostMsg::PostMsg()
{
    qRegisterMetaType<FlashDataMap>("FlashDataMap");
    qRegisterMetaType<DeviceAllInfo>("DeviceAllInfo");
    qRegisterMetaType<DongleRGB*>("DongleRGB*");
}

PostMsg* PostMsg::instance()
{
    // Created on first use and kept for the whole run.
    static PostMsg* hub = new PostMsg;
    return hub;
}

bool PostMsg::IsBlockingQueued(const char* normalizedSignature)
{
    for (const char* const* s = BlockingQueuedSignals; *s; ++s)
        if (std::strcmp(*s, normalizedSignature) == 0)
            return true;
    return false;
}

Qt::ConnectionType PostMsg::ConnectionFor(const char* signalSignature)
{
    // Accept both plain signatures and SIGNAL() texts.
    QByteArray sig(signalSignature);
    if (!sig.isEmpty() && (sig.at(0) == '2' || sig.at(0) == '1'))
        sig.remove(0, 1);
    sig = QMetaObject::normalizedSignature(sig.constData());
    return IsBlockingQueued(sig.constData()) ? Qt::BlockingQueuedConnection : Qt::AutoConnection;
}

bool PostMsg::Connect(const char* signal, const QObject* receiver, const char* method)
{
    const bool connected = bool(QObject::connect(instance(), signal, receiver, method, ConnectionFor(signal)));
    if (!connected) {
        // A mistyped signature would leave a page deaf to the device: never let it pass quietly.
        const QByteArray what = QByteArray("hub connection failed: ") + (signal ? signal + 1 : "(null)") + " -> "
            + (receiver ? receiver->metaObject()->className() : "(null)") + "::" + (method ? method + 1 : "(null)");
#ifdef QT_NO_DEBUG
        qCritical("PostMsg: %s", what.constData());
#else
        qFatal("PostMsg: %s", what.constData());
#endif
    }
    return connected;
}

void PostMsg::BeginShutdown() { s_shuttingDown.store(true); }
void PostMsg::EndShutdown() { s_shuttingDown.store(false); }
bool PostMsg::ShuttingDown() { return s_shuttingDown.load(); }

bool PostMsg::MayBlock()
{
    if (s_shuttingDown.load())
        return false;
    QCoreApplication* app = QCoreApplication::instance();
    if (app && QThread::currentThread() == app->thread()) {
        // A blocking queued emit on the GUI thread would wait for itself.
        Q_ASSERT_X(false, "PostMsg", "blocking queued signal emitted on the GUI thread");
        qWarning("PostMsg: blocking signal emitted on the GUI thread, dropped");
        return false;
    }
    return true;
}

void PostMsg::EmitUpDataConfigUI(int ToTalItem, int SelectIndex, bool ItemEnable)
{
    if (MayBlock())
        emit SigUpDataConfigUI(ToTalItem, SelectIndex, ItemEnable);
}

void PostMsg::EmitUpDataLightUIButton(FlashDataMap DataMap)
{
    if (MayBlock())
        emit SigUpDataLightUIButton(DataMap);
}

void PostMsg::EmitUpDataLightLight(FlashDataMap DataMap)
{
    if (MayBlock())
        emit SigUpDataLightLight(DataMap);
}

void PostMsg::EmitUpDataLightSensor(FlashDataMap DataMap)
{
    if (MayBlock())
        emit SigUpDataLightSensor(DataMap);
}

void PostMsg::EmitUpDataReportRate(int index)
{
    if (MayBlock())
        emit SigUpDataReportRate(index);
}

void PostMsg::EmitUpDataDPI(int index)
{
    if (MayBlock())
        emit SigUpDataDPI(index);
}

void PostMsg::EmitUpDataDPILed(FlashDataMap DataMap)
{
    if (MayBlock())
        emit SigUpDataDPILed(DataMap);
}

void PostMsg::EmitBattery(bool IsCharg, int Number, bool IsText)
{
    if (MayBlock())
        emit SigBattery(IsCharg, Number, IsText);
}

void PostMsg::EmitRGBValue(DongleRGB* Rgb)
{
    if (MayBlock())
        emit SigRGBValue(Rgb);
}

void PostMsg::EmitLongRangeMode(bool Select)
{
    if (MayBlock())
        emit SigLongRangeMode(Select);
}

void PostMsg::EmitForm()
{
    if (MayBlock())
        emit SigForm();
}

void PostMsg::EmitFormReset()
{
    if (MayBlock())
        emit SigFormReset();
}
