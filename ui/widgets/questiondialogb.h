#ifndef QUESTIONDIALOGB_H
#define QUESTIONDIALOGB_H

#include <QDialog>
#include <QString>
#include <QScopedPointer>

namespace Ui {
class QuestiondialogB;
}

// The notice that the same device is connected more than once.
class QuestiondialogB : public QDialog
{
    Q_OBJECT
public:
    explicit QuestiondialogB(QWidget* parent = nullptr);
    ~QuestiondialogB() override;

private slots:
    void on_CloseButton_clicked();
    void SlotAllLanguage(int index);

private:
    const QScopedPointer<Ui::QuestiondialogB> m_ui;
    QString ImageFolder;
};

#endif
