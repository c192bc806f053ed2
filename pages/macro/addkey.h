#ifndef ADDKEY_H
#define ADDKEY_H

#include "ui/widgets/keyboardhook.h"

#include <QDialog>
#include <QScopedPointer>
#include <QString>

namespace Ui {
class addKey;
}

// Asks for one keyboard key of a macro event: the dialog's own keyboard hook names every key
// event (press, repeat and release) while it is open, and the last name is the answer.
// exec() returns 1 on confirm and 0 on cancel; the caller reads KeyName only after a 1.
class addKey : public QDialog
{
    Q_OBJECT
public:
    explicit addKey(QWidget* parent = nullptr);
    ~addKey() override;

    bool Confirmed = false;
    // The name of the last key event; empty when that key has no name here.
    QString KeyName;
    // Installed from construction until the dialog ends, by whatever road.
    KeyboardHook Hook{false};

private slots:
    void on_CloseButton_clicked();
    void on_NewHong_clicked();
    void on_NewHong_2_clicked();
    void UpdateCapslockTip(int keyCode, bool downOrUp, bool aotu);
    void SlotAllLanguage(int index);

protected:
    void keyPressEvent(QKeyEvent* e) override;

private:
    const QScopedPointer<Ui::addKey> m_ui;
    QString ImageFolder;
};

#endif
