#include "platform/ui/WidgetDialogs.h"
#include "station/ui/Station.h"

#include <QApplication>

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Tarnvik"));
    tarnvik::WidgetDialogs dialogs;
    tarnvik::setDialogService(&dialogs);
    tarnvik::Station station;
    station.start();
    return QApplication::exec();
}
