#ifndef QUESTIONDIALOG_H
#define QUESTIONDIALOG_H

#include <QDialog>
#include <QScopedPointer>
#include <QString>

namespace Ui {
class QuestionDialog;
}

// Asks for a macro name, for a new macro or a rename. The name becomes a file name and, in
// the local 8-bit encoding, the 30-byte name field of a macro button, so the field keeps it
// within 30 bytes and refuses the punctuation that the macro files and key names use, and
// every character typed with Shift held down.
class QuestionDialog : public QDialog
{
    Q_OBJECT
public:
    explicit QuestionDialog(QWidget* parent = nullptr);
    ~QuestionDialog() override;

    // The prompt: renaming (true) or a new macro (false). Call once before exec().
    void SetPrompt(bool rename);

    // The confirmed name; empty after a cancel or an empty confirm.
    QString NameText;

public slots:
    void WindowClosedLan();

private slots:
    void on_CloseButton_clicked();
    void on_NewHong_clicked();
    void SlotAllLanguage(int index);
    void on_lineEdit_textEdited(const QString& text);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void keyPressEvent(QKeyEvent* e) override;
    void keyReleaseEvent(QKeyEvent* e) override;

private:
    const QScopedPointer<Ui::QuestionDialog> m_ui;
    QString ImageFolder;
    QString NewPrompt;
    QString RenamePrompt;
};

#endif
