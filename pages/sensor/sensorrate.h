#ifndef SENSORRATE_H
#define SENSORRATE_H

#include <QFrame>
#include <QString>
#include <QScopedPointer>

#include <array>

class QButtonGroup;
class QToolButton;

namespace Ui {
class SensorRate;
}

// The sensor page's report-rate row: one checkable button per rate, 125 Hz to 8000 Hz. A
// user's click writes the rate to the device; the page checks the device's rate and picks
// which rates the connection offers.
class SensorRate : public QFrame
{
    Q_OBJECT
public:
    struct RateCode
    {
        const char* button;
        const char* text;
        quint8 reportRate; // the record's reportRate byte
        int hideModel;     // SigHideModel after a stored write: 1 for the high rates
    };
    static constexpr int RateCount = 7;
    static const std::array<RateCode, RateCount> ReportRateCodes;

    // Visibility of the 2000, 4000 and 8000 Hz buttons per mode; the lower four always show.
    static constexpr int ModeCount = 4;
    static const std::array<std::array<bool, 3>, ModeCount> RateButtonModes;

    explicit SensorRate(QWidget* parent = nullptr);
    ~SensorRate() override;

    // Checks the button of a rate index (0 to 6) without writing; other indexes do nothing.
    void SetRateIndex(int index);
    // Shows the upper buttons a mode (0 to 3) offers; other modes do nothing.
    void ShowRateButtons(int mode);
    void SetRateTitleText(const QString& text);

private slots:
    void on_Button125HZ_clicked(bool checked);
    void on_Button250HZ_clicked(bool checked);
    void on_Button500HZ_clicked(bool checked);
    void on_Button1000HZ_clicked(bool checked);
    void on_Button2000HZ_clicked(bool checked);
    void on_Button4000HZ_clicked(bool checked);
    void on_Button8000HZ_clicked(bool checked);

private:
    void ApplySkin();
    void SendRate(int index, bool checked);
    QToolButton* RateButton(int index) const;

    const QScopedPointer<Ui::SensorRate> m_ui;
    QString ImageFolder;
    QButtonGroup* RateGroup;
};

#endif
