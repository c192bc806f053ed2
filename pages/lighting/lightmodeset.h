#ifndef LIGHTMODESET_H
#define LIGHTMODESET_H

#include <QDialog>
#include <QScopedPointer>
#include <QString>

class QMouseEvent;

namespace Ui {
class LightModeSet;
}

// A light mode editor (mode, brightness, speed, colour with presets and a screen pick). Its
// values live in its widgets only: it reads and writes no device state and sends nothing.
class LightModeSet : public QDialog
{
    Q_OBJECT
public:
    explicit LightModeSet(QWidget* parent = nullptr);
    ~LightModeSet() override;

private slots:
    void on_AddR_clicked();
    void on_AddG_clicked();
    void on_AddB_clicked();
    void on_ReduceR_clicked();
    void on_ReduceG_clicked();
    void on_ReduceB_clicked();
    void on_RSpinBox_valueChanged(int);
    void on_GSpinBox_valueChanged(int);
    void on_BSpinBox_valueChanged(int);
    void on_toolButtonColorA_clicked();
    void on_toolButtonColorB_clicked();
    void on_toolButtonColorC_clicked();
    void on_toolButtonColorD_clicked();
    void on_toolButtonColorE_clicked();
    void on_toolButtonColorF_clicked();
    void on_toolButtonColorG_clicked();
    void on_toolButtonColorH_clicked();
    void on_toolButtonColorI_clicked();
    void on_toolButtonColorJ_clicked();
    void on_toolButtonColorK_clicked();
    void on_toolButtonColorL_clicked();
    void on_toolButtonColorM_clicked();
    void on_toolButtonColorN_clicked();

public slots:
    void SlotAllLanguage(int index);

private slots:
    void on_CloseButton_clicked();
    void on_LightMod_currentIndexChanged(int index);

protected:
    void mousePressEvent(QMouseEvent* event) override;

private:
    void ApplyModeLayout(int index);
    void ApplyPreset(int preset);
    void SetColor(int red, int green, int blue);
    void ShowPreview();

    const QScopedPointer<Ui::LightModeSet> m_ui;
    QString SkinFolder;
};

#endif
