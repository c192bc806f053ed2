#include "pages/sensor/sensorrate.h"

#include "core/devicesetters.h"
#include "core/devicestate.h"
#include "core/postmsg.h"
#include "ui/widgets/skin.h"

#include "ui_sensorrate.h"

#include <QButtonGroup>
#include <QToolButton>

const std::array<SensorRate::RateCode, SensorRate::RateCount> SensorRate::ReportRateCodes = {{
    {"Button125HZ", "125Hz", 0x08, 0},
    {"Button250HZ", "250Hz", 0x04, 0},
    {"Button500HZ", "500Hz", 0x02, 0},
    {"Button1000HZ", "1000Hz", 0x01, 0},
    {"Button2000HZ", "2000Hz", 0x10, 1},
    {"Button4000HZ", "4000Hz", 0x20, 1},
    {"Button8000HZ", "8000Hz", 0x40, 1},
}};

const std::array<std::array<bool, 3>, SensorRate::ModeCount> SensorRate::RateButtonModes = {{
    {false, false, false}, // up to 1000 Hz
    {true, true, false},   // up to 4000 Hz
    {true, false, false},  // up to 2000 Hz
    {true, true, true},    // up to 8000 Hz
}};

SensorRate::SensorRate(QWidget* parent)
    : QFrame(parent)
    , m_ui(new Ui::SensorRate)
{
    // Before the form: its children are then styled once, as they are made.
    Skin::DropFrameBorder(this);
    m_ui->setupUi(this);
    ImageFolder = Skin::Folder(QStringLiteral("Sensor"));
    RateGroup = new QButtonGroup(this);
    RateGroup->setExclusive(true);
    for (int i = 0; i < RateCount; ++i)
        RateGroup->addButton(RateButton(i), i);
    ApplySkin();
}

SensorRate::~SensorRate() = default;

QToolButton* SensorRate::RateButton(int index) const
{
    QToolButton* const buttons[RateCount] = {m_ui->Button125HZ,  m_ui->Button250HZ,  m_ui->Button500HZ,
                                             m_ui->Button1000HZ, m_ui->Button2000HZ, m_ui->Button4000HZ,
                                             m_ui->Button8000HZ};
    return buttons[index];
}

void SensorRate::ApplySkin()
{
    m_ui->label->setStyleSheet(Skin::LabelStyle(Skin::OptionColor(QStringLiteral("LabelColor"))));
    const QString rgb = Skin::OptionColor(QStringLiteral("ButtonColor"));
    const QString color = Skin::ColorDeclaration(rgb);
    const QString style = QStringLiteral("QToolButton{border:0px;padding-left:0px;") + color
        + QStringLiteral("background-image: url(") + ImageFolder + QStringLiteral("ReportRate.png")
        + QStringLiteral(");background-position:center;background-repeat:no-repeat;}"
                         "QToolButton:checked{background-image: url(")
        + ImageFolder + QStringLiteral("ReportRateClick.png") + QStringLiteral(");}");
    for (int i = 0; i < RateCount; ++i)
        RateButton(i)->setStyleSheet(style);
}

void SensorRate::SetRateIndex(int index)
{
    if (index < 0 || index >= RateCount)
        return;
    RateButton(index)->setChecked(true);
}

void SensorRate::ShowRateButtons(int mode)
{
    if (mode < 0 || mode >= ModeCount)
        return;
    for (int i = 0; i < 3; ++i)
        RateButton(4 + i)->setVisible(RateButtonModes[mode][i]);
}

void SensorRate::SetRateTitleText(const QString& text)
{
    m_ui->label->setText(text);
}

void SensorRate::SendRate(int index, bool checked)
{
    // Only the user's own choice is sent: the page selects rates with UiSendsChanges clear.
    if (!checked || !UiSendsChanges.load())
        return;
    const RateCode& rate = ReportRateCodes[index];
    if (SetReportRate(rate.reportRate))
        PostMsg::instance()->EmitHideModel(rate.hideModel);
}

void SensorRate::on_Button125HZ_clicked(bool checked)
{
    SendRate(0, checked);
}

void SensorRate::on_Button250HZ_clicked(bool checked)
{
    SendRate(1, checked);
}

void SensorRate::on_Button500HZ_clicked(bool checked)
{
    SendRate(2, checked);
}

void SensorRate::on_Button1000HZ_clicked(bool checked)
{
    SendRate(3, checked);
}

void SensorRate::on_Button2000HZ_clicked(bool checked)
{
    SendRate(4, checked);
}

void SensorRate::on_Button4000HZ_clicked(bool checked)
{
    SendRate(5, checked);
}

void SensorRate::on_Button8000HZ_clicked(bool checked)
{
    SendRate(6, checked);
}
