#include "pages/sensor/sensorlod.h"

#include "core/devicesetters.h"
#include "core/devicestate.h"
#include "ui/widgets/skin.h"

#include "ui_sensorlod.h"

const std::array<SensorLOD::LodCode, SensorLOD::LodItemCount> SensorLOD::LodCodes = {{
    {"0.7mm", 3},
    {"1mm", 1},
    {"2mm", 2},
}};

SensorLOD::SensorLOD(QWidget* parent)
    : QFrame(parent)
    , m_ui(new Ui::SensorLOD)
{
    // Before the form: its children are then styled once, as they are made.
    Skin::DropFrameBorder(this);
    m_ui->setupUi(this);
    ImageFolder = Skin::Folder(QStringLiteral("Sensor"));
    ApplySkin();
}

SensorLOD::~SensorLOD() = default;

void SensorLOD::ApplySkin()
{
    m_ui->label->setStyleSheet(Skin::LabelStyle(Skin::OptionColor(QStringLiteral("LabelColor"))));
    // A device without the setting keeps the list disabled; its text stays readable.
    Skin::ApplyComboSkin(m_ui->LOD, ImageFolder, true, Skin::DisabledComboTextRule());
}

void SensorLOD::AddLodItem()
{
    if (m_ui->LOD->count() != LodItemCount - 1)
        return;
    m_ui->LOD->insertItem(0, QString::fromUtf8(LodCodes[0].text));
}

void SensorLOD::RemoveLodItem()
{
    if (m_ui->LOD->count() != LodItemCount)
        return;
    m_ui->LOD->removeItem(0);
}

void SensorLOD::SetLodEnabled(bool enabled)
{
    m_ui->LOD->setEnabled(enabled);
}

void SensorLOD::SetLodIndex(int index)
{
    if (m_ui->LOD->count() == LodItemCount) {
        // lod 1 and 2 sit behind "0.7mm", whose lod is 3.
        if (index < 0 || index > 2)
            return;
        m_ui->LOD->setCurrentIndex((index + 1) % LodItemCount);
        return;
    }
    // A value the list does not hold leaves it without a current item.
    m_ui->LOD->setCurrentIndex(index);
}

void SensorLOD::SetLodLabelText(const QString& text)
{
    m_ui->label->setText(text);
}

void SensorLOD::SetLodToolTip(const QString& text)
{
    m_ui->label->setToolTip(text);
}

void SensorLOD::on_LOD_currentIndexChanged(int index)
{
    if (!UiSendsChanges.load() || SensorLoading.load())
        return;
    const int count = m_ui->LOD->count();
    // An emptied list (a record value it does not hold) has no distance to write.
    if (index < 0 || index >= count)
        return;
    const int first = LodItemCount - count;
    SetLod(LodCodes[first + index].lod);
}
