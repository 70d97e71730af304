#include "platform/ui/WindowLook.h"

#include <algorithm>

#include <QFrame>
#include <QLabel>
#include <QPalette>
#include <QPushButton>
#include <QWidget>

namespace tarnvik {

void applyStationColours(QWidget *window)
{
    QPalette palette = window->palette();
    palette.setColor(QPalette::Window, QColor(0, 128, 128));
    palette.setColor(QPalette::WindowText, Qt::white);
    window->setPalette(palette);
    window->setAutoFillBackground(true);
}

void addOkCancel(QWidget *window, QPushButton **ok, QPushButton **cancel)
{
    *ok = new QPushButton(QStringLiteral("Ok"), window);
    (*ok)->setObjectName(QStringLiteral("cmdOk"));
    (*ok)->setGeometry(8, 8, 60, 26);
    *cancel = new QPushButton(QStringLiteral("Cancel"), window);
    (*cancel)->setObjectName(QStringLiteral("cmdAnnuler"));
    (*cancel)->setGeometry(8, 40, 60, 26);
}

QLabel *placeLabel(QWidget *parent, const char *name, const QRect &geometry, const QString &text)
{
    return placeControl(new QLabel(text, parent), name, geometry);
}

QFrame *separatorLine(QWidget *window, const QRect &geometry)
{
    // Filled rather than drawn as a frame line, so that it shows whole at
    // any scaling (a one-pixel frame line falls between device pixels at 125
    // or 150 %).
    auto *line = new QFrame(window);
    line->setObjectName(QStringLiteral("Line1"));
    line->setFrameShape(QFrame::NoFrame);
    QPalette colours = line->palette();
    colours.setColor(QPalette::Window, Qt::white);
    line->setPalette(colours);
    line->setAutoFillBackground(true);
    line->setGeometry(geometry);
    return line;
}

void placeSeparatorLine(QWidget *line, int designX, int twipsPerPixel)
{
    // 92 pixels of a finer screen, in the window's own units (which do not
    // grow with the screen's density), and never over the controls on
    // either side of the line.
    int x = twipsPerPixel < 15 ? (FineScreenSeparatorX * twipsPerPixel + 7) / 15 : designX;
    QWidget *window = line->parentWidget();
    int left = 0, right = window ? window->width() : x + 2;
    if (window) {
        for (const QWidget *other : window->findChildren<QWidget *>(Qt::FindDirectChildrenOnly)) {
            const QRect place = other->geometry();
            if (other == line || other->isWindow() || place.bottom() < line->y() ||
                place.top() > line->geometry().bottom())
                continue;
            if (place.right() < designX)
                left = std::max(left, place.right() + 1);
            else if (place.left() > designX)
                right = std::min(right, place.left());
        }
    }
    line->move(std::clamp(x, left + 1, std::max(left + 1, right - 2)), line->y());
}

int twipsPerPixelX(const QWidget *widget)
{
    const int dpi = widget->logicalDpiX();
    return dpi > 0 ? 1440 / dpi : 15;
}

} // namespace tarnvik
