#pragma once

#include "shared/Context.h"
#include "store/ProfileSave.h"
#include "store/SessionRecord.h"

#include <QString>

#include <vector>

// Saving a session into its profile as one transaction, what the user hears
// of it, and what becomes of a session that was cut short.
namespace tuvano::session {

// The files and why each failed, a line each, for a message.
QString describeFailures(const std::vector<store::FileFailure>& failures);

// Saves the live files that the session loaded into its profile, all of
// them or none. When they cannot be saved the user may try again; only a
// "Nej" gives the session up. Files that were not loaded are never saved,
// and the user hears which. The record of the session is gone afterwards.
void saveSession(shared::Context& context, store::SessionRecord record);

// Gives the session up: nothing of it goes into the profile.
void dropSession(shared::Context& context, const store::SessionRecord& record);

// A host has changed the owner's live files while no program watched it:
// asks whether to save them into the owner's profile, with Ja as the default.
void askToSaveUnseen(shared::Context& context, const store::SessionRecord& record);

// What start-up does with a session that a crash, a kill or a power cut
// ended before its write-back: a save that was under way is finished; a
// session whose host has ended is saved or given up as the user answers;
// one whose host still runs is taken over with its profile. Runs after the
// settings and the list are read, before anything can start a profile.
void recoverSession(shared::Context& context, const store::ProfileRecords& list);

} // namespace tuvano::session
