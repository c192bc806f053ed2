#ifndef SKINMANIFEST_H
#define SKINMANIFEST_H

// Every skin image the windows name, with the size of the widget it styles and how it is drawn.
// tools/mkskin draws them into the installation's Picture/<folder>/; rows whose folder is a
// ":/" resource prefix are the compiled-in images under resources/skin/ (mkskin --builtin).
// Sizes follow the forms: border images are stretched by the style, background images are
// centred at their own size, so those must match the widget exactly.

enum class SkinLook {
    Window,    // main window frame: top bar, left strip, page area
    Chooser,   // device choice page backdrop
    Dialog,    // opaque notice / dialog background
    Sheet,     // rounded background of a translucent dialog
    Panel,     // framed panel inside a page
    Button,    // rounded push button; the program draws its text on top
    Entry,     // list entry (selectors, function menus)
    EntryMore, // list entry that opens a sub-menu (chevron at the right)
    Icon,      // glyph, with a state backdrop for hover / pressed / checked
    Disc,      // glyph on a round plate
    Check,     // check box indicator
    Radio,     // exclusive choice indicator
    Switch,    // on / off toggle
    Field,     // combo box field
    List,      // combo box drop-down list
    Badge,     // report-rate badge with its own text
    Card,      // device button on the choice page
    Mouse,     // mouse picture of the button page
    Battery,   // battery outline; the program fills it
    Bolt,      // charging mark over the battery fill
    Mark,      // section mark beside a title
    Handle,    // slider handle
    Marker,    // draggable DPI level marker
    Tile,      // DPI level button; the program draws the value on top
    Gloss,     // translucent sheen over a DPI colour swatch
    Swatch,    // preset colour
    Spectrum,  // colour board
    Preview,   // colour preview before a colour is chosen
    Number,    // numbered badge on the mouse picture (black text on top)
    Slot,      // picture slot of the screen dialogs
    Logo,      // tray icon
};

enum class SkinState { Normal, Hover, Pressed, Checked };

enum class SkinTone { Neutral, Accent, Danger, Success, Warn };

enum class SkinGlyph {
    None, Close, Minus, Plus, Back, Home, Target, Keys, Bulb, Gear,
    ChevronLeft, ChevronRight, ChevronDown, ChevronUp, TriangleUp, TriangleDown,
    ArrowDown, ArrowUp, Clock, Dot, Square, Usb, Wireless, Alert, Question, Wrench,
    Mouse, Sliders,
};

struct SkinImage {
    const char* folder;
    const char* file;
    int width;
    int height;
    SkinLook look;
    SkinState state = SkinState::Normal;
    SkinTone tone = SkinTone::Neutral;
    SkinGlyph glyph = SkinGlyph::None;
    unsigned rgb = 0;            // swatch colour 0xRRGGBB
    const char* text = nullptr;  // badge text (stroke-drawn)

    bool builtIn() const { return folder[0] == ':'; }
};

