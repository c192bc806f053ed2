#ifndef NOTICEDIALOG_H
#define NOTICEDIALOG_H

#include "ui/lang/languagetables.h"
#include "ui/widgets/skin.h"

#include <QDialog>
#include <QSize>
#include <QString>

class QFrame;
class QLabel;
class QToolButton;

// What the one-message notices of the macro and button pages share: the warning-dialog skin,
// the message label, an optional confirm button, the close button and the language wiring.
// Each notice builds its own form and hands its widgets to SetUpNotice(). Every button
// closes with close(), so exec() returns the same code whichever way the notice ends.
class NoticeDialog : public QDialog
{
    Q_OBJECT
public:
    // Centres the notice over a caller, shifted by (dx, dy). Some callers centre it as if it had
    // another size (assumedSize); an invalid size stands for the notice's own.
    void PlaceOver(const QWidget* caller, int dx, int dy, const QSize& assumedSize = QSize());
    // Puts the notice's top-left corner on the caller's.
    void PlaceOnCorner(const QWidget* caller);

protected:
    explicit NoticeDialog(QWidget* parent);

    // Skins the form and shows the current language's texts: the message is position 0 of
    // `messages`; `confirm` is null for a notice without a confirm button.
    // A notice larger than the background picture stretches it (Border).
    void SetUpNotice(LangTable messages, QFrame* frame, QLabel* label, QToolButton* confirm,
                     QToolButton* closeButton, Skin::FrameImage frameImage = Skin::FrameImage::Background);

    // Fills the message's %1 in every language; called before SetUpNotice.
    void SetMessageArgument(const QString& argument) { m_argument = argument; }

    // Called before the notice closes: true after the confirm button, false after the close button.
    virtual void Answered(bool confirmed);

private slots:
    void ConfirmClicked();
    void CloseClicked();
    void SlotAllLanguage(int index);

private:
    LangTable m_messages = LangTable::QuestionTexts;
    QLabel* m_label = nullptr;
    QString m_argument; // null: the message has no %1
    QToolButton* m_confirm = nullptr;
    QString ImageFolder;
};

#endif
