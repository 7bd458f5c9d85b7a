#include "SessionSave.h"

#include "SessionStage.h"
#include "shared/Context.h"
#include "store/ErrorText.h"

#include <QDir>
#include <QFileInfo>
#include <QStringList>

#include <algorithm>

using namespace Qt::StringLiterals;

namespace tuvano::session {

namespace {

using platform::Answer;
using platform::Buttons;
using platform::Icon;

QString reason(const store::StoreError& error)
{
    switch (error.kind) {
    case store::ErrorKind::Missing:
        return u"filen saknas"_s;
    case store::ErrorKind::ReadOnly:
        // Lexaro's file or the profile's: the path says which.
        return u"filen är skrivskyddad: "_s + QDir::toNativeSeparators(error.path);
    case store::ErrorKind::ForeignLink:
        return u"filen är en länk till en annan profils mapp"_s;
    default:
        if (const QString why = store::causeText(error); !why.isEmpty())
            return why;
        return u"okänt fel"_s;
    }
}

const QString kLeftInProgramFolder =
    u"Lexaros exemplar från sessionen finns kvar i programmappen tills nästa profil startas."_s;

bool askToTryAgain(shared::Context& context, const store::ProfileRecord& profile,
                   const QString& why)
{
    const QString folder = context.folder.profileFolder(profile.id);
    const QString kept =
        QFileInfo(folder).isDir()
            ? u"Profilen har kvar alla sina filer från före sessionen."_s
            : u"Profilens mapp finns inte längre:\n"_s + QDir::toNativeSeparators(folder);
    const QString text = u"Ändringarna från sessionen kunde inte sparas i profilen " +
                         profile.name + u":\n\n" + why + u"\n\n" + kept +
                         u" Vill Du försöka spara igen?\n\nSvarar Du Nej sparas ingenting i "
                         u"profilen. " +
                         kLeftInProgramFolder;
    return context.platform.message(text, u"Fel vid sparande av profil"_s, Icon::Exclamation,
                                    Buttons::YesNo) == Answer::Yes;
}

bool profileHas(const shared::Context& context, const store::ProfileRecord& profile,
                store::DataFile file)
{
    const QFileInfo copy(store::dataFilePath(context.folder.profileFolder(profile.id), file));
    return copy.exists() || copy.isSymLink();
}

QString listed(const std::vector<store::DataFile>& files)
{
    QStringList names;
    for (store::DataFile file : files)
        names << u"    " + store::fileName(file);
    return names.join(u'\n');
}

// The files whose live copies were not the profile's when the session
// started: they are never saved into it.
void tellNotLoaded(shared::Context& context, const store::SessionRecord& record)
{
    std::vector<store::DataFile> kept;
    std::vector<store::DataFile> lacking;
    for (store::DataFile file : store::ProfileFileSet::listing) {
        if (!record.concerns(file))
            (profileHas(context, record.profile, file) ? kept : lacking).push_back(file);
    }
    if (kept.empty() && lacking.empty())
        return;
    const QString& name = record.profile.name;
    QString text;
    if (record.files.empty()) {
        text = u"Inga filer lästes in från profilen " + name +
               u" när sessionen startade, så ingenting har sparats i profilen. " +
               kLeftInProgramFolder;
    } else {
        if (!kept.empty())
            text = u"Följande filer lästes inte in från profilen " + name +
                   u" när sessionen startade och har därför inte sparats i den:\n\n" +
                   listed(kept) + u"\n\nProfilen har kvar sina egna exemplar av dem.";
        if (!lacking.empty())
            text += (text.isEmpty() ? QString() : u"\n\n"_s) +
                    u"Följande filer saknas i profilen " + name +
                    u", och Lexaros exemplar av dem hörde inte till profilen när sessionen "
                    u"startade, så de har inte sparats i den:\n\n" +
                    listed(lacking);
        text += u"\n\n" + kLeftInProgramFolder;
    }
    context.platform.message(text, u"Filer som inte sparades"_s, Icon::Information);
}

void tellRemoved(shared::Context& context, const QString& name,
                 const std::vector<store::DataFile>& removed)
{
    if (removed.empty())
        return;
    context.platform.message(u"Lexaro tog bort följande filer under sessionen:\n\n" +
                                 listed(removed) + u"\n\nProfilen " + name +
                                 u" har kvar sina egna exemplar av dem. Sessionens övriga "
                                 u"ändringar har sparats i profilen.",
                             u"Filer som Lexaro tog bort"_s, Icon::Information);
}

// The session is over: the live files stay the profile's, and the record
// says so. When it cannot, a record of the save just made stays (the next
// start finishes it again, which changes nothing); any other is removed
// rather than left telling of a session still to be saved, and the live
// files are then nobody's.
void endSession(shared::Context& context, const store::SessionRecord& record,
                const std::optional<store::SessionRecord>& saved = std::nullopt)
{
    store::SessionRecord over = record.over();
    over.seen = store::liveFilesNow(context.folder);
    const store::SessionFile file(context.folder);
    if (file.write(over)) {
        context.session.record = over;
        return;
    }
    context.session.record = saved;
    if (!saved)
        (void)file.remove();
}

const QString kTitle = u"Avbruten session"_s;

// Why the record's profile cannot take the session, if it cannot.
QString mismatch(const store::ProfileRecords& list, const store::ProfileRecord& profile)
{
    const auto sameId =
        std::find_if(list.rbegin(), list.rend(),
                     [&](const store::ProfileRecord& r) { return r.id == profile.id; });
    if (sameId == list.rend())
        return u"Profilen " + profile.name + u" finns inte längre i profillistan."_s;
    if (sameId->name != profile.name)
        return u"Profilen " + profile.name + u" heter nu " + sameId->name +
               u" i profillistan, eller dess mapp har tagits över av en annan profil."_s;
    return {};
}

void saveOrDrop(shared::Context& context, const store::SessionRecord& record)
{
    // The user chose during the session not to keep its changes: so be it.
    if (!record.keepChanges) {
        context.platform.message(
            u"Den senaste Lexaro-sessionen med profilen " + record.profile.name +
                u" avbröts: Lexaro Tuvano! avslutades innan sessionen var slut.\n\nSom Du valde "
                u"under sessionen har ändringarna inte sparats i profilen, som har kvar sina "
                u"filer från före sessionen.",
            kTitle, Icon::Information);
        dropSession(context, record);
        return;
    }
    const QString question =
        u"Den senaste Lexaro-sessionen med profilen " + record.profile.name +
        u" sparades aldrig i profilen: Lexaro Tuvano! avslutades innan dess. Lexaros filer från "
        u"sessionen finns kvar i programmappen.\n\nVill Du spara dem i profilen " +
        record.profile.name +
        u" nu?\n\nSvarar Du Nej behåller profilen sina filer från före sessionen.";
    if (context.platform.message(question, kTitle, Icon::Question, Buttons::YesNo) == Answer::Yes)
        saveSession(context, record);
    else
        dropSession(context, record);
}

} // namespace

void askToSaveUnseen(shared::Context& context, const store::SessionRecord& record)
{
    const QString& name = record.profile.name;
    const QString question =
        u"Lexaros filer har ändrats sedan Lexaro Tuvano! senast såg dem: Lexaro har körts med "
        u"profilen " +
        name + u" utan att Lexaro Tuvano! såg det.\n\nVill Du spara ändringarna i profilen " +
        name +
        u" nu?\n\nSvarar Du Nej behåller profilen sina filer som de var, och ändringarna finns "
        u"kvar i programmappen tills nästa profil startas.";
    if (context.platform.message(question, u"Ändrade filer"_s, Icon::Question, Buttons::YesNo) ==
        Answer::Yes)
        saveSession(context, record);
    else
        endSession(context, record);
}

QString describeFailures(const std::vector<store::FileFailure>& failures)
{
    QStringList lines;
    for (const store::FileFailure& f : failures)
        lines << u"    " + store::fileName(f.file) + u" (" + reason(f.error) + u')';
    return lines.join(u'\n');
}

void saveSession(shared::Context& context, store::SessionRecord record)
{
    const store::ProgramFolder& folder = context.folder;
    const store::SessionFile sessionFile(folder);
    // A file the host removed during the session is not saved: the profile
    // keeps its own copy, so that it still holds all five. One the profile
    // lacked and the host did not make stays lacking.
    std::vector<store::DataFile> files;
    std::vector<store::DataFile> removed;
    for (store::DataFile file : store::ProfileFileSet::writeBack) {
        if (!record.concerns(file))
            continue;
        const QFileInfo live(folder.liveFile(file));
        if (live.exists() || live.isSymLink())
            files.push_back(file);
        else if (profileHas(context, record.profile, file))
            removed.push_back(file);
    }
    const auto tellAll = [&] {
        tellRemoved(context, record.profile.name, removed);
        tellNotLoaded(context, record);
    };
    if (files.empty()) {
        endSession(context, record);
        tellAll();
        return;
    }
    for (;;) {
        QString why;
        const std::vector<store::FileFailure> failures =
            store::stageIntoProfile(folder, record.profile.id, files);
        if (!failures.empty()) {
            why = describeFailures(failures);
        } else {
            // Once this record is on the disk, a restart finishes the renames.
            // It names every file of the session: those not staged are
            // passed over.
            store::SessionRecord saving = record;
            saving.phase = store::SessionPhase::Saving;
            saving.seen = store::liveFilesNow(folder);
            if (const store::Status noted = sessionFile.write(saving); !noted) {
                store::discardStaged(folder, record.profile.id);
                why = store::errorText(noted.error());
            } else if (const store::Status put =
                           store::commitStaged(folder, record.profile.id, files);
                       !put) {
                context.session.record = saving;
                context.platform.message(
                    u"Profilen " + record.profile.name + u" kunde inte sparas färdigt:\n\n" +
                        store::errorText(put.error()) +
                        u"\n\nSparandet slutförs nästa gång en profil startas eller Lexaro "
                        u"Tuvano! startar.",
                    u"Fel vid sparande av profil"_s, Icon::Exclamation);
                return;
            } else {
                endSession(context, record, saving);
                tellAll();
                return;
            }
        }
        if (!askToTryAgain(context, record.profile, why)) {
            dropSession(context, record);
            return;
        }
    }
}

void dropSession(shared::Context& context, const store::SessionRecord& record)
{
    store::discardStaged(context.folder, record.profile.id);
    endSession(context, record);
}

void recoverSession(shared::Context& context, const store::ProfileRecords& list)
{
    const store::SessionFile file(context.folder);
    if (!file.exists())
        return;
    platform::Platform& platform = context.platform;
    const auto record = file.read();
    if (!record) {
        // A damaged record is put aside; one that could not be read this time
        // stays for the next start to try again.
        const bool damaged = record.error().kind == store::ErrorKind::Damaged;
        const bool kept = damaged && file.keepAside().ok();
        platform.message(u"Anteckningen om den senaste Lexaro-sessionen kunde inte läsas.\n\n" +
                             store::errorText(record.error()) +
                             (kept ? u"\n\nDen har sparats som "_s +
                                         QDir::toNativeSeparators(file.path()) +
                                         u".bak. Ingenting annat har ändrats."_s
                                   : u"\n\nIngenting har ändrats."_s),
                         u"Anteckningen om sessionen kunde inte läsas"_s, Icon::Exclamation);
        return;
    }
    if (const QString why = mismatch(list, record->profile); !why.isEmpty()) {
        // Files that were a profile's that is gone are nobody's now.
        if (record->phase != store::SessionPhase::Idle)
            platform.message(u"Den senaste Lexaro-sessionen med profilen " + record->profile.name +
                                 u" sparades aldrig i profilen: Lexaro Tuvano! avslutades innan "
                                 u"dess. " +
                                 why +
                                 u"\n\nIngenting har därför sparats i någon profil, och Lexaros "
                                 u"filer i programmappen har lämnats orörda.",
                             kTitle, Icon::Exclamation);
        store::discardStaged(context.folder, record->profile.id);
        (void)file.remove();
        return;
    }
    switch (record->phase) {
    case store::SessionPhase::CopyingIn:
        // Nothing of the profile was touched yet, and the live files are
        // partly another's: they are nobody's.
        (void)file.remove();
        return;
    case store::SessionPhase::Idle:
        context.session.record = *record;
        // A host ran on the owner's files while no program watched it.
        if (record->liveFilesChanged(context.folder) && !lookAtHost(context).hostMayRun())
            askToSaveUnseen(context, *record);
        return;
    case store::SessionPhase::Saving:
        // The user let the session end; only the renames are left to do.
        if (const store::Status finished = store::finishSave(context.folder, *record); !finished) {
            context.session.record = *record;
            platform.message(u"Profilen " + record->profile.name +
                                 u" kunde inte sparas färdigt:\n\n" +
                                 store::errorText(finished.error()) +
                                 u"\n\nSparandet slutförs nästa gång en profil startas eller "
                                 u"Lexaro Tuvano! startar.",
                             u"Fel vid sparande av profil"_s, Icon::Exclamation);
        } else {
            context.session.record = record->over();
        }
        return;
    case store::SessionPhase::Live:
        // The host had not been seen yet: the wait for it goes on, unless it
        // has come and gone meanwhile.
        if (record->waiting == store::HostWait::Start &&
            (!record->liveFilesChanged(context.folder) || lookAtHost(context).hostMayRun())) {
            resumeSession(context, *record, true);
            return;
        }
        // The host still runs: its end is watched and saved as usual.
        // Until then the session is under way: no start may replace the
        // live files that hold it.
        if (const HostEvidence evidence = lookAtHost(context);
            evidence.hostSeen() || evidence.processRuns()) {
            resumeSession(context, *record, false);
            return;
        }
        saveOrDrop(context, *record);
        return;
    }
}

} // namespace tuvano::session
