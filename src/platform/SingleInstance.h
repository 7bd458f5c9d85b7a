#pragma once

#include <QLocalServer>
#include <QLockFile>
#include <QObject>
#include <QString>

#include <functional>
#include <memory>

namespace tuvano::platform {

// Keeps a second copy of the program from working in the same program folder
// at the same time. The first copy holds a lock file in the folder and
// listens for later copies, which ask it to come forward instead of starting.
// A lock left by a copy that was killed is taken over.
class SingleInstance : public QObject {
    Q_OBJECT
public:
    // What the running copy answered a later one.
    enum class Reply {
        Shown,  // its window is in front now
        Busy,   // it cannot come forward: its host runs, or it is starting
        Silent, // it did not answer
    };

    explicit SingleInstance(const QString& programFolder);
    ~SingleInstance() override;

    // True when this is the only copy; it then answers later copies with
    // what comeForward returns (true: the window is in front).
    bool acquire(std::function<bool()> comeForward);

    // Gives the lock up, for an end that skips destructors.
    void release();

    // For a later copy: asks the running one to come forward.
    Reply askRunningCopy(int timeoutMs = 2000) const;

    static QString lockFileName() { return QStringLiteral("tuvano.lock"); }

private:
    void answer();

    QString m_serverName;
    QLockFile m_lock;
    QLocalServer m_server;
    std::function<bool()> m_comeForward;
};

} // namespace tuvano::platform
