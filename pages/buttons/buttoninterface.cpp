#include "pages/buttons/buttoninterface.h"

#include "core/apppaths.h"
#include "core/configini.h"
#include "core/deviceinfocache.h"
#include "core/devicestate.h"
#include "core/postmsg.h"
#include "device/buttoncaption.h"
#include "device/buttoncatalogue.h"
#include "device/worker.h"
#include "ui/lang/langtext.h"
#include "ui/widgets/debouncetime.h"
#include "ui/widgets/skin.h"

#include "hidusb/HIDUsb.h"

#include "ui_buttoninterface.h"

#include <QAbstractButton>
#include <QButtonGroup>
#include <QDir>
#include <QEvent>
#include <QFont>
#include <QLabel>
#include <QTimer>

#include <algorithm>

namespace {

const char* const SelectorNames[] = {"FireKey",    "RightKey",  "BackKey", "StartPause", "TopMusic",
                                     "BackMusic",  "Button7",   "Button8", "Button9"};

// The function list of the menu, in list order.
const char* const CatalogueNames[] = {"LeftKey_3", "nono",  "MidKey", "BackKey_2", "ForWardKey", "DPI_2",
                                      "DPI_3",     "DPI_4", "DPI_5",  "DPI_6",     "DPI_7",      "DPI_8",
                                      "DPI_9",     "DPI_10", "DPI_11", "DPI_12",   "DPI_13"};

const char* const SubListNames[] = {
    "Player",        "StartPause_2",  "cccz",          "TopMusic_2",    "Mute",         "VolumeUp",
    "VolumeDown",    "VolumeDown_3",  "VolumeDown_4",  "VolumeDown_5",  "VolumeDown_6", "VolumeDown_7",
    "VolumeDown_8",  "VolumeDown_9",  "VolumeDown_10", "VolumeDown_11", "VolumeDown_12", "VolumeDown_13",
    "VolumeUp_4",    "VolumeUp_5",    "VolumeUp_6",    "VolumeUp_7",    "VolumeUp_11",  "VolumeUp_12",
    "VolumeUp_13",   "VolumeUp_15",   "VolumeUp_16",   "VolumeUp_18",   "VolumeUp_19",  "VolumeUp_20",
    "VolumeUp_21",   "VolumeUp_22",   "VolumeUp_23",   "VolumeUp_24",   "VolumeDown_2", "VolumeUp_2",
    "VolumeUp_10",   "VolumeUp_8",    "VolumeUp_9",    "VolumeUp_14",   "VolumeDown_14"};

// The catalogue buttons that take the language's font, in the order they get it.
const char* const CatalogueFontNames[] = {"LeftKey_3", "nono",   "MidKey", "BackKey_2", "ForWardKey", "DPI_2",
                                          "DPI_3",     "DPI_6",  "DPI_8",  "DPI_5",     "DPI_13",     "DPI_11",
                                          "DPI_4",     "DPI_9",  "DPI_7",  "DPI_12",    "DPI_10"};

struct TextTarget {
    int position;
    const char* widget;
};

// Language positions of the page's own captions.
const TextTarget PageTexts[] = {
    {1, "Reset"},          {2, "ImportData"},     {3, "OutputData"},     {4, "FireKey"},
    {4, "LeftKey_3"},      {5, "RightKey"},       {5, "nono"},           {6, "BackKey"},
    {6, "MidKey"},         {7, "StartPause"},     {7, "ForWardKey"},     {8, "TopMusic"},
    {8, "BackKey_2"},      {9, "VolumeUp_8"},     {10, "DPI_2"},         {10, "Button8"},
    {11, "DPI_3"},         {12, "BackMusic"},     {12, "DPI_6"},         {13, "DPI_8"},
    {14, "DPI_5"},         {15, "DPI_13"},        {16, "DPI_11"},        {17, "DPI_10"},
    {18, "DPI_9"},         {19, "DPI_7"},         {20, "DPI_12"},        {21, "DPI_4"},
    {22, "Player"},        {23, "StartPause_2"},  {24, "cccz"},          {25, "TopMusic_2"},
    {26, "Mute"},          {27, "VolumeUp"},      {28, "VolumeDown"},    {29, "VolumeDown_4"},
    {30, "VolumeDown_5"},  {31, "VolumeDown_6"},  {32, "VolumeDown_3"},  {33, "VolumeDown_9"},
    {34, "VolumeDown_7"},  {35, "VolumeDown_10"}, {36, "VolumeDown_12"}, {37, "VolumeDown_13"},
    {38, "VolumeDown_11"}, {39, "VolumeUp_4"},    {40, "VolumeUp_5"},    {41, "VolumeUp_6"},
    {42, "VolumeUp_7"},    {43, "label_3"},       {44, "VolumeUp_2"},    {45, "VolumeDown_2"},
    {46, "VolumeUp_14"},   {47, "VolumeDown_14"}, {51, "VolumeDown_8"},
};

constexpr int DebounceUnitPosition = 50;

void SetWidgetText(QWidget* widget, const QString& text)
{
    if (auto* button = qobject_cast<QAbstractButton*>(widget))
        button->setText(text);
    else if (auto* label = qobject_cast<QLabel*>(widget))
        label->setText(text);
}

} // namespace

