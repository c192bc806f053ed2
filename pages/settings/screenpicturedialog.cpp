#include "pages/settings/screenpicturedialog.h"

#include "core/postmsg.h"
#include "pages/settings/screeninfoskin.h"
#include "ui/lang/langtext.h"

#include <QButtonGroup>
#include <QLabel>
#include <QToolButton>

ScreenPictureDialog::ScreenPictureDialog(QWidget* parent)
    : QDialog(parent)
{
}

void ScreenPictureDialog::SetUpControls(const Controls& controls)
{
    m_controls = controls;
    auto* slotGroup = new QButtonGroup(this);
    slotGroup->setExclusive(true);
    for (QToolButton* b : controls.pictures)
        slotGroup->addButton(b);
    ScreenInfoSkin::Apply(this, ScreenInfoSkin::Folder());
    connect(controls.close, &QToolButton::clicked, this, &ScreenPictureDialog::CloseWithButtonCheck);
}

void ScreenPictureDialog::SlotAllLanguage(int index)
{
    m_controls.screenSwitch->setText(LangText(LangTable::ScreenInfoTexts, index, 0));
    m_controls.preview->setText(LangText(LangTable::ScreenInfoTexts, index, 1));
    m_controls.brightness->setText(LangText(LangTable::ScreenInfoTexts, index, 2));
    m_controls.input->setText(LangText(LangTable::ScreenInfoTexts, index, 3));
    m_controls.output->setText(LangText(LangTable::ScreenInfoTexts, index, 4));
}

void ScreenPictureDialog::CloseWithButtonCheck()
{
    PostMsg::instance()->EmitButtonCheck();
    close();
}
