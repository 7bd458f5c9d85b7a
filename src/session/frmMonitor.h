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

    // What the window tells of the host beyond the profile's name: nothing
    // while its marker and its process are there; that no host runs while
    // its marker stays, with the way out of the wait; that the host still
    // runs after its marker has gone. A note shows the window, even when it
    // is not meant to be seen.
    enum class Note { None, MarkerWithoutHost, HostWithoutMarker };
    void showNote(Note note);

    QLabel* lblProfilnamn = nullptr;
    QCheckBox* chkSparaEj = nullptr;
    QTimer* tmrCheck = nullptr;
    // Shown only with a note.
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
    Note m_note = Note::None;
    int m_bottomMargin = 0;
};

// The monitor of the running session: loaded (not shown) on first use.
frmMonitor& loadMonitor(shared::Context& context);
frmMonitor* monitor(const shared::Context& context);
void unloadMonitor(shared::Context& context);

} // namespace tuvano::session
