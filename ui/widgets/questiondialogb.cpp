#include "ui/widgets/questiondialogb.h"

#include "core/postmsg.h"
#include "ui/lang/langtext.h"
#include "ui/widgets/skin.h"

#include "ui_questiondialogb.h"

QuestiondialogB::QuestiondialogB(QWidget* parent)
    : QDialog(parent)
    , m_ui(new Ui::QuestiondialogB)
{
    m_ui->setupUi(this);
    ImageFolder = Skin::WarningDialogFolder();
    Skin::ApplyNoticeSkin(this, ImageFolder, m_ui->QuestionB, m_ui->label, m_ui->CloseButton);
    setFixedSize(width(), height());
    // The frame is 10 px shorter than the window: the window carries the background too, so
    // no bare strip shows below it.
    setStyleSheet(Skin::FrameStyle(objectName(), ImageFolder));
    PostMsg::Connect(SIGNAL(SigAllLanguage(int)), this, SLOT(SlotAllLanguage(int)));
    SlotAllLanguage(CurrentLanguage);
}

QuestiondialogB::~QuestiondialogB() = default;

void QuestiondialogB::on_CloseButton_clicked()
{
    close();
}

void QuestiondialogB::SlotAllLanguage(int index)
{
    m_ui->label->setText(LangText(LangTable::QuestionBTexts, index, 0));
}
