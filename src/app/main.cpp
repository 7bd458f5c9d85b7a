#include "platform/DesktopPlatform.h"
#include "platform/SingleInstance.h"
#include "startup/Forms.h"
#include "startup/StatusTexts.h"
#include "startup/frmMain.h"
#include "widgets/Decoration.h"

#include <QApplication>
#include <QTimer>

using namespace Qt::StringLiterals;
using namespace tuvano;

namespace {

// What a second copy says before it ends without touching anything.
QString runningCopyText(bool hostRuns, bool broughtForward)
{
    QString text = u"Lexaro Tuvano! körs redan i den här programmappen."_s;
    if (hostRuns)
        text += u"\n\nEn Lexaro-session pågår just nu. Starta Lexaro Tuvano! igen när "
                u"Lexaro har avslutats."_s;
    else if (broughtForward)
        text += u" Det fönster som redan är öppet har tagits fram."_s;
    return text;
}

// Brings the start-up window to the front, unless it is hidden (the host
// runs) or not there yet (start-up is still under way).
void comeForward(startup::Forms* forms)
{
    if (!forms || !forms->hasMain() || !forms->main().isVisible())
        return;
    startup::frmMain& main = forms->main();
    main.setWindowState(main.windowState() & ~Qt::WindowMinimized);
    main.raise();
    main.activateWindow();
}

} // namespace

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(startup::texts::kProgramTitle.toString());
    // The start-up window hides while the host runs, perhaps with no monitor
    // shown: the program ends only when it says so, never by running out of
    // visible windows.
    QApplication::setQuitOnLastWindowClosed(false);

    platform::DesktopPlatform platform;
    std::unique_ptr<startup::Forms> forms;
    // A second copy in the same folder touches nothing: it only says so.
    platform::SingleInstance instance(platform.programFolder());
    if (!instance.acquire([&] { comeForward(forms.get()); })) {
        const bool hostRuns = platform.markerPresent();
        const bool asked = !hostRuns && instance.askRunningCopy();
        platform.message(runningCopyText(hostRuns, asked), startup::texts::kProgramTitle.toString(),
                         platform::Icon::Information, platform::Buttons::Ok);
        return 0;
    }
    platform.setBeforeEnd([&] { instance.release(); });

    forms = std::make_unique<startup::Forms>(platform);
    // Files half written can only be left by a copy that was cut short.
    forms->setLeftoversPossible(instance.previousRunWasCutShort());
    if (!forms->loadMain())
        return 0;
    forms->main().show();
    // Decoding the icon in all its sizes takes a while: not before the window
    // is on the screen.
    QTimer::singleShot(0, [] { QApplication::setWindowIcon(widgets::programIcon()); });
    return QApplication::exec();
}
