#ifndef MACRO_H
#define MACRO_H

#include "device/macrorecorder.h"
#include "hidusb/flashdatamap.h"
#include "ui/widgets/inportfail.h"

#include <QModelIndex>
#include <QPoint>
#include <QScopedPointer>
#include <QSize>
#include <QString>
#include <QStringList>
#include <QWidget>


class KeyboardHook;
class ListWidgetRows;
class QButtonGroup;
class QDialog;
class QListWidgetItem;

namespace Ui {
class Macro;
}

// The macro editor page: the user's macros (one text file each) on the left, the events of the
// selected one in the middle, recording, repeat mode, event chooser and Save on the right. It
// turns macros into device records for the button page and rebuilds them from the device.
class Macro : public QWidget
{
    Q_OBJECT
public:
    explicit Macro(QWidget* parent = nullptr);
    ~Macro() override;

    // The page's own keyboard hook (tests deliver keys through it).
    KeyboardHook* RecordHook() const;


public slots:
    void SlotButtonToMacro(FlashDataMap DataMap, int KeyNumer);
    void SlotMacroDownLoadData(QString MacroName, int index);
    void SlotSetMacroPage();

private slots:
    void on_NewHong_clicked();
    void on_DeleteHong_clicked();
    void on_Amend_clicked();
    void on_NumberEdit_editingFinished();
    void on_ReUntilLoose_released();
    void on_ReUntilClick_released();
    void on_ReNumber_released();
    void on_AutoInsertDelay_released();
    void on_ChooseEvent_activated(int index);
    void on_DeleteKey_clicked();
    void on_StartRecord_clicked();
    void on_StopRecord_clicked();
    void on_Save_clicked();
    void UpdateCapslockTip(int keyCode, bool downOrUp, bool aotu);
    void SlotAllLanguage(int index);
    void on_listWidgetKey_itemChanged(QListWidgetItem* item);
    void on_NumberEdit_valueChanged(int);
    void on_listWidgetHong_clicked(QModelIndex index);
    void on_listWidgetHong_customContextMenuRequested(QPoint pos);
    void ExPortMacro();
    void RenameMacro();
    void DeleteMacro();
    void CreateMewMacro();
    void InPortMacro();
    void on_DelayTime_valueChanged(int);

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    // Named like slots of controls the form lacks: plain functions, so that nothing tries to attach them.
    void on_InsertEvent_released();
    void on_pushButton_clicked();
    bool MacroSelected() const;
    QString SelectedMacroName() const;
    // The checked repeat control as the record's repeat byte.
    int RepeatValue() const;
    void SetRepeatControls(int repeat);
    void SetSaveActive(bool active);
    // True (after the please-stop notice) while a recording runs.
    bool RefuseWhileRecording();
    // Shows the current entry's macro: events and repeat controls from its file.
    void LoadSelectedMacro();
    void ShowRows(const QVector<MacroEventRow>& rows);
    // New, rename and import: a name the folder can hold and list again.
    static bool IsUsableUserName(const QString& name);
    // A row of the macro list or a file of the folder has this name already.
    bool IsTakenName(const QString& name) const;
    void ShowSameMacro(const QSize& placedAs);
    // The InportFail notice with the given message.
    void ShowFileNotice(void (InportFail::*message)());
    // The notice that the shown macro's file cannot be read, once, after the current event.
    void NoticeUnreadableMacro();
    void ShowRecordingStopped(bool idleSave);
    void PlaceDialog(QDialog* dialog, int dx, int dy) const;
    static QString ChooseFile(QWidget* parent, bool save, const QString& caption);
    // An imported row without kind and code: its name in the key table or among any language's
    // mouse-button names, else the empty key.
    static MacroEventRow ResolveImportedRow(const MacroEventRow& row);

    const QScopedPointer<Ui::Macro> m_ui;
    QString MacroFolder;
    QString MacroFilePath;
    QScopedPointer<KeyboardHook> Hook;
    QButtonGroup* DelayGroup = nullptr;
    QButtonGroup* RepeatGroup = nullptr;
    // Held keys, first-key and delay timing of a recording.
    MacroRecorder Recorder;
    QString ButtonColorText;
    QString SkinFolder;
    bool EventsChanged = false;
    bool RepeatChanged = false;
    QStringList MenuTexts;
    QString MacroCaptionPrefix;

    QScopedPointer<ListWidgetRows> m_rows;
    // The chooser's designer texts of the five mouse buttons: the names when a language has none.
    QStringList m_designerButtonNames;
    // From Start until Stop or the page reset (also after the event limit ended the capture).
    bool m_recordLayout = false;
    bool m_unreadableNoticePending = false;
};

#endif
