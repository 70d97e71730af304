#pragma once

#include "station/ClockSync.h"

#include <memory>

namespace tarnvik {

class frmPunch;

// The running station: the main window with the parts that plug into it:
// the clock synchronisation, which logs into the window's lower area, and the
// pay-period roll-over.
class Station final : private ClockSyncView {
public:
    Station();
    ~Station() override;

    frmPunch &window() { return *m_window; }
    ClockSync &clockSync() { return *m_clockSync; }

    // Loads the main window (its start-up steps) and shows it.
    void start();

private:
    QString timeServer() const override;
    int addLogLine(const QString &line) override;
    int logLineCount() const override;
    void setLogTopIndex(int index) override;
    void redrawDateTimeLabels() override;

    std::unique_ptr<frmPunch> m_window;
    std::unique_ptr<ClockSync> m_clockSync;
};

} // namespace tarnvik
