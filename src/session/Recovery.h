#pragma once

#include "shared/Context.h"
#include "store/ProfileList.h"

namespace tuvano::session {

// What start-up does with a session that a crash, a kill or a power cut
// ended before its write-back: a save that was under way is finished; a
// session whose host has ended is saved or given up as the user answers;
// one whose host still runs is taken over with its profile. Runs after the
// settings and the list are read, before anything can start a profile.
void recoverSession(shared::Context& context, const store::ProfileRecords& list);

} // namespace tuvano::session
