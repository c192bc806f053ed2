#include "ui/widgets/noticedialog.h"

#include "core/postmsg.h"
#include "ui/lang/langtext.h"
#include "ui/widgets/skin.h"

#include <QFrame>
#include <QLabel>
#include <QToolButton>

NoticeDialog::NoticeDialog(QWidget* parent)
    : QDialog(parent)
{
}

void NoticeDialog::SetUpNotice(LangTable messages, QFrame* frame, QLabel* label, QToolButton* confirm,
                               QToolButton* closeButton, Skin::FrameImage frameImage)
{
    m_messages = messages;
    m_label = label;
    m_confirm = confirm;
    ImageFolder = Skin::WarningDialogFolder();
    Skin::ApplyNoticeSkin(this, ImageFolder, frame, label, closeButton, frameImage);
    Skin::ApplyConfirmButton(confirm, ImageFolder);
    // Connected here rather than by object name: the notice without a confirm button would
    // otherwise warn about a slot with no widget.
    if (confirm)
        connect(confirm, &QToolButton::clicked, this, &NoticeDialog::ConfirmClicked);
    if (closeButton)
        connect(closeButton, &QToolButton::clicked, this, &NoticeDialog::CloseClicked);
    PostMsg::Connect(SIGNAL(SigAllLanguage(int)), this, SLOT(SlotAllLanguage(int)));
    SlotAllLanguage(CurrentLanguage);
}

void NoticeDialog::PlaceOver(const QWidget* caller, int dx, int dy, const QSize& assumedSize)
{
    if (!caller)
        return;
    move(Skin::CenteredPosition(caller->mapToGlobal(QPoint(0, 0)), caller->size(),
                                assumedSize.isValid() ? assumedSize : size(), QPoint(dx, dy)));
}

void NoticeDialog::PlaceOnCorner(const QWidget* caller)
{
    if (caller)
        move(caller->mapToGlobal(QPoint(0, 0)));
}

void NoticeDialog::Answered(bool)
{
}

void NoticeDialog::ConfirmClicked()
{
    Answered(true);
    close();
}

void NoticeDialog::CloseClicked()
{
    Answered(false);
    close();
}

void NoticeDialog::SlotAllLanguage(int index)
{
    if (m_label) {
        const QString message = LangText(m_messages, index, 0);
        m_label->setText(m_argument.isNull() ? message : message.arg(m_argument));
    }
    if (m_confirm)
        m_confirm->setText(LangText(LangTable::QuestionTexts, index, 2));
}
