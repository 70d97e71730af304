#include "station/ui/PayPeriodHook.h"

#include "admin/frmOptions.h"
#include "station/PeriodChecker.h"
#include "station/frmPunch.h"

#include <memory>

namespace tarnvik {

void plugInPeriodCheck(frmPunch *window)
{
    // The hook holds the checker, so it lives as long as the window does.
    auto checker = std::make_shared<PeriodChecker>([window] { showOptionsForMissingPeriod(window, window); });
    window->onCheckPeriode = [checker] { checker->CheckPeriode(); };
}

} // namespace tarnvik
