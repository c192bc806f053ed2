#include "ui/widgets/inputdialogframe.h"

#include "core/postmsg.h"
#include "ui/lang/langtext.h"
#include "ui/widgets/skin.h"

#include <QDialog>
#include <QFrame>
#include <QLabel>
#include <QSpinBox>
#include <QToolButton>

#include <utility>

QString InputDialogFrame::ImageFolder()
{
    return Skin::WarningDialogFolder();
}

void InputDialogFrame::SetUp(QDialog* dialog, const Parts& parts, const QString& folder)
{
    // Frameless: the dialog ends only through its own buttons and keys.
    Skin::ApplyNoticeSkin(dialog, folder, parts.frame, parts.label, parts.closeButton);
    dialog->setFixedSize(dialog->size());
    Skin::ApplyConfirmButton(parts.confirm, folder);
    Skin::ApplyConfirmButton(parts.cancel, folder);
    if (parts.entry) {
        parts.entry->setStyleSheet(EntryStyle(parts.entry, Skin::OptionColor(QStringLiteral("LinEditColor"))));
        parts.entry->setFocus();
    }
    PostMsg::Connect(SIGNAL(SigAllLanguage(int)), dialog, SLOT(SlotAllLanguage(int)));
}

QString InputDialogFrame::EntryStyle(const QWidget* entry, const QString& rgb)
{
    if (rgb.isEmpty())
        return QString();
    const QString widgetClass =
        qobject_cast<const QSpinBox*>(entry) ? QStringLiteral("QSpinBox") : QStringLiteral("QLineEdit");
    // The light entry colour needs the dark panel behind it, as in the rapid-fire dialog;
    // without the colour the widget keeps the toolkit's look, legible either way.
    return widgetClass + QLatin1Char('{') + Skin::ColorDeclaration(rgb)
        + QStringLiteral("background:transparent;border:1px solid gray;}");
}

void InputDialogFrame::SetTexts(QLabel* prompt, LangTable promptTable, QToolButton* confirm, QToolButton* cancel,
                                int language)
{
    prompt->setText(LangText(promptTable, language, 0));
    SetButtonTexts(confirm, cancel, language);
}

void InputDialogFrame::SetButtonTexts(QToolButton* confirm, QToolButton* cancel, int language)
{
    confirm->setText(LangText(LangTable::QuestionTexts, language, 2));
    cancel->setText(LangText(LangTable::QuestionTexts, language, 3));
}

void InputDialogFrame::AttachHook(QDialog* dialog, KeyboardHook& hook, KeyboardHookCallback callback)
{
    hook.Install();
    hook.SetCallback(std::move(callback));
    QObject::connect(dialog, &QDialog::finished, dialog, [&hook] { hook.Uninstall(); });
}
