#include "platform/ui/WidgetDialogs.h"

#include <QApplication>

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Tarnvik"));
    tarnvik::WidgetDialogs dialogs;
    tarnvik::setDialogService(&dialogs);
    return 0;
}
