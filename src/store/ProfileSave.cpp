#include "ProfileSave.h"

#include <QFileInfo>
#include <QStringList>

namespace tuvano::store {

namespace {

// Where the profile's file really is (the target of a link), checked to be
// a place the profile may write to.
Result<QString> placeOf(const ProgramFolder& folder, QStringView id, DataFile file)
{
    const QString path = dataFilePath(folder.profileFolder(id), file);
    if (Status allowed = folder.checkPlace(path, id); !allowed)
        return allowed.error();
    return folder.ops().writeTarget(path);
}

} // namespace

std::vector<FileFailure> stageIntoProfile(const ProgramFolder& folder, QStringView id,
                                          const std::vector<DataFile>& files)
{
    FileOps& ops = folder.ops();
    std::vector<FileFailure> failures;
    for (DataFile file : files) {
        const Result<QString> place = placeOf(folder, id, file);
        if (!place) {
            failures.push_back({file, place.error()});
            continue;
        }
        const QString stage = stagePathFor(*place);
        Status status = ops.copyNew(folder.liveFile(file), stage);
        if (status)
            status = ops.flush(stage);
        if (!status) {
            StoreError e = status.error();
            if (e.path == stage)
                e.path = dataFilePath(folder.profileFolder(id), file);
            failures.push_back({file, e});
        }
    }
    if (!failures.empty())
        discardStaged(folder, id);
    return failures;
}

Status commitStaged(const ProgramFolder& folder, QStringView id, const std::vector<DataFile>& files)
{
    FileOps& ops = folder.ops();
    std::vector<Replacement> set;
    QStringList renamedIn;
    for (DataFile file : files) {
        // A file whose staged copy is gone was put in place already; what
        // the user did to it since is no reason not to finish the others.
        const QString path = dataFilePath(folder.profileFolder(id), file);
        const QString target = followLinks(path);
        const QString stage = stagePathFor(target);
        if (!QFileInfo::exists(stage))
            continue;
        if (Status allowed = folder.checkPlace(path, id); !allowed)
            return allowed;
        set.push_back({stage, target});
        const QString parent = QFileInfo(target).path();
        if (!renamedIn.contains(parent))
            renamedIn << parent;
    }
    // All of them or, when another program holds one, none: the staged
    // copies stay for the next try.
    if (Status put = replaceAll(ops, set); !put)
        return put;
    for (const QString& parent : renamedIn)
        (void)ops.flushFolder(parent);
    // A run cut short may have left second names of files it replaced.
    for (DataFile file : files) {
        const QString aside =
            asidePathFor(followLinks(dataFilePath(folder.profileFolder(id), file)));
        if (QFileInfo(aside).isFile())
            (void)ops.remove(aside);
    }
    return {};
}

void discardStaged(const ProgramFolder& folder, QStringView id)
{
    for (DataFile file : ProfileFileSet::listing) {
        const QString path = dataFilePath(folder.profileFolder(id), file);
        for (const QString& target : {path, followLinks(path)}) {
            const QString stage = stagePathFor(target);
            if (!target.isEmpty() && QFileInfo(stage).isFile())
                (void)folder.ops().remove(stage);
        }
    }
}

Status finishSave(const ProgramFolder& folder, const SessionRecord& record)
{
    if (Status put = commitStaged(folder, record.profile.id, record.files); !put)
        return put;
    return SessionFile(folder).write(record.over());
}

Status finishPendingSave(const ProgramFolder& folder)
{
    const SessionFile sessionFile(folder);
    if (!sessionFile.exists())
        return {};
    const auto record = sessionFile.read();
    // A record that cannot be read now may hold a save to finish: nothing
    // may replace it. A damaged one holds nothing that could be finished.
    if (!record)
        return record.error().kind == ErrorKind::Damaged ? Status() : record.error();
    if (record->phase != SessionPhase::Saving)
        return {};
    return finishSave(folder, *record);
}

} // namespace tuvano::store
