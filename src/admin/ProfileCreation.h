#pragma once

#include "store/ProfileList.h"
#include "store/ProgramFolder.h"

namespace tuvano::admin {

// Draws a profile identifier from a fraction 0 <= r < 1: a whole number from
// 1000000 to 10999998, so seven or eight digits.
QString identifierFrom(float r);

// Whether an identifier is free: no record names it and no folder has it.
bool isFreeIdentifier(const store::ProgramFolder& folder, const store::ProfileRecords& list,
                      const QString& id);

// Creates the profile: its folder, the five files copied from the base
// folder, and only then its record at the end of the list. On failure
// nothing of it remains.
store::Status createProfile(const store::ProgramFolder& folder, const store::ProfileRecord& record,
                            const QString& baseFolder);

} // namespace tuvano::admin
