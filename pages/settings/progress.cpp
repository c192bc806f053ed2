#include "pages/settings/progress.h"

#include "core/postmsg.h"
#include "device/firmwareimages.h"
#include "ui/lang/langtext.h"
#include "ui/widgets/buttontext.h"
#include "ui/widgets/skin.h"

#include "ui_progress.h"

#include <QKeySequence>

Progress::Progress(QWidget* parent)
    : QDialog(parent)
    , m_ui(new Ui::Progress)
{
    m_ui->setupUi(this);
    PostMsg::Connect(SIGNAL(SigCloseProgress()), this, SLOT(SlotCloseProgress()));
    SkinFolder = Skin::WarningDialogFolder();
    Skin::ApplyNoticeSkin(this, SkinFolder, m_ui->AddDelayTimeA, m_ui->label, m_ui->CloseButton);
    Skin::ApplyConfirmButton(m_ui->NewHong, SkinFolder);
    PostMsg::Connect(SIGNAL(SigAllLanguage(int)), this, SLOT(SlotAllLanguage(int)));
    SlotAllLanguage(CurrentLanguage);
    m_ui->NewHong->hide();
    ShowPercent(1);
}

Progress::~Progress() = default;

QString Progress::PercentText(int percent) const
{
    return Caption + QStringLiteral(": ") + QString::number(percent) + QLatin1Char('%');
}

void Progress::ShowPercent(int percent)
{
    m_ui->label->setText(PercentText(percent));
    ShowsFailure = false;
}

void Progress::ShowEnded(bool failed)
{
    m_ui->NewHong->setShortcut(QKeySequence(Qt::Key_Return));
    m_ui->label->setText(failed ? FailText : SuccessText);
    ShowsFailure = failed;
    if (!failed)
        m_ui->progressBar_2->setValue(100);
    m_ui->NewHong->show();
}

void Progress::SlotAllLanguage(int index)
{
    // The label keeps its text until the next progress update; Return stays the confirm key.
    SetTextKeepingShortcut(m_ui->NewHong, LangText(LangTable::DialogChangeTexts, index, 4));
    Caption = LangText(LangTable::ProgressTexts, index, 0);
    SuccessText = LangText(LangTable::ProgressTexts, index, 1);
    FailText = LangText(LangTable::ProgressTexts, index, 2);
}

void Progress::SlotCloseProgress()
{
    if (UpgradeRunning)
        return;
    close();
    ShowPercent(0);
    m_ui->progressBar_2->setValue(0);
}

void Progress::SlotProgress(int schedue, int Discrib)
{
    m_ui->progressBar_2->setValue(schedue);
    switch (Discrib) {
    case 0:
        ShowPercent(schedue);
        break;
    case 1:
        ShowEnded(true);
        break;
    case 2:
        ShowEnded(false);
        break;
    case 3:
        m_ui->NewHong->hide();
        break;
    case 4:
        m_ui->NewHong->hide();
        ShowPercent(0);
        m_ui->progressBar_2->setValue(0);
        break;
    default:
        break;
    }
}

void Progress::on_CloseButton_clicked()
{
    // Nothing leaves the dialog while the settings page flashes.
    if (UpgradeRunning)
        return;
    Leave();
}

void Progress::on_NewHong_clicked()
{
    Leave();
}

void Progress::Leave()
{
    if (ShowsFailure) {
        PostMsg::instance()->EmitChangeMainDialog(0);
        close();
        return;
    }
    // Reset for the next upgrade before the settings page carries on.
    close();
    ShowPercent(0);
    m_ui->progressBar_2->setValue(0);
    PostMsg::instance()->EmitContinue(0);
}
