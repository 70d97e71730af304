#pragma once

#include <QString>

namespace tarnvik {

// What the administration windows ask of the station's main window, so that
// they can be built and tested without it.
class StationWindow {
public:
    virtual ~StationWindow() = default;

    // Sets the window's captions again from the language file.
    virtual void LOC_SetProperties() = 0;
    // Re-reads the settings row (datAcces).
    virtual void refreshSettingsRow() = 0;
    // Gives every data source of the window a new connection string and
    // refreshes it (datAcces, datProjets, datPunch, datVendeur, datSetStatus).
    virtual void reconnectDataSources(const QString &connString) = 0;
    // The station now works on another database file: the supervisor is
    // logged off, and what was opened for the old database closes.
    virtual void databaseChanged() = 0;
};

} // namespace tarnvik
