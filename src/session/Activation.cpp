#include "Activation.h"

#include "startup/Forms.h"
#include "startup/StatusTexts.h"
#include "startup/frmMain.h"
#include "store/ErrorText.h"
#include "store/ProfileList.h"

#include <QPushButton>
#include <QTimer>

using namespace Qt::StringLiterals;

namespace tuvano::session {

namespace {

using platform::Icon;

// Tells the user of a start that cannot go on and ends the program.
StartOutcome endWith(startup::Forms& forms, const store::StoreError& error)
{
    forms.platform().fatalError(u"Profilen kunde inte startas.\n\n" + store::errorText(error) +
                                u"\n\nLexaro Tuvano! avslutas.");
    return StartOutcome::Ended;
}

StartOutcome refuse(startup::Forms& forms, const QString& text)
{
    forms.platform().message(text, u"Profilen kan inte startas"_s, Icon::Exclamation);
    forms.main().cmdGo->setEnabled(true);
    return StartOutcome::Refused;
}

} // namespace

StartOutcome swapInProfile(startup::Forms& forms, const QString& name, OnFailure onFailure)
{
    const store::ProgramFolder& folder = forms.folder();
    const auto list = store::ProfileList(folder).read();
    if (!list && onFailure == OnFailure::EndProgram)
        return endWith(forms, list.error());
    if (!list)
        return refuse(forms, u"Profillistan kunde inte läsas, så profilen " + name +
                                 u" kan inte startas.\n\n" + store::errorText(list.error()));
    // A name without a record is never started with the files of the
    // profile that happened to be started before it.
    const std::optional<QString> id = store::lastIdOf(*list, name);
    if (!id)
        return refuse(forms, u"Profilen " + name +
                                 u" finns inte längre i profillistan och kan därför inte "
                                 u"startas.\n\nVälj en annan profil i listan.");
    startup::ProgramState& state = forms.state();
    state.sProfileFolder = folder.profileFolder(*id);

    store::FileOps& ops = folder.ops();
    for (store::DataFile file : store::ProfileFileSet::start) {
        // A live file that is gone already (a start cut short) is as wanted.
        const store::Status deleted = ops.remove(folder.liveFile(file));
        if (!deleted && deleted.error().kind != store::ErrorKind::Missing &&
            onFailure == OnFailure::EndProgram)
            return endWith(forms, deleted.error());
    }
    for (store::DataFile file : store::ProfileFileSet::start) {
        // The live files are copies the profile still holds: no need to wait
        // for them to reach the disk.
        const store::Status copied =
            store::replaceByCopy(ops, store::dataFilePath(state.sProfileFolder, file),
                                 folder.liveFile(file), store::Durability::Cached);
        if (!copied && onFailure == OnFailure::EndProgram)
            return endWith(forms, copied.error());
    }
    return StartOutcome::Started;
}

void launchHost(startup::Forms& forms)
{
    std::vector<qint64>& started = forms.hostProcesses();
    started.clear();
    QString failures;
    for (QStringView executable : store::kHostExecutables) {
        const QString path = forms.folder().file(executable);
        const platform::Launch launch = forms.platform().launch(path);
        if (launch.started())
            started.push_back(launch.pid);
        else
            failures += path + u": " + launch.failure + u".\n";
    }
    startup::frmMain& main = forms.main();
    main.tmrRun->start();
    if (!started.empty())
        return;
    // The live files hold the profile's copy, and a host started by hand is
    // still taken over: the user can go on either way.
    main.cmdGo->setEnabled(true);
    forms.platform().message(u"Lexaro kunde inte startas.\n\n" + failures +
                                 u"\nProfilens filer ligger på plats. Om Du startar Lexaro på "
                                 u"egen hand tar Lexaro Tuvano! över som vanligt.",
                             u"Lexaro kunde inte startas"_s, Icon::Exclamation);
}

StartOutcome StartProfile(startup::Forms& forms, const QString& name, OnFailure onFailure)
{
    startup::frmMain& main = forms.main();
    if (!main.cmdGo->isEnabled())
        return StartOutcome::Busy;
    if (name.isEmpty()) {
        forms.platform().message(startup::texts::kIllegalChoice.toString(),
                                 startup::texts::kErrorTitle.toString(), Icon::Critical);
        return StartOutcome::Refused;
    }
    main.cmdGo->setEnabled(false);
    const StartOutcome swapped = swapInProfile(forms, name, onFailure);
    if (swapped != StartOutcome::Started)
        return swapped;
    launchHost(forms);
    return StartOutcome::Started;
}

} // namespace tuvano::session