QList<QWidget*> Buttoninterface::Named(std::initializer_list<const char*> names) const
{
    QList<QWidget*> widgets;
    for (const char* name : names) {
        if (auto* w = findChild<QWidget*>(QLatin1String(name)))
            widgets.append(w);
    }
    return widgets;
}

Buttoninterface::Buttoninterface(QWidget* parent)
    : QWidget(parent)
    , m_ui(new Ui::Buttoninterface)
    , CacheTypes(SlotCount, 0)
    , CacheCodes(SlotCount, 0)
    , CacheParams(SlotCount, 0)
{
    m_ui->setupUi(this);
    setObjectName(QStringLiteral("Buttoninterface"));
    // Until a record arrives the cache holds the functions whose captions the page shows.
    for (int slot = 0; slot < SlotCount; ++slot) {
        const ButtonFunctionCode f = FormResetFunction(slot);
        CacheTypes[slot] = f.type;
        CacheCodes[slot] = f.code;
    }
    PostMsg::Connect(SIGNAL(SigMouseIndex(int)), this, SLOT(SlotMouseIndex(int)));
    PictureFolder = Skin::Folder(QStringLiteral("Buttoninterface"));
    MainPageFolder = AppPaths::UserDataFolder() + QStringLiteral("/usersetting/MainPage");
    QDir().mkpath(MainPageFolder);
    m_ui->widget->setStyleSheet(MousePictureStyle());

    SelectorGroup = new QButtonGroup(this);
    CatalogueGroup = new QButtonGroup(this);
    SubListGroup = new QButtonGroup(this);
    NumberGroup = new QButtonGroup(this);
    for (QButtonGroup* group : {SelectorGroup, CatalogueGroup, SubListGroup, NumberGroup})
        group->setExclusive(true);
    InitButtonGroups();

    ButtonColorText = Skin::OptionColor(QStringLiteral("ButtonColor"));
    m_ui->DPI_3->hide();
    m_ui->DPI_9->hide();
    ApplySkin();
    SensorSwitchTexts unusedSwitches; // the feature switches change nothing on this page
    ReadSensorDefinitions(AppPaths::InstallFolder() + QStringLiteral("/driver_sensor.h"), DefineTable,
                          unusedSwitches);

    PostMsg::Connect(SIGNAL(SigUpDataLightUIButton(FlashDataMap)), this, SLOT(SlotUpDataButtonUIButton(FlashDataMap)));
    PostMsg::Connect(SIGNAL(SigUpDataConfigUI(int , int , bool )), this, SLOT(SlotUpDataConfigUI(int , int , bool )));
    PostMsg::Connect(SIGNAL(SigUpDataButtonUIC(FlashDataMap)), this, SLOT(SlotUpDataButtonUIB(FlashDataMap)));
    PostMsg::Connect(SIGNAL(SigAddMacroButton()), this, SLOT(SlotAddMacroButton()));
    PostMsg::Connect(SIGNAL(SigDeleteMacroButton(QString )), this, SLOT(SlotDeleteMacroButton(QString )));
    PostMsg::Connect(SIGNAL(SigUpDataMacro(QString,int)), this, SLOT(SlotUpDataMacro(QString,int)));
    PostMsg::Connect(SIGNAL(SigMacroRename(QString,QString)), this, SLOT(SlotMacroRename(QString,QString)));
    PostMsg::Connect(SIGNAL(SigFormReset()), this, SLOT(SlotFormResetButton()));

    // The button page is built first: it creates the worker (its presence poll starts now).
    WorkerThread.store(new Worker(nullptr));

    // The page opens with the menu closed and the debounce setting in view.
    m_ui->stackedWidget->setCurrentWidget(m_ui->page);
    m_ui->stackedWidget_2->setCurrentWidget(m_ui->page_9);

    PostMsg::Connect(SIGNAL(SigAllLanguage(int)), this, SLOT(SlotAllLanguage(int)));

    m_ui->groupBox->setStyleSheet(QStringLiteral("#groupBox {border: 0;background-image: ")
                                  + Skin::Url(PictureFolder, QStringLiteral("TiltleBack.png")) + QStringLiteral(";}"));
    for (QWidget* w : Named({"groupBox_4", "groupBox_2", "scrollArea_4", "scrollArea_3", "scrollArea_7",
                             "scrollArea_8", "scrollArea_10", "scrollArea_6", "scrollArea_9", "scrollArea_12"})) {
        const QString sep = w->inherits("QGroupBox") ? QStringLiteral(" ") : QString();
        w->setStyleSheet(QLatin1Char('#') + w->objectName() + sep + QStringLiteral("{border: 0;}"));
    }
}

