#include "pages/sensor/sensor.h"

#include "core/configini.h"
#include "core/devicesetters.h"
#include "core/devicestate.h"
#include "core/postmsg.h"
#include "device/sensordefinitions.h"
#include "pages/sensor/sensordpi.h"
#include "pages/sensor/sensoreffect.h"
#include "pages/sensor/sensorlod.h"
#include "pages/sensor/sensorrate.h"
#include "ui/lang/langtext.h"
#include "ui/widgets/skin.h"

#include "ui_sensor.h"

#include <QEvent>
#include <QListView>
#include <QSignalBlocker>

#include <algorithm>

const std::array<quint8, 6> Sensor::PerformanceOpenCodes = {3, 6, 12, 30, 60, 90};

namespace {

constexpr int MaxLevels = 8;
constexpr int Rate1000HzIndex = 3;

bool IsHighRate(int code)
{
    return code == 0x10 || code == 0x20 || code == 0x40;
}

bool IsLowRate(int code)
{
    return code == 0x08 || code == 0x04 || code == 0x02 || code == 0x01;
}

// Connections whose receivers force "Corded" at 2000 Hz and above.
bool ForcesCordedAtHighRate(int connectionType)
{
    return connectionType == 1 || connectionType == 4 || connectionType == 5;
}

int RateIndexOf(int code)
{
    for (int i = 0; i < SensorRate::RateCount; ++i) {
        if (SensorRate::ReportRateCodes[i].reportRate == code)
            return i;
    }
    return -1;
}

// Rate buttons mode of a connection kind; -1 leaves the buttons as they are.
int RateButtonsModeFor(int connectionType)
{
    switch (connectionType) {
    case 0:
    case 2:
        return 0;
    case 1:
        return 1;
    case 4:
        return 2;
    case 3:
    case 5:
        return 3;
    default:
        return -1;
    }
}

QString TwoHexDigits(int value)
{
    return QStringLiteral("%1").arg(value, 2, 16, QLatin1Char('0'));
}

QString DeviceGroup()
{
    return CurrentDeviceSection();
}

// A key read as a decimal number; missing or not a number reads as 0.
int DecimalKey(const ConfigIni::Snapshot& config, const QString& group, const QString& key)
{
    return config.value(group, key).trimmed().toInt();
}

class LoadingScope
{
public:
    LoadingScope() : m_previous(SensorLoading.exchange(1)) {}
    ~LoadingScope() { SensorLoading.store(m_previous); }
    LoadingScope(const LoadingScope&) = delete;
    LoadingScope& operator=(const LoadingScope&) = delete;

private:
    quint8 m_previous;
};

} // namespace

Sensor::Sensor(QWidget* parent)
    : QWidget(parent)
    , m_ui(new Ui::Sensor)
{
    // Set before the form is built, so the children are styled once as they are made. The
    // list pop-ups of every frame on the page take this scroll bar.
    setStyleSheet(QStringLiteral(
        "#SenSorPage{border: 0px;}"
        "QScrollBar:vertical{background: rgb(30,30,30); width: 13px; margin: 25px 0px 25px 0px;}"
        "QScrollBar::handle:vertical{background: rgb(117,117,117); border-radius: 3px; min-height: 30px;"
        " margin: 2px 0px 2px 0px;}"
        "QScrollBar::sub-line:vertical, QScrollBar::add-line:vertical{height: 25px; background: rgb(30,30,30);"
        " subcontrol-origin: margin;}"
        "QScrollBar::add-page:vertical, QScrollBar::sub-page:vertical{background: transparent;}"
        "QScrollBar::up-arrow:vertical, QScrollBar::down-arrow:vertical{background: transparent;}"));
    m_ui->setupUi(this);
    FormReady = true;
    PictureFolder = Skin::Folder(QStringLiteral("Sensor"));
    PostMsg::Connect(SIGNAL(SigHideModel(int)), this, SLOT(SlotHideModel(int)));
    ApplySkin();
    LoadSensorDefinitions();
    PostMsg::Connect(SIGNAL(SigUpDataLightSensor(FlashDataMap)), this, SLOT(SlotUpDataSenSorUISensor(FlashDataMap)));
    PostMsg::Connect(SIGNAL(SigFormReset()), this, SLOT(SlotFormReset()));
    PostMsg::Connect(SIGNAL(SigUpDataReportRate(int)), this, SLOT(SlotUpDataReportRate(int)));
    PostMsg::Connect(SIGNAL(SigUpDataDPI(int)), this, SLOT(SlotUpDataDPI(int)));
    PostMsg::Connect(SIGNAL(SigUpDataDPILed(FlashDataMap)), this, SLOT(SlotUpDataDPILed(FlashDataMap)));
    PostMsg::Connect(SIGNAL(SigUpDataSensorUIB(FlashDataMap)), this, SLOT(SlotUpDataSenSorUIB(FlashDataMap)));
    PostMsg::Connect(SIGNAL(SigAllLanguage(int)), this, SLOT(SlotAllLanguage(int)));
    SlotAllLanguage(CurrentLanguage);
}

