#include "Forms.h"

#include "admin/frmAdd.h"
#include "admin/frmProfiles.h"
#include "frmMain.h"
#include "settings/frmOm.h"
#include "settings/frmSettings.h"

#include <QEvent>

namespace tuvano::shell {

namespace {

// Unloading: the window goes away now and is destroyed once the handler that
// asked for it has returned.
template <class Window> void unload(QPointer<Window>& window)
{
    if (!window)
        return;
    window->hide();
    window->deleteLater();
    window.clear();
}

// Closing a modeless window through its frame unloads it.
template <class Window> class UnloadOnClose : public QObject {
public:
    explicit UnloadOnClose(QPointer<Window>& window) : QObject(window.data()), m_window(window) {}

    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() != QEvent::Close || watched != m_window.data())
            return false;
        event->ignore();
        unload(m_window);
        return true;
    }

private:
    QPointer<Window>& m_window;
};

// Shows a modeless window, loading it first when it is not loaded.
template <class Window> void show(QPointer<Window>& window, shared::Context& context)
{
    if (!window) {
        window = new Window(context);
        window->installEventFilter(new UnloadOnClose<Window>(window));
        if (!window->Form_Load()) {
            unload(window);
            return;
        }
    }
    window->show();
    window->raise();
    window->activateWindow();
}

template <class Window> bool isShown(const QPointer<Window>& window)
{
    return window && window->isVisible();
}

} // namespace

Forms::Forms(platform::Platform& platform)
    : m_folder(platform.programFolder(), platform.fileOps()),
      m_main(std::make_unique<frmMain>(*this)), m_context{platform,  m_folder, m_state,
                                                          m_session, *this,    *m_main}
{}

Forms::~Forms()
{
    delete m_session.monitor;
    delete m_profiles;
    delete m_add;
    delete m_settings;
}

bool Forms::loadMain(bool leftoversPossible, startup::StartFiles readAhead)
{
    m_folder.removeLeftovers(leftoversPossible);
    return m_main->Form_Load(std::move(readAhead));
}

void Forms::showProfiles() { show(m_profiles, m_context); }

bool Forms::reloadProfiles()
{
    unload(m_profiles);
    showProfiles();
    return !m_profiles.isNull();
}

void Forms::unloadProfiles() { unload(m_profiles); }

admin::frmProfiles* Forms::profiles() const { return m_profiles; }

void Forms::showAdd() { show(m_add, m_context); }

void Forms::unloadAdd() { unload(m_add); }

bool Forms::addIsShown() const { return isShown(m_add); }

admin::frmAdd* Forms::add() const { return m_add; }

void Forms::showSettingsAfresh()
{
    unload(m_settings);
    show(m_settings, m_context);
}

void Forms::unloadSettings() { unload(m_settings); }

settings::frmSettings* Forms::settingsWindow() const { return m_settings; }

void Forms::showAbout()
{
    m_about = new settings::frmOm(m_context);
    m_about->Form_Load();
    m_about->exec();
    unload(m_about);
}

settings::frmOm* Forms::about() const { return m_about; }

bool Forms::listIsBusy() const
{
    return isShown(m_settings) || isShown(m_add) || isShown(m_profiles) || isShown(m_about);
}

} // namespace tuvano::shell
