#ifndef LIGHTCOLORS_H
#define LIGHTCOLORS_H

// What the lighting page and the light mode dialog share about colours: the fourteen preset
// swatches and the preview's style.

#include <QString>

#include <array>

struct LightColorPreset {
    char letter; // toolButtonColorA .. toolButtonColorN, image "ColorA.png" ..
    int red;
    int green;
    int blue;
};
extern const std::array<LightColorPreset, 14> LightColorPresets;

// The preview swatch of a colour.
QString LightPreviewStyle(int red, int green, int blue);

#endif
