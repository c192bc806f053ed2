#include "pages/buttons/buttoninterface.h"

#include "core/apppaths.h"
#include "core/configini.h"
#include "core/deviceinfocache.h"
#include "core/devicesetters.h"
#include "core/devicestate.h"
#include "core/postmsg.h"
#include "core/profileexportfile.h"
#include "device/buttoncaption.h"
#include "device/buttoncatalogue.h"
#include "device/keyactioncodec.h"
#include "device/macrobuttonfile.h"
#include "device/macronames.h"
#include "device/macrorecordcodec.h"
#include "device/macrotextfile.h"
#include "core/timing.h"
#include "pages/buttons/firekey.h"
#include "pages/buttons/groupkey.h"
#include "device/worker.h"
#include "ui/lang/langtext.h"
#include "ui/widgets/containreset.h"
#include "ui/widgets/debouncetime.h"
#include "ui/widgets/filechooser.h"
#include "ui/widgets/inportfail.h"
#include "ui/widgets/leftbuttononly.h"
#include "ui/widgets/makemacro.h"
#include "ui/widgets/myconmbobox.h"
#include "ui/widgets/skin.h"
#include "ui/widgets/updataparam.h"

#include "hidusb/HIDUsb.h"

#include "ui_buttoninterface.h"

#include <QAbstractButton>
#include <QButtonGroup>
#include <QDir>
#include <QEvent>
#include <QFileInfo>
#include <QFont>
#include <QLabel>
#include <QLayout>
#include <QMouseEvent>
#include <QPointer>
#include <QScrollArea>
#include <QScrollBar>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>

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

// The menu's rows are 15 pixels apart, its entries farther: a row can stop inside an entry,
// which would then show cut at the list's upper edge. Stop in the nearer gap instead.
void ShowWholeTopEntry(QScrollArea* area)
{
    QWidget* content = area->widget();
    if (!content)
        return;
    if (QLayout* layout = content->layout())
        layout->activate();
    QList<QWidget*> entries;
    for (QWidget* child : content->findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly)) {
        if (child->isVisibleTo(content))
            entries << child;
    }
    std::sort(entries.begin(), entries.end(), [](const QWidget* a, const QWidget* b) { return a->y() < b->y(); });
    QScrollBar* bar = area->verticalScrollBar();
    const int top = bar->value();
    for (int i = 0; i < entries.size(); ++i) {
        const QRect r = entries.at(i)->geometry();
        if (r.top() >= top || top > r.bottom())
            continue;
        if (top - r.top() <= r.bottom() - top) {
            const int above = i > 0 ? entries.at(i - 1)->geometry().bottom() + 1 : 0;
            bar->setValue((above + r.top()) / 2);
        } else {
            const int below = i + 1 < entries.size() ? entries.at(i + 1)->y() : r.bottom() + 1;
            bar->setValue((r.bottom() + 1 + below) / 2);
        }
        return;
    }
}

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
    CreateMacroButtons();
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

    // The page opens with the menu closed and the debounce setting in view.
    m_ui->stackedWidget->setCurrentWidget(m_ui->page);
    m_ui->stackedWidget_2->setCurrentWidget(m_ui->page_9);

    PostMsg::Connect(SIGNAL(SigAllLanguage(int)), this, SLOT(SlotAllLanguage(int)));
    // Built when first needed, the page starts in the language chosen so far.
    SlotAllLanguage(CurrentLanguage);

    m_ui->groupBox->setStyleSheet(QStringLiteral("#groupBox {border: 0;background-image: ")
                                  + Skin::Url(PictureFolder, QStringLiteral("TiltleBack.png")) + QStringLiteral(";}"));
    for (QWidget* w : Named({"groupBox_4", "groupBox_2", "scrollArea_4", "scrollArea_3", "scrollArea_7",
                             "scrollArea_8", "scrollArea_10", "scrollArea_6", "scrollArea_9", "scrollArea_12"})) {
        const QString sep = w->inherits("QGroupBox") ? QStringLiteral(" ") : QString();
        w->setStyleSheet(QLatin1Char('#') + w->objectName() + sep + QStringLiteral("{border: 0;}"));
    }
}

Buttoninterface::~Buttoninterface() = default;

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

    const QString subPage = QStringLiteral("QToolButton{") + b + QStringLiteral("border-image: ")
        + url("CMenuTitle.png") + QStringLiteral(";}QToolButton:checked{") + b + QStringLiteral("border-image: ")
        + url("CMenuTitleChecked.png") + QStringLiteral("; }");
    for (QWidget* w : Named({"page_3", "page_9", "page_4", "page_6", "page_7", "page_10", "page_8"}))
        w->setStyleSheet(subPage);
    // Only the list's own background: a sheet without a selector would also strip the entries'
    // images. The pages get their sheets first: Qt does not carry a page's later sheet to
    // entries whose list already had its own (the light and DPI lock lists showed bare text).
    for (QWidget* w : Named({"scrollAreaWidgetContents_3", "scrollAreaWidgetContents_4", "scrollAreaWidgetContents_6",
                             "scrollAreaWidgetContents_8", "scrollAreaWidgetContents_9", "scrollAreaWidgetContents_12",
                             "scrollAreaWidgetContents_10"}))
        w->setStyleSheet(QLatin1Char('#') + w->objectName()
                         + QStringLiteral("{background-color:transparent;border:none;}"));

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
    // The entries' sheets as the skin first had them carried stray braces, which made Qt drop
    // each sheet whole and leave the entries unstyled; these are the same rules, well formed.
    m_ui->LeftKey_3->setStyleSheet(head + url("BMenuTitle.png")
                                   + QStringLiteral(";}QToolButton:checked{color: rgb(255,255,255);background-image: ")
                                   + url("BMenuTitleChecked.png") + QStringLiteral(";}"));
    const auto entryStyle = [&](const char* image, const char* checkedImage) {
        return head + url(image) + QStringLiteral(";") + b
            + QStringLiteral("}QToolButton:checked{color: rgb(255,255,255);background-image: ") + url(checkedImage)
            + QStringLiteral(";}");
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
    FillProfileItems(count);
    profiles->setCurrentIndex(current);
    profiles->blockSignals(false);
}

