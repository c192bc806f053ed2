#ifndef POSTMSG_H
#define POSTMSG_H

#include "core/deviceallinfo.h"
#include "hidusb/flashdatamap.h"

#include <QObject>
#include <QString>

#include <atomic>

Q_DECLARE_METATYPE(FlashDataMap)
Q_DECLARE_METATYPE(DongleRGB*)

// The argument of SigChangeSize: where a minimise or close comes from.
enum ChangeSizeCode {
    MinimiseFromFrame = 0,
    CloseFromFrame = 1,
    MinimiseFromChoicePage = 2,
    CloseFromChoicePage = 3
};

// The process-wide signal hub: windows and device callbacks talk only through it.
// Receivers connect by signature text when they are built. The signals listed in
// BlockingQueuedSignals carry device data from device threads; their receivers connect
// with Qt::BlockingQueuedConnection, so the emitter waits until the page has taken the
// data. Every other connection is automatic.
class PostMsg : public QObject
{
    Q_OBJECT
public:
    static PostMsg* instance();

    static const char* const BlockingQueuedSignals[];
    static bool IsBlockingQueued(const char* normalizedSignature);
    // The connection type a receiver of this signal uses.
    static Qt::ConnectionType ConnectionFor(const char* signalSignature);

    // Connects a hub signal (SIGNAL() text) to a receiver's slot with the connection type
    // the signal calls for. A connection that fails (a mistyped signature) ends a debug build
    // at once and is logged as critical in a release build.
    static bool Connect(const char* signal, const QObject* receiver, const char* method);

    // Once shutdown has begun, blocking emits are skipped: the GUI thread may be waiting
    // for the very thread that emits.
    static void BeginShutdown();
    static void EndShutdown();
    static bool ShuttingDown();

