#include "device/receivermouseversion.h"

#include "core/configini.h"
#include "device/firmwareimages.h"

#include "hidusb/HIDUsb.h"

ReceiverMouseVersion::ReceiverMouseVersion(const QString& cidText, const QString& midText)
    : m_cidText(cidText)
    , m_midText(midText)
{
}

ReceiverMouseVersion ReceiverMouseVersion::ForSection(const QString& section)
{
    ConfigIni* config = ConfigIni::instance();
    return ReceiverMouseVersion(config->value(QStringLiteral("Option"), QStringLiteral("CID")),
                                config->value(section, QStringLiteral("MID")));
}

QString ReceiverMouseVersion::Reported(const QByteArray& receiverPath)
{
    if (receiverPath.isEmpty())
        return QString();
    // 0: no mouse behind the receiver (asleep, on its cable, paired with another one).
    const int version = UsbFinderC_GetVersion(receiverPath.constData());
    return version > 0 ? FirmwareVersionText(quint32(version)) : QString();
}

QString ReceiverMouseVersion::RecordAndRecall(const QByteArray& receiverPath) const
{
    const QString reported = Reported(receiverPath);
    if (reported.isEmpty())
        return ReadMouseVer(m_cidText, m_midText);
    if (ReadMouseVer(m_cidText, m_midText) != reported)
        WriteMouseVer(m_cidText, m_midText, reported);
    return reported;
}

bool ReceiverMouseVersion::RecordReported(const QByteArray& receiverPath) const
{
    const QString reported = Reported(receiverPath);
    if (reported.isEmpty())
        return false;
    WriteMouseVer(m_cidText, m_midText, reported);
    return true;
}
