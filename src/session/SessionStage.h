#pragma once

#include "shared/Context.h"

#include <QString>
#include <QStringList>

// Where a session stands and what moves it on. Every decision that rests on
// evidence from outside (the host's marker, the processes this program
// started, the user's word) is made here, so that it can be checked against
// the rules it keeps:
//   - no start swaps a profile's files in while a host may be running: its
//     marker can be opened, or a process this program started is alive;
//   - a session ends only when the host has ended: its marker, once seen,
//     can no longer be opened, or the user says so;
//   - a launched process that ends before any marker was seen is no such
//     sign (a launcher's real host may still come), unless it failed: then
//     nothing started, and the user is told why;
//   - a marker older than the computer's last start is no sign of a host,
//     except while a process this program started runs (a clock may have
//     jumped), and once a host has been seen its marker's age never counts.
//
//   Idle ─start─▶ Starting ─files in place, host launched─▶ WaitingForHost
//   Idle ─a marker while the start-up watch looks─▶ HostRunning (no profile)
//   WaitingForHost ─marker seen─▶ HostRunning
//   WaitingForHost ─every launch failed─▶ WaitingForHost, start open again
//   WaitingForHost, HostRunning ─marker gone, or the user says so─▶ Saving
//   Saving ─saved or given up─▶ Idle, or the program ends
namespace tuvano::session {

// What is known of the host at this moment.
struct HostEvidence {
    QStringList openMarkers;    // the marker files that can be opened now
    bool markersStale = false;  // each of them older than the computer's last start
    bool launchedAlive = false; // a process the last start launched still runs
    bool launchedEnded = false; // processes were launched, and all have ended
    QStringList failures;       // of those, each that failed, and why
    bool seenHostAlive = false; // a process that ran when the host was seen still runs
    bool seenHostEnded = false; // processes ran when the host was seen; all have ended

    bool hostMayRun() const { return !openMarkers.isEmpty() || launchedAlive; }
    // Whether a marker is a sign of a running host before one has been seen.
    bool hostSeen() const { return !openMarkers.isEmpty() && (!markersStale || launchedAlive); }
};

HostEvidence lookAtHost(shared::Context& context);

// A look by the watch (the timers' ticks, a change in a marker's folder):
// the session moves on as the evidence says. Nothing moves while the user
// is asked whether the host has ended.
void lookAgain(shared::Context& context);

// The start's files are in place and the host was launched (launched: how
// many processes started); from here the watch waits for the host.
void awaitHost(shared::Context& context, bool launched);

// Whether a start may put a profile's files in place now. While a process
// this program started runs, it is refused with a message; while only the
// host's marker is there, the user may go on, but only by saying so.
bool mayStartNow(shared::Context& context, const QString& name);

// The user says the host has ended (the monitor closed, the way out of a
// wait, a later copy of the program started): asks, telling what is known,
// with going on waiting as the default; Ja ends the session as the host's
// end would.
void askWhetherHostEnded(shared::Context& context);

// The host has ended: the session is saved or given up, then the program
// ends or the start-up window returns.
void hostEnded(shared::Context& context);

} // namespace tuvano::session
