#include "Activation.h"

#include "SessionSave.h"
#include "SessionStage.h"
#include "frmMonitor.h"
#include "shared/Context.h"
#include "shared/StatusTexts.h"
#include "store/ErrorText.h"
#include "store/ProfileList.h"
#include "store/ProfileLoad.h"
#include "store/SessionRecord.h"

#include <QDir>
#include <QFileInfo>

#include <algorithm>

using namespace Qt::StringLiterals;

namespace tuvano::session {

namespace {

namespace texts = shared::texts;
using platform::Icon;

// Tells the user of a start that cannot go on and ends the program.
StartOutcome endWith(shared::Context& context, const store::StoreError& error)
{
    context.platform.fatalError(u"Profilen kunde inte startas.\n\n" + store::errorText(error) +
                                u"\n\nLexaro Tuvano! avslutas.");
    return StartOutcome::Ended;
}

StartOutcome refuse(shared::Context& context, const QString& text)
{
    context.platform.message(text, u"Profilen kan inte startas"_s, Icon::Exclamation);
    context.startWindow.enableStart(true);
    return StartOutcome::Refused;
}

// A failure that ends the program on the strict paths and refuses the start
// on the start button's.
StartOutcome stop(shared::Context& context, OnFailure onFailure, const QString& name,
                  const store::StoreError& error)
{
    if (onFailure == OnFailure::EndProgram)
        return endWith(context, error);
    return refuse(context,
                  u"Profilen " + name + u" kan inte startas.\n\n" + store::errorText(error));
}

// The profile's files could not be put in place; the live files are as
// they were, unless the error says otherwise.
StartOutcome notLoaded(shared::Context& context, OnFailure onFailure, const QString& name,
                       const store::StoreError& error)
{
    store::StoreError told = error;
    told.previousKept = false; // said of all the files at once
    const QString text =
        store::errorText(told) +
        (error.previousKept ? u"\n\nIngen av Lexaros filer i programmappen har bytts ut."_s
                            : QString());
    if (onFailure == OnFailure::EndProgram) {
        context.platform.fatalError(u"Profilen kunde inte startas.\n\n" + text +
                                    u"\n\nLexaro Tuvano! avslutas.");
        return StartOutcome::Ended;
    }
    return refuse(context, u"Profilen " + name + u" kan inte startas.\n\n" + text);
}

// The start goes on without the files that could not be loaded; the user
// hears which: those the profile lacks, whose place the host's own take, and
// those it could not give, which it keeps.
void tellNotLoaded(shared::Context& context, const QString& name, const QString& profileFolder,
                   const std::vector<store::DataFile>& lacking,
                   const std::vector<store::FileFailure>& failures)
{
    QString text;
    if (!QFileInfo(profileFolder).isDir()) {
        text = u"Profilen " + name + u" saknar sin mapp:\n" +
               QDir::toNativeSeparators(profileFolder) +
               u"\n\nLexaro startas utan profilens filer. Ingenting från sessionen sparas i "
               u"profilen när den är slut.";
    } else {
        if (!lacking.empty()) {
            QStringList names;
            for (store::DataFile file : lacking)
                names << u"    " + store::fileName(file);
            text = u"Profilen " + name + u" saknar följande filer:\n\n" + names.join(u'\n') +
                   u"\n\nLexaro startas utan dem. De filer som Lexaro skapar i deras ställe "
                   u"sparas i profilen när sessionen är slut.";
        }
        if (!failures.empty())
            text += (text.isEmpty() ? QString() : u"\n\n"_s) +
                    u"Följande filer kunde inte läsas in från profilen " + name + u":\n\n" +
                    describeFailures(failures) +
                    u"\n\nLexaro startas ändå. Dessa filer sparas inte i profilen när sessionen "
                    u"är slut, så profilens egna exemplar av dem lämnas orörda.";
    }
    context.platform.message(text, u"Alla filer kunde inte läsas in"_s, Icon::Exclamation);
}

// Told at zero when the list shows another profile than the stored default.
QString missingDefaultText(QStringView defaultProfile, QStringView listText)
{
    return u"Den profil som har lagrats som förval har tagits bort!\n\n"
           u"Automatiskt profilval har därför inte kunnat ske med profilen " +
           defaultProfile + u".\nIstället har Lexaro Tuvano! automatiskt använt profilen " +
           listText +
           u".\n\nOm Du inte vill ha detta felmeddelande i fortsättningen, kontrollera "
           u"inställningarna!";
}

StartOutcome putInPlace(shared::Context& context, const QString& name, OnFailure onFailure);

} // namespace

StartOutcome swapInProfile(shared::Context& context, const QString& name, OnFailure onFailure)
{
    // Never under a host that may be running: it would get this profile's
    // files in the middle of its session.
    if (!mayStartNow(context, name)) {
        context.startWindow.enableStart(true);
        return StartOutcome::Refused;
    }
    shared::LiveSession& session = context.session;
    const shared::LiveSession::Stage before = session.stage;
    const StartOutcome outcome = putInPlace(context, name, onFailure);
    // A start that stopped short leaves the session that was there, if any.
    if (outcome != StartOutcome::Started && session.stage == shared::LiveSession::Stage::Starting)
        session.stage = session.record ? before : shared::LiveSession::Stage::Idle;
    return outcome;
}

namespace {

StartOutcome putInPlace(shared::Context& context, const QString& name, OnFailure onFailure)
{
    const store::ProgramFolder& folder = context.folder;
    const auto list = store::ProfileList(folder).read();
    if (!list && onFailure == OnFailure::EndProgram)
        return endWith(context, list.error());
    if (!list)
        return refuse(context, u"Profillistan kunde inte läsas, så profilen " + name +
                                   u" kan inte startas.\n\n" + store::errorText(list.error()));
    // A name without a record is never started with the files of the
    // profile that happened to be started before it.
    const std::optional<QString> id = store::lastIdOf(*list, name);
    if (!id)
        return refuse(context, u"Profilen " + name +
                                   u" finns inte längre i profillistan och kan därför inte "
                                   u"startas.\n\nVälj en annan profil i listan.");
    // The session is saved into the profile's folder: it must be its own.
    if (const store::Status own = folder.checkOwnFolder(*id); !own)
        return refuse(context, u"Profilen " + name + u" kan inte startas.\n\n" +
                                   store::errorText(own.error()));
    // The host writes its files wherever their links lead: through a live
    // file that leads into a profile's folder it would change that profile.
    for (store::DataFile file : store::ProfileFileSet::start) {
        if (const store::Status place = folder.checkPlace(folder.liveFile(file)); !place)
            return stop(context, onFailure, name, place.error());
    }
    if (const store::Status finished = store::finishPendingSave(folder); !finished)
        return stop(context, onFailure, name, finished.error());
    if (auto& owner = context.session.record; owner && owner->phase == store::SessionPhase::Saving)
        owner = owner->over();
    // A host that ran on the owner's files unseen (between two looks, or
    // while no program watched) left them the owner's session: it is saved
    // before another start replaces them.
    if (auto& owner = context.session.record;
        owner && owner->phase == store::SessionPhase::Idle && owner->liveFilesChanged(folder))
        saveSession(context, *owner);

    shared::ProgramState& state = context.state;
    state.sProfileFolder = folder.profileFolder(*id);
    context.session.stage = shared::LiveSession::Stage::Starting;
    // The owner of the live files until they are replaced.
    const std::optional<store::SessionRecord> owner = context.session.record;
    store::SessionRecord record;
    record.profile = {name, *id};
    const store::SessionFile sessionFile(folder);
    // Before the first live file is touched, the record says whose they are
    // about to be.
    if (const store::Status noted = sessionFile.write(record); !noted)
        return stop(context, onFailure, name, noted.error());
    context.session.record = record;

    // All five files or none: a file another program holds keeps the live
    // files as they are, and the start is refused.
    const auto loaded = store::loadIntoLive(folder, *id, onFailure == OnFailure::PassOver);
    if (!loaded) {
        // Nothing was replaced: the live files stay their owner's. What
        // could not be put back the next start puts back, by the record.
        context.session.record = owner;
        if (loaded.error().previousKept)
            (void)(owner ? sessionFile.write(*owner) : sessionFile.remove());
        else
            context.session.record.reset();
        return notLoaded(context, onFailure, name, loaded.error());
    }
    std::vector<store::FileFailure> failures;
    std::vector<store::DataFile> lacking;
    const bool ownFolder = QFileInfo(state.sProfileFolder).isDir();
    for (const store::FileFailure& f : loaded->notLoaded) {
        const QFileInfo live(folder.liveFile(f.file));
        // The profile has no such file and none is in its place: what the
        // host makes there is the profile's own.
        if (ownFolder && f.error.kind == store::ErrorKind::Missing &&
            f.error.path == store::dataFilePath(state.sProfileFolder, f.file) && !live.exists() &&
            !live.isSymLink())
            lacking.push_back(f.file);
        else
            failures.push_back(f);
    }
    for (store::DataFile file : store::ProfileFileSet::start) {
        const auto has = [file](const std::vector<store::DataFile>& files) {
            return std::find(files.begin(), files.end(), file) != files.end();
        };
        if (has(loaded->files) || has(lacking))
            record.files.push_back(file);
    }
    record.phase = store::SessionPhase::Live;
    record.seen = store::liveFilesNow(folder);
    if (const store::Status noted = sessionFile.write(record); !noted) {
        context.session.record.reset();
        return stop(context, onFailure, name, noted.error());
    }
    context.session.record = record;
    if (!failures.empty() || !lacking.empty())
        tellNotLoaded(context, name, state.sProfileFolder, lacking, failures);
    return StartOutcome::Started;
}

} // namespace

void launchHost(shared::Context& context)
{
    std::vector<qint64>& started = context.session.hostProcesses;
    started.clear();
    QString failures;
    for (QStringView executable : store::kHostExecutables) {
        const QString path = context.folder.file(executable);
        const platform::Launch launch = context.platform.launch(path);
        if (launch.started())
            started.push_back(launch.pid);
        else
            failures += QDir::toNativeSeparators(path) + u": " + launch.failure + u".\n";
    }
    awaitHost(context, !started.empty());
    if (!started.empty())
        return;
    // The live files hold the profile's copy, and a host started by hand is
    // still taken over: the user can go on either way.
    context.startWindow.enableStart(true);
    context.platform.message(u"Lexaro kunde inte startas.\n\n" + failures +
                                 u"\nProfilens filer ligger på plats. Om Du startar Lexaro på "
                                 u"egen hand tar Lexaro Tuvano! över som vanligt.",
                             u"Lexaro kunde inte startas"_s, Icon::Exclamation);
}

StartOutcome StartProfile(shared::Context& context, const QString& name, OnFailure onFailure)
{
    if (!context.startWindow.startEnabled())
        return StartOutcome::Busy;
    if (name.isEmpty()) {
        context.platform.message(texts::kIllegalChoice.toString(), texts::kErrorTitle.toString(),
                                 Icon::Critical);
        return StartOutcome::Refused;
    }
    context.startWindow.enableStart(false);
    const StartOutcome swapped = swapInProfile(context, name, onFailure);
    if (swapped != StartOutcome::Started)
        return swapped;
    launchHost(context);
    return StartOutcome::Started;
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
