#include "Countdown.h"

#include "Activation.h"
#include "frmMonitor.h"
#include "shared/Context.h"
#include "shared/StatusTexts.h"

using namespace Qt::StringLiterals;

namespace tuvano::session {

namespace texts = shared::texts;
using platform::Icon;

QString missingDefaultText(QStringView defaultProfile, QStringView listText)
{
    return u"Den profil som har lagrats som förval har tagits bort!\n\n"
           u"Automatiskt profilval har därför inte kunnat ske med profilen " +
           defaultProfile + u".\nIstället har Lexaro Tuvano! automatiskt använt profilen " +
           listText +
           u".\n\nOm Du inte vill ha detta felmeddelande i fortsättningen, kontrollera "
           u"inställningarna!";
}

void countdownEnded(shared::Context& context)
{
    shared::StartWindow& window = context.startWindow;
    const shared::ProgramState& state = context.state;
    const QString listText = window.chosenProfile();
    platform::Platform& platform = context.platform;
    if (listText != state.sDefaultProfile)
        platform.message(missingDefaultText(state.sDefaultProfile, listText),
                         u"Fel vid automatiskt profilval"_s, Icon::Critical);
    // A host taken over while the message was open has the live files: the
    // countdown must not swap them under it.
    if (!window.startEnabled() || monitor(context))
        return;
    if (listText.isEmpty()) {
        platform.message(texts::kIllegalChoice.toString(), texts::kErrorTitle.toString(),
                         Icon::Critical);
        return;
    }
    window.enableStart(false);
    if (swapInProfile(context, listText, OnFailure::EndProgram) != StartOutcome::Started)
        return;
    window.setCountdownLine(texts::countdownDone(listText));
    launchHost(context);
}

} // namespace tuvano::session
