#ifndef RECEIVERMOUSEVERSION_H
#define RECEIVERMOUSEVERSION_H

#include <QByteArray>
#include <QString>

// The firmware version of a model's mouse that the device choice road compares with the
// installation's images. The receiver tells the version of the mouse it reaches; what it
// tells is recorded as the model's "MouseVer" and wins over an older record, which still
// serves while the mouse is out of reach. A mouse that never was on its cable thus has a
// version as soon as its receiver reaches it, or once a pairing made it reachable.
class ReceiverMouseVersion
{
public:
    // CID and MID as Config.ini gives them (the texts the record is keyed by).
    ReceiverMouseVersion(const QString& cidText, const QString& midText);
    // The model of a Config.ini section ("Drive" + n).
    static ReceiverMouseVersion ForSection(const QString& section);

    // The version the receiver at path tells for its mouse; "" when it reaches none.
    static QString Reported(const QByteArray& receiverPath);
    // Records the reported version, then gives it, else the recorded one; "" when neither.
    QString RecordAndRecall(const QByteArray& receiverPath) const;
    // Records what the receiver tells now; false, and the record untouched, when it tells nothing.
    bool RecordReported(const QByteArray& receiverPath) const;

private:
    QString m_cidText;
    QString m_midText;
};

#endif
