#include "platform/DesktopPlatform.h"
#include "platform/FolderClaim.h"
#include "platform/FontReading.h"
#include "platform/SingleInstance.h"
#include "session/frmMonitor.h"
#include "shared/StatusTexts.h"
#include "shell/Forms.h"
#include "shell/frmMain.h"
#include "startup/FolderCheck.h"
#include "widgets/Decoration.h"

#include <QApplication>
#include <QTimer>

using namespace tuvano;

namespace {

// What the running program does when a later copy asks it to come forward:
// its window comes to the front, unless start-up is still under way.
platform::SingleInstance::Reply comeForward(shell::Forms* forms, bool started)
{
    using Reply = platform::SingleInstance::Reply;
    if (!started || !forms)
        return Reply::Starting;
    // While the host runs, the monitor stands in for the start-up window;
    // a hidden one asks whether the host has ended (the way out of a wait
    // for a host that was killed).
    if (session::frmMonitor* monitor = session::monitor(forms->context())) {
        if (!monitor->isVisible()) {
            QTimer::singleShot(0, monitor, &session::frmMonitor::askWhetherHostEnded);
            return Reply::Asked;
        }
        monitor->raise();
        monitor->activateWindow();
        return Reply::Shown;
    }
    shell::frmMain& main = forms->main();
    if (!main.isVisible())
        return Reply::NoWindow;
    main.setWindowState(main.windowState() & ~Qt::WindowMinimized);
    main.raise();
    main.activateWindow();
    return Reply::Shown;
}

} // namespace

int main(int argc, char* argv[])
{
    platform::FontReading fonts;
    QApplication app(argc, argv);
    QApplication::setApplicationName(shared::texts::kProgramTitle.toString());
    // The start-up window hides while the host runs, perhaps with no monitor
    // shown: the program ends only when it says so, never by running out of
    // visible windows.
    QApplication::setQuitOnLastWindowClosed(false);

    platform::DesktopPlatform platform;
    // A folder this user may not write in is told of before anything there
    // is touched, the lock included.
    if (const QString denied = startup::writeDeniedText(platform); !denied.isEmpty()) {
        fonts.wait();
        platform.fatalError(denied);
    }
    std::unique_ptr<shell::Forms> forms;
    bool started = false;
    // A second copy in the same folder touches nothing: it only says so.
    // Taking the lock waits for the disk to hold the lock file, so it is
    // taken on another core, which then reads the settings and the profile
    // list, while this one makes the window. What the files hold is acted
    // on once the window is there.
    platform::SingleInstance instance(platform.programFolder());
    startup::StartFiles files;
    platform::FolderClaimAhead claim(
        instance, [&] { return comeForward(forms.get(), started); },
        [&] {
            files = startup::readStartFiles(
                store::ProgramFolder(platform.programFolder(), platform.fileOps()));
        });

    // What needs no fonts is done while the font configuration may still be
    // read: the start-up window's pictures, the icon, which the windows are
    // given once the first is on the screen, and the window itself, which
    // measures no text until it is shown.
    shell::frmMain::readPicturesAhead();
    const QIcon icon = widgets::programIcon();
    forms = std::make_unique<shell::Forms>(platform);
    fonts.wait();
    // The list of a large installation may still be being read meanwhile.
    widgets::loadTypefacesAhead(forms->main());
    if (!claim.takenAtOnce()) {
        // Questions and messages come first, with no window behind them
        // whose timers could run meanwhile; the window is made anew after.
        forms.reset();
        if (!claim.claim(platform))
            return 0;
        forms = std::make_unique<shell::Forms>(platform);
    }
    platform.setBeforeEnd([&] { instance.release(); });

    // Files half written can only be left by a copy that was cut short.
    if (!forms->loadMain(instance.previousRunWasCutShort(), std::move(files)))
        return 0;
    forms->main().show();
    started = true;
    QTimer::singleShot(0, [icon] { QApplication::setWindowIcon(icon); });
    const int code = QApplication::exec();
    // The program ends itself at once when it is done (DesktopPlatform); an
    // event loop ended from outside, as when the system's session ends,
    // ends it the same way: the lock given up, no window or host process
    // taken down on the way out.
    platform.endWith(code);
}
