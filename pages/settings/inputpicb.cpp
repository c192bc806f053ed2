#include "pages/settings/inputpicb.h"

#include "core/postmsg.h"
#include "pages/settings/screeninfoskin.h"
#include "ui/lang/langtext.h"

#include "ui_inputpicb.h"

#include <QButtonGroup>

InputPicB::InputPicB(QWidget* parent)
    : QDialog(parent)
    , m_ui(new Ui::InputPicB)
{
    m_ui->setupUi(this);
    SlotGroup = new QButtonGroup(this);
    SlotGroup->setExclusive(true);
    for (QToolButton* b : {m_ui->toolButtonA, m_ui->toolButtonB, m_ui->toolButtonC, m_ui->toolButtonD})
        SlotGroup->addButton(b);
    PictureFolder = ScreenInfoSkin::Folder();
    ScreenInfoSkin::Apply(this, PictureFolder);
}

InputPicB::~InputPicB() = default;

void InputPicB::ApplyCurrentLanguage()
{
    SlotAllLanguage(CurrentLanguage);
}

void InputPicB::SlotAllLanguage(int index)
{
    m_ui->label->setText(LangText(LangTable::ScreenInfoTexts, index, 0));
    m_ui->label_2->setText(LangText(LangTable::ScreenInfoTexts, index, 1));
    m_ui->label_3->setText(LangText(LangTable::ScreenInfoTexts, index, 2));
    m_ui->Input->setText(LangText(LangTable::ScreenInfoTexts, index, 3));
    m_ui->Output->setText(LangText(LangTable::ScreenInfoTexts, index, 4));
}

void InputPicB::on_CloseButton_clicked()
{
    PostMsg::instance()->EmitButtonCheck();
    close();
}
