#pragma once

#include "platform/Platform.h"
#include "store/ProgramFolder.h"

#include <QString>

// What start-up makes sure of about the program folder before it works in
// it: that this user may write there, and that the host reads the files the
// program puts there.
namespace tuvano::startup {

// What the user is told when the system does not let this user make files
// in the program folder (as under "Program Files"): the program cannot work
// there, and what to do about it. Empty when it may. Asked before anything
// is read or written there.
QString writeDeniedText(platform::Platform& platform);

// When the system keeps copies of the host's data files for the program
// folder elsewhere (the user's VirtualStore), the host reads those instead
// of the files swapped in for a profile, and every profile would run on the
// same files. The user is told so; the copies may be moved into the profile
// that owns the live files (and over the live files) when one is known and
// no host runs. False when the program has ended instead: no profile starts
// while such copies are there.
bool settleRedirectedCopies(platform::Platform& platform, const store::ProgramFolder& folder);

} // namespace tuvano::startup
