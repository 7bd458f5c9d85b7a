#pragma once

#include "ProfileSave.h"
#include "ProgramFolder.h"
#include "StoreError.h"

#include <vector>

// Loading a profile's files into the live files as one step: each is first
// copied beside the live file it is to replace; only when all five are
// copied do they take their places, all of them or, when one cannot (another
// program holds a live file), none. So the live files hold either the set
// from before the start or the profile's own, never a mixture in which the
// host would find another profile's file.
namespace tuvano::store {

struct Loaded {
    std::vector<DataFile> files;        // now in the live files
    std::vector<FileFailure> notLoaded; // passed over: see loadIntoLive
};

// Puts the profile's files in place of the live ones. A file the profile
// lacks, or that leads into another profile's folder, is not loaded and its
// live file goes; a write-protected live file stays as it is. With passOver
// those are told in notLoaded and the rest is loaded; without it, as every
// other failure, they fail the whole load. On failure every live file is as
// it was (previousKept says so; when false, the next start puts back what is
// left aside).
Result<Loaded> loadIntoLive(const ProgramFolder& folder, QStringView id, bool passOver);

} // namespace tuvano::store
