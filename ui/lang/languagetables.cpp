#include "ui/lang/languagetables.h"

#include <QMutex>
#include <QMutexLocker>

namespace {

LangTableSpec spec(LangTable table, const char* element, std::initializer_list<const char*> keys)
{
    LangTableSpec s;
    s.table = table;
    s.element = QString::fromLatin1(element);
    s.name = (s.element == QLatin1String("groupKey") ? QStringLiteral("GroupKey") : s.element)
        + QStringLiteral("Texts");
    for (const char* key : keys)
        s.keys << QString::fromLatin1(key);
    return s;
}

std::array<LangTableSpec, LangTableCount> buildSpecs()
{
    return {{
    spec(LangTable::DialogChangeTexts, "DialogChange",
         {"label_2", "label_3", "OfflineTips1", "OfflineTips2", "RepairDevice", "label", "NewHong", "NoApear",
          "MouseIsNewTips"}),
    spec(LangTable::LightTexts, "Light",
         {"label", "LightMod", "LightMod1", "LightMod2", "LightMod3", "LightMod4", "LightMod5", "LightMod6",
          "label_2", "label_3", "label_4", "label_5", "StopCloseTime", "StopCloseTime1", "StopCloseTime2",
          "StopCloseTime3", "StopCloseTime4", "StopCloseTime5", "StopCloseTime6", "StopCloseTime7",
          "StopCloseTime8", "StopCloseTime9", "StopCloseTime10", "label_6", "label_8", "label_13", "label_11",
          "label_10", "label_12"}),
    spec(LangTable::MacroTexts, "Macro",
         {"label", "label_2", "NewHong", "DeleteHong", "Amend", "DeleteKey", "StartRecord", "StopRecord",
          "AutoInsertDelay", "DefaultDelay", "ReUntilLoose", "ReUntilClick", "ReUntil", "ReNumber", "label_3",
          "ChooseEvent1", "ChooseEvent2", "ChooseEvent3", "Save", "MacroReal", "Key1", "Key2", "Key3", "Key4",
          "Key5"}),
    spec(LangTable::SensorTexts, "Sensor",
         {"label_2", "label_3", "label_5", "label_11", "label_12", "Performance", "label", "label_6",
          "label_7", "PerformanceOpen", "PerformanceOpen1", "PerformanceOpen2", "PerformanceOpen3",
          "PerformanceOpen4", "PerformanceOpen5", "label_4", "Model", "Model1", "Model2", "label_14",
          "label_15", "ModeSelectDes", "LODDes", "FullPerformanceDes", "MotionSyncDes", "FixLineDes",
          "RippleDes"}),
    spec(LangTable::ButtoninterfaceTexts, "Buttoninterface",
         {"label_2", "Reset", "ImportData", "OutputData", "FireKey", "RightKey", "BackKey", "StartPause",
          "TopMusic", "BackMusic", "DPI_2", "DPI_3", "DPI_6", "DPI_8", "DPI_5", "DPI_13", "DPI_11", "DPI_10",
          "DPI_9", "DPI_7", "DPI_12", "DPI_4", "Player", "StartPause_2", "BackMusic_2", "TopMusic_2", "Mute",
          "VolumeUp", "VolumeDown", "VolumeDown_4", "VolumeDown_5", "VolumeDown_6", "VolumeDown_3",
          "VolumeDown_9", "VolumeDown_7", "VolumeDown_10", "VolumeDown_12", "VolumeDown_13", "VolumeDown_11",
          "VolumeUp_4", "VolumeUp_5", "VolumeUp_6", "VolumeUp_7", "checkBox", "VolumeUp_2", "VolumeDown_2",
          "VolumeUp_8", "VolumeUp_14", "VolumeDown_14", "Macro_", "Config", "S1", "VolumeDown_8"}),
    spec(LangTable::ProgressTexts, "Progress",
         {"UpdateNotMove", "UpDateSuccess", "UpDateFail"}),
    spec(LangTable::UpDataParamTexts, "UpDataParam",
         {"label", "label_1"}),
    spec(LangTable::QuestionBTexts, "QuestionB",
         {"label"}),
    spec(LangTable::QuestionTexts, "Question",
         {"label", "label_2", "NewHong", "NewHong_2"}),
    spec(LangTable::MouseOffLineTexts, "MouseOffLine",
         {"label", "Timeout"}),
    spec(LangTable::MatchTexts, "Match",
         {"label", "textEdit", "MatchButton", "Matching", "MatchFail", "MatchSuccess"}),
    spec(LangTable::AutoRepairTexts, "AutoRepair",
         {"ToolText", "Cancel", "NoDevice", "SameDevice", "NewHong_2", "NoRecieve", "NoUSB", "Error",
          "FileError", "Error2", "MultiMouse", "MultiDongle", "ReadyUpdate"}),
    spec(LangTable::SameMacroTexts, "SameMacro",
         {"label"}),
    spec(LangTable::RePairTexts, "RePair",
         {"label"}),
    spec(LangTable::MakeMacroTexts, "MakeMacro",
         {"label"}),
    spec(LangTable::ButtonOnlyTexts, "ButtonOnly",
         {"label"}),
    spec(LangTable::LimitTexts, "Limit",
         {"label"}),
    spec(LangTable::MaxThreeTexts, "MaxThree",
         {"label"}),
    spec(LangTable::GroupKeyTexts, "groupKey",
         {"label"}),
    spec(LangTable::FireKeyTexts, "FireKey",
         {"label", "label_2", "label_3"}),
    spec(LangTable::DeleteConfirmTexts, "DeleteConfirm",
         {"label"}),
    spec(LangTable::EXEIsRunTexts, "EXEIsRun",
         {"label", "label_2", "NewHong", "PleaseStop"}),
    spec(LangTable::ContainResetTexts, "ContainReset",
         {"label"}),
    spec(LangTable::AddKeyTexts, "AddKey",
         {"label"}),
    spec(LangTable::AddDelayTimeTexts, "AddDelayTime",
         {"label"}),
    spec(LangTable::DialogMainTexts, "DialogMain",
         {"MainForm", "Exit"}),
    spec(LangTable::FormSettingTexts, "FormSetting",
         {"label", "label_2", "label_3", "label_4", "label_6", "label_8", "pushButton_2", "Receive", "Mouse",
          "label_9", "label_10", "pushButton", "label_11", "textEdit", "WiredMode", "NoDevice", "NewLabel",
          "SameDevice", "VerNew", "label_14", "textEdit_2", "textEdit_3", "textEdit_4", "NoRecieve", "NoUSB",
          "Error", "MultiMouse", "MultiDongle", "StopCloseTime", "StopCloseTime1", "StopCloseTime2",
          "StopCloseTime3", "StopCloseTime4", "StopCloseTime5", "StopCloseTime6", "StopCloseTime7",
          "StopCloseTime8", "StopCloseTime9", "StopCloseTime10", "label_12", "label_13", "RecieveInfo",
          "ScreenInfo", "LihghtMode"}),
    spec(LangTable::InportFailTexts, "InportFail",
         {"label", "label_1", "label_2", "label_3"}),
    spec(LangTable::NewVerTexts, "NewVer",
         {"label", "NoApear"}),
    spec(LangTable::LessThreeTexts, "LessThree",
         {"label"}),
    spec(LangTable::ScreenInfoTexts, "ScreenInfo",
         {"label", "label_2", "label_3", "Input", "Output", "Light", "LightMod", "LightMod1", "LightMod2",
          "LightMod3", "LightMod4", "LightMod5", "LightMod6", "Bri", "Speed", "ColorPre", "LightColor",
          "SetColor", "R", "G", "B"}),
    spec(LangTable::EnglishTexts, "English",
         {"CompanyName", "CompanyNameCn", "CompanyWebcn", "CompanyWeben"}),
    // What the start found broken: files of the installation, then per-user folders.
    spec(LangTable::InstallationNoticeTexts, "InstallationNotice",
         {"label", "label_2"}),
    // No mouse settings program to open; %1 names the programs looked for.
    spec(LangTable::NoMouseSettingsTexts, "NoMouseSettings",
         {"label"}),
    }};
}

QMutex& globalMutex()
{
    static QMutex mutex;
    return mutex;
}

std::shared_ptr<const LanguageTables>& globalTables()
{
    static std::shared_ptr<const LanguageTables> tables = std::make_shared<const LanguageTables>();
    return tables;
}

} // namespace

