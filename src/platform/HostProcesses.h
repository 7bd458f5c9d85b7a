#pragma once

#include <QStringList>

#include <vector>

namespace tuvano::platform {

// The processes now running whose program is one of these files (given by
// their full paths), whoever started them: started directly or, outside
// Windows, through Wine. A file is known by what it is, not by how its path
// is spelt, so another letter case, a link or another drive letter to the
// same file counts too. In ascending order; empty when none of the files
// exists.
std::vector<qint64> processesRunning(const QStringList& programs);

} // namespace tuvano::platform
