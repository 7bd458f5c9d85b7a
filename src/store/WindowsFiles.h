#pragma once

#include "StoreError.h"

#include <QFile>
#include <QString>
#include <QStringList>

#include <string>

// What the file operations need of Windows beyond what Qt offers: the true
// cause of a refusal (a file another program holds open is refused as
// "access denied" by some calls, as a read-only one is), paths longer than
// Windows' own calls take without "\\?\", and the names of the programs that
// hold a file. Built on Windows only.
namespace tuvano::store::windows {

// The path as Windows' own calls take it: absolute, with backslashes, and
// behind "\\?\" when it is longer than they take otherwise.
std::wstring longPath(const QString& path);

// The cause of the error code a call into the system gave.
Cause causeOf(unsigned long code);
// The cause of the last failed call into the system; a deletion still
// pending counts as another program's hold.
Cause lastCause();

// Opens the file at path with Windows' own call, sharing it with the other
// programs that may look at it (when only reading, with any of them), and
// hands it to file. Returns None when it is open.
Cause open(QFile& file, const QString& path, QIODevice::OpenMode mode);
// Renames from to to, replacing to; None when done.
Cause rename(const QString& from, const QString& to);
// Gives the file existing the second name name; None when done.
Cause link(const QString& existing, const QString& name);
// Deletes the file (or the link) at path; None when done.
Cause remove(const QString& path);

// The programs that hold any of the files open, as the system's Restart
// Manager names them; empty when it cannot say.
QStringList holdersOf(const QStringList& paths);

} // namespace tuvano::store::windows
