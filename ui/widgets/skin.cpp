#include "ui/widgets/skin.h"

#include "core/apppaths.h"
#include "core/configini.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QFont>
#include <QFrame>
#include <QListView>
#include <QWidget>

namespace {

// "color: rgb(" + RGB + ";);" or nothing when the colour is missing.
QString colorDeclaration(const QString& rgb)
{
    return Skin::ColorDeclaration(rgb);
}

QString url(const QString& folder, const QString& image)
{
    return Skin::Url(folder, image);
}

// The forms name a Windows family; map it once, before the first window is built.
void substituteFormFont()
{
    QFont::insertSubstitutions(Skin::FormFontFamily(), Skin::FormFontSubstitutes());
}

} // namespace

Q_COREAPP_STARTUP_FUNCTION(substituteFormFont)

QString Skin::FormFontFamily()
{
    return QStringLiteral("微软雅黑");
}

QStringList Skin::FormFontSubstitutes()
{
    // Both are installed by the build script; the first carries Latin and CJK glyphs alike.
    return {QStringLiteral("WenQuanYi Micro Hei"), QStringLiteral("DejaVu Sans")};
}

QString Skin::Folder(const QString& windowFolder)
{
    return AppPaths::InstallFolder() + QStringLiteral("/Picture/") + windowFolder + QLatin1Char('/');
}

QIcon Skin::ProgramIcon()
{
    return QIcon(Folder(QStringLiteral("Dialog")) + QStringLiteral("Logo.png"));
}

QString Skin::ColorText(const QStringList& items)
{
    if (items.size() < 3)
        return QString();
    return items.at(0) + QLatin1Char(',') + items.at(1) + QLatin1Char(',') + items.at(2);
}

QString Skin::OptionColor(const QString& key)
{
    return ColorText(ConfigIni::instance()->valueList(QStringLiteral("Option"), key));
}

QString Skin::ColorDeclaration(const QString& rgb)
{
    return rgb.isEmpty() ? QString() : QStringLiteral("color: rgb(") + rgb + QStringLiteral(";);");
}

QString Skin::Url(const QString& folder, const QString& image)
{
    return QStringLiteral("url(") + folder + image + QStringLiteral(")");
}

QString Skin::LabelStyle(const QString& rgb)
{
    return rgb.isEmpty() ? QString() : QStringLiteral("QLabel{") + colorDeclaration(rgb) + QStringLiteral("}");
}

QString Skin::LineEditStyle(const QString& rgb)
{
    return rgb.isEmpty() ? QString() : QStringLiteral("QLineEdit{") + colorDeclaration(rgb) + QStringLiteral("}");
}

QString Skin::ConfirmButtonStyle(const QString& folder, const QString& rgb, const QString& image,
                                 const QString& pressedImage)
{
    return QStringLiteral("QToolButton{border:0px;background-position:center;background-repeat:no-repeat;")
        + colorDeclaration(rgb) + QStringLiteral("border-image: ") + url(folder, image)
        + QStringLiteral(";}QToolButton:pressed{border-image: ") + url(folder, pressedImage)
        + QStringLiteral("; }");
}

QString Skin::CloseButtonStyle(const QString& folder, const QString& stem, const QString& normalImage)
{
    const QString normal = normalImage.isEmpty() ? stem + QStringLiteral(".png") : normalImage;
    return QStringLiteral("QToolButton{border:0px;background-image: ") + url(folder, normal)
        + QStringLiteral(";background-position:center;background-repeat:no-repeat;}"
                         "QToolButton:hover{background-image: ")
        + url(folder, stem + QStringLiteral("Hover.png"))
        + QStringLiteral(";}QToolButton:pressed{background-image: ")
        + url(folder, stem + QStringLiteral("Click.png")) + QStringLiteral(";}");
}

QString Skin::FrameStyle(const QString& frameName, const QString& folder, FrameImage kind)
{
    const QString property =
        kind == FrameImage::Border ? QStringLiteral("border-image: ") : QStringLiteral("background-image: ");
    const QString end = kind == FrameImage::BackgroundSpaced ? QStringLiteral("; }") : QStringLiteral(";}");
    return QStringLiteral("#") + frameName
        + QStringLiteral("{border:0px;background-position:center;background-repeat:no-repeat;") + property
        + url(folder, QStringLiteral("BackGround.png")) + end;
}

