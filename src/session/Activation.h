#pragma once

#include "shared/Context.h"

#include <QString>

// Starting a profile: its five files into the host folder, then the host.
namespace tuvano::session {

// How a start takes a failing file step. The start button passes failures
// over and goes on; a choice in the list and the countdown end the program
// with an error report naming the failure.
enum class OnFailure { PassOver, EndProgram };

enum class StartOutcome {
    Busy,    // a session is under way; nothing was done
    Refused, // nothing to start; the user was told, nothing was touched
    Started, // the files are in place and the host was launched
    Ended,   // the program ended on a failure
};

// Resolves the profile's folder from the list file and puts its files in
// the host folder: the live files are deleted, the profile's copied in.
// cmdGo must already be disabled; it is enabled again when nothing is
// started.
StartOutcome swapInProfile(shared::Context& context, const QString& name, OnFailure onFailure);

// Launches the host's executables, each in turn, without waiting, keeps the
// ids of those started and arms the watch for the host's start. When none
// started, the user is told why and cmdGo is enabled again.
void launchHost(shared::Context& context);

// The whole start of the profile named name (the main list's text).
StartOutcome StartProfile(shared::Context& context, const QString& name, OnFailure onFailure);

// The countdown has reached zero: the profile shown in the main list starts
// by itself.
void countdownEnded(shared::Context& context);

} // namespace tuvano::session
