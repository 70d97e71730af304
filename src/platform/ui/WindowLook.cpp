#include "platform/ui/WindowLook.h"

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
    auto *line = new QFrame(window);
    line->setObjectName(QStringLiteral("Line1"));
    line->setFrameShape(QFrame::VLine);
    line->setStyleSheet(QStringLiteral("color: white;"));
    line->setGeometry(geometry);
    return line;
}

void placeSeparatorLine(QWidget *line, int designX, int twipsPerPixel)
{
    line->move(twipsPerPixel < 15 ? FineScreenSeparatorX : designX, line->y());
}

int twipsPerPixelX(const QWidget *widget)
{
    const int dpi = widget->logicalDpiX();
    return dpi > 0 ? 1440 / dpi : 15;
}

} // namespace tarnvik
