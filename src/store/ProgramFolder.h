#pragma once

#include "FileOps.h"
#include "HostContract.h"

#include <QString>
#include <QStringView>

namespace tuvano::store {

// The folder the program was started from, which is also the host's folder,
// and every path of the store under it. The FileOps given here carry every
// change the store makes to the disk.
class ProgramFolder {
public:
    explicit ProgramFolder(QString path, FileOps& ops = FileOps::real());

    const QString& path() const { return m_path; }
    FileOps& ops() const { return *m_ops; }

    // The program folder joined with a fixed name.
    QString file(QStringView name) const;
    // The host's live data file.
    QString liveFile(DataFile file) const;
    QString profilesFolder() const;
    // The folder of the profile with this identifier.
    QString profileFolder(QStringView id) const;

    // Whether the store exists: the profile list or the profiles folder.
    bool hasProfileStore() const;

    // Deletes the temporary files that a write cut short (a crash, a power
    // cut) can leave behind; the files they were meant to replace are whole.
    // The profile folders are looked through only when asked.
    void removeLeftovers(bool inProfileFolders = true) const;

    // Fails with ForeignLink when the profile's folder is a link, or lies
    // elsewhere than in "profiles" under its identifier. A missing folder is
    // not foreign.
    Status checkOwnFolder(QStringView id) const;
    // Fails with ForeignLink when a write to path would land in a profile's
    // folder other than ownId's (any profile's, when ownId is empty, as for
    // the live files) once the links on its way are followed.
    Status checkPlace(const QString& path, QStringView ownId = {}) const;

private:
    QString m_path;
    FileOps* m_ops;
};

// Identifiers name folders, so only decimal digits are accepted: nothing
// read from a file can then reach a folder outside "profiles".
bool isProfileIdentifier(QStringView id);

// A data file in a profile folder or the program folder.
QString dataFilePath(QStringView folder, DataFile file);

} // namespace tuvano::store
