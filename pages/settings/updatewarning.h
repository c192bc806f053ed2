#ifndef UPDATEWARNING_H
#define UPDATEWARNING_H

#include <QDialog>
#include <QString>

class QLabel;

// A one-message warning box. Stand-in until the settings page is built: the message and
// nothing else; the caller runs it modally and it closes like any dialog.
class UpDateWarning : public QDialog
{
    Q_OBJECT
public:
    explicit UpDateWarning(QWidget* parent = nullptr);
    ~UpDateWarning() override;

    void SetMessage(const QString& text);

private:
    QLabel* Message = nullptr;
};

#endif