QString Skin::CheckBoxStyle(const QString& folder, const QString& rgb, const QString& checkedImage)
{
    return QStringLiteral("QCheckBox{") + colorDeclaration(rgb) + QStringLiteral("}QCheckBox::indicator:checked {image: ")
        + url(folder, checkedImage)
        + QStringLiteral(";}QCheckBox::indicator:unchecked {image: ") + url(folder, QStringLiteral("CheckBox.png"))
        + QStringLiteral(";}");
}

QString Skin::ComboBoxStyle(const QString& folder, const QString& text, const QString& buttonBackground,
                            const QString& selection)
{
    // Here the colours are written without the ";" inside the parentheses.
    const auto color = [](const QString& prefix, const QString& rgb) {
        return rgb.isEmpty() ? QString() : prefix + QStringLiteral("rgb(") + rgb + QStringLiteral(")");
    };
    return QStringLiteral("QComboBox{border: 1px solid gray; ") + color(QStringLiteral("color: "), text)
        + QStringLiteral("; border-image: ") + url(folder, QStringLiteral("ComboboxBack.png"))
        + QStringLiteral(";}QComboBox::drop-down:button{border-radius:5px; ")
        + color(QStringLiteral("background:"), buttonBackground)
        + QStringLiteral(";} QComboBox::down-arrow{image: ") + url(folder, QStringLiteral("Menu.png"))
        + QStringLiteral("; right: 8px; }QComboBox::down-arrow:on{ image: ")
        + url(folder, QStringLiteral("MenuClicked.png"))
        + QStringLiteral(";}QComboBox QAbstractItemView::item{height:25px;}QComboBox QAbstractItemView "
                         "{outline: 0px solid gray; border: 1px  solid gray;")
        + color(QStringLiteral("color: "), text) + QStringLiteral("; border-image: ")
        + url(folder, QStringLiteral("ComboboxTextBack.png")) + QStringLiteral(";")
        + color(QStringLiteral("selection-background-color: "), selection) + QStringLiteral("; }");
}

QString Skin::ComboListViewStyle(const QString& selection)
{
    if (selection.isEmpty())
        return QString();
    return QStringLiteral("QListView::item:selected{background-color: rgb(") + selection
        + QStringLiteral(");}QListView::item:hover{background-color: rgb(") + selection + QStringLiteral(");}");
}

QListView* Skin::ApplyComboSkin(QComboBox* box, const QString& folder, bool ownListView, const QString& extra)
{
    if (!box)
        return nullptr;
    const QString selection = OptionColor(QStringLiteral("ComboxSelectColor"));
    // A box inside a styled frame chose its item delegate (menu entries, drawn in the toolkit's
    // light grey) when its list was first made, and a new sheet on a box not yet polished is
    // neither read again nor announced to it. Once polished, the new sheet is both.
    box->ensurePolished();
    box->setStyleSheet(ComboBoxStyle(folder, OptionColor(QStringLiteral("ComboxTextColor")),
                                     OptionColor(QStringLiteral("ComboxBackGroundColor")), selection)
                       + ListPopupRule() + extra);
    if (!ownListView)
        return nullptr;
    auto* view = new QListView(box);
    view->setStyleSheet(ComboListViewStyle(selection));
    box->setView(view);
    return view;
}

void Skin::DropFrameBorder(QFrame* frame)
{
    if (frame)
        frame->setStyleSheet(QLatin1String(frame->metaObject()->className()) + QStringLiteral("{border: 0px;}"));
}

QString Skin::SliderPagesStyle(const QString& rgb)
{
    return QStringLiteral(");} QSlider:sub-page:horizontal{border-radius: 2px;")
        + (rgb.isEmpty() ? QString() : QStringLiteral("background-color: rgb(") + rgb + QStringLiteral(";);"))
        + QStringLiteral("}QSlider:add-page:horizontal{border-radius: 2px;background-color: rgb(255, 255, 255);}");
}

QString Skin::LightSliderStyle(const QString& folder, const QString& handleImage, const QString& rgb)
{
    return QStringLiteral("QSlider::groove:horizontal { border-radius: 2px;  height: 5px;background:#ffffff}"
                          "QSlider:handle:horizontal{ border-radius: 2px;width:  6px;height: 18px;  margin-top: -9px;"
                          "margin-left: -1px; margin-bottom: -9px;margin-right: -1px; border-image: url(")
        + folder + handleImage + SliderPagesStyle(rgb);
}

QString Skin::ValueMirrorStyle(const QString& rgb)
{
    return QStringLiteral("QSpinBox{") + colorDeclaration(rgb) + QStringLiteral("background-color: transparent;border: 0px;}");
}

