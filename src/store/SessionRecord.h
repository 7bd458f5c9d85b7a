#pragma once

#include "HostContract.h"
#include "ProfileList.h"
#include "ProgramFolder.h"
#include "StoreError.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <vector>

namespace tuvano::store {

// How far a profile session has come. The record of it lasts through a
// crash, so that the next start knows what the live files hold.
enum class SessionPhase {
    CopyingIn, // the live files are being replaced; the profile is untouched
    Live,      // the live files hold the profile's session (or are about to)
    Saving,    // the session is staged in the profile and being put in place
};

// What a live session waits for: the host's start (it was launched, or is
// to be started by hand, and has not been seen running) or its end.
enum class HostWait { Start, End };

// The session under way: which profile, how far, which of the five files it
// concerns (those loaded into the live files; while saving, those staged to
// replace the profile's), what it waits for, and whether the user chose to
// keep its changes out of the profile.
struct SessionRecord {
    SessionPhase phase = SessionPhase::CopyingIn;
    ProfileRecord profile;
    std::vector<DataFile> files;
    HostWait waiting = HostWait::Start;
    bool keepChanges = true;

    bool concerns(DataFile file) const;
    friend bool operator==(const SessionRecord&, const SessionRecord&) = default;
};

Result<SessionRecord> parseSessionRecord(QByteArrayView bytes, const QString& path);
Result<QByteArray> formatSessionRecord(const SessionRecord& record);

// The record's file in the program folder, "tuvano.session". It exists only
// while a session is under way, or when one was cut short.
class SessionFile {
public:
    explicit SessionFile(const ProgramFolder& folder) : m_folder(folder) {}

    QString path() const { return m_folder.file(kSessionFile); }
    bool exists() const;

    Result<SessionRecord> read() const;
    // Replaces the record in one step; it is on the disk when this returns.
    Status write(const SessionRecord& record) const;
    // Ends the record, for good.
    Status remove() const;
    // Keeps an unreadable record beside as "tuvano.session.bak".
    Status keepAside() const;

private:
    ProgramFolder m_folder;
};

} // namespace tuvano::store
