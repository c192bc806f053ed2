#ifndef LESSTHREE_H
#define LESSTHREE_H

#include <QDialog>
#include <QScopedPointer>
#include <QString>

namespace Ui {
class LessThree;
}

// The low-debounce warning: debounce times of 7 ms or less may turn one click into two. It
// only informs; the value has been written before it opens.
class LessThree : public QDialog
{
    Q_OBJECT
public:
    explicit LessThree(QWidget* parent = nullptr);
    ~LessThree() override;

private slots:
    void SlotAllLanguage(int index);
    void on_NewHong_clicked();
    void on_CloseButton_clicked();

private:
    const QScopedPointer<Ui::LessThree> m_ui;
    QString ImageFolder;
};

#endif
