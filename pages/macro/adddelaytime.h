#ifndef ADDDELAYTIME_H
#define ADDDELAYTIME_H

#include <QDialog>
#include <QScopedPointer>
#include <QString>

namespace Ui {
class AddDelayTime;
}

// Asks for a macro delay in milliseconds, 10 to 65535. Escape cancels.
class AddDelayTime : public QDialog
{
    Q_OBJECT
public:
    explicit AddDelayTime(QWidget* parent = nullptr);
    ~AddDelayTime() override;

    bool Confirmed = false;
    // Written only on confirm.
    int DelayValue = 0;

private slots:
    void on_CloseButton_clicked();
    void on_NewHong_clicked();
    void on_NewHong_2_clicked();
    void SlotAllLanguage(int index);

private:
    const QScopedPointer<Ui::AddDelayTime> m_ui;
    QString ImageFolder;
};

#endif