Sensor::~Sensor() = default;

void Sensor::ApplySkin()
{
    ModelChooseView =
        Skin::ApplyComboSkin(m_ui->ModelChoose, PictureFolder, true, Skin::DisabledComboTextRule());
    Skin::ApplyComboSkin(m_ui->PerformanceOpen, PictureFolder, true, Skin::DisabledComboTextRule());
    const QString labelColor = Skin::OptionColor(QStringLiteral("LabelColor"));
    m_ui->label_5->setStyleSheet(Skin::LabelStyle(labelColor));
    m_ui->label_11->setStyleSheet(Skin::LabelStyle(labelColor));
    m_ui->Performance->setStyleSheet(
        Skin::CheckBoxStyle(PictureFolder, labelColor, QStringLiteral("CheckBoxChecked.png")));
    const QString mark = QStringLiteral("QToolButton{border-image: url(") + PictureFolder
        + QStringLiteral("Title.png);}");
    for (QWidget* w : {m_ui->TitleButton, m_ui->TitleButton_2, m_ui->TitleButton_3, m_ui->TitleButton_4})
        w->setStyleSheet(mark);

}

void Sensor::SlotUpDataSenSorUISensor(FlashDataMap DataMap)
{
    // The update dialog waits for this flag after a full read.
    SensorLoaded.store(0);
    LoadRecord(DataMap);
    SensorLoaded.store(1);
}

void Sensor::SlotUpDataSenSorUIB(FlashDataMap DataMap)
{
    LoadRecord(DataMap);
}

void Sensor::LoadRecord(const FlashDataMap& record)
{
    SensorDPI* const dpi = m_ui->frameDpi;
    dpi->ClearLevelCountItems();
    dpi->BlockSliderSignals(true);
    dpi->SetSliderEnabled(true);
    m_ui->frameEffect->SetEffectSlidersEnabled(true);
    LoadingScope loading;

    const DeviceAllInfo device = CurrentDevice.get();
    const QString group = DeviceGroup();
    const ConfigIni::Snapshot config = ConfigIni::instance()->snapshot();

    // A current level the editor cannot show is shown as level 0 (and nothing is written).
    const int current = record.currentDpiLevel < MaxLevels ? record.currentDpiLevel : 0;
    dpi->SetCurrentLevel(current);

    const int rateIndex = RateIndexOf(record.reportRate);
    if (device.Wired && (record.reportRate == 0x10 || record.reportRate == 0x20))
        m_ui->frameRate->SetRateIndex(Rate1000HzIndex);
    else
        m_ui->frameRate->SetRateIndex(rateIndex);

    SensorModel = config.value(group, QStringLiteral("Sensor"));
    if (SensorModel == QLatin1String("3950"))
        m_ui->frameLOD->AddLodItem();
    else
        m_ui->frameLOD->RemoveLodItem();

    if (SensorSwitchOn(SensorSwitch::SensorModeSel)) {
        m_ui->ModelChoose->setEnabled(true);
        if (device.Wired || (ForcesCordedAtHighRate(device.ConnectionType) && IsHighRate(record.reportRate))) {
            m_ui->ModelChoose->setCurrentIndex(CordedMode);
            m_ui->ModelChoose->setEnabled(false);
        } else {
            if (record.modelChoose <= CordedMode)
                m_ui->ModelChoose->setCurrentIndex(record.modelChoose);
            ModelChooseView->setRowHidden(CordedMode, true);
        }
    } else {
        m_ui->ModelChoose->setEnabled(false);
    }

    m_ui->frameLOD->SetLodIndex(int(record.lod) - 1);

    m_ui->Performance->setChecked(record.performance != 0);
    m_ui->PerformanceOpen->setEnabled(record.performance != 0);
    const auto open = std::find(PerformanceOpenCodes.begin(), PerformanceOpenCodes.end(), record.performanceOpen);
    if (open != PerformanceOpenCodes.end())
        m_ui->PerformanceOpen->setCurrentIndex(int(open - PerformanceOpenCodes.begin()));

    ShowDpiLight(record);

    // The record holds eight levels whatever the file says.
    const int levels = std::clamp(DecimalKey(config, group, QStringLiteral("DPIMaxGrade")), 0, MaxLevels);
    dpi->BlockLevelCountSignals(true);
    for (int i = 0; i < levels; ++i) {
        const DpiLevel& level = record.dpiLevels[i];
        dpi->SetLevelColor(i, QLatin1Char('#') + TwoHexDigits(level.red) + TwoHexDigits(level.green)
                                  + TwoHexDigits(level.blue));
        dpi->SetLevelCountItem(i, QString::number(i + 1));
    }
    dpi->BlockLevelCountSignals(false);
    dpi->StyleLevelButtons(current);

    ShowLayout(DecimalKey(config, group, QStringLiteral("XIn1")));

    ParseDpiRanges(config.valueList(group, QStringLiteral("DPIRange")));
    dpi->SetSliderMaximum(DpiRanges.highest);
    dpi->SetSliderMinimum(DpiRanges.lowest);

    for (int i = 0; i < levels; ++i) {
        const DpiLevel& level = record.dpiLevels[i];
        const int value = ReadDpiLevel(level.code[0], level.code[2]);
        dpi->SetLevelText(i, QString::number(value));
        if (i == current) {
            dpi->SetSliderValue(value);
            dpi->SetSpinValue(value);
        }
    }

    const int count = std::clamp(int(record.dpiLevelCount), 1, std::max(levels, 1));
    dpi->ShowLevels(count - 1);
    dpi->SetLevelCountIndex(count - 1);
    dpi->MoveMarkerToLevel(current + 1);
    dpi->SelectLevel(current);

    m_ui->frameRate->ShowRateButtons(RateButtonsModeFor(device.ConnectionType));
    m_ui->frameLOD->SetLodEnabled(SensorSwitchOn(SensorSwitch::LodCal));

    dpi->BlockSliderSignals(false);
}

