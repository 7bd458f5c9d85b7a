#pragma once

#include "platform/Platform.h"
#include "store/ProfileList.h"
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

// The settings file and the profile list as start-up reads them, read on
// another core while the window is made (10,000 names take a few
// milliseconds). Reading changes nothing; what start-up decides from them
// is decided later, in its usual order.
struct StartFiles {
    // Empty when there was no settings file: the first run (or the
    // recreated settings) comes first then, and the list is read after it.
    std::optional<store::Result<store::Settings>> settings;
    std::optional<store::Result<store::ProfileRecords>> list;
};
StartFiles readStartFiles(const store::ProgramFolder& folder);

// The settings to start with. Runs (or resumes) the first run when the
// program folder has neither settings nor profiles; recreates missing
// settings over an existing store without touching it; offers to restore
// defaults for a damaged file. Takes the file as read ahead when it was.
// Empty when the program has ended on the way.
std::optional<store::Settings>
obtainSettings(platform::Platform& platform, const store::ProgramFolder& folder,
               std::optional<store::Result<store::Settings>> readAhead = std::nullopt);

} // namespace tuvano::startup
