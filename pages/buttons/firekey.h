#ifndef FIREKEY_H
#define FIREKEY_H

#include <QDialog>
#include <QScopedPointer>
#include <QString>

namespace Ui {
class FireKey;
}

// The rapid-fire parameters of a button: interval (10-255) and repeat count (0-3; 0 fires
// while the button is held). The opener presets both with SetTime/SetCount, runs exec() and
// reads TimeValue and CountValue only when Confirmed is true. Every button closes with close(),
// so exec() returns the same code for confirm and cancel.
class FireKey : public QDialog
{
    Q_OBJECT
public:
    explicit FireKey(QWidget* parent = nullptr);
    ~FireKey() override;

    // Preset the spin boxes; they clamp into their ranges. The results are left alone.
    void SetTime(int value);
    void SetCount(int value);

    bool Confirmed = false;
    int TimeValue = 10;
    int CountValue = 3;

private slots:
    void on_NewHong_clicked();
    void on_NewHong_2_clicked();
    void on_CloseButton_clicked();
    void SlotAllLanguage(int index);

private:
    const QScopedPointer<Ui::FireKey> m_ui;
    QString ImageFolder;
};

#endif
