#include "pages/settings/screeninfoskin.h"

#include "ui/widgets/skin.h"

#include <QDialog>
#include <QLabel>
#include <QSlider>
#include <QToolButton>

namespace {

template <typename T>
void style(QDialog* dialog, const char* name, const QString& sheet)
{
    if (T* w = dialog->findChild<T*>(QLatin1String(name)))
        w->setStyleSheet(sheet);
}

// A picture button: its image as border image, another one while the state holds.
QString imageButtonStyle(const QString& folder, const QString& rgb, const QString& image, const char* state,
                         const QString& stateImage)
{
    return QStringLiteral("QToolButton{border:0px;") + Skin::ColorDeclaration(rgb) + QStringLiteral("border-image: ")
        + Skin::Url(folder, image) + QStringLiteral(";}QToolButton:") + QLatin1String(state)
        + QStringLiteral("{border-image: ") + Skin::Url(folder, stateImage) + QStringLiteral(";}");
}

} // namespace

QString ScreenInfoSkin::Folder()
{
    return Skin::Folder(QStringLiteral("ScreeInfo"));
}

void ScreenInfoSkin::Apply(QDialog* dialog, const QString& folder)
{
    dialog->setWindowFlags(Skin::DialogWindowFlags());
    const QString label = Skin::OptionColor(QStringLiteral("LabelColor"));
    const QString slider = Skin::OptionColor(QStringLiteral("SliderColor"));
    const QString button = Skin::OptionColor(QStringLiteral("ButtonColor"));
    for (QLabel* l : dialog->findChildren<QLabel*>())
        l->setStyleSheet(Skin::LabelStyle(label));
    for (const char* name : {"toolButtonA", "toolButtonB", "toolButtonC", "toolButtonD"})
        style<QToolButton>(dialog, name,
                           imageButtonStyle(folder, button, QStringLiteral("Pic.png"), "checked",
                                            QStringLiteral("PicHover.png")));
    for (const char* name : {"Input", "Output"})
        style<QToolButton>(dialog, name,
                           imageButtonStyle(folder, button, QStringLiteral("Button.png"), "hover",
                                            QStringLiteral("ButtonHover.png")));
    style<QToolButton>(dialog, "CheckButton",
                       QStringLiteral("QToolButton{border:0px;color: rgb(255,255,255);background-position:center;"
                                      "background-repeat:no-repeat;background-image: ")
                           + Skin::Url(folder, QStringLiteral("Close.png"))
                           + QStringLiteral(";}QToolButton:checked{background-image: ")
                           + Skin::Url(folder, QStringLiteral("Open.png")) + QStringLiteral(";}"));
    style<QSlider>(dialog, "SpeedH", Skin::LightSliderStyle(folder, QStringLiteral("Slider.png"), slider));
    style<QToolButton>(dialog, "CloseButton",
                       Skin::CloseButtonStyle(folder, QStringLiteral("Close"), QStringLiteral("CloseButton.png")));
    style<QFrame>(dialog, "InputPicAFrame",
                  Skin::CentredImageStyle(QStringLiteral("InputPicAFrame"), folder, QStringLiteral("Back.png")));
}
