#ifndef PROGRESS_H
#define PROGRESS_H

#include <QDialog>
#include <QString>
#include <QScopedPointer>

namespace Ui {
class Progress;
}

// Upgrade progress: a percentage line and a bar while the settings page flashes, then the
// result with a confirm button. Leaving after a failure goes back to the device choice page,
// otherwise on to the settings page's continuation.
class Progress : public QDialog
{
    Q_OBJECT
public:
    explicit Progress(QWidget* parent = nullptr);
    ~Progress() override;

private slots:
    void SlotAllLanguage(int index);
    void SlotCloseProgress();
    void SlotProgress(int schedue, int Discrib);
    void on_CloseButton_clicked();
    void on_NewHong_clicked();

private:
    QString PercentText(int percent) const;
    void ShowPercent(int percent);
    void ShowEnded(bool failed);
    void Leave();

    const QScopedPointer<Ui::Progress> m_ui;
    QString SkinFolder;
    QString Caption;
    QString FailText;
    QString SuccessText;
    // Whether the label shows the failure text. Kept apart from the label: after a language
    // change, or with a text missing from the language file, the captions do not tell.
    bool ShowsFailure = false;
};

#endif
