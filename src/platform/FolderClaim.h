#pragma once

#include "SingleInstance.h"

#include <functional>
#include <future>
#include <optional>

namespace tuvano::platform {

class Platform;

// Makes this copy the only one working in the program folder, or tells the
// user why it cannot be: the program already runs there (and was asked to
// come forward), it was started there from another computer (the user may
// take over), or no lock can be made in the folder. True when start-up may
// go on; false when the program is to end, having written nothing.
bool claimProgramFolder(SingleInstance& lock, Platform& platform,
                        SingleInstance::ComeForward comeForward,
                        int answerWaitMs = SingleInstance::kAnswerWaitMs);

// The same claim with the lock taken on another core while start-up makes
// its window, which shows nothing and touches no file: taking the lock waits
// for the disk, which must hold the new lock file first. Once the lock is
// this copy's, whenTaken runs there too (the reading of what start-up reads
// first).
class FolderClaimAhead {
public:
    FolderClaimAhead(SingleInstance& lock, SingleInstance::ComeForward comeForward,
                     std::function<void()> whenTaken = {});
    // Waits for the other core: nothing runs there once this is gone.
    ~FolderClaimAhead();
    FolderClaimAhead(const FolderClaimAhead&) = delete;
    FolderClaimAhead& operator=(const FolderClaimAhead&) = delete;

    // Whether the lock was taken at the first attempt, so that start-up
    // goes on with what it made meanwhile. When it was not, claim() asks
    // and tells as claimProgramFolder() does.
    bool takenAtOnce();
    bool claim(Platform& platform, int answerWaitMs = SingleInstance::kAnswerWaitMs);

private:
    SingleInstance::Status outcome();

    SingleInstance& m_lock;
    std::future<SingleInstance::Status> m_taking;
    std::optional<SingleInstance::Status> m_outcome;
};

} // namespace tuvano::platform
