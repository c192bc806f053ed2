#ifndef LIGHTCOLORS_H
#define LIGHTCOLORS_H

// What the lighting page and the light mode dialog share: the fourteen preset swatches, the
// preview's style and what each lighting mode shows.

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

// What lighting mode index (0 off .. 6) shows: the colour editor, the brightness and the speed
// controls; a separator line stands where brightness or speed is hidden.
struct LightModeLayout {
    bool colour;
    bool brightness;
    bool speed;
};
LightModeLayout LightModeLayoutFor(int index);

#endif
