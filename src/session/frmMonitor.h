#pragma once

#include "shared/Context.h"

#include <QWidget>

class QCheckBox;
class QLabel;
class QTimer;

namespace tuvano::session {

// The small window that stands above all others while the host runs: it
// names the running profile and lets the user keep the session's changes
// out of it. Loaded afresh for every session.
class frmMonitor : public QWidget {
    Q_OBJECT
public:
    explicit frmMonitor(shared::Context& context);

    void Form_Load();
    void tmrCheck_Timer();
    // The way out of a wait that never ends (a host killed leaves its marker
    // behind): asks whether the host has really ended; Ja ends the wait as
    // the marker's going would.
    void askWhetherHostEnded();

    QLabel* lblProfilnamn = nullptr;
    QCheckBox* chkSparaEj = nullptr;
    QTimer* tmrCheck = nullptr;

protected:
    // The watch belongs to this window: closing it is asking to end the wait.
    void closeEvent(QCloseEvent* event) override;

private:
    void placeInCorner();

    shared::Context& m_context;
    bool m_asking = false;
};

// The monitor of the running session: loaded (not shown) on first use.
frmMonitor& loadMonitor(shared::Context& context);
frmMonitor* monitor(const shared::Context& context);
void unloadMonitor(shared::Context& context);

} // namespace tuvano::session
