#ifndef INPORTFAIL_H
#define INPORTFAIL_H

#include <QDialog>
#include <QString>

namespace Ui {
class InportFail;
}

// The notice that a configuration export file was not imported. Its message follows the
// result of the last export file check (ImportCheckResult); it gives its caller no answer.
class InportFail : public QDialog
{
    Q_OBJECT
public:
    explicit InportFail(QWidget* parent = nullptr);
    ~InportFail() override;

private slots:
    void on_NewHong_clicked();
    void SlotAllLanguage(int index);
    void on_CloseButton_clicked();

private:
    Ui::InportFail* ui;
    QString ImageFolder;
};

#endif