int Buttoninterface::KeyNumber() const
{
    const QString section = CurrentDeviceSection();
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
    if (type != MacroFunction)
        return;
    // The local file follows the macro the mouse holds: its repeat line now, the events from
    // the macro page, which answers the signal before it returns.
    const QString name = MacroRecordName(record.macros[button]);
    if (WriteMacroFileHeader(name, QString::number(param)))
        emit PostMsg::instance()->SigButtonToMacro(record, button);
}

void Buttoninterface::ShowModelButtons()
{
    // A selector, its row number and its spot only for each button the chosen model has:
    // hidden, the others take no click, focus or shortcut. A selection among them goes, and
    // with it the menu it opened.
    ModelSlots = KeyNumber();
    bool selectionGone = false;
    int listEnd = 0;
    QList<int> rowTops;
    for (const ButtonSlotRow& row : ButtonSlotMap) {
        const bool has = ModelHasRow(row);
        const QAbstractButton* selector = Button(row.selector);
        if (!has && selector && selector->isChecked())
            selectionGone = true;
        for (QWidget* w : Named({row.selector, row.rowLabel, row.numberLabel}))
            w->setVisible(has);
        if (has && selector) {
            rowTops << selector->y();
            for (QWidget* w : Named({row.selector, row.rowLabel}))
                listEnd = qMax(listEnd, w->geometry().bottom() + 1);
        }
    }
    ShowSelectorRows(rowTops, listEnd);
    if (selectionGone) {
        UncheckSelectors();
        CloseFunctionMenu();
    }
}

void Buttoninterface::ShowSelectorRows(QList<int> rowTops, int listEnd)
{
    // The list ends with the model's last row: no empty rows to scroll into. Scrolled to its
    // end it starts with a whole row, placed as the first row is at its start.
    const int view = m_ui->scrollArea_11->maximumViewportSize().height();
    const int inset = m_ui->FireKey->y();
    std::sort(rowTops.begin(), rowTops.end());
    int height = qMax(view, listEnd + inset);
    for (const int top : qAsConst(rowTops)) {
        const int end = top - inset + view;
        if (end >= listEnd + inset) {
            height = end;
            break;
        }
    }
    m_ui->scrollAreaWidgetContents_11->setFixedHeight(height);
}

bool Buttoninterface::ModelHasRow(const ButtonSlotRow& row) const
{
    return row.uiSlot < ModelSlots;
}

