#ifndef INPUTPICB_H
#define INPUTPICB_H

#include <QDialog>
#include <QString>
#include <QScopedPointer>

class QButtonGroup;

namespace Ui {
class InputPicB;
}

// The second layout of the screen picture settings; only the close button acts.
class InputPicB : public QDialog
{
    Q_OBJECT
public:
    explicit InputPicB(QWidget* parent = nullptr);
    ~InputPicB() override;

    void ApplyCurrentLanguage();

public slots:
    void SlotAllLanguage(int index);

private slots:
    void on_CloseButton_clicked();

private:
    const QScopedPointer<Ui::InputPicB> m_ui;
    QString PictureFolder;
    QButtonGroup* SlotGroup;
};

#endif
