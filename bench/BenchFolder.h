#pragma once

// A program folder laid out as the program leaves it, a platform rooted in
// it, and the program's windows loaded over it with a profile ready to be
// swapped in and written back: what the session figures are taken from.
#include "platform/DesktopPlatform.h"
#include "platform/HostProcesses.h"
#include "shell/Forms.h"

#include <QString>

#include <functional>

namespace tuvano::bench {

// A figure taken from work that failed would mislead: stop at once.
[[noreturn]] void fail(const QString& what);

struct FolderLayout {
    int profiles = 1;            // records in the list, the standard profile first
    qint64 dataFileBytes = 4096; // each of the five files, live and in the standard profile
    qint16 countdown = 0;        // seconds; 0: no countdown
};

// The standard profile, the default and the one the session work uses.
QString benchProfileName();
QString benchProfileFolder(const QString& programFolder);

// Writes the settings, the list, a folder for every profile (only the
// standard one holds files: start-up never looks into the others) and the
// host's live files. The folder must exist and be empty.
void prepareProgramFolder(const QString& path, const FolderLayout& layout);

// The desktop platform with the program folder given instead of the
// executable's. A message box would stall an unattended run and means the
// folder was not what the figure assumes, so any box ends the run instead.
class FolderPlatform final : public platform::Platform {
public:
    explicit FolderPlatform(QString folder) : m_folder(std::move(folder)) {}

    QString programFolder() const override { return m_folder; }
    QStringList markerPaths() const override { return m_desktop.markerPaths(); }
    store::FileOps& fileOps() override { return m_desktop.fileOps(); }

    platform::Answer message(const QString& text, const QString& title, platform::Icon,
                             platform::Buttons) override;
    QString inputBox(const QString& prompt, const QString& title, const QString&) override;

    platform::Launch launch(const QString& path) override { return m_desktop.launch(path); }
    bool processRunning(qint64 pid) override { return m_desktop.processRunning(pid); }
    std::vector<qint64> runningHosts() override
    {
        QStringList programs;
        for (QStringView executable : store::kHostExecutables)
            programs << m_folder + u'/' + executable;
        return platform::processesRunning(programs);
    }
    bool canOpen(const QString& path) override { return m_desktop.canOpen(path); }
    void reseedRandom() override { m_desktop.reseedRandom(); }
    float randomFraction() override { return m_desktop.randomFraction(); }
    void stayOnTop(QWidget* window, bool onTop) override { m_desktop.stayOnTop(window, onTop); }

    void endProgram() override;
    void fatalError(const QString& text) override;

private:
    QString m_folder;
    platform::DesktopPlatform m_desktop;
};

// The windows loaded over a prepared folder (a QApplication must exist).
// swapIn and writeBack run exactly the program's own code for a start's
// file work and for the write-back; their preparations and checks are kept
// apart so that a timing can leave them out.
class SessionRig {
public:
    explicit SessionRig(const QString& folder);

    // The start's delete-then-copy of the live files, passing failures over
    // as the start button does.
    void swapIn();
    // The live files are the profile's again, byte count for byte count.
    void checkSwappedIn() const;
    // No host follows the start: its record goes, so that the next run over
    // the folder is not asked about a session cut short.
    void forgetSession();

    // As while the host runs: the start-up window hidden, the monitor loaded.
    void prepareWriteBack();
    // The host has ended: its files back into the profile, the window back.
    void writeBack();
    void checkWrittenBack() const;

    // A whole session with the timers and the watch of the running program:
    // the profile started, the host's marker made, and once it has been
    // taken over, the marker removed. The nanoseconds from the marker's
    // removal until the profile is saved and the start-up window is back.
    qint64 hostRunsAndEnds();

private:
    void waitFor(const std::function<bool()>& done, const QString& what);
    void checkSameSizes(const QString& from, const QString& to) const;

    FolderPlatform m_platform;
    shell::Forms m_forms;
};

// Peak resident memory of this process since the last reset, in KiB. The
// reset makes the next reading the peak of what follows it alone (where
// the system allows it; otherwise the peak stays that of the whole run).
void resetPeakMemory();
qint64 peakMemoryKib();

} // namespace tuvano::bench
