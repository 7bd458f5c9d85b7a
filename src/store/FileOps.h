#pragma once

#include "StoreError.h"

#include <QByteArray>
#include <QString>

#include <chrono>
#include <vector>

namespace tuvano::store {

// Whether a copy must be on the disk itself before it counts as made, or may
// stay in the system's cache for a while (for files that can be made again).
enum class Durability { OnDisk, Cached };

// Every change the store makes to the disk goes through one of these
// operations, so that tests can make any one of them fail or stop short, and
// see in which order the data reaches the disk. Each operation reports its
// failure as a StoreError naming the path.
//
// On Windows a virus scanner, an indexer or a backup opens a fresh file for
// a moment, and while it holds the file it cannot be replaced or deleted.
// So an operation refused because another program holds the file (a sharing
// or lock violation, or a file whose deletion is still pending) is tried
// again after a growing pause, for about two seconds in all; only then does
// it fail, as InUse with the holding program's name where the system knows
// it. A refusal of any other kind (a read-only file, a missing permission)
// is final at once.
class FileOps {
public:
    // How long a file held by another program is waited for, in all.
    static constexpr std::chrono::milliseconds kHoldPatience{2000};

    FileOps() = default;
    FileOps(const FileOps&) = delete;
    FileOps& operator=(const FileOps&) = delete;
    virtual ~FileOps() = default;

    // The operations of the real file system.
    static FileOps& real();

    Result<QByteArray> readAll(const QString& path);
    // Creates or empties the file and writes the bytes.
    Status writeNew(const QString& path, const QByteArray& bytes);
    // Creates or empties target and streams source into it. Uses a clone or an
    // in-kernel copy where the system offers one.
    Status copyNew(const QString& source, const QString& target);
    // Flushes the file's data to the disk itself, not just to the system.
    Status flush(const QString& path);
    // Puts from in the place of to in one step, replacing it; the file keeps
    // the permissions that to had.
    Status rename(const QString& from, const QString& to);
    // Flushes a folder's list of entries, so that a rename in it lasts.
    Status flushFolder(const QString& folder);
    // Deletes a file; a symbolic link is deleted itself, never its target.
    Status remove(const QString& path);
    Status makeFolder(const QString& path);
    // Removes a folder that is empty.
    Status removeFolder(const QString& path);
    // Gives the file existing a second name (a hard link), which must not
    // be taken yet.
    Status link(const QString& existing, const QString& name);

    // The file that a write to path must replace: path itself, or the file a
    // symbolic link at path leads to (the link is kept). Fails with ReadOnly
    // for a file that no one may write to.
    virtual Result<QString> writeTarget(const QString& path);

protected:
    // Each operation once, as the system answers it.
    virtual Result<QByteArray> readOnce(const QString& path);
    virtual Status writeNewOnce(const QString& path, const QByteArray& bytes);
    virtual Status copyNewOnce(const QString& source, const QString& target);
    virtual Status flushOnce(const QString& path);
    virtual Status renameOnce(const QString& from, const QString& to);
    virtual Status flushFolderOnce(const QString& folder);
    virtual Status removeOnce(const QString& path);
    virtual Status makeFolderOnce(const QString& path);
    virtual Status removeFolderOnce(const QString& path);
    virtual Status linkOnce(const QString& existing, const QString& name);
    // The pause before an operation on a held file is tried again.
    virtual void pause(std::chrono::milliseconds length);

private:
    template <class Attempt>
    auto patiently(Attempt attempt, const QString& other = {}) -> decltype(attempt());
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

// The second name a file keeps while a set of files replaces it, until the
// set is in place (".ro.vwi.tuvano-old").
QString asidePathFor(const QString& target);
bool isAsideName(QStringView name);

// One file of a set replaced as one: the file that takes target's place, or
// none when target is only to go.
struct Replacement {
    QString incoming;
    QString target;
};

// Puts every incoming file in place of its target, or none. Each target that
// exists first gets a second name aside (a hard link, or a copy where the
// drive has none); then each incoming file replaces its target in one step
// (keeping its permissions), so every target is always there, old or new.
// When one cannot be replaced (another program holds it), those replaced are
// put back from their second names and the incoming files are given back
// their own, so the set can be tried again; previousKept then tells whether
// that worked, and the error (ReplaceFailed) names the target.
Status replaceAll(FileOps& ops, const std::vector<Replacement>& set);

} // namespace tuvano::store
