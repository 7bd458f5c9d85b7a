#pragma once

#include "store/HostContract.h"

#include <QByteArrayView>
#include <QString>
#include <QStringView>

#include <optional>
#include <vector>

namespace tuvano::standin {

// Lets a test script a run of the stand-in host. The file lies beside the
// executable; without it the host runs until its window is closed.
inline constexpr QStringView kRunConfigFile = u"standin-host.ini";

// A line of text to append to one of the data files.
struct LineToAdd {
    store::DataFile file;
    QString text;
};

// "key=value" lines in UTF-8:
//   run-ms=<milliseconds>        the host ends by itself after that time
//   append=<data file>:<text>    a line to append to that file at the end
//   hand-over-ms=<milliseconds>  the host starts as a launcher does: it
//                                starts a copy of itself and ends at once;
//                                the copy makes the marker that much later
//   start-ms=<milliseconds>      the host's process runs that long before it
//                                makes its marker (a slow start)
//   linger-ms=<milliseconds>     as it ends, the host removes its marker
//                                first and writes its lines that much later
// Unknown keys and malformed lines are skipped, so a slip in a test's file
// still gives a host that starts and ends.
struct RunConfig {
    std::optional<int> runMs;
    std::vector<LineToAdd> appends;
    std::optional<int> handOverMs;
    std::optional<int> startMs;
    std::optional<int> lingerMs;
};

RunConfig parseRunConfig(QByteArrayView utf8);

// A missing or unreadable file gives the empty configuration.
RunConfig readRunConfig(const QString& path);

// The data file with this name, ignoring case as the host's own system does.
std::optional<store::DataFile> dataFileNamed(QStringView name);

} // namespace tuvano::standin
