#pragma once

#include "ProgramState.h"
#include "platform/Platform.h"
#include "store/ProfileList.h"
#include "store/ProgramFolder.h"
#include "store/SessionRecord.h"

#include <QDateTime>
#include <QPointer>
#include <QWidget>

#include <optional>
#include <vector>

// What a feature is given: the program's platform, folder and state, the
// session under way, and of the windows beyond its own the little it needs.
namespace tuvano::shared {

// The start-up window, which lives for the whole run and is hidden while
// the host runs.
class StartWindow {
public:
    // The start button: disabled from a start until its session has ended.
    virtual void enableStart(bool enabled) = 0;
    virtual bool startEnabled() const = 0;
    // The profile list, whose text is the profile a start starts.
    virtual QString chosenProfile() const = 0;
    virtual void fillProfiles(const QStringList& names) = 0;
    virtual void clearProfiles() = 0;
    // Walks the list from its first entry down to the first with this text
    // (else the last), each step a choice.
    virtual void chooseProfile(const QString& name) = 0;
    virtual void setCountdownLine(const QString& text) = 0;
    virtual void setQuickStartLine(const QString& text) = 0;
    virtual bool countdownRuns() const = 0;
    // Stops the countdown for the rest of the run (the line says so).
    virtual void stopCountdown() = 0;
    // The look every three seconds whether the host has started.
    virtual void watchForHost(bool on) = 0;
    virtual bool watchesForHost() const = 0;
    // What a session is waiting for, told in the window, with a way out of
    // the wait when offered; an empty text hides it.
    virtual void showWait(const QString& text, bool wayOut) = 0;
    // Whether start-up has finished: until then no host is taken over.
    virtual bool startUpFinished() const = 0;
    virtual void showWindow() = 0;
    virtual void hideWindow() = 0;
    virtual void bringForward() = 0;
    virtual QScreen* currentScreen() const = 0;

protected:
    ~StartWindow() = default;
};

// The other windows. A window is loaded (created, its load handler run) when
// it is first shown and unloaded (destroyed) when it is closed, so each
// opening starts afresh.
class Windows {
public:
    // The profile administration window, modeless: shown (loaded first if
    // need be) and brought to the front. Reloading runs its load afresh;
    // false when that failed and the program has ended.
    virtual void showProfiles() = 0;
    virtual bool reloadProfiles() = 0;
    virtual void unloadProfiles() = 0;
    // The new-profile dialog, modeless beside the administration window.
    virtual void showAdd() = 0;
    virtual void unloadAdd() = 0;
    virtual bool addIsShown() const = 0;
    virtual void unloadSettings() = 0;

protected:
    ~Windows() = default;
};

// The live files' owner and their session, from a start until the next:
// also one that an earlier run of the program left under way.
struct LiveSession {
    // Where the session stands; the evidence that moves it on is weighed in
    // one place only (session/SessionStage.h).
    enum class Stage {
        Idle,           // no session; the start button is open, the watch looks for a host
        Starting,       // the profile's files are being put in place
        WaitingForHost, // the host was launched (or is to be started by hand), not yet seen
        HostRunning,    // its marker has been seen; its end is awaited
        Saving,         // the host has ended; the session is being saved or given up
    };
    Stage stage = Stage::Idle;
    // The record of the live files' owner, as it is on the disk; empty while
    // the live files are nobody's.
    std::optional<store::SessionRecord> record;
    // The host processes the last start launched.
    std::vector<qint64> hostProcesses;
    // Every launch failed (told to the user): a host started by hand is
    // still taken over, and the start button is open meanwhile.
    bool launchFailed = false;
    // The session was under way already when the program started (the
    // record of an earlier run said so): none of its processes is known.
    bool fromEarlierRun = false;
    // The host now watched was running before this program's first look.
    bool hostBeforeStart = false;
    // Whether the watch has looked since start-up.
    bool looked = false;
    // The user is being asked whether the host has ended: the wait stands
    // still until the answer.
    bool askingWhetherEnded = false;
    // A marker the user has said no host keeps (the way out of a wait for
    // a host that was killed): no sign of a host while it stays as it was.
    QString passedMarker;
    QDateTime passedMarkerTime;
    // The session's monitor window while the session feature has it loaded.
    QPointer<QWidget> monitor;
};

struct Context {
    platform::Platform& platform;
    const store::ProgramFolder& folder;
    ProgramState& state;
    LiveSession& session;
    Windows& windows;
    StartWindow& startWindow;

    // The profile list (the one given when it was read ahead), or empty
    // when it could not be read and the program ended.
    std::optional<store::ProfileRecords> obtainProfileList(
        std::optional<store::Result<store::ProfileRecords>> readAhead = std::nullopt) const;
};

} // namespace tuvano::shared
