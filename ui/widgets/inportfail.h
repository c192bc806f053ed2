#ifndef INPORTFAIL_H
#define INPORTFAIL_H

#include <QDialog>
#include <QString>

namespace Ui {
class InportFail;
}

// The notice that an export file (a configuration or a macro) was not imported. Its message
// follows the result of the last configuration file check (ImportCheckResult), unless the
// caller asked for the "cannot be read" message; it gives its caller no answer.
class InportFail : public QDialog
{
    Q_OBJECT
public:
    explicit InportFail(QWidget* parent = nullptr);
    ~InportFail() override;

    // The "cannot be read" message whatever ImportCheckResult holds, also after a language change.
    void ShowUnreadableText();

private slots:
    void on_NewHong_clicked();
    void SlotAllLanguage(int index);
    void on_CloseButton_clicked();

private:
    Ui::InportFail* ui;
    QString ImageFolder;
    bool m_unreadable = false;
};

#endif
