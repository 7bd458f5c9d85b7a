#pragma once

#include "platform/DesktopPlatform.h"
#include "platform/HostProcesses.h"
#include "session/frmMonitor.h"
#include "shell/Forms.h"
#include "shell/frmMain.h"
#include "store/HostContract.h"
#include "support/FakePlatform.h"

#include <QPushButton>
#include <QTest>

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

// How a session that real hosts run ends: whether the start-up window came
// back, and whether the monitor offered the way out of the wait meanwhile,
// claiming that no host ran.
struct SessionEnd {
    bool ended = false;
    bool claimedAnEnd = false;
};

inline SessionEnd waitForTheSessionsEnd(shell::Forms& forms, int timeoutMs)
{
    SessionEnd end;
    end.ended = QTest::qWaitFor(
        [&] {
            if (const session::frmMonitor* monitor = session::monitor(forms.context()))
                end.claimedAnEnd = end.claimedAnEnd || monitor->wayOut->isVisibleTo(monitor);
            return forms.main().cmdGo->isEnabled();
        },
        timeoutMs);
    return end;
}

} // namespace tuvano::test
