#pragma once

#include <QFile>
#include <QTemporaryDir>

#include <optional>

namespace tuvano::test {

// Qt wants a private runtime folder and warns on every start without one. A
// test run that has none gets a fresh one (owner only) for as long as it
// lasts; the programs it starts inherit it.
class PrivateRuntime {
public:
    PrivateRuntime()
    {
        if (!qEnvironmentVariableIsEmpty("XDG_RUNTIME_DIR"))
            return;
        m_folder.emplace();
        if (m_folder->isValid())
            qputenv("XDG_RUNTIME_DIR", QFile::encodeName(m_folder->path()));
    }

private:
    std::optional<QTemporaryDir> m_folder;
};

} // namespace tuvano::test
