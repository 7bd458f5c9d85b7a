#pragma once

#include <QLockFile>
#include <QObject>
#include <QString>

#include <functional>

class QSocketNotifier;

namespace tuvano::platform {

// Keeps a second copy of the program from working in the same program folder
// at the same time. The first copy holds a lock file in the folder; a later
// copy finds it taken and asks the first to come forward instead of
// starting. A lock left by a copy that was killed is taken over.
class SingleInstance : public QObject {
    Q_OBJECT
public:
    explicit SingleInstance(const QString& programFolder);
    ~SingleInstance() override;

    // True when this is the only copy; comeForward then runs whenever a
    // later copy asks.
    bool acquire(std::function<void()> comeForward);
    // Whether the copy before this one was killed or lost its power: it left
    // its lock behind, and perhaps files it was writing.
    bool previousRunWasCutShort() const { return m_cutShort; }
    // Gives the lock up, for an end that skips destructors.
    void release();

    // For a later copy: asks the running one to come forward. False when it
    // could not be reached.
    bool askRunningCopy() const;

    static QString lockFileName() { return QStringLiteral("tuvano.lock"); }

private:
    QString m_lockPath;
    QLockFile m_lock;
    bool m_cutShort = false;
    QSocketNotifier* m_asked = nullptr;
    std::function<void()> m_comeForward;
};

} // namespace tuvano::platform
