#ifndef REPAIR_H
#define REPAIR_H

#include <QDialog>
#include <QString>
#include <QScopedPointer>

namespace Ui {
class RePair;
}

// The question whether mouse and receiver should be paired again. The caller reads
// PairAgain after the modal run: true only when OK closed it.
class RePair : public QDialog
{
    Q_OBJECT
public:
    explicit RePair(QWidget* parent = nullptr);
    ~RePair() override;

    bool PairAgain = false;

private slots:
    void on_CloseButton_clicked();
    void on_OK_clicked();
    void on_Cancel_clicked();
    void SlotAllLanguage(int index);

private:
    const QScopedPointer<Ui::RePair> m_ui;
    QString ImageFolder;
};

#endif
