#pragma once

class QWidget;

namespace tarnvik {

// The look shared by the station's windows: a teal background (red 0,
// green 128, blue 128) with white label text on it.
void applyStationColours(QWidget *window);

// Twips (1/1440 inch) per screen pixel, as a whole number: 15 on a screen of
// 96 dots per inch, fewer on a finer one.
int twipsPerPixelX(const QWidget *widget);

// A length designed in twips on a screen of 96 dots per inch, in pixels.
constexpr int twipsToPixels(int twips)
{
    return twips / 15;
}

} // namespace tarnvik
