#include "Forms.h"

#include "frmMain.h"
#include "session/frmMonitor.h"

namespace tuvano::startup {

namespace {

// Unloading: the window goes away now and is destroyed once the handler that
// asked for it has returned.
template <class Window>
void unload(QPointer<Window>& window)
{
    if (!window)
        return;
    window->hide();
    window->deleteLater();
    window.clear();
}

} // namespace

Forms::Forms(platform::Platform& platform)
    : m_platform(platform), m_folder(platform.programFolder(), platform.fileOps())
{
}

Forms::~Forms()
{
    delete m_monitor;
}

bool Forms::loadMain()
{
    m_main = std::make_unique<frmMain>(*this);
    return m_main->Form_Load();
}

session::frmMonitor& Forms::loadMonitor()
{
    if (!m_monitor) {
        m_monitor = new session::frmMonitor(*this);
        m_monitor->Form_Load();
    }
    return *m_monitor;
}

session::frmMonitor* Forms::monitor() const { return m_monitor; }

void Forms::unloadMonitor() { unload(m_monitor); }

bool Forms::listIsBusy() const
{
    return false;
}

} // namespace tuvano::startup