void Sensor::ShowDpiLight(const FlashDataMap& record)
{
    SensorEffect* const effect = m_ui->frameEffect;
    if (record.dpiEffectOn == 0)
        effect->SetEffectMode(0);
    else if (record.dpiEffectMode == 1 || record.dpiEffectMode == 2)
        effect->SetEffectMode(record.dpiEffectMode);
    effect->SetEffectSpeed(record.dpiEffectSpeed);
    effect->SetEffectBrightnessStep(SensorEffect::BrightnessStepOf(record.dpiEffectBrightness));
}

void Sensor::ShowLayout(int xIn1)
{
    // Layout 2 has no sensor section: the DPI light moves up into its place.
    const bool sensorSection = xIn1 != 2;
    for (QWidget* w : {static_cast<QWidget*>(m_ui->TitleButton_4), static_cast<QWidget*>(m_ui->label_5),
                       static_cast<QWidget*>(m_ui->label_11), static_cast<QWidget*>(m_ui->ModelChoose),
                       static_cast<QWidget*>(m_ui->frameLOD), static_cast<QWidget*>(m_ui->Performance),
                       static_cast<QWidget*>(m_ui->PerformanceOpen)})
        w->setVisible(sensorSection);
    m_ui->frameEffect->move(80, sensorSection ? 456 : 316);
    m_ui->TitleButton_3->move(40, sensorSection ? 463 : 323);
}

void Sensor::SlotFormReset()
{
    LoadingScope loading;
    SensorDPI* const dpi = m_ui->frameDpi;
    dpi->SetSliderMaximum(DpiRangeSet::ResetHighest);
    dpi->SetSliderMinimum(DpiRangeSet::ResetLowest);
    dpi->LoadDpiDefaults();
    dpi->ClearLevelCountItems();
    for (int i = 0; i < 5; ++i)
        dpi->SetLevelCountItem(i, QString::number(i + 1));
    dpi->ShowLevels(4);
    dpi->SetLevelCountIndex(4);
    dpi->MoveMarkerToLevel(2);
    dpi->SelectLevel(1);
    m_ui->frameLOD->SetLodIndex(0);
    m_ui->Performance->setEnabled(true);
    m_ui->Performance->setChecked(true);
    dpi->SetSliderValue(1000);
    dpi->SetSpinValue(1000);

    const DeviceAllInfo device = CurrentDevice.get();
    const int mode = RateButtonsModeFor(device.ConnectionType);
    if (mode >= 0) {
        m_ui->frameRate->ShowRateButtons(mode);
        m_ui->frameRate->SetRateIndex(0);
        const QSignalBlocker block(m_ui->ModelChoose);
        m_ui->ModelChoose->setCurrentIndex(mode == 0 ? 0 : CordedMode);
    }
    if (device.Wired) {
        const QSignalBlocker block(m_ui->ModelChoose);
        m_ui->ModelChoose->setCurrentIndex(CordedMode);
    }
    {
        const QSignalBlocker block(m_ui->PerformanceOpen);
        m_ui->PerformanceOpen->setCurrentIndex(1);
    }
    m_ui->frameLOD->SetLodIndex(0);
    m_ui->frameEffect->SetEffectMode(2);
    m_ui->frameEffect->SetEffectSpeed(3);
    m_ui->frameEffect->SetEffectBrightnessStep(5);
    m_ui->Performance->setChecked(false);
    m_ui->PerformanceOpen->setEnabled(false);
}

