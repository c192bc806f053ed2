#include "pages/buttons/groupkey.h"

#include "device/keyusagetable.h"
#include "ui/lang/langtext.h"
#include "ui/widgets/groupmaxthree.h"
#include "ui/widgets/inputdialogframe.h"
#include "ui/widgets/skin.h"

#include "ui_groupkey.h"

#include <QCheckBox>
#include <QKeyEvent>
#include <QStringList>

#include <array>
#include <utility>

GroupKey::GroupKey(QWidget* parent)
    : QDialog(parent)
    , m_ui(new Ui::GroupKey)
{
    m_ui->setupUi(this);
    ImageFolder = InputDialogFrame::ImageFolder();
    InputDialogFrame::AttachHook(this, Hook, [this](int keyCode, bool downOrUp, bool aotu) {
        UpdateCapslockTip(keyCode, downOrUp, aotu);
    });
    InputDialogFrame::SetUp(
        this, {m_ui->groupKeyA, m_ui->label, m_ui->CloseButton, m_ui->lineEdit, m_ui->NewHong, m_ui->NewHong_2},
        ImageFolder);
    const QString checkBoxSheet = Skin::CheckBoxStyle(ImageFolder, Skin::OptionColor(QStringLiteral("LabelColor")));
    for (QWidget* box : {m_ui->Shift, m_ui->Ctrl, m_ui->Alt, m_ui->Win})
        box->setStyleSheet(checkBoxSheet);
    // Keys come only through the hook: no composition may reach the field.
    m_ui->lineEdit->setAttribute(Qt::WA_InputMethodEnabled, false);
    m_ui->lineEdit->setFocus();
    SlotAllLanguage(CurrentLanguage);
}

GroupKey::~GroupKey()
{
    Hook.Uninstall();
}

void GroupKey::on_CloseButton_clicked()
{
    Confirmed = false;
    Hook.Uninstall();
    close();
}

void GroupKey::on_NewHong_2_clicked()
{
    on_CloseButton_clicked();
}

void GroupKey::on_NewHong_clicked()
{
    KeyText.clear();
    int count = 0;
    // The boxes come first, always in this order.
    const std::array<std::pair<QCheckBox*, const char*>, 4> boxes{{
        {m_ui->Shift, "Shift"},
        {m_ui->Ctrl, "Ctrl"},
        {m_ui->Alt, "Alt"},
        {m_ui->Win, "Win"},
    }};
    for (const auto& box : boxes) {
        if (!box.first->isChecked())
            continue;
        ++count;
        if (!KeyText.isEmpty())
            KeyText += QLatin1Char('+');
        KeyText += QLatin1String(box.second);
    }
    const QString field = m_ui->lineEdit->text();
    count += KeyCombinationNames(field).size();

    if (count > 3) {
        // The caught keys are dropped, the boxes kept; the dialog stays open with its hook.
        GroupMaxThree notice(nullptr);
        notice.PlaceOnCorner(this);
        notice.exec();
        PlusCount = 0;
        LastKeyCode = -1;
        m_ui->lineEdit->clear();
        return;
    }

    Hook.Uninstall();
    if (KeyText.isEmpty())
        KeyText = field;
    else if (!field.isEmpty())
        KeyText += QLatin1Char('+') + field;
    Confirmed = true;
    close();
}

void GroupKey::UpdateCapslockTip(int keyCode, bool downOrUp, bool aotu)
{
    Q_UNUSED(aotu)
    if (!downOrUp)
        return;
    // The window opens at a combination's first key and is not moved by later keys.
    const quint32 now = Hook.EventTime();
    if (FirstKey) {
        ComboTimer = now;
        FirstKey = false;
    } else if (now - ComboTimer > ComboWindowMs) {
        m_ui->lineEdit->clear();
        LastKeyCode = -1;
        ComboTimer = now;
    }
    // A held key repeating, or the same key twice in a row.
    if (keyCode == LastKeyCode)
        return;
    LastKeyCode = keyCode;

    const QString name = KeyNameFromVirtualKey(keyCode, VirtualKeySet::KeyCombination);
    const QString text = m_ui->lineEdit->text();
    const QStringList keys = KeyCombinationNames(text);
    PlusCount = qMax(int(keys.size()) - 1, 0);
    if (PlusCount >= 2) {
        // Three keys shown: this key starts a new combination (a key without a name empties it).
        PlusCount = 0;
        m_ui->lineEdit->setText(name);
        return;
    }
    if (name.isEmpty() || keys.contains(name))
        return;
    m_ui->lineEdit->setText(text.isEmpty() ? name : text + QLatin1Char('+') + name);
    // The third key: the next press starts over, the same key held down included.
    if (PlusCount == 1)
        LastKeyCode = -1;
}

void GroupKey::on_lineEdit_textEdited(const QString& text)
{
    // Only a paste edits the field; key names are upper case.
    m_ui->lineEdit->setText(text.toUpper());
}

void GroupKey::SlotAllLanguage(int index)
{
    InputDialogFrame::SetTexts(m_ui->label, LangTable::GroupKeyTexts, m_ui->NewHong, m_ui->NewHong_2, index);
}

void GroupKey::keyPressEvent(QKeyEvent* e)
{
    // Escape and F12 are keys to capture, not commands.
    if (e->key() == Qt::Key_Escape || e->key() == Qt::Key_F12)
        return;
    QDialog::keyPressEvent(e);
}
