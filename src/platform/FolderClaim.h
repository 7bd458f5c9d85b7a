#pragma once

#include "SingleInstance.h"

namespace tuvano::platform {

class Platform;

// Makes this copy the only one working in the program folder, or tells the
// user why it cannot be: the program already runs there (and was asked to
// come forward), it was started there from another computer (the user may
// take over), or no lock can be made in the folder. True when start-up may
// go on; false when the program is to end, having written nothing.
bool claimProgramFolder(SingleInstance& lock, Platform& platform,
                        SingleInstance::ComeForward comeForward,
                        int answerWaitMs = SingleInstance::kAnswerWaitMs);

} // namespace tuvano::platform