Buttoninterface::~Buttoninterface()
{
    // No new pass may start while the page goes: stop the poll, drop a pending request,
    // let a running pass end (it may wait on this thread), then stop hot-plug notices.
    if (WorkerPollTimer)
        WorkerPollTimer->stop();
    CancelWorkerRun();
    Worker* worker = WorkerThread.exchange(nullptr);
    if (worker) {
        worker->WaitProcessingEvents();
        delete worker;
    }
    StopUsbChanged();
}

void Buttoninterface::InitButtonGroups()
{
    const auto fill = [this](QButtonGroup* group, const auto& names) {
        for (const char* name : names) {
            if (auto* button = findChild<QAbstractButton*>(QLatin1String(name)))
                group->addButton(button);
        }
    };
    fill(SelectorGroup, SelectorNames);
    fill(CatalogueGroup, CatalogueNames);
    fill(SubListGroup, SubListNames);
    for (int n = 1; n <= SlotCount; ++n) {
        if (auto* button = findChild<QAbstractButton*>(QStringLiteral("Number%1").arg(n)))
            NumberGroup->addButton(button);
    }
}

void Buttoninterface::ApplySkin()
{
    const QString& p = PictureFolder;
    const QString b = Skin::ColorDeclaration(ButtonColorText);
    const auto url = [&p](const char* image) { return Skin::Url(p, QLatin1String(image)); };

    const QString transparent = QStringLiteral("background-color:transparent;border:none;");
    for (QWidget* w : Named({"scrollAreaWidgetContents_3", "scrollAreaWidgetContents_4", "scrollAreaWidgetContents_6",
                             "scrollAreaWidgetContents_8", "scrollAreaWidgetContents_9", "scrollAreaWidgetContents_12",
                             "scrollAreaWidgetContents_10"}))
        w->setStyleSheet(transparent);

    const QString subPage = QStringLiteral("QToolButton{") + b + QStringLiteral("border-image: ")
        + url("CMenuTitle.png") + QStringLiteral(";}QToolButton:checked{") + b + QStringLiteral("border-image: ")
        + url("CMenuTitleChecked.png") + QStringLiteral("; }");
    for (QWidget* w : Named({"page_3", "page_9", "page_4", "page_6", "page_7", "page_10", "page_8"}))
        w->setStyleSheet(subPage);

    m_ui->scrollAreaWidgetContents_11->setStyleSheet(
        QStringLiteral("#scrollAreaWidgetContents_11{background-color:transparent;border:none;}QToolButton{border:0px;"
                       "background-position:center;background-repeat:no-repeat;")
        + b + QStringLiteral("background-image: ") + url("AMenuTitle.png")
        + QStringLiteral(";}QToolButton:checked{background-image: ") + url("AMenuTitleChecked.png")
        + QStringLiteral("; }QToolButton:unchecked{background-image: ") + url("AMenuTitle.png")
        + QStringLiteral("; }QLabel{color: rgb(255, 255, 255);border:0px;background-position:center;"
                         "background-repeat:no-repeat;background-image: ")
        + url("LabelNumber.png") + QStringLiteral(";}"));
    m_ui->scrollArea_11->setFrameShape(QFrame::NoFrame);

    Skin::ApplyComboSkin(m_ui->ProjectChoose, p, true, QStringLiteral("QComboBox:disabled{color: rgb(0, 0, 0);}"));

    m_ui->label_3->setStyleSheet(Skin::LabelStyle(Skin::OptionColor(QStringLiteral("LabelColor"))));
    const QString resetStyle
        = QStringLiteral("QToolButton{border:0px;background-position:center;background-repeat:no-repeat;") + b
        + QStringLiteral("border-image: ") + url("Reset.png") + QStringLiteral(";}QToolButton:hover{border-image: ")
        + url("ResetHover.png") + QStringLiteral("; }QToolButton:pressed{border-image: ") + url("ResetClick.png")
        + QStringLiteral("; }");
    for (QWidget* w : Named({"Reset", "ImportData", "OutputData"}))
        w->setStyleSheet(resetStyle);

    const QString numberStyle = QStringLiteral("QToolButton{color: rgb(0, 0, 0);border:0px;background-position:center;"
                                               "background-repeat:no-repeat;background-image: ")
        + url("NumberOrigin.png") + QStringLiteral(";}QToolButton:hover{background-image: ") + url("NumberHover.png")
        + QStringLiteral(";}QToolButton:pressed{padding-left: 0px;background-image: ") + url("NumberClick.png")
        + QStringLiteral(";}");
    for (QAbstractButton* button : NumberGroup->buttons())
        button->setStyleSheet(numberStyle);

    const QString head = QStringLiteral("QToolButton{border:0px;color: rgb(255,255,255);background-position:center;"
                                        "background-repeat:no-repeat;background-image: ");
    m_ui->LeftKey_3->setStyleSheet(head + url("BMenuTitle.png")
                                   + QStringLiteral(";}}QToolButton:checked{color: rgb(255,255,255);background-image: ")
                                   + url("BMenuTitleChecked.png") + QStringLiteral(";} }"));
    const auto entryStyle = [&](const char* image, const char* checkedImage) {
        return head + url(image) + QStringLiteral(";}") + b
            + QStringLiteral("}QToolButton:checked{color: rgb(255,255,255);background-image: ") + url(checkedImage)
            + QStringLiteral(";} }");
    };
    const QString plainEntry = entryStyle("BMenuTitle.png", "BMenuTitleChecked.png");
    for (QWidget* w :
         Named({"nono", "MidKey", "BackKey_2", "ForWardKey", "DPI_2", "DPI_3", "DPI_6", "DPI_8", "DPI_5"}))
        w->setStyleSheet(plainEntry);
    const QString listEntry = entryStyle("BMenuTitleB.png", "BMenuTitleCheckedB.png");
    for (QWidget* w : Named({"DPI_13", "DPI_11", "DPI_10", "DPI_9", "DPI_7", "DPI_12", "DPI_4"}))
        w->setStyleSheet(listEntry);

    m_ui->label->setStyleSheet(QStringLiteral("#label{border:0px;color: rgb(255, 255, 255);background-position:center;"
                                              "background-repeat:no-repeat;background-image: ")
                               + url("Config.png") + QStringLiteral(";}"));
}

