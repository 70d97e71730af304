#pragma once

namespace tarnvik {

class frmPunch;

// Plugs the pay-period roll-over into the main window: its CheckPeriode (at
// start-up and every ten seconds) runs a PeriodChecker that the window owns,
// and when no period is set the checker opens the options window, modal and
// owned by the main window.
void plugInPeriodCheck(frmPunch *window);

} // namespace tarnvik
