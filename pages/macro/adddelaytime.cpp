#include "pages/macro/adddelaytime.h"

#include "ui/lang/langtext.h"
#include "ui/widgets/inputdialogframe.h"

#include "ui_adddelaytime.h"

AddDelayTime::AddDelayTime(QWidget* parent)
    : QDialog(parent)
    , m_ui(new Ui::AddDelayTime)
{
    m_ui->setupUi(this);
    ImageFolder = InputDialogFrame::ImageFolder();
    InputDialogFrame::SetUp(this,
                            {m_ui->AddDelayTimeA, m_ui->label, m_ui->CloseButton, m_ui->spinBox, m_ui->NewHong,
                             m_ui->NewHong_2},
                            ImageFolder);
    SlotAllLanguage(CurrentLanguage);
}

AddDelayTime::~AddDelayTime() = default;

void AddDelayTime::on_CloseButton_clicked()
{
    Confirmed = false;
    close();
}

void AddDelayTime::on_NewHong_clicked()
{
    // The box's value is its last valid one; a half-typed text is not taken.
    Confirmed = true;
    DelayValue = m_ui->spinBox->value();
    close();
}

void AddDelayTime::on_NewHong_2_clicked()
{
    on_CloseButton_clicked();
}

void AddDelayTime::SlotAllLanguage(int index)
{
    InputDialogFrame::SetTexts(m_ui->label, LangTable::AddDelayTimeTexts, m_ui->NewHong, m_ui->NewHong_2, index);
}
