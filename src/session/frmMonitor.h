#pragma once

#include "shared/Context.h"

#include <QWidget>

class QCheckBox;
class QLabel;
class QPushButton;
class QTimer;
class QVBoxLayout;

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
    // The host's process has ended but its marker stays: the window shows
    // itself, even when it is not meant to be seen, and says so, with the
    // way out of the wait.
    void offerWayOut();

    QLabel* lblProfilnamn = nullptr;
    QCheckBox* chkSparaEj = nullptr;
    QTimer* tmrCheck = nullptr;
    // Shown only by offerWayOut().
    QLabel* wayOutNote = nullptr;
    QPushButton* wayOut = nullptr;

protected:
    // The watch belongs to this window: closing it is asking to end the wait.
    void closeEvent(QCloseEvent* event) override;

private:
    void placeInCorner();
    void fitToContents();
    // The user's choice is part of the session: it lasts through a crash.
    void keepChangesChosen();

    shared::Context& m_context;
};

// The monitor of the running session: loaded (not shown) on first use.
frmMonitor& loadMonitor(shared::Context& context);
frmMonitor* monitor(const shared::Context& context);
void unloadMonitor(shared::Context& context);

} // namespace tuvano::session
