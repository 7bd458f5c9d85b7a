#pragma once

#include "ProgramState.h"
#include "platform/Platform.h"
#include "store/ProfileList.h"
#include "store/ProgramFolder.h"
#include "store/SessionRecord.h"

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

// The profile session under way, from its start until its write-back has
// ended; also one that a crash cut short while the host still runs.
struct LiveSession {
    // Where the session stands; the evidence that moves it on is weighed in
    // one place only (session/SessionStage.h).
    enum class Stage {
        Idle,           // no session; the start button is open
        Starting,       // the profile's files are being put in place
        WaitingForHost, // the host was launched (or is to be started by hand), not yet seen
        HostRunning,    // its marker has been seen; its end is awaited
        Saving,         // the host has ended; the session is being saved or given up
    };
    Stage stage = Stage::Idle;
    std::optional<store::SessionRecord> record;
    // The host processes the last start launched.
    std::vector<qint64> hostProcesses;
    // Those of them that were running when the host was seen: the host's
    // own processes, as far as this program knows them. A launcher that
    // had ended by then is not among them.
    std::vector<qint64> hostSeenRunning;
    // Every launch failed (told to the user): a host started by hand is
    // still taken over, and the start button is open meanwhile.
    bool launchFailed = false;
    // Whether the session's host was running already when the program
    // started (after a crash or a kill), so none of its processes is known.
    bool hostFromBefore = false;
    // The user is being asked whether the host has ended: the wait stands
    // still until the answer.
    bool askingWhetherEnded = false;
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
