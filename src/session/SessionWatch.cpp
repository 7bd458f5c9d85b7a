#include "SessionWatch.h"

#include "frmMonitor.h"
#include "startup/Forms.h"
#include "startup/frmMain.h"
#include "store/ErrorText.h"
#include "store/ProgramFolder.h"

#include <QCheckBox>
#include <QPushButton>
#include <QStringList>
#include <QTimer>

using namespace Qt::StringLiterals;

namespace tuvano::session {

namespace {

using platform::Icon;

QString reason(const store::StoreError& error)
{
    if (error.kind == store::ErrorKind::Missing)
        return u"filen saknas"_s;
    return error.detail.isEmpty() ? u"okänt fel"_s : error.detail;
}

// Each file is replaced whole or not at all, so a file that cannot be saved
// leaves the profile's previous copy; the others are saved all the same.
QStringList saveIntoProfile(startup::Forms& forms, const QString& profileFolder)
{
    const store::ProgramFolder& folder = forms.folder();
    QStringList notSaved;
    for (store::DataFile file : store::ProfileFileSet::writeBack) {
        const store::Status saved = store::replaceByCopy(folder.ops(), folder.liveFile(file),
                                                         store::dataFilePath(profileFolder, file));
        if (!saved)
            notSaved << u"    " + store::fileName(file) + u" (" + reason(saved.error()) + u')';
    }
    return notSaved;
}

void tellNotSaved(startup::Forms& forms, const QStringList& notSaved)
{
    forms.platform().message(
        u"Alla ändringar kunde inte sparas i profilen. Följande filer sparades inte:\n\n" +
            notSaved.join(u'\n') +
            u"\n\nProfilen har kvar sin tidigare version av dessa filer. Ändringarna från "
            u"sessionen finns kvar i Lexaros programmapp tills nästa profil startas.",
        u"Fel vid sparande av profil"_s, Icon::Exclamation);
}

void tellNoProfile(startup::Forms& forms)
{
    forms.platform().message(
        u"Lexaro var redan igång när Lexaro Tuvano! startade, så ingen profil startades för "
        u"den här sessionen.\n\nÄndringarna har därför inte sparats i någon profil. De finns "
        u"kvar i Lexaros programmapp tills nästa profil startas."_s,
        u"Ingen profil att spara i"_s, Icon::Information);
}

} // namespace

void WriteBackProfile(startup::Forms& forms, frmMonitor& monitor)
{
    startup::ProgramState& state = forms.state();
    if (monitor.chkSparaEj->checkState() != Qt::Checked) {
        if (state.sProfileFolder.isEmpty()) {
            tellNoProfile(forms);
        } else if (const QStringList notSaved = saveIntoProfile(forms, state.sProfileFolder);
                   !notSaved.isEmpty()) {
            tellNotSaved(forms, notSaved);
        }
    }
    if (state.fShutdown == startup::kTrue) {
        forms.platform().endProgram();
        return;
    }
    startup::frmMain& main = forms.main();
    main.cmdGo->setEnabled(true);
    main.show();
    main.activateWindow();
    forms.unloadMonitor();
}

void tmrRun_Timer(startup::Forms& forms)
{
    platform::Platform& platform = forms.platform();
    if (!platform.markerPresent())
        return;
    startup::frmMain& main = forms.main();
    main.hide();
    // A countdown must not start a profile under a host that is already
    // running with other files.
    if (main.tmrDefault->isActive())
        main.StopCountdown();
    frmMonitor& monitor = forms.loadMonitor();
    if (forms.state().fShowMonitor == startup::kTrue) {
        monitor.show();
        monitor.activateWindow();
    }
    main.tmrRun->stop();
    monitor.tmrCheck->start();
}

} // namespace tuvano::session
