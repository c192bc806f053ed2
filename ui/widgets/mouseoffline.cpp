#include "ui/widgets/mouseoffline.h"

#include "core/postmsg.h"
#include "ui/lang/langtext.h"
#include "ui/widgets/skin.h"

#include "ui_mouseoffline.h"

std::atomic<int> OfflineNoticeMode{0};

MouseOffLine::MouseOffLine(QWidget* parent)
    : QDialog(parent)
    , m_ui(new Ui::MouseOffLine)
{
    m_ui->setupUi(this);
    PostMsg::Connect(SIGNAL(SigCloseOffOnline()), this, SLOT(on_CloseButton_clicked()));
    ImageFolder = Skin::WarningDialogFolder();
    // This notice's confirm images are spelt "ConFirm"; its frame text ends with "); }".
    Skin::ApplyNoticeSkin(this, ImageFolder, m_ui->MouseOffLineA, m_ui->label, m_ui->CloseButton,
                          Skin::FrameImage::BackgroundSpaced);
    Skin::ApplyConfirmButton(m_ui->NewHong, ImageFolder, QStringLiteral("ConFirm.png"),
                             QStringLiteral("ConFirmClick.png"));
    PostMsg::Connect(SIGNAL(SigAllLanguage(int)), this, SLOT(SlotAllLanguage(int)));
    SlotAllLanguage(CurrentLanguage);
}

MouseOffLine::~MouseOffLine() = default;

void MouseOffLine::on_NewHong_clicked()
{
    close();
}

void MouseOffLine::on_CloseButton_clicked()
{
    close();
}

void MouseOffLine::SlotAllLanguage(int index)
{
    const int mode = OfflineNoticeMode;
    if (mode == 0 || mode == 1)
        m_ui->label->setText(LangText(LangTable::MouseOffLineTexts, index, mode));
    // The confirm text belongs on the button whatever the message.
    m_ui->NewHong->setText(LangText(LangTable::QuestionTexts, index, 2));
}
