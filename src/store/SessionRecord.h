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
    Idle,      // no session is under way; the live files are still the profile's
};

// What a live session waits for: the host's start (it was launched, or is
// to be started by hand, and has not been seen running) or its end.
enum class HostWait { Start, End };

// What a live file looked like when the program last knew it: a host that
// writes it changes its size or its time. A missing file has size -1.
struct LiveFileState {
    DataFile file = DataFile::Ro;
    qint64 size = -1;
    qint64 modified = 0; // milliseconds since the epoch, UTC
    friend bool operator==(const LiveFileState&, const LiveFileState&) = default;
};

// The five live files as they are now, in the listing's order.
std::vector<LiveFileState> liveFilesNow(const ProgramFolder& folder);

// Whose the live files are and how far their session has come: the profile
// whose files a start put in place (the live files' owner until another
// start replaces them), how far, which of the five files it concerns (those
// loaded into the live files, and those the profile lacked, so that the
// host's own are the profile's; while saving, those staged to replace the
// profile's), what it waits for, and whether the user chose to keep the
// session's changes out of the profile, and what the live files looked like
// when the program last knew them (after the start's copies, after the
// session's end), so that a host run while no program watched is seen in
// them. Without a record the live files are nobody's.
struct SessionRecord {
    SessionPhase phase = SessionPhase::CopyingIn;
    ProfileRecord profile;
    std::vector<DataFile> files;
    HostWait waiting = HostWait::Start;
    bool keepChanges = true;
    std::vector<LiveFileState> seen;

    bool concerns(DataFile file) const;
    // Whether a host has written the live files since they were seen; not
    // so when they were never seen (a record of an earlier version).
    bool liveFilesChanged(const ProgramFolder& folder) const;
    // The record once the session is over: the live files are still the
    // profile's, and the next session decides anew whether to keep its
    // changes.
    SessionRecord over() const;
    friend bool operator==(const SessionRecord&, const SessionRecord&) = default;
};

Result<SessionRecord> parseSessionRecord(QByteArrayView bytes, const QString& path);
Result<QByteArray> formatSessionRecord(const SessionRecord& record);

// The record's file in the program folder, "tuvano.session". It exists from
// a profile's start on, for as long as the live files are that profile's.
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
