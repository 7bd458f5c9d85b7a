#pragma once

#include "store/SettingsFile.h"

#include <QString>

namespace tuvano::shared {

using store::kFalse;
using store::kTrue;
using store::VbBool;

// The values all windows share, for the whole run. It belongs to no window.
struct ProgramState {
    VbBool fQuickStart = kFalse;  // a choice in the main list starts the profile
    qint16 nAutoSelectDelay = 0;  // countdown seconds; 0: no countdown
    QString sDefaultProfile;      // preselected and started by the countdown
    VbBool fShutdown = kFalse;    // end the program with the host
    VbBool fShowMonitor = kFalse; // show the monitor while the host runs
    QString sProfileFolder;       // folder of the profile started last
    QString sLastChoice;          // the main list's text at the end of start-up

    // Takes the five stored settings. A negative countdown (only possible in a
    // file edited by hand) would never reach zero, so it counts as none.
    void load(const store::Settings& settings);
};

} // namespace tuvano::shared
