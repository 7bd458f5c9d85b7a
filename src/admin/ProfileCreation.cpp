#include "ProfileCreation.h"

#include <QFileInfo>

#include <algorithm>
#include <cmath>

namespace tuvano::admin {

QString identifierFrom(float r)
{
    return QString::number(qint64(std::floor(double(r) * 9999999.0 + 1000000.0)));
}

bool isFreeIdentifier(const store::ProgramFolder& folder, const store::ProfileRecords& list,
                      const QString& id)
{
    const bool listed = std::any_of(list.begin(), list.end(),
                                    [&](const store::ProfileRecord& r) { return r.id == id; });
    const QFileInfo place(folder.profileFolder(id));
    return !listed && !place.exists() && !place.isSymLink();
}

store::Status createProfile(const store::ProgramFolder& folder, const store::ProfileRecord& record,
                            const QString& baseFolder)
{
    store::FileOps& ops = folder.ops();
    const QString target = folder.profileFolder(record.id);
    if (store::Status made = ops.makeFolder(target); !made)
        return made;
    store::Status status;
    for (store::DataFile file : store::ProfileFileSet::newProfileCopy) {
        status = store::replaceByCopy(ops, store::dataFilePath(baseFolder, file),
                                      store::dataFilePath(target, file));
        if (!status)
            break;
    }
    if (status)
        status = store::ProfileList(folder).append(record);
    if (!status) {
        // Leave no half-made profile behind.
        for (store::DataFile file : store::ProfileFileSet::newProfileCopy)
            (void)ops.remove(store::dataFilePath(target, file));
        (void)ops.removeFolder(target);
    }
    return status;
}

} // namespace tuvano::admin