void Buttoninterface::LoadRecord(const FlashDataMap& record)
{
    ShowModelButtons();
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
    ShowModelButtons();
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


QAbstractButton* Buttoninterface::Button(const char* name) const
{
    return findChild<QAbstractButton*>(QLatin1String(name));
}

const ButtonSlotRow* Buttoninterface::SelectedRow() const
{
    for (const ButtonSlotRow& row : ButtonSlotMap) {
        const QAbstractButton* selector = Button(row.selector);
        if (selector && selector->isChecked())
            return &row;
    }
    return nullptr;
}

void Buttoninterface::CloseFunctionMenu()
{
    m_ui->stackedWidget->setCurrentWidget(m_ui->page);
    m_ui->scrollArea_11->verticalScrollBar()->setStyleSheet(QStringLiteral("QScrollBar {width:10px;}"));
    m_ui->stackedWidget_2->setCurrentWidget(m_ui->page_9);
}

void Buttoninterface::UncheckSelectors()
{
    // An exclusive group keeps its checked button checked.
    SelectorGroup->setExclusive(false);
    for (QAbstractButton* selector : SelectorGroup->buttons())
        selector->setChecked(false);
    SelectorGroup->setExclusive(true);
}

void Buttoninterface::ClearFunctionChecks()
{
    SubListGroup->setExclusive(false);
    for (QAbstractButton* entry : SubListGroup->buttons())
        entry->setChecked(false);
    SubListGroup->setExclusive(true);
}

void Buttoninterface::OpenFunctionMenu(int uiSlot)
{
    const ButtonSlotRow* row = SlotRow(uiSlot);
    QAbstractButton* selector = row ? Button(row->selector) : nullptr;
    if (!selector)
        return;

    // A mouse must keep one left click: its last holder cannot open the menu. A hidden
    // selector's caption is left from another model and holds nothing of this one.
    const QString left = m_ui->LeftKey_3->text();
    int leftCount = 0;
    for (const ButtonSlotRow& r : ButtonSlotMap) {
        const QAbstractButton* s = Button(r.selector);
        if (ModelHasRow(r) && s && s->text() == left)
            ++leftCount;
    }
    if (leftCount == 1 && selector->text() == left) {
        m_ui->stackedWidget->setCurrentWidget(m_ui->page);
        m_ui->stackedWidget_2->setCurrentWidget(m_ui->page_9);
        UncheckSelectors();
        LeftButtonOnly notice(nullptr);
        notice.PlaceOver(this, -50, -70);
        notice.exec();
        return;
    }

    // The first row keeps the bar: hiding it would move the list under the pointer.
    m_ui->scrollArea_11->verticalScrollBar()->setStyleSheet(
        selector == m_ui->FireKey ? QStringLiteral("QScrollBar {width:10px;}") : QStringLiteral("QScrollBar {width:0px;}"));

    const CachedFunction f = CachedButtonFunction(uiSlot);
    const FlashDataMap config = DeviceConfig.get();
    const KeyActionRecord& keys = config.keyActions[row->deviceButton];
    const int dpiValue = f.type == DpiLockFunction ? DpiValueFromCode(f.code, DefineTable, CurrentSensorName()) : 0;
    const CataloguePreCheck pre = PreCheckForFunction(f.type, f.code, keys, dpiValue);
    int dpiLockScroll = 0;
    if (pre.opens) {
        m_ui->stackedWidget->setCurrentWidget(m_ui->page_2);
        m_ui->stackedWidget_2->setCurrentIndex(int(pre.page));
        if (pre.mainEntry) {
            if (QAbstractButton* main = Button(pre.mainEntry->name))
                main->setChecked(true);
        }
        if (pre.subEntry) {
            if (QAbstractButton* sub = Button(pre.subEntry->name))
                sub->setChecked(true);
        }
        if (f.type == KeyActionFunction) {
            m_ui->scrollArea_3->verticalScrollBar()->setValue(pre.subEntry ? 15 * pre.subRow : 0);
        } else if (f.type == DpiLockFunction && pre.subEntry) {
            dpiLockScroll = 15 * pre.subRow;
        }
        if (f.type == MacroFunction) {
            QString caption = selector->text();
            caption.remove(QChar(0));
            for (int i = 0; i < MacroButtons.size(); ++i) {
                QToolButton* macro = MacroButtons.at(i);
                if (MacroCaptionPrefix + macro->text() == caption) {
                    macro->setChecked(true);
                    m_ui->scrollArea_7->verticalScrollBar()->setValue(15 * (i + 1));
                }
            }
        }
    }
    if (f.type != KeyActionFunction || !pre.opens)
        m_ui->scrollArea_10->verticalScrollBar()->setValue(dpiLockScroll);
    m_ui->scrollArea_4->verticalScrollBar()->setValue(pre.opens ? 15 * pre.mainRow : 0);
    for (QScrollArea* area : {m_ui->scrollArea_4, m_ui->scrollArea_3, m_ui->scrollArea_7, m_ui->scrollArea_10})
        ShowWholeTopEntry(area);
}

void Buttoninterface::SelectRow(int row)
{
    CheckDeviceOnline(); // only for its offline notice
    if (QAbstractButton* selector = Button(ButtonSlotMap[row].selector))
        selector->setChecked(true);
    if (row >= 6)
        m_ui->scrollArea_11->verticalScrollBar()->setValue(150);
}

void Buttoninterface::ShowSubList(int page)
{
    m_ui->stackedWidget_2->setCurrentIndex(page);
}

void Buttoninterface::EntryClicked(const char* name, bool checked)
{
    if (qstrcmp(name, "LeftKey_3") == 0)
        m_ui->stackedWidget_2->setCurrentWidget(m_ui->page_9);
    const CatalogueEntry* entry = FindCatalogueEntry(QLatin1String(name));
    const QAbstractButton* button = Button(name);
    if (!checked || !entry || !button)
        return;
    if (entry->assign == CatalogueAssign::ConsumerKey)
        AssignConsumerKey(*entry, button->text());
    else
        AssignFunction(*entry, button->text());
}

void Buttoninterface::AssignFunction(const CatalogueEntry& entry, const QString& entryText)
{
    // The sub-list entries stay checked in their group; the main list's clear it.
    if (entry.mainList)
        ClearFunctionChecks();
    if (const ButtonSlotRow* row = SelectedRow()) {
        int code = entry.code;
        int param = entry.param;
        int cachedCode = code;
        QString caption = entryText;
        if (entry.assign == CatalogueAssign::RapidFire) {
            code = cachedCode = RapidFireInterval;
            param = RapidFireCount;
        } else if (entry.assign == CatalogueAssign::DpiLock) {
            const QString sensor = CurrentSensorName();
            cachedCode = DpiCodeFromValue(entry.dpi, DefineTable, sensor);
            code = DpiLockBytes(entry.dpi, DefineTable, sensor).code;
            caption = m_ui->DPI_4->text() + QLatin1Char('-') + entryText;
        }
        if (SetButtonFunction(row->deviceButton, entry.type, code, param)) {
            Button(row->selector)->setText(caption);
            SetButtonParam(row->uiSlot, entry.type, cachedCode, param);
        }
    }
    CloseFunctionMenu();
}

void Buttoninterface::AssignConsumerKey(const CatalogueEntry& entry, const QString& entryText)
{
    const ButtonSlotRow* row = SelectedRow();
    const std::optional<KeyActionRecord> keys = MultimediaKeyRecord(entry.usage & 0xFF);
    if (row && keys && SetButtonKeyAction(row->deviceButton, &KeyActionButtonCode, &*keys)) {
        SetButtonParam(row->uiSlot, KeyActionFunction, 0, 0);
        Button(row->selector)->setText(entryText);
    }
    CloseFunctionMenu();
}

void Buttoninterface::on_DPI_6_clicked()
{
    if (!DevicePresent() && !ButtonLoading.load()) {
        m_ui->stackedWidget->setCurrentWidget(m_ui->page);
        m_ui->stackedWidget_2->setCurrentWidget(m_ui->page_9);
        return;
    }
    const ButtonSlotRow* row = SelectedRow();
    const bool hasRapidFire = row && Button(row->selector)->text() == m_ui->DPI_6->text();
    FireKey dialog(nullptr);
    if (hasRapidFire) {
        const CachedFunction f = CachedButtonFunction(row->uiSlot);
        dialog.SetTime(f.code);
        dialog.SetCount(f.param);
    } else {
        dialog.SetTime(RapidFireDefaultInterval);
        dialog.SetCount(RapidFireDefaultCount);
    }
    Skin::MoveCenteredOver(&dialog, this, QPoint(-50, -70));
    dialog.exec();
    if (dialog.Confirmed) {
        RapidFireInterval = dialog.TimeValue;
        RapidFireCount = dialog.CountValue;
        on_DPI_6_clicked(true);
    }
}

void Buttoninterface::on_DPI_8_clicked()
{
    GroupKey dialog(nullptr);
    Skin::MoveCenteredOver(&dialog, this, QPoint(-50, -70));
    dialog.exec();
    if (!dialog.Confirmed)
        return;
    const ButtonSlotRow* row = SelectedRow();
    AssignKeyCombination(row ? row->deviceButton : -1, dialog.KeyText);
}

void Buttoninterface::AssignKeyCombination(int deviceButton, const QString& text)
{
    m_ui->stackedWidget_2->setCurrentWidget(m_ui->page_9);
    ClearFunctionChecks();
    const int slot = SlotOfDeviceButton(deviceButton);
    if (const ButtonSlotRow* row = SlotRow(slot)) {
        const KeyActionRecord keys = ParseKeyCombination(text);
        if (SetButtonKeyAction(row->deviceButton, &KeyActionButtonCode, &keys)) {
            SetButtonParam(row->uiSlot, KeyActionFunction, 0, 0);
            Button(row->selector)->setText(text);
        }
    }
    // Another combination may follow for the same button: the main list stays.
    m_ui->stackedWidget->setCurrentWidget(m_ui->page_2);
    m_ui->scrollArea_11->verticalScrollBar()->setStyleSheet(QStringLiteral("QScrollBar {width:10px;}"));
    m_ui->stackedWidget_2->setCurrentWidget(m_ui->page_9);
}

void Buttoninterface::AssignMultimediaKey(int deviceButton, int usageLowByte)
{
    const ButtonSlotRow* row = SlotRow(SlotOfDeviceButton(deviceButton));
    const CatalogueEntry* entry = ConsumerKeyEntry(usageLowByte);
    const std::optional<KeyActionRecord> keys = MultimediaKeyRecord(usageLowByte);
    const QAbstractButton* entryButton = entry ? Button(entry->name) : nullptr;
    if (!row || !keys || !entryButton)
        return;
    if (SetButtonKeyAction(row->deviceButton, &KeyActionButtonCode, &*keys)) {
        SetButtonParam(row->uiSlot, KeyActionFunction, 0, 0);
        Button(row->selector)->setText(entryButton->text());
    }
}

void Buttoninterface::on_DPI_10_clicked()
{
    if (!MacroButtons.isEmpty()) {
        ShowSubList(int(SubListPage::Macros));
        return;
    }
    m_ui->stackedWidget_2->setCurrentWidget(m_ui->page_9);
    MakeMacro notice(nullptr);
    Skin::MoveCenteredOver(&notice, this, QPoint(-50, -70));
    notice.exec();
}

void Buttoninterface::on_stackedWidget_currentChanged(int index)
{
    // The open menu covers the part of the selector list it overlaps.
    if (index == 0) {
        m_ui->scrollArea_11->raise();
    } else {
        m_ui->scrollArea_4->raise();
        m_ui->scrollArea_11->lower();
    }
}

void Buttoninterface::mousePressEvent(QMouseEvent* event)
{
    if (event->type() != QEvent::MouseButtonPress)
        return;
    const QPoint p = event->pos();
    const QPoint lifted = p - QPoint(0, 340);
    const bool left = event->button() == Qt::LeftButton;
    const auto open = [this] { return m_ui->stackedWidget->currentWidget() == m_ui->page_2; };
    const auto atDefault = [this] { return m_ui->stackedWidget_2->currentWidget() == m_ui->page_9; };
    const QRect groupBox = m_ui->groupBox->geometry();
    const QRect list = m_ui->scrollArea_11->geometry();
    const QRect menu = m_ui->stackedWidget->geometry();
    const QRect subList = m_ui->stackedWidget_2->geometry();

    if (open() && !atDefault() && !groupBox.contains(p)) {
        if (!left)
            return;
        CloseFunctionMenu();
    } else if (open() && atDefault() && !list.contains(p) && !menu.contains(lifted)) {
        if (!left)
            return;
        CloseFunctionMenu();
    }
    if (!left)
        return;
    if (!open() && atDefault()) {
        if (!list.contains(p) || menu.contains(lifted)) {
            UncheckSelectors();
            CloseFunctionMenu();
        }
    } else if (open() && atDefault()) {
        if (!groupBox.contains(p)) {
            UncheckSelectors();
            CloseFunctionMenu();
        }
    } else if (open() && !atDefault()) {
        if (!list.contains(p) && !menu.contains(p) && !subList.contains(p)) {
            UncheckSelectors();
            CloseFunctionMenu();
        }
    }
    if (m_ui->widget->geometry().contains(p)) {
        UncheckSelectors();
        CloseFunctionMenu();
    }
}

void Buttoninterface::on_FireKey_clicked() { OpenFunctionMenu(ButtonSlotMap[0].uiSlot); }
void Buttoninterface::on_RightKey_clicked() { OpenFunctionMenu(ButtonSlotMap[1].uiSlot); }
void Buttoninterface::on_BackKey_clicked() { OpenFunctionMenu(ButtonSlotMap[2].uiSlot); }
void Buttoninterface::on_StartPause_clicked() { OpenFunctionMenu(ButtonSlotMap[3].uiSlot); }
void Buttoninterface::on_TopMusic_clicked() { OpenFunctionMenu(ButtonSlotMap[4].uiSlot); }
void Buttoninterface::on_BackMusic_clicked() { OpenFunctionMenu(ButtonSlotMap[5].uiSlot); }
void Buttoninterface::on_Button9_clicked() { OpenFunctionMenu(ButtonSlotMap[6].uiSlot); }
void Buttoninterface::on_Button7_clicked() { OpenFunctionMenu(ButtonSlotMap[7].uiSlot); }
void Buttoninterface::on_Button8_clicked() { OpenFunctionMenu(ButtonSlotMap[8].uiSlot); }
void Buttoninterface::on_Number1_clicked() { SelectRow(0); }
void Buttoninterface::on_Number2_clicked() { SelectRow(1); }
void Buttoninterface::on_Number3_clicked() { SelectRow(2); }
void Buttoninterface::on_Number4_clicked() { SelectRow(3); }
void Buttoninterface::on_Number5_clicked() { SelectRow(4); }
void Buttoninterface::on_Number6_clicked() { SelectRow(5); }
void Buttoninterface::on_Number7_clicked() { SelectRow(6); }
void Buttoninterface::on_Number8_clicked() { SelectRow(7); }
void Buttoninterface::on_Number9_clicked() { SelectRow(8); }
void Buttoninterface::on_LeftKey_3_clicked(bool checked) { EntryClicked("LeftKey_3", checked); }
void Buttoninterface::on_nono_clicked(bool checked) { EntryClicked("nono", checked); }
void Buttoninterface::on_MidKey_clicked(bool checked) { EntryClicked("MidKey", checked); }
void Buttoninterface::on_BackKey_2_clicked(bool checked) { EntryClicked("BackKey_2", checked); }
void Buttoninterface::on_ForWardKey_clicked(bool checked) { EntryClicked("ForWardKey", checked); }
void Buttoninterface::on_DPI_2_clicked(bool checked) { EntryClicked("DPI_2", checked); }
void Buttoninterface::on_DPI_3_clicked(bool checked) { EntryClicked("DPI_3", checked); }
void Buttoninterface::on_DPI_5_clicked(bool checked) { EntryClicked("DPI_5", checked); }
void Buttoninterface::on_Player_clicked(bool checked) { EntryClicked("Player", checked); }
void Buttoninterface::on_StartPause_2_clicked(bool checked) { EntryClicked("StartPause_2", checked); }
void Buttoninterface::on_cccz_clicked(bool checked) { EntryClicked("cccz", checked); }
void Buttoninterface::on_TopMusic_2_clicked(bool checked) { EntryClicked("TopMusic_2", checked); }
void Buttoninterface::on_Mute_clicked(bool checked) { EntryClicked("Mute", checked); }
void Buttoninterface::on_VolumeUp_clicked(bool checked) { EntryClicked("VolumeUp", checked); }
void Buttoninterface::on_VolumeDown_clicked(bool checked) { EntryClicked("VolumeDown", checked); }
void Buttoninterface::on_VolumeDown_4_clicked(bool checked) { EntryClicked("VolumeDown_4", checked); }
void Buttoninterface::on_VolumeDown_5_clicked(bool checked) { EntryClicked("VolumeDown_5", checked); }
void Buttoninterface::on_VolumeDown_6_clicked(bool checked) { EntryClicked("VolumeDown_6", checked); }
void Buttoninterface::on_VolumeDown_3_clicked(bool checked) { EntryClicked("VolumeDown_3", checked); }
void Buttoninterface::on_VolumeDown_8_clicked(bool checked) { EntryClicked("VolumeDown_8", checked); }
void Buttoninterface::on_VolumeDown_9_clicked(bool checked) { EntryClicked("VolumeDown_9", checked); }
void Buttoninterface::on_VolumeDown_7_clicked(bool checked) { EntryClicked("VolumeDown_7", checked); }
void Buttoninterface::on_VolumeDown_10_clicked(bool checked) { EntryClicked("VolumeDown_10", checked); }
void Buttoninterface::on_VolumeDown_12_clicked(bool checked) { EntryClicked("VolumeDown_12", checked); }
void Buttoninterface::on_VolumeDown_13_clicked(bool checked) { EntryClicked("VolumeDown_13", checked); }
void Buttoninterface::on_VolumeDown_11_clicked(bool checked) { EntryClicked("VolumeDown_11", checked); }
void Buttoninterface::on_VolumeUp_4_clicked(bool checked) { EntryClicked("VolumeUp_4", checked); }
void Buttoninterface::on_VolumeUp_5_clicked(bool checked) { EntryClicked("VolumeUp_5", checked); }
void Buttoninterface::on_VolumeUp_6_clicked(bool checked) { EntryClicked("VolumeUp_6", checked); }
void Buttoninterface::on_VolumeUp_7_clicked(bool checked) { EntryClicked("VolumeUp_7", checked); }
void Buttoninterface::on_VolumeUp_11_clicked(bool checked) { EntryClicked("VolumeUp_11", checked); }
void Buttoninterface::on_VolumeUp_12_clicked(bool checked) { EntryClicked("VolumeUp_12", checked); }
void Buttoninterface::on_VolumeUp_13_clicked(bool checked) { EntryClicked("VolumeUp_13", checked); }
void Buttoninterface::on_VolumeUp_16_clicked(bool checked) { EntryClicked("VolumeUp_16", checked); }
void Buttoninterface::on_VolumeUp_15_clicked(bool checked) { EntryClicked("VolumeUp_15", checked); }
void Buttoninterface::on_VolumeUp_19_clicked(bool checked) { EntryClicked("VolumeUp_19", checked); }
void Buttoninterface::on_VolumeUp_20_clicked(bool checked) { EntryClicked("VolumeUp_20", checked); }
void Buttoninterface::on_VolumeUp_22_clicked(bool checked) { EntryClicked("VolumeUp_22", checked); }
void Buttoninterface::on_VolumeUp_18_clicked(bool checked) { EntryClicked("VolumeUp_18", checked); }
void Buttoninterface::on_VolumeUp_24_clicked(bool checked) { EntryClicked("VolumeUp_24", checked); }
void Buttoninterface::on_VolumeUp_23_clicked(bool checked) { EntryClicked("VolumeUp_23", checked); }
void Buttoninterface::on_VolumeUp_21_clicked(bool checked) { EntryClicked("VolumeUp_21", checked); }
void Buttoninterface::on_VolumeUp_2_clicked(bool checked) { EntryClicked("VolumeUp_2", checked); }
void Buttoninterface::on_VolumeDown_2_clicked(bool checked) { EntryClicked("VolumeDown_2", checked); }
void Buttoninterface::on_VolumeUp_8_clicked(bool checked) { EntryClicked("VolumeUp_8", checked); }
void Buttoninterface::on_VolumeUp_9_clicked(bool checked) { EntryClicked("VolumeUp_9", checked); }
void Buttoninterface::on_VolumeUp_10_clicked(bool checked) { EntryClicked("VolumeUp_10", checked); }
void Buttoninterface::on_VolumeUp_14_clicked(bool checked) { EntryClicked("VolumeUp_14", checked); }
void Buttoninterface::on_VolumeDown_14_clicked(bool checked) { EntryClicked("VolumeDown_14", checked); }
void Buttoninterface::on_DPI_6_clicked(bool checked) { EntryClicked("DPI_6", checked); }
void Buttoninterface::on_DPI_4_clicked() { ShowSubList(int(SubListPage::DpiLock)); }
void Buttoninterface::on_DPI_7_clicked() { ShowSubList(int(SubListPage::DpiSwitch)); }
void Buttoninterface::on_DPI_9_clicked() { ShowSubList(int(SubListPage::Lights)); }
void Buttoninterface::on_DPI_11_clicked() { ShowSubList(int(SubListPage::HorizontalWheel)); }
void Buttoninterface::on_DPI_12_clicked() { ShowSubList(int(SubListPage::Multimedia)); }
void Buttoninterface::on_DPI_13_clicked() { ShowSubList(int(SubListPage::VerticalWheel)); }
void Buttoninterface::on_DPI_4_clicked(bool) {}

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

// ---- macro list and macro buttons ----

QString Buttoninterface::MacroButtonStyle() const
{
    return QStringLiteral("QToolButton{") + Skin::ColorDeclaration(ButtonColorText) + QStringLiteral("border-image: ")
        + Skin::Url(PictureFolder, QStringLiteral("CMenuTitle.png"))
        + QStringLiteral(";}QToolButton:hover{background-image: none;}QToolButton:checked{border-image: ")
        + Skin::Url(PictureFolder, QStringLiteral("CMenuTitleChecked.png")) + QStringLiteral(";}");
}

void Buttoninterface::CreateMacroButtons()
{
    MacroListWidget = new QWidget;
    MacroListLayout = new QVBoxLayout(MacroListWidget);
    MacroListLayout->setSizeConstraint(QLayout::SetFixedSize);
    MacroListWidget->setMinimumSize(205, 220);
    MacroListWidget->setMaximumSize(205, 220);
    MacroListWidget->setStyleSheet(QStringLiteral("background-color:transparent;border:none;"));
    m_ui->scrollArea_7->setWidget(MacroListWidget);
    FillMacroButtons(false);
}

void Buttoninterface::FillMacroButtons(bool rebuild)
{
    const MacroButtonScan scan = ScanMacroButtonFiles(MacroFolder(), rebuild);
    const QString style = MacroButtonStyle();
    const QFont font(Skin::FormFontFamily(), 9);
    const auto make = [&](const QString& text) {
        auto* button = new QToolButton(MacroListWidget);
        button->setText(text);
        button->setStyleSheet(style);
        button->setFont(font);
        button->setCheckable(true);
        // As every entry of the menu: the window's Space must not land on a macro.
        button->setFocusPolicy(Qt::NoFocus);
        MacroListLayout->addWidget(button);
        MacroButtons.append(button);
        return button;
    };
    for (const QString& text : scan.texts) {
        QToolButton* button = make(text);
        button->setMinimumSize(174, 22);
        SubListGroup->addButton(button);
        connect(button, &QToolButton::clicked, this, &Buttoninterface::slotButtonClicked);
    }
    for (int i = MacroPlaceholderCount(scan.entries); i > 0; --i) {
        QToolButton* placeholder = make(QString());
        placeholder->setEnabled(false);
        placeholder->setMinimumSize(174, 23);
        placeholder->hide();
    }
}

void Buttoninterface::SlotAddMacroButton()
{
    // A rebuild can come inside a macro button's own click: the old buttons go later.
    for (QToolButton* button : qAsConst(MacroButtons)) {
        MacroListLayout->removeWidget(button);
        SubListGroup->removeButton(button);
        button->hide();
        button->deleteLater();
    }
    MacroButtons.clear();
    FillMacroButtons(true);
}

void Buttoninterface::slotButtonClicked(bool checked)
{
    if (!checked)
        return;
    const auto* macroButton = qobject_cast<QAbstractButton*>(sender());
    const ButtonSlotRow* row = SelectedRow();
    if (macroButton && row) {
        const QString name = macroButton->text();
        bool ok = false;
        const MacroRecord record = LoadMacroKeys(name, ok);
        if (!ok && UiSendsChanges.load()) {
            // Gone, or no macro: the user hears why the button keeps its function.
            CloseFunctionMenu();
            InportFail notice(nullptr);
            notice.ShowUnreadableText();
            Skin::MoveCenteredOver(&notice, this, QPoint(-50, -70));
            notice.exec();
            return;
        }
        if (ok) {
            const int repeat = MacroRepeatValue(ReadMacroFile(name));
            const ButtonFunctionCode f{MacroFunction, quint8(row->deviceButton), quint8(repeat)};
            if (SetButtonMacro(row->deviceButton, &f, &record)) {
                Button(row->selector)->setText(MacroCaptionPrefix + name);
                SetButtonParam(row->uiSlot, MacroFunction, row->deviceButton, repeat);
            }
        }
    }
    CloseFunctionMenu();
}

QList<const ButtonSlotRow*> Buttoninterface::RowsShowingCaption(const QString& caption) const
{
    QList<const ButtonSlotRow*> rows;
    for (const ButtonSlotRow& row : ButtonSlotMap) {
        const QAbstractButton* selector = Button(row.selector);
        if (ModelHasRow(row) && selector && QString(selector->text()).remove(QChar(0)) == caption)
            rows.append(&row);
    }
    return rows;
}

QList<const ButtonSlotRow*> Buttoninterface::RowsShowingMacro(const QString& name) const
{
    QList<const ButtonSlotRow*> rows;
    for (const ButtonSlotRow& row : ButtonSlotMap) {
        const QAbstractButton* selector = Button(row.selector);
        if (!ModelHasRow(row) || !selector)
            continue;
        QString caption = selector->text();
        caption.remove(QChar(0));
        if (!MacroCaptionPrefix.isEmpty())
            caption.remove(MacroCaptionPrefix);
        if (caption == name)
            rows.append(&row);
    }
    return rows;
}

void Buttoninterface::RestoreDefaultFunction(const ButtonSlotRow& row, const QStringList& keyParam)
{
    const CatalogueEntry* entry = MacroDeletionDefault(row.deviceButton);
    if (!entry)
        return;
    // The menu shows the default as picked; DPI up and down also check their list's opener.
    if (QAbstractButton* b = Button(entry->name))
        b->setChecked(true);
    if (row.deviceButton == 10 || row.deviceButton == 8) {
        if (QAbstractButton* opener = Button("DPI_7"))
            opener->setChecked(true);
    }
    DeviceConfig.update([&row](FlashDataMap& m) { m.keyActions[row.deviceButton] = KeyActionRecord{}; });

    if (keyParam.isEmpty()) {
        EntryClicked(entry->name, true);
    } else if (keyParam.size() == 3) {
        QString low = keyParam.at(2).trimmed();
        if (low.startsWith(QLatin1String("0x"), Qt::CaseInsensitive))
            low = low.mid(2);
        bool isNumber = false;
        const int byte = low.toInt(&isNumber, 16);
        if (isNumber)
            AssignMultimediaKey(row.deviceButton, byte);
    } else if (keyParam.size() == 4) {
        AssignKeyCombination(row.deviceButton, keyParam.at(3));
    }
}

void Buttoninterface::SlotDeleteMacroButton(QString MacroName)
{
    // Only buttons 0 to 5 can have a device default, and only a list that starts with "0x05".
    QStringList keyParams[6];
    const QString section = CurrentDeviceSection();
    for (int k = 1; k <= 6; ++k) {
        const QStringList list = ConfigIni::instance()->valueList(section, QStringLiteral("KeyParam") + QString::number(k));
        if (!list.isEmpty() && list.first() == QLatin1String("0x05"))
            keyParams[k - 1] = list;
    }
    for (const ButtonSlotRow* row : RowsShowingCaption(MacroName)) {
        if (QAbstractButton* selector = Button(row->selector))
            selector->setChecked(true);
        const bool listed = row->deviceButton >= 0 && row->deviceButton < 6;
        RestoreDefaultFunction(*row, listed ? keyParams[row->deviceButton] : QStringList());
    }
    UncheckSelectors();
    CloseFunctionMenu();
    // The cleared key blocks reach the mouse even when no selector showed the macro.
    SendDeviceConfig();
}

void Buttoninterface::SlotMacroRename(QString MacroName, QString NewName)
{
    for (const ButtonSlotRow* row : RowsShowingMacro(MacroName)) {
        Button(row->selector)->setText(MacroCaptionPrefix + NewName);
        ButtonFunctionCode f{};
        MacroRecord macro{};
        DeviceConfig.read([&](const FlashDataMap& m) {
            f = m.buttonFunctions[row->deviceButton];
            macro = m.macros[row->deviceButton];
        });
        macro.nameLength = quint8(EncodeMacroName(NewName, reinterpret_cast<quint8*>(macro.name)));
        SetButtonMacro(row->deviceButton, &f, &macro);
    }
}

void Buttoninterface::SlotUpDataMacro(QString MacroName, int index)
{
    if (index == 0) {
        // The macro page writes the saved events first; the page may go during the wait.
        QPointer<Buttoninterface> self(this);
        WaitPumpingEvents(Timing::MacroSaveSettle);
        if (!self)
            return;
        for (const ButtonSlotRow* row : RowsShowingMacro(MacroName))
            emit PostMsg::instance()->SigMacroDownLoadData(MacroName, row->deviceButton);
    } else if (index == 1) {
        const int repeat = MacroRepeatValue(ReadMacroFile(MacroName));
        for (const ButtonSlotRow* row : RowsShowingMacro(MacroName)) {
            ButtonFunctionCode f{};
            MacroRecord macro{};
            DeviceConfig.read([&](const FlashDataMap& m) {
                f = m.buttonFunctions[row->deviceButton];
                macro = m.macros[row->deviceButton];
            });
            f.parameter = quint8(repeat);
            SetButtonMacro(row->deviceButton, &f, &macro);
        }
    }
}

// ---- profiles, configuration file, factory reset ----

QString Buttoninterface::AskConfigFile(bool save)
{
    FileChooser::Request request;
    request.save = save;
    request.caption = save ? QStringLiteral("FileSave") : QStringLiteral("SelectFile");
    request.folder = FileChooser::StartFolder(LastConfigFolder);
    request.filter = QStringLiteral("File(*.bin)");
    if (save)
        request.defaultSuffix = QStringLiteral("bin");
    const QString path = FileChooser::Ask(this, request);
    if (!path.isEmpty())
        LastConfigFolder = QFileInfo(path).absolutePath();
    return path;
}

bool Buttoninterface::ExportConfig(QString path, FlashDataMap record)
{
    return WriteProfileExportFile(path, record, CurrentSensorName());
}

void Buttoninterface::on_OutputData_clicked()
{
    // Only a full read of the chosen device is a configuration worth keeping.
    if (!DeviceConfigHoldsChosenDevice()) {
        emit PostMsg::instance()->SigMouseOffLineo(0);
        return;
    }
    const QString path = AskConfigFile(true);
    if (path.isEmpty())
        return;
    // The device may have gone or changed while the dialog was open.
    FlashDataMap record{};
    bool holds = false;
    {
        std::lock_guard<std::recursive_mutex> lock(DeviceStateMutex());
        holds = DeviceConfigHoldsChosenDevice();
        if (holds)
            record = DeviceConfig.get();
    }
    if (!holds) {
        emit PostMsg::instance()->SigMouseOffLineo(0);
        return;
    }
    ExportConfig(path, record);
}

void Buttoninterface::on_ImportData_clicked()
{
    if (!DevicePresent()) {
        emit PostMsg::instance()->SigMouseOffLineo(0);
        return;
    }
    SettingsBusy.store(1);
    const QString path = AskConfigFile(false);
    if (!path.isEmpty()) {
        // Set before the dialog is built: it picks its import text from it.
        ImportRunning.store(1);
        UpDataParam dialog(nullptr);
        dialog.StartTimer();
        dialog.ImportMode = true;
        dialog.ImportFilePath = path;
        Skin::MoveCenteredOver(&dialog, this, QPoint(-75, -65));
        dialog.exec();
        ImportRunning.store(0);
    }
    SettingsBusy.store(0);
}

void Buttoninterface::on_ProjectChoose_activated(int index)
{
    // The device announces the switch itself; its reports bring the profile's settings.
    if (DevicePresent() || ButtonLoading.load()) {
        UsbServer_SetCurrentConfig(quint8(index));
        return;
    }
    m_ui->ProjectChoose->setCurrentIndex(m_ui->ProjectChoose->PressedIndex);
    emit PostMsg::instance()->SigMouseOffLineo(0);
}

void Buttoninterface::on_ProjectChoose_currentIndexChanged(int) {}

void Buttoninterface::on_Reset_clicked()
{
    if (!DevicePresent()) {
        emit PostMsg::instance()->SigMouseOffLineo(0);
        return;
    }
    ContainReset confirm(nullptr);
    Skin::MoveCenteredOver(&confirm, this, QPoint(-75, -65));
    confirm.exec();
    if (!confirm.Confirmed)
        return;
    // Every button gets its factory function back: what the open menu marks no longer holds.
    UncheckSelectors();
    ClearFunctionChecks();
    CloseFunctionMenu();

    SettingsBusy.store(1);
    // No presence checks while the device restores itself.
    if (WorkerPollTimer)
        WorkerPollTimer->stop();
    // A pass still running would hand the pages the settings from before the reset.
    if (Worker* worker = WorkerThread.load())
        worker->WaitProcessingEvents();
    UsbServer_SetBatteryOptimizeEnable(0);
    SendDeviceConfig();
    UsbServer_SetClearSetting();

    UpDataParam dialog(nullptr);
    dialog.StartTimer();
    dialog.ReloadWaitMode = true;
    // The dialog's wait must see only the pages' answers to the fresh read.
    PrepareResetReadPass();
    SensorLoaded.store(0);
    LightLoaded.store(0);
    ButtonLoaded.store(0);
    StartWorkerPass();
    Skin::MoveCenteredOver(&dialog, this, QPoint(-75, -65));
    dialog.exec();

    SettingsBusy.store(0);
    if (WorkerPollTimer)
        WorkerPollTimer->start();
}

void Buttoninterface::FillProfileItems(int count)
{
    m_ui->ProjectChoose->clear();
    for (int i = 1; i <= count; ++i)
        m_ui->ProjectChoose->addItem(ProfileNamePrefix + QString::number(i));
}

void Buttoninterface::SlotUpDataConfigUI(int ToTalItem, int SelectIndex, bool ItemEnable)
{
    MyConmboBox* profiles = m_ui->ProjectChoose;
    profiles->blockSignals(true);
    // A device without profile reports shows its one configuration.
    const int items = ToTalItem > 0 ? ToTalItem : (ToTalItem == 0 ? 1 : 0);
    FillProfileItems(items);
    profiles->blockSignals(false);
    profiles->setEnabled(ItemEnable);
    if (ToTalItem > 0 && SelectIndex >= 0 && SelectIndex < items)
        profiles->setCurrentIndex(SelectIndex);
}
