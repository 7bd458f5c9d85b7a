#pragma once

namespace tuvano::shared {
struct Context;
}

namespace tuvano::session {

class frmMonitor;

// After the host has ended: the host folder's five files back into the
// profile (unless the user chose not to), then the program ends or the
// start-up window returns for the next session.
void WriteBackProfile(shared::Context& context, frmMonitor& monitor);

// When the host has started: the start-up window steps aside and the
// monitor takes over the watch.
void tmrRun_Timer(shared::Context& context);

} // namespace tuvano::session
