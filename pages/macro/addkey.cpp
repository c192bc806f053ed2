#include "pages/macro/addkey.h"

#include "device/keyusagetable.h"
#include "ui/lang/langtext.h"
#include "ui/widgets/inputdialogframe.h"

#include "ui_addkey.h"

#include <QKeyEvent>

addKey::addKey(QWidget* parent)
    : QDialog(parent)
    , m_ui(new Ui::addKey)
{
    m_ui->setupUi(this);
    ImageFolder = InputDialogFrame::ImageFolder();
    InputDialogFrame::AttachHook(this, Hook, [this](int keyCode, bool downOrUp, bool aotu) {
        UpdateCapslockTip(keyCode, downOrUp, aotu);
    });
    InputDialogFrame::SetUp(
        this, {m_ui->addKeyA, m_ui->label, m_ui->CloseButton, m_ui->lineEdit, m_ui->NewHong, m_ui->NewHong_2},
        ImageFolder);
    SlotAllLanguage(CurrentLanguage);
}

addKey::~addKey()
{
    Hook.Uninstall();
}

void addKey::on_CloseButton_clicked()
{
    Confirmed = false;
    Hook.Uninstall();
    reject();
}

void addKey::on_NewHong_clicked()
{
    Confirmed = true;
    Hook.Uninstall();
    accept();
}

void addKey::on_NewHong_2_clicked()
{
    on_CloseButton_clicked();
}

void addKey::UpdateCapslockTip(int keyCode, bool downOrUp, bool aotu)
{
    Q_UNUSED(downOrUp)
    Q_UNUSED(aotu)
    // Presses, repeats and releases alike: normally the answer is the release of the key just
    // pressed. A key without a name here (right Alt among them) wipes the answer.
    KeyName = KeyNameFromVirtualKey(keyCode, VirtualKeySet::KeyCapture);
    m_ui->lineEdit->setText(KeyName);
}

void addKey::SlotAllLanguage(int index)
{
    InputDialogFrame::SetTexts(m_ui->label, LangTable::AddKeyTexts, m_ui->NewHong, m_ui->NewHong_2, index);
}

void addKey::keyPressEvent(QKeyEvent* e)
{
    // Escape and F12 are keys to capture, not commands.
    if (e->key() == Qt::Key_Escape || e->key() == Qt::Key_F12)
        return;
    QDialog::keyPressEvent(e);
}
