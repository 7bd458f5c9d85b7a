#pragma once

#include "ProgramFolder.h"
#include "StoreError.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringList>

#include <optional>
#include <vector>

namespace tuvano::store {

// One line of "profiles.map": a profile's display name and its identifier.
struct ProfileRecord {
    QString name;
    QString id;

    friend bool operator==(const ProfileRecord&, const ProfileRecord&) = default;
};

using ProfileRecords = std::vector<ProfileRecord>;

// Reads the records of a list file in file order. A record whose name the
// format could not write back, or whose identifier is not all digits, is
// reported as damaged with its line.
Result<ProfileRecords> parseProfileList(QByteArrayView bytes, const QString& path);

// The bytes of a list file holding these records, each as the program writes
// it: both fields in double quotes, CR LF at the end. Fails with NotStorable
// for a name the format cannot carry or an identifier that is not all digits.
Result<QByteArray> formatProfileList(const ProfileRecords& records);

// The names of the records, in file order.
QStringList namesOf(const ProfileRecords& records);

// The identifier of the last record with exactly this name, if any.
std::optional<QString> lastIdOf(const ProfileRecords& records, QStringView name);

// What became of a removed profile's folder.
struct Removal {
    enum class Folder {
        Removed,         // its five files and then the empty folder were deleted
        HoldsOtherFiles, // the five files were deleted, other files keep the folder
        SharedId,        // another record still names it, so nothing was deleted
        Missing,         // there was no such folder
    };
    QString id;
    QString folder;
    Folder outcome = Folder::Removed;
    QStringList notDeleted; // files of the five that could not be deleted
};

// The profile list file "profiles.map" of a program folder.
class ProfileList {
public:
    explicit ProfileList(const ProgramFolder& folder) : m_folder(folder) {}

    QString path() const { return m_folder.file(kProfileListFile); }

    Result<ProfileRecords> read() const;
    // Writes the list anew with the standard profile as its only record.
    Status createWithStandard() const;
    // Adds one record at the end; every earlier byte stays as it was.
    Status append(const ProfileRecord& record) const;
    // Drops every record named name, then deletes the profile folder of the
    // last of them: its five files and, once empty, the folder. The list is
    // rebuilt in "profiles.new" and put in place in one step.
    Result<Removal> remove(const QString& name) const;

private:
    Status replaceWith(const QByteArray& bytes) const;

    ProgramFolder m_folder;
};

} // namespace tuvano::store
