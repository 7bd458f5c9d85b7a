#pragma once

#include "shared/Context.h"
#include "startup/StartUp.h"

#include <QPointer>

#include <memory>

namespace tuvano::admin {
class frmAdd;
class frmProfiles;
} // namespace tuvano::admin
namespace tuvano::settings {
class frmOm;
class frmSettings;
} // namespace tuvano::settings

namespace tuvano::shell {

class frmMain;

// The program's windows and what they share: creates every window, hands
// each the context it works in, and knows which are loaded.
class Forms final : public shared::Windows {
public:
    explicit Forms(platform::Platform& platform);
    ~Forms();
    Forms(const Forms&) = delete;
    Forms& operator=(const Forms&) = delete;

    shared::Context& context() { return m_context; }
    shared::ProgramState& state() { return m_state; }

    // Runs the start-up window's load handler. False when the program has
    // ended during it (an error, or the user said so). Only when the profile
    // folders may hold temporary files of writes cut short are they all
    // looked through. The files may have been read ahead.
    bool loadMain(bool leftoversPossible = true, startup::StartFiles readAhead = {});
    frmMain& main() { return *m_main; }

    void showProfiles() override;
    bool reloadProfiles() override;
    void unloadProfiles() override;
    admin::frmProfiles* profiles() const;

    void showAdd() override;
    void unloadAdd() override;
    bool addIsShown() const override;
    admin::frmAdd* add() const;

    // The settings dialog, modeless; each opening replaces an open one, so it
    // always shows what the file holds.
    void showSettingsAfresh();
    void unloadSettings() override;
    settings::frmSettings* settingsWindow() const;

    // The about window, modal: returns when it is closed.
    void showAbout();
    settings::frmOm* about() const;

    // Whether a window is shown that refills or repositions the main list,
    // during which a choice in that list has no effect.
    bool listIsBusy() const;

private:
    store::ProgramFolder m_folder;
    shared::ProgramState m_state;
    shared::LiveSession m_session;
    std::unique_ptr<frmMain> m_main;
    shared::Context m_context;
    QPointer<admin::frmProfiles> m_profiles;
    QPointer<admin::frmAdd> m_add;
    QPointer<settings::frmSettings> m_settings;
    QPointer<settings::frmOm> m_about;
};

} // namespace tuvano::shell
