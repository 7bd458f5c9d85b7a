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
        if (const QString why = store::causeText(error.cause); !why.isEmpty())
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

void tellNotLoaded(shared::Context& context, const store::SessionRecord& record)
{
    QStringList names;
    for (store::DataFile file : store::ProfileFileSet::listing) {
        if (!record.concerns(file))
            names << u"    " + store::fileName(file);
    }
    if (names.isEmpty())
        return;
    QString text;
    if (record.files.empty())
        text = u"Inga filer lästes in från profilen " + record.profile.name +
               u" när sessionen startade, så ingenting har sparats i profilen. " +
               kLeftInProgramFolder;
    else
        text = u"Följande filer lästes inte in från profilen " + record.profile.name +
               u" när sessionen startade och har därför inte sparats i den:\n\n" +
               names.join(u'\n') + u"\n\nProfilen har kvar sina egna exemplar av dem. " +
               kLeftInProgramFolder;
    context.platform.message(text, u"Filer som inte sparades"_s, Icon::Information);
}

void tellRemoved(shared::Context& context, const QString& name,
                 const std::vector<store::DataFile>& removed)
{
    if (removed.empty())
        return;
    QStringList names;
    for (store::DataFile file : removed)
        names << u"    " + store::fileName(file);
    context.platform.message(u"Lexaro tog bort följande filer under sessionen:\n\n" +
                                 names.join(u'\n') + u"\n\nProfilen " + name +
                                 u" har kvar sina egna exemplar av dem. Sessionens övriga "
                                 u"ändringar har sparats i profilen.",
                             u"Filer som Lexaro tog bort"_s, Icon::Information);
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
    // keeps its own copy, so that it still holds all five.
    std::vector<store::DataFile> files;
    std::vector<store::DataFile> removed;
    for (store::DataFile file : store::ProfileFileSet::writeBack) {
        if (!record.concerns(file))
            continue;
        const QFileInfo live(folder.liveFile(file));
        (live.exists() || live.isSymLink() ? files : removed).push_back(file);
    }
    const auto tellAll = [&] {
        tellRemoved(context, record.profile.name, removed);
        tellNotLoaded(context, record);
    };
    if (files.empty()) {
        (void)sessionFile.remove();
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
            store::SessionRecord saving = record;
            saving.phase = store::SessionPhase::Saving;
            saving.files = files;
            if (const store::Status noted = sessionFile.write(saving); !noted) {
                store::discardStaged(folder, record.profile.id);
                why = store::errorText(noted.error());
            } else if (const store::Status put =
                           store::commitStaged(folder, record.profile.id, files);
                       !put) {
                context.platform.message(
                    u"Profilen " + record.profile.name + u" kunde inte sparas färdigt:\n\n" +
                        store::errorText(put.error()) +
                        u"\n\nSparandet slutförs nästa gång en profil startas eller Lexaro "
                        u"Tuvano! startar.",
                    u"Fel vid sparande av profil"_s, Icon::Exclamation);
                return;
            } else {
                (void)sessionFile.remove();
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
    (void)store::SessionFile(context.folder).remove();
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
        platform.message(u"Den senaste Lexaro-sessionen med profilen " + record->profile.name +
                             u" sparades aldrig i profilen: Lexaro Tuvano! avslutades innan "
                             u"dess. " +
                             why +
                             u"\n\nIngenting har därför sparats i någon profil, och Lexaros filer "
                             u"i programmappen har lämnats orörda.",
                         kTitle, Icon::Exclamation);
        store::discardStaged(context.folder, record->profile.id);
        (void)file.remove();
        return;
    }
    switch (record->phase) {
    case store::SessionPhase::CopyingIn:
        // Nothing of the profile was touched yet.
        (void)file.remove();
        return;
    case store::SessionPhase::Saving:
        // The user let the session end; only the renames are left to do.
        if (const store::Status finished = store::finishSave(context.folder, *record); !finished)
            platform.message(u"Profilen " + record->profile.name +
                                 u" kunde inte sparas färdigt:\n\n" +
                                 store::errorText(finished.error()) +
                                 u"\n\nSparandet slutförs nästa gång en profil startas eller "
                                 u"Lexaro Tuvano! startar.",
                             u"Fel vid sparande av profil"_s, Icon::Exclamation);
        return;
    case store::SessionPhase::Live:
        if (lookAtHost(context).hostSeen()) {
            // The host still runs: its end is watched and saved as usual.
            // Until then the session is under way: no start may replace the
            // live files that hold it.
            context.startWindow.enableStart(false);
            context.session.record = *record;
            context.session.hostFromBefore = true;
            context.session.stage = shared::LiveSession::Stage::WaitingForHost;
            context.state.sProfileFolder = context.folder.profileFolder(record->profile.id);
            return;
        }
        saveOrDrop(context, *record);
        return;
    }
}

} // namespace tuvano::session