namespace skin {
using L = SkinLook;
using S = SkinState;
using T = SkinTone;
using G = SkinGlyph;

// clang-format off
inline constexpr SkinImage kImages[] = {
    // Main window and device page frame.
    {"Dialog", "BackGround.png", 1020, 700, L::Window},
    {"Dialog", "Logo.png", 64, 64, L::Logo},
    {"Dialog", "Battery.png", 43, 20, L::Battery},
    {"Dialog", "Charg.png", 17, 7, L::Bolt},
    {"Dialog", "Home.png", 30, 30, L::Icon, S::Normal, T::Neutral, G::Home},
    {"Dialog", "HomeHover.png", 30, 30, L::Icon, S::Hover, T::Neutral, G::Home},
    {"Dialog", "HomeChecked.png", 30, 30, L::Icon, S::Checked, T::Neutral, G::Home},
    {"Dialog", "Sensor.png", 30, 30, L::Icon, S::Normal, T::Neutral, G::Target},
    {"Dialog", "SensorHover.png", 30, 30, L::Icon, S::Hover, T::Neutral, G::Target},
    {"Dialog", "SensorChecked.png", 30, 30, L::Icon, S::Checked, T::Neutral, G::Target},
    {"Dialog", "Macro.png", 30, 30, L::Icon, S::Normal, T::Neutral, G::Keys},
    {"Dialog", "MacroHover.png", 30, 30, L::Icon, S::Hover, T::Neutral, G::Keys},
    {"Dialog", "MacroChecked.png", 30, 30, L::Icon, S::Checked, T::Neutral, G::Keys},
    {"Dialog", "Light.png", 30, 30, L::Icon, S::Normal, T::Neutral, G::Bulb},
    {"Dialog", "LightHover.png", 30, 30, L::Icon, S::Hover, T::Neutral, G::Bulb},
    {"Dialog", "LightChecked.png", 30, 30, L::Icon, S::Checked, T::Neutral, G::Bulb},
    {"Dialog", "Setting.png", 30, 30, L::Icon, S::Normal, T::Neutral, G::Gear},
    {"Dialog", "SettingHover.png", 30, 30, L::Icon, S::Hover, T::Neutral, G::Gear},
    // The settings navigation button shows this one while checked, the hidden SetButton while pressed.
    {"Dialog", "SettingClick.png", 30, 30, L::Icon, S::Checked, T::Neutral, G::Gear},
    {"Dialog", "Close.png", 20, 20, L::Icon, S::Normal, T::Danger, G::Close},
    {"Dialog", "CloseHover.png", 20, 20, L::Icon, S::Hover, T::Danger, G::Close},
    {"Dialog", "CloseClick.png", 20, 20, L::Icon, S::Pressed, T::Danger, G::Close},
    {"Dialog", "Min.png", 20, 20, L::Icon, S::Normal, T::Neutral, G::Minus},
    {"Dialog", "MinHover.png", 20, 20, L::Icon, S::Hover, T::Neutral, G::Minus},
    {"Dialog", "MinClick.png", 20, 20, L::Icon, S::Pressed, T::Neutral, G::Minus},
    {"Dialog", "PageChange.png", 34, 30, L::Icon, S::Normal, T::Neutral, G::Back},
    {"Dialog", "PageChangeHover.png", 34, 30, L::Icon, S::Hover, T::Neutral, G::Back},
    {"Dialog", "PageChangeClick.png", 34, 30, L::Icon, S::Pressed, T::Neutral, G::Back},

    // Device choice page.
    {"DialogChange", "MainBack.png", 1020, 700, L::Chooser},
    {"DialogChange", "Close.png", 20, 20, L::Icon, S::Normal, T::Danger, G::Close},
    {"DialogChange", "CloseHover.png", 20, 20, L::Icon, S::Hover, T::Danger, G::Close},
    {"DialogChange", "CloseClick.png", 20, 20, L::Icon, S::Pressed, T::Danger, G::Close},
    {"DialogChange", "Min.png", 20, 20, L::Icon, S::Normal, T::Neutral, G::Minus},
    {"DialogChange", "MinHover.png", 20, 20, L::Icon, S::Hover, T::Neutral, G::Minus},
    {"DialogChange", "MinClick.png", 20, 20, L::Icon, S::Pressed, T::Neutral, G::Minus},
    {"DialogChange", "ComboboxBack.png", 142, 26, L::Field},
    {"DialogChange", "Menu.png", 12, 12, L::Icon, S::Normal, T::Neutral, G::ChevronDown},
    {"DialogChange", "MenuClicked.png", 12, 12, L::Icon, S::Checked, T::Neutral, G::ChevronUp},
    {"DialogChange", "ComboboxTextBack.png", 142, 125, L::List},
    {"DialogChange", "Repair.png", 36, 33, L::Disc, S::Normal, T::Warn, G::Wrench},
    {"DialogChange", "Left.png", 46, 46, L::Disc, S::Normal, T::Neutral, G::ChevronLeft},
    {"DialogChange", "LeftClick.png", 46, 46, L::Disc, S::Hover, T::Neutral, G::ChevronLeft},
    {"DialogChange", "Right.png", 46, 46, L::Disc, S::Normal, T::Neutral, G::ChevronRight},
    {"DialogChange", "RightClick.png", 46, 46, L::Disc, S::Hover, T::Neutral, G::ChevronRight},
    {"DialogChange", "Unknow.png", 284, 360, L::Card, S::Normal, T::Neutral, G::Question},
    // The page forms "OnLine" / "DisOnlin" + the digit 0 + ".png".
    {"DialogChange", "OnLine0.png", 284, 360, L::Card, S::Checked, T::Accent, G::Mouse},
    {"DialogChange", "DisOnlin0.png", 284, 360, L::Card, S::Normal, T::Neutral, G::Mouse},
    {"DialogChange", "DisOnline.png", 32, 32, L::Disc, S::Normal, T::Danger, G::Alert},
    {"DialogChange", "OnLineUsb.png", 32, 32, L::Disc, S::Normal, T::Accent, G::Usb},
    {"DialogChange", "OnLineWifi.png", 32, 32, L::Disc, S::Normal, T::Accent, G::Wireless},
    {"DialogChange", "1KHz.png", 42, 26, L::Badge, S::Normal, T::Neutral, G::None, 0, "1KHz"},
    {"DialogChange", "2KHz.png", 42, 26, L::Badge, S::Normal, T::Neutral, G::None, 0, "2KHz"},
    {"DialogChange", "4KHz.png", 42, 26, L::Badge, S::Normal, T::Neutral, G::None, 0, "4KHz"},
    {"DialogChange", "8KHz.png", 42, 26, L::Badge, S::Normal, T::Neutral, G::None, 0, "8KHz"},

    // Notices and small dialogs. Most are 300 x 140; the rapid-fire dialog and the repair dialog
    // stretch the same background as a border image.
    {"WarningDialog", "BackGround.png", 300, 140, L::Dialog},
    {"WarningDialog", "Close.png", 20, 20, L::Icon, S::Normal, T::Danger, G::Close},
    {"WarningDialog", "CloseHover.png", 20, 20, L::Icon, S::Hover, T::Danger, G::Close},
    {"WarningDialog", "CloseClick.png", 20, 20, L::Icon, S::Pressed, T::Danger, G::Close},
    {"WarningDialog", "Confirm.png", 90, 24, L::Button, S::Normal, T::Accent},
    {"WarningDialog", "ConfirmClick.png", 90, 24, L::Button, S::Pressed, T::Accent},
    {"WarningDialog", "ConFirm.png", 90, 24, L::Button, S::Normal, T::Accent},
    {"WarningDialog", "ConFirmClick.png", 90, 24, L::Button, S::Pressed, T::Accent},
    {"WarningDialog", "CheckBox.png", 16, 16, L::Check},
    {"WarningDialog", "CheckBoxCheck.png", 16, 16, L::Check, S::Checked},
    {"WarningDialog", "ok_nr.png", 120, 24, L::Button, S::Normal, T::Accent},
    {"WarningDialog", "ok_enter.png", 120, 24, L::Button, S::Hover, T::Accent},

    // Pairing dialog (translucent window).
    {"Setting", "BackSecondPage.png", 458, 242, L::Sheet},
    {"Setting", "Picture.png", 14, 14, L::Disc, S::Normal, T::Warn, G::Alert},
    {"Setting", "CloseSecondPage.png", 14, 14, L::Icon, S::Normal, T::Danger, G::Close},
    {"Setting", "CloseSecondPageHover.png", 14, 14, L::Icon, S::Hover, T::Danger, G::Close},
    {"Setting", "CloseSecondPageClick.png", 14, 14, L::Icon, S::Pressed, T::Danger, G::Close},
    {"Setting", "Pair.png", 154, 32, L::Button, S::Normal, T::Accent},
    {"Setting", "PairSuccess.png", 154, 32, L::Button, S::Normal, T::Success},
    {"Setting", "PairFail.png", 154, 32, L::Button, S::Normal, T::Danger},

    // Sensor page, its DPI editor and option frames.
    {"Sensor", "ComboboxBack.png", 130, 30, L::Field},
    {"Sensor", "Menu.png", 12, 12, L::Icon, S::Normal, T::Neutral, G::ChevronDown},
    {"Sensor", "MenuClicked.png", 12, 12, L::Icon, S::Checked, T::Neutral, G::ChevronUp},
    {"Sensor", "ComboboxTextBack.png", 130, 125, L::List},
    {"Sensor", "CheckBox.png", 16, 16, L::Check},
    {"Sensor", "CheckBoxChecked.png", 16, 16, L::Check, S::Checked},
    {"Sensor", "Title.png", 16, 10, L::Mark},
    {"Sensor", "ReportRate.png", 74, 26, L::Button},
    {"Sensor", "ReportRateClick.png", 74, 26, L::Button, S::Checked},
    {"Sensor", "Level.png", 30, 30, L::Marker},
    {"Sensor", "LevelHover.png", 30, 30, L::Marker, S::Hover},
    {"Sensor", "HuaKuai.png", 6, 18, L::Handle},
    {"Sensor", "Reduce.png", 14, 4, L::Icon, S::Normal, T::Neutral, G::Minus},
    {"Sensor", "Add.png", 14, 14, L::Icon, S::Normal, T::Neutral, G::Plus},
    {"Sensor", "MinA.png", 54, 56, L::Tile},
    {"Sensor", "MaxA.png", 68, 70, L::Tile, S::Checked},
    {"Sensor", "MinB.png", 50, 12, L::Gloss},
    {"Sensor", "MaxB.png", 66, 14, L::Gloss, S::Checked},

    // Macro editor.
    {"Macro", "Up.png", 15, 15, L::Icon, S::Normal, T::Neutral, G::TriangleUp},
    {"Macro", "Down.png", 15, 15, L::Icon, S::Normal, T::Neutral, G::TriangleDown},
    {"Macro", "ComboboxBack.png", 181, 30, L::Field},
    {"Macro", "Menu.png", 12, 12, L::Icon, S::Normal, T::Neutral, G::ChevronDown},
    {"Macro", "MenuClicked.png", 12, 12, L::Icon, S::Checked, T::Neutral, G::ChevronUp},
    {"Macro", "ComboboxTextBack.png", 181, 125, L::List},
    {"Macro", "CheckBox.png", 16, 16, L::Check},
    {"Macro", "CheckBoxCheck.png", 16, 16, L::Check, S::Checked},
    {"Macro", "Button.png", 116, 30, L::Button},
    {"Macro", "ButtonHover.png", 116, 30, L::Button, S::Hover},
    {"Macro", "ButtonClick.png", 116, 30, L::Button, S::Pressed},
    {"Macro", "Record.png", 190, 32, L::Button, S::Normal, T::Neutral, G::Dot},
    {"Macro", "RecordHover.png", 190, 32, L::Button, S::Hover, T::Neutral, G::Dot},
    {"Macro", "Stop.png", 190, 32, L::Button, S::Normal, T::Danger, G::Square},
    {"Macro", "StopHover.png", 190, 32, L::Button, S::Hover, T::Danger, G::Square},
    {"Macro", "MacroDown.png", 16, 16, L::Icon, S::Normal, T::Accent, G::ArrowDown},
    {"Macro", "MacroUp.png", 16, 16, L::Icon, S::Normal, T::Success, G::ArrowUp},
    {"Macro", "MacroTime.png", 16, 16, L::Icon, S::Normal, T::Warn, G::Clock},

    // Lighting page and its sleep-time frame (also on the settings page).
    {"Light", "ComboboxBack.png", 308, 34, L::Field},
    {"Light", "Menu.png", 12, 12, L::Icon, S::Normal, T::Neutral, G::ChevronDown},
    {"Light", "MenuClicked.png", 12, 12, L::Icon, S::Checked, T::Neutral, G::ChevronUp},
    {"Light", "ComboboxTextBack.png", 308, 125, L::List},
    {"Light", "HuaKuai.png", 6, 18, L::Handle},
    {"Light", "Close.png", 36, 18, L::Switch},
    {"Light", "Open.png", 36, 18, L::Switch, S::Checked},
    {"Light", "ColorBoard.png", 308, 34, L::Spectrum},
    {"Light", "Reduce.png", 14, 4, L::Icon, S::Normal, T::Neutral, G::Minus},
    {"Light", "Add.png", 14, 14, L::Icon, S::Normal, T::Neutral, G::Plus},
    {"Light", "PreviewColor.png", 60, 60, L::Preview},
    // "Color" + the letters A to N: the fourteen preset colours.
    {"Light", "ColorA.png", 28, 28, L::Swatch, S::Normal, T::Neutral, G::None, 0xff0000},
    {"Light", "ColorB.png", 28, 28, L::Swatch, S::Normal, T::Neutral, G::None, 0x00ffff},
    {"Light", "ColorC.png", 28, 28, L::Swatch, S::Normal, T::Neutral, G::None, 0x00ff00},
    {"Light", "ColorD.png", 28, 28, L::Swatch, S::Normal, T::Neutral, G::None, 0xff00ff},
    {"Light", "ColorE.png", 28, 28, L::Swatch, S::Normal, T::Neutral, G::None, 0xffff00},
    {"Light", "ColorF.png", 28, 28, L::Swatch, S::Normal, T::Neutral, G::None, 0xff5000},
    {"Light", "ColorG.png", 28, 28, L::Swatch, S::Normal, T::Neutral, G::None, 0x0000ff},
    {"Light", "ColorH.png", 28, 28, L::Swatch, S::Normal, T::Neutral, G::None, 0xe3007f},
    {"Light", "ColorI.png", 28, 28, L::Swatch, S::Normal, T::Neutral, G::None, 0x2ea6df},
    {"Light", "ColorJ.png", 28, 28, L::Swatch, S::Normal, T::Neutral, G::None, 0x601985},
    {"Light", "ColorK.png", 28, 28, L::Swatch, S::Normal, T::Neutral, G::None, 0xffffff},
    {"Light", "ColorL.png", 28, 28, L::Swatch, S::Normal, T::Neutral, G::None, 0x8bb224},
    {"Light", "ColorM.png", 28, 28, L::Swatch, S::Normal, T::Neutral, G::None, 0xff9b33},
    {"Light", "ColorN.png", 28, 28, L::Swatch, S::Normal, T::Neutral, G::None, 0xd071ad},

    // Button assignment page and its debounce frame.
    // The page forms "mouse" + the digit 0 + ".png".
    {"Buttoninterface", "mouse0.png", 432, 356, L::Mouse},
    {"Buttoninterface", "CMenuTitle.png", 174, 22, L::Entry},
    {"Buttoninterface", "CMenuTitleChecked.png", 174, 22, L::Entry, S::Checked},
    {"Buttoninterface", "AMenuTitle.png", 262, 26, L::Entry},
    {"Buttoninterface", "AMenuTitleChecked.png", 262, 26, L::Entry, S::Checked},
    {"Buttoninterface", "LabelNumber.png", 24, 24, L::Disc},
    {"Buttoninterface", "ComboboxBack.png", 128, 24, L::Field},
    {"Buttoninterface", "Menu.png", 12, 12, L::Icon, S::Normal, T::Neutral, G::ChevronDown},
    {"Buttoninterface", "MenuClicked.png", 12, 12, L::Icon, S::Checked, T::Neutral, G::ChevronUp},
    {"Buttoninterface", "ComboboxTextBack.png", 128, 125, L::List},
    {"Buttoninterface", "Reset.png", 90, 26, L::Button},
    {"Buttoninterface", "ResetHover.png", 90, 26, L::Button, S::Hover},
    {"Buttoninterface", "ResetClick.png", 90, 26, L::Button, S::Pressed},
    {"Buttoninterface", "NumberOrigin.png", 38, 38, L::Number},
    {"Buttoninterface", "NumberHover.png", 38, 38, L::Number, S::Hover},
    {"Buttoninterface", "NumberClick.png", 38, 38, L::Number, S::Pressed},
    {"Buttoninterface", "BMenuTitle.png", 164, 22, L::Entry},
    {"Buttoninterface", "BMenuTitleChecked.png", 164, 22, L::Entry, S::Checked},
    {"Buttoninterface", "BMenuTitleB.png", 164, 22, L::EntryMore},
    {"Buttoninterface", "BMenuTitleCheckedB.png", 164, 22, L::EntryMore, S::Checked},
    {"Buttoninterface", "Config.png", 20, 14, L::Icon, S::Normal, T::Neutral, G::Sliders},
    {"Buttoninterface", "TiltleBack.png", 862, 216, L::Panel},

    // Settings page and its receiver LED dialog.
    {"FormSetting", "PariButton.png", 112, 26, L::Button, S::Normal, T::Accent},
    {"FormSetting", "Title.png", 16, 10, L::Mark},
    {"FormSetting", "Mouse.png", 14, 20, L::Icon, S::Normal, T::Neutral, G::Mouse},
    {"FormSetting", "ComboboxBack.png", 142, 30, L::Field},
    {"FormSetting", "Menu.png", 12, 12, L::Icon, S::Normal, T::Neutral, G::ChevronDown},
    {"FormSetting", "MenuClicked.png", 12, 12, L::Icon, S::Checked, T::Neutral, G::ChevronUp},
    {"FormSetting", "ComboboxTextBack.png", 142, 125, L::List},
    {"FormSetting", "CheckBox.png", 16, 16, L::Check},
    {"FormSetting", "CheckBoxChecked.png", 16, 16, L::Check, S::Checked},
    // The receiver LED modes exclude each other: these two look like radio buttons.
    {"FormSetting", "CheckBox2.png", 16, 16, L::Radio},
    {"FormSetting", "CheckBoxCheck.png", 16, 16, L::Radio, S::Checked},
    {"FormSetting", "Picture.png", 14, 14, L::Disc, S::Normal, T::Warn, G::Alert},
    {"FormSetting", "WaitUpdate.png", 128, 26, L::Button, S::Normal, T::Warn},
    {"FormSetting", "WaitUpdateHover.png", 128, 26, L::Button, S::Hover, T::Warn},
    {"FormSetting", "Confirm.png", 128, 26, L::Button, S::Normal, T::Accent},
    {"FormSetting", "Back.png", 638, 318, L::Dialog},
    {"FormSetting", "Close.png", 20, 20, L::Icon, S::Normal, T::Danger, G::Close},
    {"FormSetting", "CloseHover.png", 20, 20, L::Icon, S::Hover, T::Danger, G::Close},
    {"FormSetting", "CloseClick.png", 20, 20, L::Icon, S::Pressed, T::Danger, G::Close},

    // Light mode dialog and the screen picture dialogs of the settings page.
    {"ScreeInfo", "Back.png", 638, 318, L::Dialog},
    {"ScreeInfo", "CloseButton.png", 20, 20, L::Icon, S::Normal, T::Danger, G::Close},
    {"ScreeInfo", "CloseHover.png", 20, 20, L::Icon, S::Hover, T::Danger, G::Close},
    {"ScreeInfo", "CloseClick.png", 20, 20, L::Icon, S::Pressed, T::Danger, G::Close},
    {"ScreeInfo", "Reduce.png", 14, 4, L::Icon, S::Normal, T::Neutral, G::Minus},
    {"ScreeInfo", "Add.png", 14, 14, L::Icon, S::Normal, T::Neutral, G::Plus},
    {"ScreeInfo", "ComboboxBack.png", 281, 34, L::Field},
    {"ScreeInfo", "Menu.png", 12, 12, L::Icon, S::Normal, T::Neutral, G::ChevronDown},
    {"ScreeInfo", "MenuClicked.png", 12, 12, L::Icon, S::Checked, T::Neutral, G::ChevronUp},
    {"ScreeInfo", "ComboboxTextBack.png", 281, 125, L::List},
    {"ScreeInfo", "Slider.png", 6, 18, L::Handle},
    {"ScreeInfo", "PreviewColor.png", 60, 60, L::Preview},
    {"ScreeInfo", "ColorA.png", 18, 18, L::Swatch, S::Normal, T::Neutral, G::None, 0xff0000},
    {"ScreeInfo", "ColorB.png", 18, 18, L::Swatch, S::Normal, T::Neutral, G::None, 0x00ffff},
    {"ScreeInfo", "ColorC.png", 18, 18, L::Swatch, S::Normal, T::Neutral, G::None, 0x00ff00},
    {"ScreeInfo", "ColorD.png", 18, 18, L::Swatch, S::Normal, T::Neutral, G::None, 0xff00ff},
    {"ScreeInfo", "ColorE.png", 18, 18, L::Swatch, S::Normal, T::Neutral, G::None, 0xffff00},
    {"ScreeInfo", "ColorF.png", 18, 18, L::Swatch, S::Normal, T::Neutral, G::None, 0xff5000},
    {"ScreeInfo", "ColorG.png", 18, 18, L::Swatch, S::Normal, T::Neutral, G::None, 0x0000ff},
    {"ScreeInfo", "ColorH.png", 18, 18, L::Swatch, S::Normal, T::Neutral, G::None, 0xe3007f},
    {"ScreeInfo", "ColorI.png", 18, 18, L::Swatch, S::Normal, T::Neutral, G::None, 0x2ea6df},
    {"ScreeInfo", "ColorJ.png", 18, 18, L::Swatch, S::Normal, T::Neutral, G::None, 0x601985},
    {"ScreeInfo", "ColorK.png", 18, 18, L::Swatch, S::Normal, T::Neutral, G::None, 0xffffff},
    {"ScreeInfo", "ColorL.png", 18, 18, L::Swatch, S::Normal, T::Neutral, G::None, 0x8bb224},
    {"ScreeInfo", "ColorM.png", 18, 18, L::Swatch, S::Normal, T::Neutral, G::None, 0xff9b33},
    {"ScreeInfo", "ColorN.png", 18, 18, L::Swatch, S::Normal, T::Neutral, G::None, 0xd071ad},
    {"ScreeInfo", "ColorBoard.png", 200, 22, L::Spectrum},
    {"ScreeInfo", "Pic.png", 74, 100, L::Slot},
    {"ScreeInfo", "PicHover.png", 74, 100, L::Slot, S::Checked},
    {"ScreeInfo", "Button.png", 96, 26, L::Button},
    {"ScreeInfo", "ButtonHover.png", 96, 26, L::Button, S::Hover},
    {"ScreeInfo", "Close.png", 36, 18, L::Switch},
    {"ScreeInfo", "Open.png", 36, 18, L::Switch, S::Checked},

    // Compiled-in images the forms point at; drawn like their on-disk counterparts.
    {":/KV/Source/public", "4.png", 43, 20, L::Battery},
    {":/Macro/debug/Picture/Dialog", "Charg.png", 17, 7, L::Bolt},
    {":/sensor/Source/SensorImage", "Title.png", 16, 10, L::Mark},
};
// clang-format on

} // namespace skin

#endif