const std::array<LangTableSpec, LangTableCount>& LanguageTables::Specs()
{
    static const std::array<LangTableSpec, LangTableCount> specs = buildSpecs();
    return specs;
}

const LangTableSpec& LanguageTables::Spec(LangTable table)
{
    return Specs()[static_cast<size_t>(table)];
}

std::shared_ptr<const LanguageTables> LanguageTables::Global()
{
    QMutexLocker lock(&globalMutex());
    return globalTables();
}

void LanguageTables::SetGlobal(LanguageTables tables)
{
    auto fresh = std::make_shared<const LanguageTables>(std::move(tables));
    QMutexLocker lock(&globalMutex());
    globalTables() = std::move(fresh);
}

void LanguageTables::Append(LangTable table, const QStringList& entry)
{
    m_tables[static_cast<size_t>(table)].append(entry);
}

int LanguageTables::LanguageCount(LangTable table) const
{
    return m_tables[static_cast<size_t>(table)].size();
}

int LanguageTables::EntrySize(LangTable table, int language) const
{
    const QVector<QStringList>& entries = m_tables[static_cast<size_t>(table)];
    if (language < 0 || language >= entries.size())
        return -1;
    return entries[language].size();
}

QString LanguageTables::Text(LangTable table, int language, int position) const
{
    const QVector<QStringList>& entries = m_tables[static_cast<size_t>(table)];
    if (entries.isEmpty())
        return QString();
    // A language index from Macro.ini or the registry may name a language the files lack.
    const QStringList& entry = (language >= 0 && language < entries.size()) ? entries[language] : entries[0];
    return entry.value(position);
}
