#pragma once

#include "platform/Platform.h"
#include "shared/ProgramState.h"
#include "store/ProgramFolder.h"
#include "store/SessionRecord.h"

#include <QPointer>

#include <memory>
#include <optional>
#include <vector>

namespace tuvano::session {
class frmMonitor;
}
namespace tuvano::admin {
class frmAdd;
class frmProfiles;
} // namespace tuvano::admin
namespace tuvano::settings {
class frmOm;
class frmSettings;
} // namespace tuvano::settings

namespace tuvano::startup {

class frmMain;

// The program's windows and what they share. A window is loaded (created,
// its load handler run) when it is first shown and unloaded (destroyed) when
// it is closed, so each opening starts afresh.
class Forms {
public:
    explicit Forms(platform::Platform& platform);
    ~Forms();
    Forms(const Forms&) = delete;
    Forms& operator=(const Forms&) = delete;

    platform::Platform& platform() const { return m_platform; }
    shared::ProgramState& state() { return m_state; }
    const store::ProgramFolder& folder() const { return m_folder; }
    // The profile session under way, from its start until its write-back
    // has ended; also one that a crash cut short while the host still runs.
    std::optional<store::SessionRecord>& session() { return m_session; }
    // The host processes the last start launched.
    std::vector<qint64>& hostProcesses() { return m_hostProcesses; }
    // Whether the session's host was running already when the program
    // started (after a crash or a kill), so none of its processes is known.
    bool& hostFromBefore() { return m_hostFromBefore; }

    // Whether the profile folders may hold temporary files of writes cut
    // short; if not, start-up does not look through them all.
    void setLeftoversPossible(bool possible) { m_leftoversPossible = possible; }
    bool leftoversPossible() const { return m_leftoversPossible; }

    // Creates the start-up window and runs its load handler. False when the
    // program has ended during it (an error, or the user said so).
    bool loadMain();
    frmMain& main() { return *m_main; }
    bool hasMain() const { return m_main != nullptr; }

    // The monitor of the running session: loaded (not shown) on first use.
    session::frmMonitor& loadMonitor();
    session::frmMonitor* monitor() const;
    void unloadMonitor();

    // The profile administration window, modeless: shown (loaded first if
    // need be) and brought to the front; reloading runs its load afresh.
    void showProfiles();
    void reloadProfiles();
    void unloadProfiles();
    admin::frmProfiles* profiles() const;

    // The new-profile dialog, modeless beside the administration window.
    void showAdd();
    void unloadAdd();
    bool addIsShown() const;
    admin::frmAdd* add() const;

    // The settings dialog, modeless; each opening replaces an open one, so it
    // always shows what the file holds.
    void showSettingsAfresh();
    void unloadSettings();
    settings::frmSettings* settingsWindow() const;

    // The about window, modal: returns when it is closed.
    void showAbout();
    settings::frmOm* about() const;

    // Whether a window is shown that refills or repositions the main list,
    // during which a choice in that list has no effect.
    bool listIsBusy() const;

private:
    platform::Platform& m_platform;
    store::ProgramFolder m_folder;
    shared::ProgramState m_state;
    std::optional<store::SessionRecord> m_session;
    std::vector<qint64> m_hostProcesses;
    bool m_hostFromBefore = false;
    bool m_leftoversPossible = true;
    std::unique_ptr<frmMain> m_main;
    QPointer<session::frmMonitor> m_monitor;
    QPointer<admin::frmProfiles> m_profiles;
    QPointer<admin::frmAdd> m_add;
    QPointer<settings::frmSettings> m_settings;
    QPointer<settings::frmOm> m_about;
};

} // namespace tuvano::startup
