#include "ui/widgets/lessthree.h"

#include "core/postmsg.h"
#include "ui/lang/langtext.h"
#include "ui/widgets/skin.h"

#include "ui_lessthree.h"

LessThree::LessThree(QWidget* parent)
    : QDialog(parent)
    , m_ui(new Ui::LessThree)
{
    m_ui->setupUi(this);
    ImageFolder = Skin::WarningDialogFolder();
    Skin::ApplyNoticeSkin(this, ImageFolder, m_ui->LessThreeframe, m_ui->label, m_ui->CloseButton);
    Skin::ApplyConfirmButton(m_ui->NewHong, ImageFolder);
    PostMsg::Connect(SIGNAL(SigAllLanguage(int)), this, SLOT(SlotAllLanguage(int)));
    SlotAllLanguage(CurrentLanguage);
}

LessThree::~LessThree() = default;

void LessThree::SlotAllLanguage(int index)
{
    m_ui->label->setText(LangText(LangTable::LessThreeTexts, index, 0));
    m_ui->NewHong->setText(LangText(LangTable::QuestionTexts, index, 2));
}

void LessThree::on_NewHong_clicked()
{
    close();
}

void LessThree::on_CloseButton_clicked()
{
    close();
}
