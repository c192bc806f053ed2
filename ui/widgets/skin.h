#ifndef SKIN_H
#define SKIN_H

// The one skin rule of every window: PNG images from a sub-folder of the installation's
// "Picture" folder, colours from the [Option] group of Config.ini, spliced into fixed
// style-sheet texts. Windows call these instead of writing their own copies.
//
// A colour whose list holds fewer than three items is an empty RGB text; every text below
// then leaves its colour declaration out (the control keeps the toolkit's colour) and keeps
// the rest, so a broken colour never hides an image.

#include <QIcon>
#include <QPoint>
#include <QSize>
#include <QString>
#include <QStringList>
#include <Qt>

class QComboBox;
class QFrame;
class QListView;
class QWidget;

class Skin
{
public:
    // Notices and small dialogs: SubWindow | BypassWindowManagerHint | FramelessWindowHint |
    // WindowSystemMenuHint | WindowMinimizeButtonHint.
    static constexpr int DialogWindowFlagBits = 0x6C12;
    // Main window, device page frame, firmware repair dialog: FramelessWindowHint |
    // WindowSystemMenuHint | WindowMinimizeButtonHint.
    static constexpr int MainWindowFlagBits = 0x6800;
    // On X11 the bypass bit would make a notice override-redirect: no keyboard focus under a
    // window manager, so Return and Escape would never reach it. It is left out here.
    static Qt::WindowFlags DialogWindowFlags()
    {
        return Qt::WindowFlags(QFlag(DialogWindowFlagBits)) & ~Qt::WindowFlags(Qt::BypassWindowManagerHint);
    }
    static Qt::WindowFlags MainWindowFlags() { return Qt::WindowFlags(QFlag(MainWindowFlagBits)); }

    // The family the designer forms name; it does not exist on Linux and is mapped onto an
    // installed CJK-capable family when the application object is built.
    static QString FormFontFamily();
    // The installed families that stand in for it, best first.
    static QStringList FormFontSubstitutes();

    // Image folder of a window kind ("WarningDialog", "Dialog", ...): the installation folder
    // + "/Picture/" + name + "/".
    static QString Folder(const QString& windowFolder);
    static QString WarningDialogFolder() { return Folder(QStringLiteral("WarningDialog")); }
    // The program's picture: the window's, the tray's and the desktop entry's.
    static QIcon ProgramIcon();

    // "r,g,b" from the first three items of a list as stored; "" for a shorter list.
    static QString ColorText(const QStringList& items);
    // The same for an [Option] key of Config.ini ("LabelColor", "ButtonColor", ...).
    static QString OptionColor(const QString& key);

    // "color: rgb(r,g,b;);" as every skin text writes it, or "" for an empty RGB.
    static QString ColorDeclaration(const QString& rgb);
    // "url(" + folder + image + ")".
    static QString Url(const QString& folder, const QString& image);

    // Style-sheet texts. F is an image folder as returned by Folder(), RGB a ColorText().
    static QString LabelStyle(const QString& rgb);
    static QString LineEditStyle(const QString& rgb);
    // Confirm and cancel buttons; most notices use "Confirm.png" / "ConfirmClick.png".
    static QString ConfirmButtonStyle(const QString& folder, const QString& rgb,
                                      const QString& image = QStringLiteral("Confirm.png"),
                                      const QString& pressedImage = QStringLiteral("ConfirmClick.png"));
    // Close icon of every notice ("Close"), minimise icon of the top-level pages ("Min"):
    // stem + ".png", stem + "Hover.png", stem + "Click.png".
    // A window may draw the normal state from another picture (the light mode dialog's "CloseButton.png").
    static QString CloseButtonStyle(const QString& folder, const QString& stem = QStringLiteral("Close"),
                                    const QString& normalImage = QString());

