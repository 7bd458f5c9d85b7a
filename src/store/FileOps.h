#pragma once

#include "StoreError.h"

#include <QByteArray>
#include <QString>

namespace tuvano::store {

// Whether a copy must be on the disk itself before it counts as made, or may
// stay in the system's cache for a while (for files that can be made again).
enum class Durability { OnDisk, Cached };

// Every change the store makes to the disk goes through one of these
// operations, so that tests can make any one of them fail or stop short.
// Each operation reports its failure as a StoreError naming the path.
class FileOps {
public:
    FileOps() = default;
    FileOps(const FileOps&) = delete;
    FileOps& operator=(const FileOps&) = delete;
    virtual ~FileOps() = default;

    // The operations of the real file system.
    static FileOps& real();

    virtual Result<QByteArray> readAll(const QString& path);
    // Creates or empties the file, writes the bytes and flushes them to disk.
    virtual Status writeNew(const QString& path, const QByteArray& bytes);
    // Creates or empties target and streams source into it. Uses a clone or an
    // in-kernel copy where the system offers one.
    virtual Status copyNew(const QString& source, const QString& target, Durability durability);
    // Puts from in the place of to in one step, replacing it.
    virtual Status rename(const QString& from, const QString& to);
    virtual Status remove(const QString& path);
    virtual Status makeFolder(const QString& path);
    // Removes a folder that is empty.
    virtual Status removeFolder(const QString& path);
};

// Replaces target by bytes: they go to temp first, and only once they are
// whole on disk does temp take target's place. On failure target is left as
// it was and temp is gone.
Status replaceWithBytes(FileOps& ops, const QString& target, const QString& temp,
                        const QByteArray& bytes);

// Replaces target by a copy of source the same way, through a temporary file
// beside target (see tempPathFor).
Status replaceByCopy(FileOps& ops, const QString& source, const QString& target,
                     Durability durability = Durability::OnDisk);

// The temporary file that stands beside target while it is replaced: the same
// folder and base name with the extension ".new" ("profiles.map" gives
// "profiles.new").
QString tempPathFor(const QString& target);

} // namespace tuvano::store