void Sensor::ForceCordedMode()
{
    ModelChooseView->setRowHidden(CordedMode, false);
    const QSignalBlocker block(m_ui->ModelChoose);
    m_ui->ModelChoose->setCurrentIndex(CordedMode);
    m_ui->ModelChoose->setEnabled(false);
}

void Sensor::RestoreSensorMode()
{
    m_ui->ModelChoose->setEnabled(true);
    const int stored = DeviceConfig.get().modelChoose;
    if (stored <= CordedMode) {
        const QSignalBlocker block(m_ui->ModelChoose);
        m_ui->ModelChoose->setCurrentIndex(stored);
    }
    ModelChooseView->setRowHidden(CordedMode, true);
}

void Sensor::SlotHideModel(int index)
{
    if (!SensorSwitchOn(SensorSwitch::SensorModeSel))
        return;
    const DeviceAllInfo device = CurrentDevice.get();
    if (index == 1 && ForcesCordedAtHighRate(device.ConnectionType))
        ForceCordedMode();
    else if (index == 0 && !device.Wired)
        RestoreSensorMode();
}

void Sensor::SlotUpDataReportRate(int index)
{
    const int rateIndex = RateIndexOf(index);
    if (rateIndex < 0)
        return;
    m_ui->frameRate->SetRateIndex(rateIndex);
    if (!SensorSwitchOn(SensorSwitch::SensorModeSel) || CurrentDevice.get().Wired)
        return;
    if (IsHighRate(index))
        ForceCordedMode();
    else if (IsLowRate(index))
        RestoreSensorMode();
}

void Sensor::SlotUpDataDPI(int index)
{
    // The device moved its own level: show it without sending it back.
    const quint8 previous = UiSendsChanges.exchange(0);
    m_ui->frameDpi->MoveMarkerToLevel(index + 1);
    if (index >= 0 && index < MaxLevels) {
        m_ui->frameDpi->SelectLevel(index);
        m_ui->frameDpi->SetCurrentLevel(index);
    }
    UiSendsChanges.store(previous);
}

void Sensor::SlotUpDataDPILed(FlashDataMap DataMap)
{
    // The device's own report is shown, not written back in the frame's bounds.
    LoadingScope loading;
    ShowDpiLight(DataMap);
}

void Sensor::SlotAllLanguage(int index)
{
    const auto text = [index](int position) { return LangText(LangTable::SensorTexts, index, position); };
    m_ui->frameDpi->SetTitleText(text(0));
    m_ui->frameRate->SetRateTitleText(text(1));
    m_ui->label_5->setText(text(2));
    m_ui->label_11->setText(text(3));
    m_ui->label_11->setToolTip(text(21));
    m_ui->frameLOD->SetLodLabelText(text(4));
    m_ui->frameLOD->SetLodToolTip(text(22));
    m_ui->Performance->setText(text(5));
    m_ui->Performance->setToolTip(text(23));
    for (int i = 0; i < int(PerformanceOpenCodes.size()); ++i)
        m_ui->PerformanceOpen->setItemText(i, text(9 + i));
    for (int i = 0; i < 3; ++i)
        m_ui->frameEffect->SetEffectItemText(i, text(16 + i));
    m_ui->frameEffect->SetEffectTitleText(text(15));
    m_ui->frameEffect->SetSpeedLabelText(text(19));
    m_ui->frameEffect->SetBrightnessLabelText(text(20));
}

void Sensor::changeEvent(QEvent* event)
{
    if (FormReady)
        m_ui->PerformanceOpen->setEnabled(m_ui->Performance->isChecked());
    QWidget::changeEvent(event);
}

void Sensor::on_ModelChoose_currentIndexChanged(int index)
{
    if (UiSendsChanges.load() && !SensorLoading.load() && index >= 0 && index != CordedMode)
        SetModelChoose(index);
}

void Sensor::on_Performance_clicked(bool checked)
{
    if (UiSendsChanges.load())
        SetPerformance(checked ? 1 : 0);
}

void Sensor::on_Performance_toggled(bool checked)
{
    m_ui->PerformanceOpen->setEnabled(checked);
}

void Sensor::on_PerformanceOpen_currentIndexChanged(int index)
{
    if (!UiSendsChanges.load() || SensorLoading.load())
        return;
    if (index >= 0 && index < int(PerformanceOpenCodes.size()))
        SetPerformanceOpen(PerformanceOpenCodes[size_t(index)]);
}
