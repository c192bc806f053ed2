#ifndef UPDATEWARNING_H
#define UPDATEWARNING_H

#include <QDialog>
#include <QString>
#include <QScopedPointer>

namespace Ui {
class UpDateWarning;
}

// A one-message warning box with one confirm button. The caller sets the message and runs it;
// both buttons only close it, and it reports nothing back.
class UpDateWarning : public QDialog
{
    Q_OBJECT
public:
    explicit UpDateWarning(QWidget* parent = nullptr);
    ~UpDateWarning() override;

    void SetMessage(const QString& text);

private slots:
    void on_CloseButton_clicked();
    void SlotAllLanguage(int index);
    void on_NewHong_clicked();

private:
    const QScopedPointer<Ui::UpDateWarning> m_ui;
    QString SkinFolder;
};

#endif
