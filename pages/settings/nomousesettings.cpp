#include "pages/settings/nomousesettings.h"

#include "ui_nomousesettings.h"

NoMouseSettings::NoMouseSettings(const QStringList& lookedFor, QWidget* parent)
    : NoticeDialog(parent)
    , m_ui(new Ui::NoMouseSettings)
{
    m_ui->setupUi(this);
    SetMessageArgument(lookedFor.join(QStringLiteral(", ")));
    SetUpNotice(LangTable::NoMouseSettingsTexts, m_ui->NoMouseSettingsA, m_ui->label, m_ui->NewHong,
                m_ui->CloseButton, Skin::FrameImage::Border);
}

NoMouseSettings::~NoMouseSettings() = default;