    // One emitting member per signal.
    void EmitChangeMainDialog(int index) { emit SigChangeMainDialog(index); }
    void EmitChangeSize(int index) { emit SigChangeSize(index); }
    void EmitUpDataConfigUI(int ToTalItem, int SelectIndex, bool ItemEnable);
    void EmitUpDataLightUIButton(FlashDataMap DataMap);
    void EmitUpDataLightLight(FlashDataMap DataMap);
    void EmitUpDataLightSensor(FlashDataMap DataMap);
    void EmitUpDataLightUIA(FlashDataMap DataMap) { emit SigUpDataLightUIA(DataMap); }
    void EmitUpDataSensorUIB(FlashDataMap DataMap) { emit SigUpDataSensorUIB(DataMap); }
    void EmitUpDataButtonUIC(FlashDataMap DataMap) { emit SigUpDataButtonUIC(DataMap); }
    void EmitButtonToMacro(FlashDataMap DataMap, int KeyNumer) { emit SigButtonToMacro(DataMap, KeyNumer); }
    void EmitSelectMouseInfo(DeviceAllInfo SelectInfo) { emit SigSelectMouseInfo(SelectInfo); }
    void EmitMouseOffLineo(int index) { emit SigMouseOffLineo(index); }
    void EmitMainPageChange() { emit SigMainPageChange(); }
    void EmitSecondPageChange() { emit SigSecondPageChange(); }
    void EmitUpPageLight() { emit SigUpPageLight(); }
    void EmitAddMacroButton() { emit SigAddMacroButton(); }
    void EmitDeleteMacroButton(QString MacroName) { emit SigDeleteMacroButton(MacroName); }
    void EmitMacroDownLoadData(QString MacroName, int index) { emit SigMacroDownLoadData(MacroName, index); }
    void EmitUpDataMacro(QString MacroName, int index) { emit SigUpDataMacro(MacroName, index); }
    void EmitUpDataParam(int index) { emit SigUpDataParam(index); }
    void EmitUpDataReportRate(int index);
    void EmitUpDataDPI(int index);
    void EmitUpDataDPILed(FlashDataMap DataMap);
    void EmitTimerStop() { emit SigTimerStop(); }
    void EmitButtonEnable(int index) { emit SigButtonEnable(index); }
    void EmitLabelText(int index, QString Text) { emit SigLabelText(index, Text); }
    void EmitLabelTextB(QString TextA, QString Text) { emit SigLabelTextB(TextA, Text); }
    void EmitCloseUpdate() { emit SigCloseUpdate(); }
    void EmitProgress(int index, int value) { emit SigProgress(index, value); }
    void EmitBattery(bool IsCharg, int Number, bool IsText);
    void EmitAutoRepair(int index) { emit SigAutoRepair(index); }
    void EmitAutoRepairProgress(int index) { emit SigAutoRepairProgress(index); }
    void EmitChangeLanguage(int index) { emit SigChangeLanguage(index); }
    void EmitLanguageSameA(int index) { emit SigLanguageSameA(index); }
    void EmitLanguageSameB(int index) { emit SigLanguageSameB(index); }
    void EmitCloseOffOnline() { emit SigCloseOffOnline(); }
    void EmitSetMacroPage() { emit SigSetMacroPage(); }
    void EmitStartRecord(int index) { emit SigStartRecord(index); }
    void EmitUpDateButton(bool IsHide) { emit SigUpDateButton(IsHide); }
    void EmitMacroRename(QString Rename, QString Name) { emit SigMacroRename(Rename, Name); }
    void EmitSetver(int index) { emit SigSetver(index); }
    void EmitCloseProgress() { emit SigCloseProgress(); }
    void EmitRGBValue(DongleRGB* Rgb);
    void EmitLongRangeMode(bool Select);
    void EmitForm();
    void EmitFormB() { emit SigFormB(); }
    void EmitEnterKey() { emit SigEnterKey(); }
    void EmitFormReset();
    void EmitHideModel(int index) { emit SigHideModel(index); }
    void EmitContinue(int index) { emit SigContinue(index); }
    void EmitMouseIndex(int index) { emit SigMouseIndex(index); }
    void EmitUpdateStart() { emit SigUpdateStart(); }
    void EmitCheckUpdate() { emit SigCheckUpdate(); }
    void EmitRepairCheckUpdate() { emit SigRepairCheckUpdate(); }
    void EmitSetNewVer() { emit SigSetNewVer(); }
    void EmitLightToFrom(int index) { emit SigLightToFrom(index); }
    void EmitButtonCheck() { emit SigButtonCheck(); }
    void EmitAllLanguage(int Index) { emit SigAllLanguage(Index); }

signals:
    void SigChangeMainDialog(int index);
    void SigChangeSize(int index);
    void SigUpDataConfigUI(int ToTalItem,int SelectIndex,bool ItemEnable);
    void SigUpDataLightUIButton(FlashDataMap DataMap);
    void SigUpDataLightLight(FlashDataMap DataMap);
    void SigUpDataLightSensor(FlashDataMap DataMap);
    void SigUpDataLightUIA(FlashDataMap DataMap);
    void SigUpDataSensorUIB(FlashDataMap DataMap);
    void SigUpDataButtonUIC(FlashDataMap DataMap);
    void SigButtonToMacro(FlashDataMap DataMap,int KeyNumer);
    void SigSelectMouseInfo(DeviceAllInfo SelectInfo);
    void SigMouseOffLineo(int index);
    void SigMainPageChange();
    void SigSecondPageChange();
    void SigUpPageLight();
    void SigAddMacroButton();
    void SigDeleteMacroButton(QString MacroName);
    void SigMacroDownLoadData(QString MacroName,int index);
    void SigUpDataMacro(QString MacroName,int index);
    void SigUpDataParam(int index);
    void SigUpDataReportRate(int index);
    void SigUpDataDPI(int index);
    void SigUpDataDPILed(FlashDataMap DataMap);
    void SigTimerStop();
    void SigButtonEnable(int index);
    void SigLabelText(int index,QString Text);
    void SigLabelTextB(QString TextA,QString Text);
    void SigCloseUpdate();
    void SigProgress(int index,int value);
    void SigBattery(bool IsCharg,int Number,bool IsText);
    void SigAutoRepair(int index);
    void SigAutoRepairProgress(int index);
    void SigChangeLanguage(int index);
    void SigLanguageSameA(int index);
    void SigLanguageSameB(int index);
    void SigCloseOffOnline();
    void SigSetMacroPage();
    void SigStartRecord(int index);
    void SigUpDateButton(bool IsHide);
    void SigMacroRename(QString Rename,QString Name);
    void SigSetver(int index);
    void SigCloseProgress();
    void SigRGBValue(DongleRGB* Rgb);
    void SigLongRangeMode(bool Select);
    void SigForm();
    void SigFormB();
    void SigEnterKey();
    void SigFormReset();
    void SigHideModel(int index);
    void SigContinue(int);
    void SigMouseIndex(int index);
    void SigUpdateStart();
    void SigCheckUpdate();
    void SigRepairCheckUpdate();
    void SigSetNewVer();
    void SigLightToFrom(int index);
    void SigButtonCheck();
    void SigAllLanguage(int Index);

private:
    PostMsg();
    // True when a blocking emit may go ahead now.
    static bool MayBlock();
    static std::atomic<bool> s_shuttingDown;
};

#endif
