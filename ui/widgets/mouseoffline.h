#ifndef MOUSEOFFLINE_H
#define MOUSEOFFLINE_H

#include <QDialog>
#include <QString>
#include <QScopedPointer>

#include <atomic>

namespace Ui {
class MouseOffLine;
}

// Which message the offline notice shows: 0 the mouse is offline, 1 a settings read timed
// out. The top-level window sets it just before it builds the notice.
extern std::atomic<int> OfflineNoticeMode;

// The mouse-is-offline notice. It closes itself when the hub reports the device back
// (SigCloseOffOnline); it gives its caller no answer.
class MouseOffLine : public QDialog
{
    Q_OBJECT
public:
    explicit MouseOffLine(QWidget* parent = nullptr);
    ~MouseOffLine() override;

private slots:
    void on_NewHong_clicked();
    void on_CloseButton_clicked();
    void SlotAllLanguage(int index);

private:
    const QScopedPointer<Ui::MouseOffLine> m_ui;
    QString ImageFolder;
};

#endif
