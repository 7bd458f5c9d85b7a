#pragma once

#include <QLockFile>
#include <QObject>
#include <QString>

#include <functional>

class QSocketNotifier;

namespace tuvano::platform {

// What the file system tells about the program folder when the lock could
// not be made in it.
struct FolderFacts {
    bool isFolder = false;
    bool writable = false;
    bool readOnlyVolume = false;
    qint64 bytesTotal = -1;
    qint64 bytesFree = -1;
};
FolderFacts folderFacts(const QString& folder);

// Keeps a second copy of the program from working in the same program folder
// at the same time. The first copy holds a lock file in the folder; a later
// copy finds it taken and may ask the first to come forward. A lock whose
// owner is gone is taken over. Nothing is ever sent to a process unless it
// is this very program, on this computer, holding this folder's lock.
class SingleInstance : public QObject {
    Q_OBJECT
public:
    // What acquire() found.
    enum class Status {
        Acquired,      // this is the only copy
        Running,       // this program runs in this folder on this computer
        OtherComputer, // the lock was taken on another computer: ownerHost()
        Held,          // a lock is there that could not be taken over
        NotAFile,      // "tuvano.lock" is a folder, a link or a device: lockEntry()
        FolderMissing, // the program folder is not there
        CannotWrite,   // no file may be made in the folder: readOnlyVolume()
        DiskFull,
        WriteFailed, // the lock could not be made, for a reason the system keeps
    };
    // What the running copy did when it was asked to come forward. Asked:
    // its window is hidden while the host runs, so it asks the user instead
    // whether the host has ended.
    enum class Reply { Shown, Starting, NoWindow, Asked, NoAnswer, NotAsked };
    // What stands at the lock's path.
    enum class Entry { Absent, File, Folder, Link, Other };

    using ComeForward = std::function<Reply()>;
    using FactsSource = FolderFacts (*)(const QString&);

    // How long a later copy waits for the running one to answer.
    static constexpr int kAnswerWaitMs = 2000;

    explicit SingleInstance(const QString& programFolder, FactsSource facts = folderFacts);
    ~SingleInstance() override;

    // Takes the lock if it can. When it is taken, comeForward runs whenever
    // a later copy asks, and its answer is sent back.
    Status acquire(ComeForward comeForward);
    // acquire() in its three steps, for a lock taken on another thread:
    // prepare() and settle() on the object's own thread, lockFolder() on any
    // one in between. Taking the lock waits for the disk, which is made to
    // hold the new lock file before the lock counts.
    void prepare(ComeForward comeForward);
    Status lockFolder();
    Status settle(Status status);
    // After OtherComputer, when the user chose to go on: removes that lock
    // and takes it, unless it is still held.
    Status takeOver();
    // Whether the copy before this one was cut short (killed, its computer
    // switched off): it left its lock behind, and perhaps files it was
    // writing.
    bool previousRunWasCutShort() const { return m_cutShort; }
    // Gives the lock up, for an end that skips destructors.
    void release();

    // After Running: asks the running copy to come forward and waits for
    // its answer.
    Reply askRunningCopy(int waitMs = kAnswerWaitMs) const;

    QString folder() const { return m_folder; }
    QString lockPath() const { return m_lockPath; }
    QString ownerHost() const { return m_ownerHost; }
    Entry lockEntry() const { return m_entry; }
    bool readOnlyVolume() const { return m_readOnlyVolume; }

    static QString lockFileName() { return QStringLiteral("tuvano.lock"); }

private:
    Status taken(bool leftBehind);
    Status failure();
    Status cannotRemove();
    void openChannel();
    void answerRequests();

    QString m_folder;
    QString m_lockPath;
    QLockFile m_lock;
    FactsSource m_facts;
    bool m_cutShort = false;
    qint64 m_ownerPid = 0;
    QString m_ownerHost;
    Entry m_entry = Entry::Absent;
    bool m_readOnlyVolume = false;
    bool m_ownsChannel = false;
    QSocketNotifier* m_asked = nullptr;
    ComeForward m_comeForward;
};

} // namespace tuvano::platform
