#pragma once

#include <QRect>
#include <QString>
#include <QWidget>

class QFrame;
class QLabel;
class QPushButton;

namespace tarnvik {

// The look shared by the station's windows: a teal background (red 0,
// green 128, blue 128) with white label text on it.
void applyStationColours(QWidget *window);

// Twips (1/1440 inch) per screen pixel, as a whole number: 15 on a screen of
// 96 dots per inch, fewer on a finer one.
int twipsPerPixelX(const QWidget *widget);

// The Ok and Cancel buttons, named "cmdOk" and "cmdAnnuler", one above the
// other at the top left of a window.
void addOkCancel(QWidget *window, QPushButton **ok, QPushButton **cancel);

// A control of a window, given the object name it is found by and its place.
template <typename W> W *placeControl(W *widget, const char *name, const QRect &geometry)
{
    widget->setObjectName(QLatin1String(name));
    widget->setGeometry(geometry);
    return widget;
}

// A label of a window (white text on the window's colour), named and placed.
QLabel *placeLabel(QWidget *parent, const char *name, const QRect &geometry, const QString &text = QString());

// The white vertical line, named "Line1", that parts the Ok and Cancel
// buttons from the rest of a window.
QFrame *separatorLine(QWidget *window, const QRect &geometry);

// The separator line of the dialogs that measure in pixels stands at 92
// screen pixels on a screen finer than 96 dots per inch (fewer than 15 twips
// per pixel), and where it was designed otherwise; always between the
// controls on its left and those on its right.
constexpr int FineScreenSeparatorX = 92;
void placeSeparatorLine(QWidget *line, int designX, int twipsPerPixel);

// A length designed in twips on a screen of 96 dots per inch, in pixels.
constexpr int twipsToPixels(int twips)
{
    return twips / 15;
}

} // namespace tarnvik
