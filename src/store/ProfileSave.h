#pragma once

#include "HostContract.h"
#include "ProgramFolder.h"
#include "SessionRecord.h"
#include "StoreError.h"

#include <vector>

// Saving a session's live files into a profile as one step: each file is
// first copied beside the profile's own and flushed to the disk (staged);
// then, once a record says so, the staged files take the places of the
// profile's files by renames, which a restart can finish. So a profile holds
// either all its files from before the session or all from after it.
namespace tuvano::store {

struct FileFailure {
    DataFile file;
    StoreError error;
};

// Stages the live files into the profile with this identifier. When any of
// them fails, nothing stays staged and the failures are returned.
std::vector<FileFailure> stageIntoProfile(const ProgramFolder& folder, QStringView id,
                                          const std::vector<DataFile>& files);

// Puts every staged file of files in place of the profile's file and makes
// the renames last. A file whose staged copy is gone was put in place
// already, so this can be run again after a crash.
Status commitStaged(const ProgramFolder& folder, QStringView id,
                    const std::vector<DataFile>& files);

// Deletes whatever the profile has staged.
void discardStaged(const ProgramFolder& folder, QStringView id);

// Puts a save that was staged and recorded in place in full; the record then
// says the session is over.
Status finishSave(const ProgramFolder& folder, const SessionRecord& record);

// Finishes a save left pending by an earlier failure, if the record on the
// disk tells of one. Fails when it cannot be finished or the record read.
Status finishPendingSave(const ProgramFolder& folder);

} // namespace tuvano::store
