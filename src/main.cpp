#include "common/Database.h"
#include "platform/ui/WidgetDialogs.h"
#include "station/ui/Station.h"

#include <QApplication>

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Tarnvik"));
    tarnvik::WidgetDialogs dialogs;
    tarnvik::setDialogService(&dialogs);
    int result = 0;
    {
        tarnvik::Station station;
        station.start();
        result = QApplication::exec();
    }
    // Every database file is closed before the program ends, after a last
    // look at it: one moved, replaced or changed meanwhile keeps no log at
    // its path.
    tarnvik::Database::closeAll();
    return result;
}
