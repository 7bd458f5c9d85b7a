#include "ProgramState.h"

namespace tuvano::shared {

void ProgramState::load(const store::Settings& s)
{
    fQuickStart = s.fQuickStart;
    nAutoSelectDelay = s.nAutoSelectDelay < 0 ? qint16(0) : s.nAutoSelectDelay;
    sDefaultProfile = s.sDefaultProfile;
    fShutdown = s.fShutdown;
    fShowMonitor = s.fShowMonitor;
}

} // namespace tuvano::shared
