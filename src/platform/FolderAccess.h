#pragma once

#include <QString>

// What the system lets this user do in a folder, and where it sends the
// writes of old programs that may not write there.
namespace tuvano::platform {

// Whether the system denies this user the right to create files and
// folders in the folder, as it does ordinary users under "Program Files".
// False when it allows it, and when that cannot be told (the folder is
// missing, its rights cannot be read): a write that fails anyway is told of
// when it fails.
bool writeDenied(const QString& folder);

// The folder in which Windows keeps the copies of a folder's files that it
// made when an old program could not write them there, and which such a
// program reads instead from then on (the user's "VirtualStore"): the
// folder's path without its drive, under localAppData's "VirtualStore".
// Empty for a folder with no drive (a network path) or without
// localAppData.
QString virtualStoreFolder(const QString& folder, const QString& localAppData);

// The folder's VirtualStore for this user, where the system has one.
QString virtualStoreFolder(const QString& folder);

} // namespace tuvano::platform
