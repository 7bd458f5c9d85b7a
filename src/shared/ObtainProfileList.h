#pragma once

#include "platform/Platform.h"
#include "store/ProfileList.h"
#include "store/ProgramFolder.h"

#include <optional>

namespace tuvano::shared {

// The profile list, or empty when it could not be read and the program ended.
std::optional<store::ProfileRecords> obtainProfileList(platform::Platform& platform,
                                                       const store::ProgramFolder& folder);

} // namespace tuvano::shared
