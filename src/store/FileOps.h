#pragma once

#include "StoreError.h"

#include <QByteArray>
#include <QString>

namespace tuvano::store {

// Whether a copy must be on the disk itself before it counts as made, or may
// stay in the system's cache for a while (for files that can be made again).
enum class Durability { OnDisk, Cached };

// Every change the store makes to the disk goes through one of these
// operations, so that tests can make any one of them fail or stop short, and
// see in which order the data reaches the disk. Each operation reports its
// failure as a StoreError naming the path.
class FileOps {
public:
    FileOps() = default;
    FileOps(const FileOps&) = delete;
    FileOps& operator=(const FileOps&) = delete;
    virtual ~FileOps() = default;

    // The operations of the real file system.
    static FileOps& real();

    virtual Result<QByteArray> readAll(const QString& path);
    // Creates or empties the file and writes the bytes.
    virtual Status writeNew(const QString& path, const QByteArray& bytes);
    // Creates or empties target and streams source into it. Uses a clone or an
    // in-kernel copy where the system offers one.
    virtual Status copyNew(const QString& source, const QString& target);
    // Flushes the file's data to the disk itself, not just to the system.
    virtual Status flush(const QString& path);
    // Puts from in the place of to in one step, replacing it; the file keeps
    // the permissions that to had.
    virtual Status rename(const QString& from, const QString& to);
    // Flushes a folder's list of entries, so that a rename in it lasts.
    virtual Status flushFolder(const QString& folder);
    // Deletes a file; a symbolic link is deleted itself, never its target.
    virtual Status remove(const QString& path);
    virtual Status makeFolder(const QString& path);
    // Removes a folder that is empty.
    virtual Status removeFolder(const QString& path);

    // The file that a write to path must replace: path itself, or the file a
    // symbolic link at path leads to (the link is kept). Fails with ReadOnly
    // for a file that no one may write to.
    virtual Result<QString> writeTarget(const QString& path);
};

// Replaces target by bytes: they go to a temporary file beside it first
// (named tempName, or tempPathFor's name when empty), and only once they are
// whole on disk does it take target's place. A link at target is written
// through. On failure target is left as it was and the temporary file is gone.
Status replaceWithBytes(FileOps& ops, const QString& target, const QString& tempName,
                        const QByteArray& bytes);

// Replaces target by a copy of source the same way.
Status replaceByCopy(FileOps& ops, const QString& source, const QString& target,
                     Durability durability = Durability::OnDisk);

// Where path really is once every link on its way is followed (the end may
// not exist yet); empty for a loop of links.
QString followLinks(const QString& path);

// The temporary file that stands beside target while it is replaced: hidden,
// and named so that no other program would use it ("ro.vwi" gives
// ".ro.vwi.tuvano-new").
QString tempPathFor(const QString& target);
// Whether a file name is one of tempPathFor's.
bool isTempName(QStringView name);

// The copy of a session's file that stands staged beside target until it is
// put in place (".ro.vwi.tuvano-save").
QString stagePathFor(const QString& target);
bool isStageName(QStringView name);

} // namespace tuvano::store
