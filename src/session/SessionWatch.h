#pragma once

namespace tuvano::startup {
class Forms;
}

namespace tuvano::session {

class frmMonitor;

// After the host has ended: the host folder's five files back into the
// profile (unless the user chose not to), then the program ends or the
// start-up window returns for the next session.
void WriteBackProfile(startup::Forms& forms, frmMonitor& monitor);

// When the host has started: the start-up window steps aside and the
// monitor takes over the watch.
void tmrRun_Timer(startup::Forms& forms);

} // namespace tuvano::session