QString Skin::ChannelSpinBoxStyle(const QString& rgb)
{
    const QString color = ColorDeclaration(rgb);
    return QStringLiteral("QSpinBox{background-color: rgb(0,0,0);") + color
        + QStringLiteral("border: 1px  solid gray;}QSpinBox:hover{background-color: transparent;") + color
        + QStringLiteral("border: 1px  solid gray;}");
}

QString Skin::CentredImageStyle(const QString& objectName, const QString& folder, const QString& image)
{
    return QLatin1Char('#') + objectName
        + QStringLiteral("{border:0px;background-position:center;background-repeat:no-repeat;background-image: ")
        + url(folder, image) + QStringLiteral(";}");
}

QString Skin::ImageFirstStyle(const QString& objectName, const QString& folder, const QString& image)
{
    return QLatin1Char('#') + objectName + QStringLiteral("{background-image: ") + url(folder, image)
        + QStringLiteral(";border:0px;background-position:center;background-repeat:no-repeat;}");
}

QString Skin::BorderImageStyle(const QString& objectName, const QString& folder, const QString& image)
{
    return QLatin1Char('#') + objectName + QStringLiteral("{border-image: ") + url(folder, image) + QStringLiteral(";}");
}

QString Skin::PictureButtonStyle(const QString& className, const QString& colorDeclaration,
                                 const QString& imageProperty, const QString& folder, const QString& image)
{
    return className + QStringLiteral("{border:0px;background-position:center;background-repeat:no-repeat;")
        + colorDeclaration + imageProperty + QStringLiteral(": ") + url(folder, image) + QStringLiteral(";}");
}

QString Skin::LinkButtonStyle(const QString& rgb, const QString& alignment)
{
    return QStringLiteral("QPushButton{border:none;background:transparent;") + colorDeclaration(rgb)
        + QStringLiteral("text-align : ") + alignment + QStringLiteral(";padding-right:1px;}");
}

QString Skin::NamedCheckBoxStyle(const QString& objectName, const QString& folder)
{
    const QString name = QLatin1Char('#') + objectName;
    return name + QStringLiteral("{color: rgb(255, 255, 255);}") + name + QStringLiteral("::indicator:unchecked{image: ")
        + url(folder, QStringLiteral("CheckBox.png")) + QStringLiteral(";}") + name
        + QStringLiteral("::indicator:checked{image: ") + url(folder, QStringLiteral("CheckBoxChecked.png"))
        + QStringLiteral(";}");
}

QString Skin::OptionCheckBoxStyle(const QString& folder, const QString& rgb)
{
    return QStringLiteral("QCheckBox{") + colorDeclaration(rgb) + QStringLiteral("}QCheckBox:indicator::checked {image: ")
        + url(folder, QStringLiteral("CheckBoxCheck.png"))
        + QStringLiteral(";}QCheckBox::indicator::unchecked {image: ") + url(folder, QStringLiteral("CheckBox2.png"))
        + QStringLiteral(";}");
}

QString Skin::TransparentTextEditStyle(const QString& objectName, const QString& rgb)
{
    return QLatin1Char('#') + objectName + QStringLiteral("{border: transparent;background-color: transparent;")
        + colorDeclaration(rgb) + QStringLiteral("}");
}

QPoint Skin::CenteredPosition(const QPoint& global, const QSize& outer, const QSize& inner, const QPoint& shift)
{
    return QPoint(global.x() + (outer.width() - inner.width()) / 2 + shift.x(),
                  global.y() + (outer.height() - inner.height()) / 2 + shift.y());
}

void Skin::MoveCenteredOver(QWidget* dialog, const QWidget* caller, const QPoint& shift)
{
    if (!dialog || !caller)
        return;
    dialog->move(CenteredPosition(caller->mapToGlobal(QPoint(0, 0)), caller->size(), dialog->size(), shift));
}

void Skin::ApplyNoticeSkin(QWidget* notice, const QString& folder, QWidget* frame, QWidget* label,
                           QWidget* closeButton, FrameImage kind)
{
    if (notice)
        notice->setWindowFlags(DialogWindowFlags());
    if (label)
        label->setStyleSheet(LabelStyle(OptionColor(QStringLiteral("LabelColor"))));
    if (closeButton)
        closeButton->setStyleSheet(CloseButtonStyle(folder));
    if (frame)
        frame->setStyleSheet(FrameStyle(frame->objectName(), folder, kind));
}

void Skin::ApplyConfirmButton(QWidget* button, const QString& folder, const QString& image,
                              const QString& pressedImage)
{
    if (button)
        button->setStyleSheet(ConfirmButtonStyle(folder, OptionColor(QStringLiteral("ButtonColor")), image,
                                                 pressedImage));
}
