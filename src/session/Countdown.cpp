#include "Countdown.h"

#include "Activation.h"
#include "shared/StatusTexts.h"
#include "startup/Forms.h"
#include "startup/frmMain.h"
#include "widgets/ChoiceList.h"
#include "widgets/StatusLine.h"

#include <QPushButton>
#include <QTimer>

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

void tmrDefault_Timer(startup::Forms& forms)
{
    startup::frmMain& main = forms.main();
    shared::ProgramState& state = forms.state();
    --main.Counter;
    main.lblAutoval->setText(texts::countdownCounting(state.sDefaultProfile, main.Counter));
    if (main.Counter != 0)
        return;

    main.tmrDefault->stop();
    const QString listText = main.cmbProfiler->currentText();
    platform::Platform& platform = forms.platform();
    if (listText != state.sDefaultProfile)
        platform.message(missingDefaultText(state.sDefaultProfile, listText),
                         u"Fel vid automatiskt profilval"_s, Icon::Critical);
    // A host taken over while the message was open has the live files: the
    // countdown must not swap them under it.
    if (!main.cmdGo->isEnabled() || forms.monitor())
        return;
    if (listText.isEmpty()) {
        platform.message(texts::kIllegalChoice.toString(), texts::kErrorTitle.toString(),
                         Icon::Critical);
        return;
    }
    main.cmdGo->setEnabled(false);
    if (swapInProfile(forms, listText, OnFailure::EndProgram) != StartOutcome::Started)
        return;
    main.lblAutoval->setText(texts::countdownDone(listText));
    launchHost(forms);
}

} // namespace tuvano::session