QString Buttoninterface::MousePictureStyle() const
{
    return QStringLiteral("#widget{border:0px;background-position:center;background-repeat:no-repeat;background-image: ")
        + Skin::Url(PictureFolder, QStringLiteral("mouse") + QString::number(0) + QStringLiteral(".png"))
        + QStringLiteral(";}");
}

QString Buttoninterface::Text(int position) const
{
    // Before the first language the captions are the form's own.
    if (Language < 0)
        return CatalogueFormCaption(position);
    return LangText(LangTable::ButtoninterfaceTexts, Language, position);
}

void Buttoninterface::SlotAllLanguage(int index)
{
    Language = index;
    QFont font(Skin::FormFontFamily(), index == 4 ? 7 : 9);
    for (const char* name : CatalogueFontNames) {
        if (auto* w = findChild<QWidget*>(QLatin1String(name)))
            w->setFont(font);
    }

    for (const TextTarget& t : PageTexts)
        SetWidgetText(findChild<QWidget*>(QLatin1String(t.widget)), Text(t.position));
    // Only this language's texts are too long for the buttons: the tool tips show them whole.
    m_ui->ImportData->setToolTip(index == 5 ? Text(2) : QString());
    m_ui->OutputData->setToolTip(index == 5 ? Text(3) : QString());
    m_ui->Button7->setText(m_ui->VolumeUp_10->text());
    m_ui->Button9->setText(m_ui->VolumeUp_9->text());

    MacroCaptionPrefix = Text(MacroCaptionPrefixPosition);
    ProfileNamePrefix = Text(ProfileEntryPrefixPosition);

    const QString unit = Text(DebounceUnitPosition);
    for (int i = 0; i < DebounceTime::ItemCount; ++i)
        m_ui->DebunceButton->SetDebounceItemText(i, unit);

    // Captions and profile names follow the device's record; without one they stay.
    FlashDataMap record{};
    if (DeviceConfigHoldsChosenDevice())
        record = DeviceConfig.get();
    else if (!LoadDeviceInfoCache(SelectedCacheName.get(), &record))
        return;
    ShowRecordFunctions(record, KeyNumber());

    QComboBox* profiles = m_ui->ProjectChoose;
    const int count = profiles->count();
    const int current = profiles->currentIndex();
    profiles->blockSignals(true);
    profiles->clear();
    for (int i = 1; i <= count; ++i)
        profiles->addItem(ProfileNamePrefix + QString::number(i));
    profiles->setCurrentIndex(current);
    profiles->blockSignals(false);
}

