#ifndef INPORTFAIL_H
#define INPORTFAIL_H

#include <QDialog>
#include <QString>
#include <QScopedPointer>

namespace Ui {
class InportFail;
}

// The notice that an export file (a configuration or a macro) was not imported, or that a
// macro file could not be read or saved. Its message follows the result of the last
// configuration file check (ImportCheckResult), unless the caller asked for a message of its
// own; it gives its caller no answer.
class InportFail : public QDialog
{
    Q_OBJECT
public:
    explicit InportFail(QWidget* parent = nullptr);
    ~InportFail() override;

    // The "cannot be read" message whatever ImportCheckResult holds, also after a language change.
    void ShowUnreadableText();
    // The "could not be saved" message of a macro, likewise.
    void ShowSaveFailedText();

private slots:
    void on_NewHong_clicked();
    void SlotAllLanguage(int index);
    void on_CloseButton_clicked();

private:
    const QScopedPointer<Ui::InportFail> m_ui;
    QString ImageFolder;
    // The message asked for (a position of InportFailTexts), or -1 for the check's result.
    int m_message = -1;
};

#endif
