#ifndef UPDATAPARAM_H
#define UPDATAPARAM_H

#include <QDialog>
#include <QString>
#include <QScopedPointer>

class QTimer;

namespace Ui {
class UpDataParam;
}

// The modal "please wait" dialog that closes a settings read. 2,500 ms after StartTimer its
// timer slot does one of four things and then closes the dialog:
// - reload wait (ReloadWaitMode): waits for the pages to take a reloaded record;
// - import (ImportMode): checks the export file ImportFilePath and applies it to the device;
// - the worker did not mark the device's data loaded: shows the cached record, reports offline;
// - otherwise: waits for the pages to take the new record and makes sure a cache file exists.
// Callers set the members after StartTimer and before exec.
class UpDataParam : public QDialog
{
    Q_OBJECT
public:
    explicit UpDataParam(QWidget* parent = nullptr);
    ~UpDataParam() override;

    QString ImportFilePath;
    bool ImportMode = false;
    bool ReloadWaitMode = false;

    // (Re)starts the single-shot 2,500 ms timer.
    void StartTimer();
    // What the device page frame does for each read pass: starts the timer and sets the
    // reload-wait mode for index 1 (the device reported changed settings), clears it otherwise.
    void StartForReadPass(int index);

public slots:
    void onTimeupDestroy();
    void SlotAllLanguage(int index);

private:
    // Waits for the pages to report the latest record; false after twelve waits.
    static bool WaitAllLoaded(bool clearWhenLoaded);
    void RunImport();
    void ShowImportFailure();
    void ShowCachedRecord();
    void FinishRead();

    const QScopedPointer<Ui::UpDataParam> m_ui;
    QTimer* UpdateTimer;
    QString ImageFolder;
};

#endif
