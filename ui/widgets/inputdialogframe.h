#ifndef INPUTDIALOGFRAME_H
#define INPUTDIALOGFRAME_H

// What the input dialogs of the macro editor and the button page share (macro name, delay,
// key, key combination): a frameless, fixed 300 by 140 form with a background frame, a
// prompt, a close cross, one entry widget and a confirm and a cancel button, skinned alike
// from the notice images, with the two buttons captioned from the Question table.
//
// A dialog builds its form, sets ImageFolder() aside, does its own set-up, calls SetUp() and
// then its own SlotAllLanguage(CurrentLanguage), which calls SetTexts(). Callers build the
// dialog without a parent on their stack and place it with Skin::MoveCenteredOver() and the
// offset their page uses, then run exec() and read the dialog's result members.

#include "ui/lang/languagetables.h"
#include "ui/widgets/keyboardhook.h"

#include <QString>

class QDialog;
class QFrame;
class QLabel;
class QToolButton;
class QWidget;

class InputDialogFrame
{
public:
    // The shared widgets of a form.
    struct Parts
    {
        QFrame* frame = nullptr;
        QLabel* label = nullptr;
        QToolButton* closeButton = nullptr;
        QWidget* entry = nullptr; // a line edit or a spin box
        QToolButton* confirm = nullptr;
        QToolButton* cancel = nullptr;
    };

    // Every input dialog takes its images from the notices' folder.
    static QString ImageFolder();

    // Window flags, the fixed size, the skin, the focus on the entry widget and the
    // connection of the hub's SigAllLanguage(int) to the dialog's SlotAllLanguage(int).
    static void SetUp(QDialog* dialog, const Parts& parts, const QString& folder);

    // The entry widget's sheet: "QLineEdit{...}" or "QSpinBox{...}" with the LinEditColor
    // colour on the dialog's own background; "" when that colour is missing.
    static QString EntryStyle(const QWidget* entry, const QString& rgb);

    // The prompt from position 0 of the dialog's own table and the two button captions.
    static void SetTexts(QLabel* prompt, LangTable promptTable, QToolButton* confirm, QToolButton* cancel,
                         int language);
    // Installs the dialog's own keyboard hook with its callback; every end of the dialog
    // (a button, a close by the window system) removes it again.
    static void AttachHook(QDialog* dialog, KeyboardHook& hook, KeyboardHookCallback callback);

    // Only the two button captions (positions 2 and 3 of QuestionTexts).
    static void SetButtonTexts(QToolButton* confirm, QToolButton* cancel, int language);
};

#endif
