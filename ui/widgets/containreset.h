#ifndef CONTAINRESET_H
#define CONTAINRESET_H

#include <QDialog>
#include <QString>
#include <QScopedPointer>

namespace Ui {
class ContainReset;
}

// An OK/Cancel question. The caller may replace the message (SetMessage) and reads
// Confirmed after the modal run: true only when OK (or Return) closed it.
class ContainReset : public QDialog
{
    Q_OBJECT
public:
    explicit ContainReset(QWidget* parent = nullptr);
    ~ContainReset() override;

    bool Confirmed = false;

    // Wins over the language text until the next language change.
    void SetMessage(const QString& text);

private slots:
    void on_CloseButton_clicked();
    void on_OK_clicked();
    void on_Cancel_clicked();
    void SlotAllLanguage(int index);

private:
    const QScopedPointer<Ui::ContainReset> m_ui;
    QString ImageFolder;
};

#endif
