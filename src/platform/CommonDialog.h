#pragma once

#include <QString>

namespace tarnvik {

// A file dialog kept as a window member: the window sets its filter and
// title, shows it, and reads the chosen file name. The dialog itself is shown
// through the program's dialog service.
class CommonDialog {
public:
    // Pairs of description and pattern separated by "|", several patterns of
    // one pair separated by ";": "Base de donnée|tarnvik.mdb".
    QString Filter;
    QString DialogTitle;
    QString InitDir;
    // The chosen file; kept as it was when the user cancels.
    QString FileName;

    // Shows the open dialog; false when the user cancels.
    bool ShowOpen();
    bool ShowSave();

    // The filter in the form the dialog service takes: "Description (pattern)"
    // entries separated by ";;".
    static QString toDialogFilter(const QString &filter);
};

} // namespace tarnvik
