#pragma once

#include "shared/Context.h"

#include <QString>
#include <QStringList>

#include <vector>

// Where a session stands and what moves it on. Every decision that rests on
// evidence from outside (the host's marker, the host's processes, the user's
// word) is made here, so that it can be checked against the rules it keeps:
//   - the live files have one owner, the profile the session's record names
//     (nobody without a record); only a start changes it, by putting another
//     profile's files in place, and whenever a host has run on the live
//     files and has ended, they are saved to their owner;
//   - the host is known by what runs: its marker, the processes whose
//     program is the folder's lx2000.exe or lexaro.exe (whoever started
//     them) and those the last start launched;
//   - no start swaps a profile's files in while a host may be running: it
//     is refused while a host process runs, and asked about, with Nej as
//     the answer a hurried Return gives, while only its marker is there;
//   - a session ends only when the host has ended: its marker, once seen,
//     is gone and no host process runs, or the user says so while no host
//     process runs;
//   - a launched process that ends before any marker was seen is no sign
//     (a launcher's real host may still come), unless it failed: then
//     nothing started, and the user is told why;
//   - a marker older than the computer's last start is no sign of a host,
//     except while a host process runs (a clock may have jumped), and once a
//     host has been seen its marker's age never counts;
//   - whenever no host process runs but a marker stays, the way out of the
//     wait is on the screen;
//   - the record is written before each stage begins, and a program started
//     again goes on from the stage it names.
//
//   Idle ─start─▶ Starting ─files in place, host launched─▶ WaitingForHost
//   Idle, WaitingForHost ─marker seen─▶ HostRunning
//   WaitingForHost ─every launch failed─▶ WaitingForHost, start open again
//   WaitingForHost ─the user ends the wait─▶ Saving
//   HostRunning ─marker gone and no host process, or the user says so─▶ Saving
//   Saving ─saved or given up─▶ Idle (the watch goes on), or the program ends
namespace tuvano::session {

// What is known of the host at this moment.
struct HostEvidence {
    QStringList openMarkers;       // the marker files that can be opened now
    bool markersStale = false;     // each of them older than the computer's last start
    bool markerPassed = false;     // each of them one the user said no host keeps, still there
    bool launchedAlive = false;    // a process the last start launched still runs
    bool launchedEnded = false;    // processes were launched, and all have ended
    QStringList failures;          // of those, each that failed, and why
    std::vector<qint64> processes; // the host's processes running now, whoever started them

    bool processRuns() const { return launchedAlive || !processes.empty(); }
    bool hostMayRun() const { return !openMarkers.isEmpty() || processRuns(); }
    // Whether a marker is a sign of a running host before one has been seen:
    // one the user passed, or one from before the computer's last start, is
    // none unless a host process runs.
    bool hostSeen() const
    {
        return !openMarkers.isEmpty() && (processRuns() || (!markerPassed && !markersStale));
    }
};

HostEvidence lookAtHost(shared::Context& context);

// A look by the watch (the timers' ticks, a change in a marker's folder):
// the session moves on as the evidence says. Nothing moves while the user
// is asked whether the host has ended.
void lookAgain(shared::Context& context);

// The look once the start-up window is on the screen: besides the marker,
// it looks for a host process that ran before this program started and has
// not shown yet that it runs. (Looking at every process takes a while: it is
// not done before the window is up, nor at every look while idle.)
void lookOnceStarted(shared::Context& context);

// The start's files are in place and the host was launched (launched:
// whether any process started); from here the watch waits for the host.
void awaitHost(shared::Context& context, bool launched);

// Whether a start may put a profile's files in place now. While a host
// process runs, it is refused with a message; while only the host's marker
// is there, the user may go on, but only by saying so.
bool mayStartNow(shared::Context& context, const QString& name);

// The user asks to end the wait (the monitor closed, the way out of a wait,
// a later copy of the program started). While a host process runs, the user
// is told to end Lexaro first; otherwise asked, telling what is known, with
// going on waiting as the default. Ja ends the session as the host's end
// would; a host that comes later is still taken over.
void askWhetherHostEnded(shared::Context& context);

// The host has ended (hostRan), or the user ended the wait for its start:
// the session is saved or given up, then the program ends or the start-up
// window returns.
void hostEnded(shared::Context& context, bool hostRan = true);

// A session that an earlier run of the program left under way: its host
// was launched and not yet seen (waitingForStart), or was running. The
// watch goes on from there once start-up has finished.
void resumeSession(shared::Context& context, const store::SessionRecord& record,
                   bool waitingForStart);

} // namespace tuvano::session
