#ifndef INPUTPICB_H
#define INPUTPICB_H

#include <QDialog>
#include <QString>

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
    Ui::InputPicB* ui;
    QString PictureFolder;
    QButtonGroup* SlotGroup;
};

#endif