    enum class FrameImage {
        Background,        // background-image, closed by ");}"
        BackgroundSpaced,  // background-image, closed by "); }" (the offline notice)
        Border,            // border-image (rapid-fire dialog, repair dialog)
    };
    // Notice background frame, addressed by "#" + frame name, image "BackGround.png".
    static QString FrameStyle(const QString& frameName, const QString& folder,
                              FrameImage kind = FrameImage::Background);
    // Check boxes of the notices, indicators "CheckBoxCheck.png" and "CheckBox.png".
    // The sensor page's own images name the checked one "CheckBoxChecked.png".
    static QString CheckBoxStyle(const QString& folder, const QString& rgb,
                                 const QString& checkedImage = QStringLiteral("CheckBoxCheck.png"));
    // The pages' combo boxes: T text, B drop-down button background, S selection colour.
    static QString ComboBoxStyle(const QString& folder, const QString& text, const QString& buttonBackground,
                                 const QString& selection);
    // The QListView most pages give such a combo box as its drop-down view.
    static QString ComboListViewStyle(const QString& selection);
    // With a skinned box Qt drops a menu of every item; this rule keeps the scrolling list of
    // at most maxVisibleItems the forms ask for. ApplyComboSkin adds it to every skinned box.
    static QString ListPopupRule() { return QStringLiteral("QComboBox{combobox-popup: 0;}"); }
    // The text of a disabled list: dimmer than ComboxTextColor, still readable on its dark field.
    static QString DisabledComboTextRule() { return QStringLiteral("QComboBox:disabled{color: rgb(160, 160, 160);}"); }
    // The pages' combo box skin with the [Option] colours ComboxTextColor, ComboxBackGroundColor
    // and ComboxSelectColor, followed by ListPopupRule(). With ownListView the box gets a new
    // QListView as its drop-down, styled with ComboListViewStyle (most lists do; the sleep-time
    // list keeps its own). The extra text follows the sheet (a frame's own rules, e.g. a disabled
    // colour). Returns the new view, or null.
    static QListView* ApplyComboSkin(QComboBox* box, const QString& folder, bool ownListView = true,
                                     const QString& extra = QString());
    // The option frames are styled panels in their forms; on the pages they show no border of
    // their own, whoever hosts them.
    static void DropFrameBorder(QFrame* frame);
    // What follows a page's own groove and handle text on its sliders.
    static QString SliderPagesStyle(const QString& rgb);
    // The lighting sliders: a white 5 px groove, a 6 x 18 handle drawn with handleImage, the
    // part left of the handle in the slider colour.
    static QString LightSliderStyle(const QString& folder, const QString& handleImage, const QString& rgb);
    // The red, green and blue boxes of a colour editor: black, grey border, transparent hovered.
    static QString ChannelSpinBoxStyle(const QString& rgb);
    // A number box that only shows a slider's value: text colour, no frame, no background.
    static QString ValueMirrorStyle(const QString& rgb);
    // A picture, centred and not repeated, without border, on the widget of that name:
    // the background rule first (preset swatches, colour boards, frames) ...
    static QString CentredImageStyle(const QString& objectName, const QString& folder, const QString& image);
    // ... or the picture first (steppers, the preview before a colour is shown).
    static QString ImageFirstStyle(const QString& objectName, const QString& folder, const QString& image);

    // "#name{border-image: url(...);}": a picture that fills the widget of that name.
    static QString BorderImageStyle(const QString& objectName, const QString& folder, const QString& image);
    // A button drawn by one picture: className{border:0px;background-position:center;
    // background-repeat:no-repeat; + colour + imageProperty: url(...);}. The colour is a whole
    // declaration (ColorDeclaration() or a fixed one), imageProperty "background-image" or
    // "border-image".
    static QString PictureButtonStyle(const QString& className, const QString& colorDeclaration,
                                      const QString& imageProperty, const QString& folder, const QString& image);
    // A borderless, transparent push button that reads like a link; alignment "left" or "right".
    static QString LinkButtonStyle(const QString& rgb, const QString& alignment);
    // A check box addressed by name: white text, indicators "CheckBox.png" and "CheckBoxChecked.png".
    static QString NamedCheckBoxStyle(const QString& objectName, const QString& folder);
    // The settings page's option boxes: indicators "CheckBoxCheck.png" and "CheckBox2.png".
    static QString OptionCheckBoxStyle(const QString& folder, const QString& rgb);
    // A text edit addressed by name that shows only its text.
    static QString TransparentTextEditStyle(const QString& objectName, const QString& rgb);

    // Where a dialog of size `inner` goes over a widget whose top-left corner is at `global`
    // with size `outer`, shifted by the call site's (dx, dy); halves truncate toward zero.
    static QPoint CenteredPosition(const QPoint& global, const QSize& outer, const QSize& inner,
                                   const QPoint& shift = QPoint());
    // Moves the dialog there over the caller's widget.
    static void MoveCenteredOver(QWidget* dialog, const QWidget* caller, const QPoint& shift = QPoint());

    // The usual skin of a notice: window flags, the label's colour, the close button and the
    // background frame. Null pointers are skipped.
    static void ApplyNoticeSkin(QWidget* notice, const QString& folder, QWidget* frame, QWidget* label,
                                QWidget* closeButton, FrameImage kind = FrameImage::Background);
    // Confirm-button skin with the ButtonColor colour.
    static void ApplyConfirmButton(QWidget* button, const QString& folder,
                                   const QString& image = QStringLiteral("Confirm.png"),
                                   const QString& pressedImage = QStringLiteral("ConfirmClick.png"));
};

#endif
