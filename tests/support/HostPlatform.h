#pragma once

#include "platform/DesktopPlatform.h"
#include "platform/HostProcesses.h"
#include "store/HostContract.h"
#include "support/FakePlatform.h"

namespace tuvano::test {

// The fake platform's boxes, but real processes and the real markers.
class HostPlatform : public FakePlatform {
public:
    using FakePlatform::FakePlatform;
    QStringList markerPaths() const override { return store::HostRunMarkers(); }
    platform::Launch launch(const QString& path) override
    {
        launched << path;
        return m_real.launch(path);
    }
    bool processRunning(qint64 pid) override { return m_real.processRunning(pid); }
    std::vector<qint64> runningHosts() override
    {
        QStringList programs;
        for (QStringView executable : store::kHostExecutables)
            programs << folder + u'/' + executable;
        return platform::processesRunning(programs);
    }
    std::optional<QString> failureOf(qint64 pid) override { return m_real.failureOf(pid); }
    bool canOpen(const QString& path) override { return m_real.canOpen(path); }
    void stayOnTop(QWidget* window, bool onTop) override
    {
        FakePlatform::stayOnTop(window, onTop);
        m_real.stayOnTop(window, onTop);
    }

private:
    platform::DesktopPlatform m_real;
};

} // namespace tuvano::test
