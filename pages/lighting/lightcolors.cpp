#include "pages/lighting/lightcolors.h"

const std::array<LightColorPreset, 14> LightColorPresets = {{
    {'A', 255, 0, 0},     {'B', 0, 255, 255},  {'C', 0, 255, 0},    {'D', 255, 0, 255},   {'E', 255, 255, 0},
    {'F', 255, 80, 0},    {'G', 0, 0, 255},    {'H', 227, 0, 127},  {'I', 46, 166, 223},  {'J', 96, 25, 133},
    {'K', 255, 255, 255}, {'L', 139, 178, 36}, {'M', 255, 155, 51}, {'N', 208, 113, 173},
}};

QString LightPreviewStyle(int red, int green, int blue)
{
    return QStringLiteral("QLabel{background-color: rgb(%1,%2,%3);border: 2px solid  rgb(220,220,220);}")
        .arg(red)
        .arg(green)
        .arg(blue);
}

LightModeLayout LightModeLayoutFor(int index)
{
    return {index == 2 || index == 3, index != 0, index == 1 || index == 2 || index == 4 || index == 5};
}
