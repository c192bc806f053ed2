#ifndef EXEISRUN_H
#define EXEISRUN_H

#include <QDialog>
#include <QString>
#include <QScopedPointer>

namespace Ui {
class ExeIsRun;
}

// A notice with one message and a confirm button: the second-instance notice at start-up,
// and the macro page's general notice box. It reads its texts itself from the language
// chosen last ("/Macro.ini"), since start-up shows it before the language tables exist.
class ExeIsRun : public QDialog
{
    Q_OBJECT
public:
    explicit ExeIsRun(QWidget* parent = nullptr);
    ~ExeIsRun() override;

    // Replace the message with one of the two stored texts; call before exec().
    void ShowSecondText();
    void ShowPleaseStopText();

private slots:
    void on_NewHong_clicked();
    void on_CloseButton_clicked();
    void SlotChangeLanguage(int index);

private:
    const QScopedPointer<Ui::ExeIsRun> m_ui;
    QString ImageFolder;
    QString SecondText;
    QString PleaseStopText;
};

#endif
