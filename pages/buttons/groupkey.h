#ifndef GROUPKEY_H
#define GROUPKEY_H

#include "ui/widgets/keyboardhook.h"

#include <QDialog>
#include <QScopedPointer>
#include <QString>
#include <QtGlobal>

namespace Ui {
class GroupKey;
}

// Puts together the key combination a mouse button sends: up to three keys, from the Shift,
// Ctrl, Alt and Win boxes and from keys pressed while the dialog is open (its own keyboard
// hook catches them; typing into the field is impossible). The keys of one combination must
// come within 2000 ms of its first key. The answer lists the boxes first, then the keys in the
// order they were pressed, joined with "+": Shift+Ctrl+A.
class GroupKey : public QDialog
{
    Q_OBJECT
public:
    explicit GroupKey(QWidget* parent = nullptr);
    ~GroupKey() override;

    // How long after the first key of a combination its other keys may come.
    static constexpr quint32 ComboWindowMs = 2000;

    // Set by an accepted confirm only; KeyText is the answer then (possibly empty).
    bool Confirmed = false;
    QString KeyText;
    // Installed from construction until the dialog ends, by whatever road; it stays installed
    // while the notice about too many keys is open.
    KeyboardHook Hook{false};

private slots:
    void on_CloseButton_clicked();
    void on_NewHong_2_clicked();
    void on_NewHong_clicked();
    void UpdateCapslockTip(int keyCode, bool downOrUp, bool aotu);
    void on_lineEdit_textEdited(const QString& text);
    void SlotAllLanguage(int index);

protected:
    void keyPressEvent(QKeyEvent* e) override;

private:
    int PlusCount = 0;    // keys in the field at the last handled press, less one
    int LastKeyCode = -1; // virtual key of the last handled press; -1 none
    bool FirstKey = true;
    quint32 ComboTimer = 0; // event time of the current combination's first key
    const QScopedPointer<Ui::GroupKey> m_ui;
    QString ImageFolder;
};

#endif
