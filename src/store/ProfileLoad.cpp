#include "ProfileLoad.h"

#include <QFileInfo>

namespace tuvano::store {

namespace {

// A file the start passes over, as it may: the profile cannot give it, or a
// write-protected live file keeps it out.
bool mayPassOver(const StoreError& e)
{
    return e.kind == ErrorKind::Missing || e.kind == ErrorKind::ForeignLink ||
           e.kind == ErrorKind::ReadOnly;
}

} // namespace

Result<Loaded> loadIntoLive(const ProgramFolder& folder, QStringView id, bool passOver)
{
    FileOps& ops = folder.ops();
    const QString profile = folder.profileFolder(id);
    std::vector<Replacement> set;
    Loaded loaded;
    // Nothing stays of a load that fails; the live file concerned is named
    // as the user knows it.
    const auto fail = [&](StoreError e, const QString& live, bool kept = true) {
        for (const Replacement& r : set) {
            if (!r.incoming.isEmpty())
                (void)ops.remove(r.incoming);
        }
        const QString name = QFileInfo(e.path).fileName();
        if (isTempName(name) || isAsideName(name) || e.path == followLinks(live))
            e.path = live;
        e.previousKept = kept;
        return e;
    };
    for (DataFile file : ProfileFileSet::start) {
        const QString live = folder.liveFile(file);
        const Result<QString> place = ops.writeTarget(live);
        if (!place && (!passOver || !mayPassOver(place.error())))
            return fail(place.error(), live);
        if (!place) {
            loaded.notLoaded.push_back({file, place.error()});
            continue;
        }
        // A file that leads into another profile's folder is not this
        // profile's, and could never be saved back.
        const QString source = dataFilePath(profile, file);
        Status copied = folder.checkPlace(source, id);
        const QString incoming = tempPathFor(*place);
        if (copied)
            copied = ops.copyNew(source, incoming);
        if (copied) {
            set.push_back({incoming, *place});
            loaded.files.push_back(file);
            continue;
        }
        (void)ops.remove(incoming);
        if (!passOver || !mayPassOver(copied.error()))
            return fail(copied.error(), live);
        loaded.notLoaded.push_back({file, copied.error()});
        // A link stays, as the file it leads to: it was written through.
        if (!QFileInfo(live).isSymLink())
            set.push_back({QString(), *place});
    }
    if (Status put = replaceAll(ops, set); !put) {
        const StoreError& e = put.error();
        QString live = e.path;
        for (DataFile file : ProfileFileSet::start) {
            if (e.path == followLinks(folder.liveFile(file)))
                live = folder.liveFile(file);
        }
        return fail(e, live, e.previousKept);
    }
    return loaded;
}

} // namespace tuvano::store
