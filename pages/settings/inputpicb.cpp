#include "pages/settings/inputpicb.h"

#include "ui_inputpicb.h"

InputPicB::InputPicB(QWidget* parent)
    : ScreenPictureDialog(parent)
    , m_ui(new Ui::InputPicB)
{
    m_ui->setupUi(this);
    SetUpControls({m_ui->label, m_ui->label_2, m_ui->label_3, m_ui->Input, m_ui->Output, m_ui->CloseButton,
                   {m_ui->toolButtonA, m_ui->toolButtonB, m_ui->toolButtonC, m_ui->toolButtonD}});
}

InputPicB::~InputPicB() = default;