int Buttoninterface::KeyNumber() const
{
    const QString section = QStringLiteral("Drive") + QString::number(CurrentDeviceIndex() + 1);
    const int n = ConfigIni::instance()->value(section, QStringLiteral("KeyNumber")).toInt(nullptr, 10);
    return std::clamp(n, 0, int(SlotCount));
}

void Buttoninterface::ShowRecordFunctions(const FlashDataMap& record, int count)
{
    for (int slot = 0; slot < count; ++slot) {
        const ButtonFunctionCode& f = record.buttonFunctions[DeviceButtonOfSlot(slot)];
        CacheTypes[slot] = f.type;
        CacheCodes[slot] = f.code;
        CacheParams[slot] = f.parameter;
    }
    for (int slot = 0; slot < count; ++slot)
        ShowButtonFunction(slot, CacheTypes[slot], CacheCodes[slot], CacheParams[slot], record);
}

void Buttoninterface::ShowButtonFunction(int slot, int type, int code, int param, const FlashDataMap& record)
{
    const ButtonSlotRow* row = SlotRow(slot);
    auto* selector = row ? findChild<QAbstractButton*>(QLatin1String(row->selector)) : nullptr;
    if (!selector)
        return;
    const int button = row->deviceButton;
    const ButtonFunctionCode f{quint8(type), quint8(code), quint8(param)};
    const int dpiValue = type == DpiLockFunction ? DpiValueFromCode(code, DefineTable, SensorName) : 0;
    const std::optional<QString> caption = ButtonFunctionCaption(
        f, record.keyActions[button], record.macros[button], dpiValue, [this](int p) { return Text(p); });
    if (caption)
        selector->setText(*caption);
}

