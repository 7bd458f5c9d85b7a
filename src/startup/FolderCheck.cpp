#include "FolderCheck.h"

#include "store/ErrorText.h"
#include "store/FileOps.h"
#include "store/SessionRecord.h"

#include <QDir>
#include <QFileInfo>
#include <QStringList>

#include <optional>
#include <vector>

using namespace Qt::StringLiterals;

namespace tuvano::startup {

using platform::Answer;
using platform::Buttons;
using platform::Icon;

namespace {

QString native(const QString& path) { return QDir::toNativeSeparators(path); }

const QString kRedirectedTitle = u"Lexaros filer finns på två ställen"_s;

// The record of whose the live files are, when they are one profile's: not
// while a start is putting them in place or a save is being put in place,
// and not when its folder is not the profile's own.
std::optional<store::SessionRecord> liveFilesOwner(const store::ProgramFolder& folder)
{
    const store::SessionFile file(folder);
    if (!file.exists())
        return std::nullopt;
    const auto record = file.read();
    if (!record ||
        (record->phase != store::SessionPhase::Idle && record->phase != store::SessionPhase::Live))
        return std::nullopt;
    const QString& id = record->profile.id;
    if (!store::isProfileIdentifier(id) || !folder.checkOwnFolder(id) ||
        !QFileInfo(folder.profileFolder(id)).isDir())
        return std::nullopt;
    return *record;
}

// Each copy into the profile's folder and over the live file, and only then
// away from the VirtualStore: a move cut short is taken up at the next start.
// A write-protected live file stays as it is, as a profile's start leaves it.
store::Status moveInto(const store::ProgramFolder& folder, const QString& store,
                       const store::ProfileRecord& owner, const std::vector<store::DataFile>& files)
{
    store::FileOps& ops = folder.ops();
    const QString profile = folder.profileFolder(owner.id);
    for (store::DataFile file : files) {
        const QString copy = store::dataFilePath(store, file);
        const QString own = store::dataFilePath(profile, file);
        const QString live = folder.liveFile(file);
        store::Status moved = folder.checkPlace(own, owner.id);
        if (moved)
            moved = store::replaceByCopy(ops, copy, own);
        if (moved)
            moved = folder.checkPlace(live);
        if (moved && ops.writeTarget(live))
            moved = store::replaceByCopy(ops, copy, live);
        if (moved)
            moved = ops.remove(copy);
        if (!moved)
            return moved;
    }
    return {};
}

} // namespace

QString writeDeniedText(platform::Platform& platform)
{
    const QString folder = platform.programFolder();
    if (!platform.writeDenied(folder))
        return {};
    return u"Lexaro Tuvano! kan inte starta eftersom Du inte har behörighet att skriva i "
           u"programmappen:\n"_s +
           native(folder) +
           u"\n\nProgrammet byter Lexaros datafiler i den här mappen och sparar profilerna där, "
           u"så alla som använder det måste få skriva i mappen. I mappar som \"Program Files\" "
           u"får bara administratörer skriva.\n\nInstallera Lexaro med Lexaro Tuvano! i en mapp "
           u"som användarna får skriva i, till exempel C:\\Lexaro, eller be den som "
           u"administrerar datorn att ge användarna behörigheten Ändra för mappen (under "
           u"mappens Egenskaper, fliken Säkerhet).\n\nIngenting har ändrats."_s;
}

bool settleRedirectedCopies(platform::Platform& platform, const store::ProgramFolder& folder)
{
    const QString store = platform.virtualStore(folder.path());
    if (store.isEmpty())
        return true;
    std::vector<store::DataFile> files;
    QStringList names;
    for (store::DataFile file : store::ProfileFileSet::listing) {
        if (QFileInfo(store::dataFilePath(store, file)).isFile()) {
            files.push_back(file);
            names << store::fileName(file).toString();
        }
    }
    if (files.empty())
        return true;

    const QString told =
        u"Windows har sparat egna exemplar av Lexaros filer för den här programmappen:\n"_s +
        names.join(u", "_s) + u"\n\nMapp: "_s + native(store) +
        u"\n\nSådana exemplar skapas när Lexaro inte får skriva i programmappen, och sedan "
        u"läser Lexaro dem i stället för filerna i programmappen. Varje profil skulle då "
        u"köras med samma filer, så ingen profil kan startas så länge exemplaren finns kvar."_s;
    const std::optional<store::SessionRecord> record = liveFilesOwner(folder);
    // Nothing is moved under a host that may be reading the copies.
    const bool hostRuns = platform.markerPresent() || !platform.runningHosts().empty();
    if (hostRuns || !record) {
        const QString what =
            hostRuns
                ? u"Lexaro körs just nu. Avsluta Lexaro och starta sedan Lexaro Tuvano! igen, så "
                  u"kan exemplaren tas om hand."_s
                : u"Flytta filerna ur mappen eller ta bort dem, och starta sedan Lexaro Tuvano! "
                  u"igen. Innehåller de Lexaros senaste ändringar kan Du först kopiera dem till "
                  u"programmappen, i stället för filerna med samma namn där."_s;
        platform.message(told + u"\n\n"_s + what +
                             u"\n\nLexaro Tuvano! avslutas utan att något har ändrats."_s,
                         kRedirectedTitle, Icon::Exclamation);
        platform.endProgram();
        return false;
    }
    // The copies take the place of the profile's own: only a deliberate Ja.
    const store::ProfileRecord& owner = record->profile;
    if (platform.message(told + u"\n\nVill Du flytta dem till profilen "_s + owner.name +
                             u", som Lexaros filer i programmappen tillhör? De ersätter då "
                             u"profilens exemplar av samma filer.\n\nSvarar Du Nej avslutas "
                             u"Lexaro Tuvano! utan att något ändras. Du kan också flytta eller "
                             u"ta bort filerna själv och sedan starta programmet igen."_s,
                         kRedirectedTitle, Icon::Question,
                         Buttons::YesNoDefaultNo) != Answer::Yes) {
        platform.endProgram();
        return false;
    }
    // The program writes over the live files itself: the record is told, so
    // that its copies are not taken for a host's run that no one watched
    // (unless the host did run so before, which is still to be asked about).
    const bool unchanged = !record->liveFilesChanged(folder);
    const store::Status moved = moveInto(folder, store, owner, files);
    if (unchanged) {
        store::SessionRecord known = *record;
        known.seen = store::liveFilesNow(folder);
        (void)store::SessionFile(folder).write(known);
    }
    if (!moved) {
        platform.fatalError(u"Lexaros filer kunde inte flyttas till profilen "_s + owner.name +
                            u".\n\n"_s + store::errorText(moved.error()) +
                            u"\n\nDet som inte kunde flyttas ligger kvar i mappen, och Lexaro "
                            u"Tuvano! frågar om det igen nästa gång det startar."_s);
        return false;
    }
    return true;
}

} // namespace tuvano::startup
