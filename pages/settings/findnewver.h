#ifndef FINDNEWVER_H
#define FINDNEWVER_H

#include <QDialog>
#include <QString>
#include <QScopedPointer>

namespace Ui {
class FindNewVer;
}

// Notice that new firmware was found. Both buttons only close it; its "do not show again"
// box is read by nobody.
class FindNewVer : public QDialog
{
    Q_OBJECT
public:
    explicit FindNewVer(QWidget* parent = nullptr);
    ~FindNewVer() override;

private slots:
    void on_NewHong_clicked();
    void SlotAllLanguage(int index);
    void on_CloseButton_clicked();

private:
    const QScopedPointer<Ui::FindNewVer> m_ui;
    QString SkinFolder;
};

#endif
