#pragma once

#include <QByteArray>
#include <QtGlobal>

#include <optional>

namespace tuvano::test {

// Sets (or, given nothing, unsets) an environment variable for the scope's
// life and restores it afterwards.
class ScopedEnv {
public:
    ScopedEnv(const char* name, const std::optional<QByteArray>& value)
        : m_name(name), m_wasSet(qEnvironmentVariableIsSet(name)), m_saved(qgetenv(name))
    {
        if (value)
            qputenv(name, *value);
        else
            qunsetenv(name);
    }
    ~ScopedEnv()
    {
        if (m_wasSet)
            qputenv(m_name, m_saved);
        else
            qunsetenv(m_name);
    }
    ScopedEnv(const ScopedEnv&) = delete;
    ScopedEnv& operator=(const ScopedEnv&) = delete;

private:
    const char* m_name;
    bool m_wasSet;
    QByteArray m_saved;
};

} // namespace tuvano::test
