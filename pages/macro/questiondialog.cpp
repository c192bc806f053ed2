#include "pages/macro/questiondialog.h"

#include "device/macronames.h"
#include "ui/lang/langtext.h"
#include "ui/widgets/inputdialogframe.h"

#include "ui_questiondialog.h"

#include <QInputMethodEvent>
#include <QKeyEvent>

namespace {

// Single characters an input method may not commit into a name.
bool isRefusedCommit(const QString& text)
{
    static const QString refused = QStringLiteral("\u3010\u3011-=\u3001\uFF1B\u2019\uFF0C\u3002/*\u00B7\u2018");
    return text.size() == 1 && refused.contains(text.at(0));
}

// Single characters a key press may not type into a name.
bool isRefusedKeyText(const QString& text)
{
    static const QString refused = QStringLiteral("-=[];',./`\u3010\\\uFF1B\u2019\uFF0C\u3002*+");
    return text.size() == 1 && refused.contains(text.at(0));
}

} // namespace

QuestionDialog::QuestionDialog(QWidget* parent)
    : QDialog(parent)
    , m_ui(new Ui::QuestionDialog)
{
    m_ui->setupUi(this);
    ImageFolder = InputDialogFrame::ImageFolder();
    InputDialogFrame::SetUp(
        this, {m_ui->Question, m_ui->label, m_ui->CloseButton, m_ui->lineEdit, m_ui->NewHong, m_ui->NewHong_2},
        ImageFolder);
    connect(m_ui->NewHong_2, SIGNAL(clicked()), this, SLOT(WindowClosedLan()));
    m_ui->lineEdit->installEventFilter(this);
    SlotAllLanguage(CurrentLanguage);
}

QuestionDialog::~QuestionDialog() = default;

void QuestionDialog::SetPrompt(bool rename)
{
    m_ui->label->setText(rename ? RenamePrompt : NewPrompt);
}

void QuestionDialog::WindowClosedLan()
{
    NameText.clear();
    close();
}

void QuestionDialog::on_CloseButton_clicked()
{
    NameText.clear();
    close();
}

void QuestionDialog::on_NewHong_clicked()
{
    NameText = m_ui->lineEdit->text();
    close();
}

void QuestionDialog::SlotAllLanguage(int index)
{
    // The label keeps the prompt SetPrompt chose; only the stored prompts follow.
    NewPrompt = LangText(LangTable::QuestionTexts, index, 0);
    RenamePrompt = LangText(LangTable::QuestionTexts, index, 1);
    InputDialogFrame::SetButtonTexts(m_ui->NewHong, m_ui->NewHong_2, index);
}

void QuestionDialog::on_lineEdit_textEdited(const QString& text)
{
    QString name = text;
    // A blank typed at the end is never kept, nor any other; blanks inside stay until then.
    if (name.endsWith(QLatin1Char(' ')))
        name.remove(QLatin1Char(' '));
    if (MacroNameToLocal8Bit(name).size() > MacroNameBytes)
        name = CutMacroName(name, MacroNameBytes);
    m_ui->lineEdit->setText(name);
}

bool QuestionDialog::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_ui->lineEdit) {
        if (event->type() == QEvent::InputMethod
            && isRefusedCommit(static_cast<QInputMethodEvent*>(event)->commitString()))
            return true;
        if (event->type() == QEvent::KeyPress && isRefusedKeyText(static_cast<QKeyEvent*>(event)->text()))
            return true;
    }
    return QDialog::eventFilter(watched, event);
}

void QuestionDialog::keyPressEvent(QKeyEvent* e)
{
    // Nothing is typed while Shift is down: no capitals, no shifted symbols. The dialog holds
    // the focus meanwhile, so Shift+Space cannot press a button that would take it instead.
    if (e->key() == Qt::Key_Shift) {
        setFocus();
        m_ui->lineEdit->setEnabled(false);
    }
    // Past QDialog's handling: Escape does not cancel, Return does not confirm.
    QWidget::keyPressEvent(e);
}

void QuestionDialog::keyReleaseEvent(QKeyEvent* e)
{
    if (e->key() == Qt::Key_Shift) {
        m_ui->lineEdit->setEnabled(true);
        m_ui->lineEdit->setFocus();
    }
    QWidget::keyReleaseEvent(e);
}
