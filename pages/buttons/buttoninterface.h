#ifndef BUTTONINTERFACE_H
#define BUTTONINTERFACE_H

#include "device/sensordefinitions.h"
#include "hidusb/flashdatamap.h"

#include <QList>
#include <QScopedPointer>
#include <QString>
#include <QStringList>
#include <QVector>
#include <QWidget>

#include <initializer_list>

class QButtonGroup;
class QAbstractButton;
class QDialog;
class QEvent;
class QMouseEvent;
class QToolButton;
class QVBoxLayout;
struct ButtonSlotRow;
struct CatalogueEntry;

namespace Ui {
class Buttoninterface;
}

// The button assignment page: nine selectors showing what each mouse button does, the
// function menu, the debounce setting and the profile choice. It follows every settings
// record the device link hands over.
class Buttoninterface : public QWidget
{
    Q_OBJECT
public:
    // One UI slot's function as the page last knew it.
    struct CachedFunction {
        int type = 0;
        int code = 0;
        int param = 0;
    };

    explicit Buttoninterface(QWidget* parent = nullptr);
    ~Buttoninterface() override;

    // Stores one slot's function (after an assignment command's setter succeeded).
    void SetButtonParam(int slot, int type, int code, int param);
    // The cached function of a UI slot; all zero outside 0 to 8.
    CachedFunction CachedButtonFunction(int slot) const;

public slots:
    void SlotAllLanguage(int index);
    void SlotUpDataButtonUIButton(FlashDataMap DataMap);
    void SlotUpDataButtonUIB(FlashDataMap DataMap);
    void SlotFormResetButton();
    void SlotUpDataConfigUI(int ToTalItem, int SelectIndex, bool ItemEnable);
    void SlotAddMacroButton();
    void SlotDeleteMacroButton(QString name);
    void SlotUpDataMacro(QString name, int index);
    void SlotMacroRename(QString MacroName, QString NewName);
    void SlotMouseIndex(int index);

public:
    // Unchecks every sub-list entry (and macro button).
    void ClearFunctionChecks();
    // A device's default key combination or multimedia key for a device button of the page.
    void AssignKeyCombination(int deviceButton, const QString& text);
    void AssignMultimediaKey(int deviceButton, int usageLowByte);

private slots:
    // Every macro button of the macro list: assigns its macro to the selected button.
    void slotButtonClicked(bool checked);
    // Selectors: select a button and open the function menu on its current function.
    void on_FireKey_clicked();
    void on_RightKey_clicked();
    void on_BackKey_clicked();
    void on_StartPause_clicked();
    void on_TopMusic_clicked();
    void on_BackMusic_clicked();
    void on_Button9_clicked();
    void on_Button7_clicked();
    void on_Button8_clicked();
    // Number spots on the mouse picture: select without opening the menu.
    void on_Number1_clicked();
    void on_Number2_clicked();
    void on_Number3_clicked();
    void on_Number4_clicked();
    void on_Number5_clicked();
    void on_Number6_clicked();
    void on_Number7_clicked();
    void on_Number8_clicked();
    void on_Number9_clicked();
    // Main list entries.
    void on_LeftKey_3_clicked(bool checked);
    void on_nono_clicked(bool checked);
    void on_MidKey_clicked(bool checked);
    void on_BackKey_2_clicked(bool checked);
    void on_ForWardKey_clicked(bool checked);
    void on_DPI_2_clicked(bool checked);
    void on_DPI_3_clicked(bool checked);
    void on_DPI_5_clicked(bool checked);
    // Both run on one press, in this order: the first assigns only when called with true.
    void on_DPI_6_clicked(bool checked);
    void on_DPI_6_clicked();
    void on_DPI_8_clicked();
    void on_DPI_10_clicked();
    void on_DPI_4_clicked();
    void on_DPI_4_clicked(bool checked);
    void on_DPI_7_clicked();
    void on_DPI_9_clicked();
    void on_DPI_11_clicked();
    void on_DPI_12_clicked();
    void on_DPI_13_clicked();
    // Sub-list entries.
    void on_Player_clicked(bool checked);
    void on_StartPause_2_clicked(bool checked);
    void on_cccz_clicked(bool checked);
    void on_TopMusic_2_clicked(bool checked);
    void on_Mute_clicked(bool checked);
    void on_VolumeUp_clicked(bool checked);
    void on_VolumeDown_clicked(bool checked);
    void on_VolumeDown_4_clicked(bool checked);
    void on_VolumeDown_5_clicked(bool checked);
    void on_VolumeDown_6_clicked(bool checked);
    void on_VolumeDown_3_clicked(bool checked);
    void on_VolumeDown_8_clicked(bool checked);
    void on_VolumeDown_9_clicked(bool checked);
    void on_VolumeDown_7_clicked(bool checked);
    void on_VolumeDown_10_clicked(bool checked);
    void on_VolumeDown_12_clicked(bool checked);
    void on_VolumeDown_13_clicked(bool checked);
    void on_VolumeDown_11_clicked(bool checked);
    void on_VolumeUp_4_clicked(bool checked);
    void on_VolumeUp_5_clicked(bool checked);
    void on_VolumeUp_6_clicked(bool checked);
    void on_VolumeUp_7_clicked(bool checked);
    void on_VolumeUp_11_clicked(bool checked);
    void on_VolumeUp_12_clicked(bool checked);
    void on_VolumeUp_13_clicked(bool checked);
    void on_VolumeUp_16_clicked(bool checked);
    void on_VolumeUp_15_clicked(bool checked);
    void on_VolumeUp_19_clicked(bool checked);
    void on_VolumeUp_20_clicked(bool checked);
    void on_VolumeUp_22_clicked(bool checked);
    void on_VolumeUp_18_clicked(bool checked);
    void on_VolumeUp_24_clicked(bool checked);
    void on_VolumeUp_23_clicked(bool checked);
    void on_VolumeUp_21_clicked(bool checked);
    void on_VolumeUp_2_clicked(bool checked);
    void on_VolumeDown_2_clicked(bool checked);
    void on_VolumeUp_8_clicked(bool checked);
    void on_VolumeUp_9_clicked(bool checked);
    void on_VolumeUp_10_clicked(bool checked);
    void on_VolumeUp_14_clicked(bool checked);
    void on_VolumeDown_14_clicked(bool checked);
    void on_stackedWidget_currentChanged(int index);
    // Whole-device commands: configuration file, profile choice, factory settings.
    void on_OutputData_clicked();
    void on_ImportData_clicked();
    void on_ProjectChoose_activated(int index);
    void on_ProjectChoose_currentIndexChanged(int index);
    void on_Reset_clicked();

protected:
    void changeEvent(QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    static constexpr int SlotCount = 9;

    QList<QWidget*> Named(std::initializer_list<const char*> names) const;
    void InitButtonGroups();
    void ApplySkin();
    // The selectors, row numbers and number spots of the chosen model's buttons shown, the
    // others hidden.
    void ShowModelButtons();
    // Sizes the selector list to the shown rows (their tops) ending at listEnd.
    void ShowSelectorRows(QList<int> rowTops, int listEnd);
    // Whether the open model has the row's button; every row until a load or the form reset.
    bool ModelHasRow(const ButtonSlotRow& row) const;
    // The loaders' common part once SensorName is fresh: spots, cache, captions, debounce item.
    void LoadRecord(const FlashDataMap& record);
    // The device section's KeyNumber, bounded to the nine slots.
    int KeyNumber() const;
    // Caches slots 0 .. count - 1 from the record and shows their captions.
    void ShowRecordFunctions(const FlashDataMap& record, int count);
    void ShowButtonFunction(int slot, int type, int code, int param, const FlashDataMap& record);
    QString MousePictureStyle() const;
    QString Text(int position) const;

    QAbstractButton* Button(const char* name) const;
    // The checked selector's row, tested in the fixed row order; nullptr for none.
    const ButtonSlotRow* SelectedRow() const;
    void OpenFunctionMenu(int uiSlot);
    void CloseFunctionMenu();
    void UncheckSelectors();
    void SelectRow(int row);
    // The click of an assigning entry: checks, writes, caption, cache, closes the menu.
    void EntryClicked(const char* name, bool checked);
    void AssignFunction(const CatalogueEntry& entry, const QString& entryText);
    void AssignConsumerKey(const CatalogueEntry& entry, const QString& entryText);
    void ShowSubList(int page);
    // The macro list in scrollArea_7: built once, refilled by SlotAddMacroButton.
    void CreateMacroButtons();
    void FillMacroButtons(bool rebuild);
    QString MacroButtonStyle() const;
    // The model's selectors that show a macro, by caption: with only NULs removed (deletion) or
    // also the macro prefix (rename, save). A hidden selector's caption is another model's.
    QList<const ButtonSlotRow*> RowsShowingCaption(const QString& caption) const;
    QList<const ButtonSlotRow*> RowsShowingMacro(const QString& name) const;
    // The button's function after its macro is deleted: the device's KeyParam default or the
    // built-in one.
    void RestoreDefaultFunction(const ButtonSlotRow& row, const QStringList& keyParam);

    // Writes the configuration export file of record to path; false when nothing was written.
    bool ExportConfig(QString path, FlashDataMap record);
    // The export or import file the user picks, "" when cancelled.
    QString AskConfigFile(bool save);
    // The profile list: "prefix 1" .. "prefix count", in the current language.
    void FillProfileItems(int count);
    // The folder of the last configuration file picked; home at first.
    QString LastConfigFolder;

    const QScopedPointer<Ui::Buttoninterface> m_ui;
    QWidget* MacroListWidget = nullptr;
    QVBoxLayout* MacroListLayout = nullptr;
    QList<QToolButton*> MacroButtons;
    QButtonGroup* SelectorGroup = nullptr;
    QButtonGroup* CatalogueGroup = nullptr;
    QButtonGroup* SubListGroup = nullptr;
    QButtonGroup* NumberGroup = nullptr;
    QString MainPageFolder;
    // Type, code and param of each UI slot, always nine entries.
    QVector<int> CacheTypes;
    QVector<int> CacheCodes;
    QVector<int> CacheParams;
    QString SensorName;
    // The UI slots of the open model: those below its KeyNumber.
    int ModelSlots = SlotCount;
    // The page's own copy of driver_sensor.h, read once.
    SensorDefinitionTable DefineTable;
    // The last confirmed rapid fire, shared by all buttons.
    int RapidFireInterval = 10;
    int RapidFireCount = 3;
    QString ButtonColorText;
    QString PictureFolder;
    QString MacroCaptionPrefix;
    QString ProfileNamePrefix;
    // The language last applied; -1 until the first SlotAllLanguage.
    int Language = -1;
};

#endif
