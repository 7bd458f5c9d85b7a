#pragma once

#include "platform/Platform.h"
#include "store/ProgramFolder.h"
#include "store/SettingsFile.h"

#include <optional>

// The start-up work that comes before the main window can be filled: the
// first run, and getting hold of the settings.
namespace tuvano::startup {

// The explanation shown once, before the first run creates the store.
QString firstRunMessage();

// Creates the standard profile from copies of the host's live data files,
// then the profile list, and last the settings file, whose presence marks a
// finished first run. Stops at the first step that fails; what was done
// stays done, and the next start takes the first run up where it stopped.
store::Status initialiseProgramFolder(const store::ProgramFolder& folder);

// The settings to start with. Runs (or resumes) the first run when the
// program folder has neither settings nor profiles; recreates missing
// settings over an existing store without touching it; offers to restore
// defaults for a damaged file.
// Empty when the program has ended on the way.
std::optional<store::Settings> obtainSettings(platform::Platform& platform,
                                              const store::ProgramFolder& folder);

} // namespace tuvano::startup