void Buttoninterface::LoadRecord(const FlashDataMap& record)
{
    ShowRecordFunctions(record, KeyNumber());
    // Not blocked: an index change may be written back, which the frame skips while loading.
    m_ui->DebunceButton->SetDebounceIndex(record.debounceTime);
}

void Buttoninterface::SlotUpDataButtonUIButton(FlashDataMap DataMap)
{
    ButtonLoaded.store(0);
    ButtonLoading.store(1);
    emit PostMsg::instance()->SigLightToFrom(DataMap.stopCloseTime * 10);
    SensorName = CurrentSensorName();
    LoadRecord(DataMap);
    ButtonLoaded.store(1);
    ButtonLoading.store(0);
}

void Buttoninterface::SlotUpDataButtonUIB(FlashDataMap DataMap)
{
    // Not a device-fed load: ButtonLoaded stays for the apply dialog's wait.
    ButtonLoading.store(1);
    SensorName = CurrentSensorName();
    emit PostMsg::instance()->SigLightToFrom(DataMap.stopCloseTime * 10);
    LoadRecord(DataMap);
    ButtonLoading.store(0);
}

void Buttoninterface::SlotFormResetButton()
{
    ButtonLoading.store(1);
    SlotMouseIndex(0);
    emit PostMsg::instance()->SigMouseIndex(0);
    m_ui->stackedWidget->setCurrentWidget(m_ui->page);
    m_ui->stackedWidget_2->setCurrentWidget(m_ui->page_9);
    // The captions stay as they are; only the cache goes back to the built-in functions.
    for (int slot = 0; slot < SlotCount; ++slot) {
        const ButtonFunctionCode f = FormResetFunction(slot);
        CacheTypes[slot] = f.type;
        CacheCodes[slot] = f.code;
        CacheParams[slot] = 0;
    }
    m_ui->DebunceButton->SetDebounceIndex(8);
    emit PostMsg::instance()->SigLightToFrom(60);
    ButtonLoading.store(0);
}

void Buttoninterface::SlotMouseIndex(int)
{
    // One picture for every mouse.
    m_ui->widget->setStyleSheet(MousePictureStyle());
}

void Buttoninterface::SetButtonParam(int slot, int type, int code, int param)
{
    if (slot < 0 || slot >= SlotCount)
        return;
    CacheTypes[slot] = type;
    CacheCodes[slot] = code;
    CacheParams[slot] = param;
}

Buttoninterface::CachedFunction Buttoninterface::CachedButtonFunction(int slot) const
{
    if (slot < 0 || slot >= SlotCount)
        return {};
    return {CacheTypes[slot], CacheCodes[slot], CacheParams[slot]};
}

void Buttoninterface::changeEvent(QEvent* event)
{
    // Only a language change is handled; the profile choice survives the re-translation.
    if (event->type() != QEvent::LanguageChange)
        return;
    const int current = m_ui->ProjectChoose->currentIndex();
    m_ui->ProjectChoose->blockSignals(true);
    m_ui->retranslateUi(this);
    m_ui->ProjectChoose->setCurrentIndex(current);
    m_ui->ProjectChoose->blockSignals(false);
}

// Profiles and the macro list are filled by their own slots, still to come.
void Buttoninterface::SlotUpDataConfigUI(int, int, bool) {}
void Buttoninterface::SlotAddMacroButton() {}
void Buttoninterface::SlotDeleteMacroButton(QString) {}
void Buttoninterface::SlotUpDataMacro(QString, int) {}
void Buttoninterface::SlotMacroRename(QString, QString) {}
