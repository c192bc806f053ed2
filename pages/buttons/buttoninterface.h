#ifndef BUTTONINTERFACE_H
#define BUTTONINTERFACE_H

#include "device/sensordefinitions.h"
#include "hidusb/flashdatamap.h"

#include <QList>
#include <QScopedPointer>
#include <QString>
#include <QVector>
#include <QWidget>

#include <initializer_list>

class QButtonGroup;
class QEvent;

namespace Ui {
class Buttoninterface;
}

// The button assignment page: nine selectors showing what each mouse button does, the
// function menu, the debounce setting and the profile choice. It follows every settings
// record the device link hands over and owns the one worker thread object.
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
    void SlotMacroRename(QString rename, QString name);
    void SlotMouseIndex(int index);

protected:
    void changeEvent(QEvent* event) override;

private:
    static constexpr int SlotCount = 9;

    QList<QWidget*> Named(std::initializer_list<const char*> names) const;
    void InitButtonGroups();
    void ApplySkin();
    // The loaders' common part once SensorName is fresh: cache, captions, debounce item.
    void LoadRecord(const FlashDataMap& record);
    // The device section's KeyNumber, bounded to the nine slots.
    int KeyNumber() const;
    // Caches slots 0 .. count - 1 from the record and shows their captions.
    void ShowRecordFunctions(const FlashDataMap& record, int count);
    void ShowButtonFunction(int slot, int type, int code, int param, const FlashDataMap& record);
    QString MousePictureStyle() const;
    QString Text(int position) const;

    const QScopedPointer<Ui::Buttoninterface> m_ui;
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
    // The page's own copy of driver_sensor.h, read once.
    SensorDefinitionTable DefineTable;
    int RapidFireInterval = 0;
    int RapidFireCount = 0;
    QString ButtonColorText;
    QString PictureFolder;
    QString MacroCaptionPrefix;
    QString ProfileNamePrefix;
    // The language last applied; -1 until the first SlotAllLanguage.
    int Language = -1;
};

#endif
