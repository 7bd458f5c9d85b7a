#pragma once

#include "store/FileOps.h"

#include <QDateTime>
#include <QFileInfo>
#include <QString>
#include <QStringList>

#include <algorithm>
#include <optional>
#include <utility>
#include <vector>

class QWidget;

namespace tuvano::platform {

// The icon of a message box.
enum class Icon { Critical, Question, Exclamation, Information };

// The buttons of a message box, and the one the user pressed. A question
// whose "Ja" could cost a profile its data has "Nej" as its default, so that
// a hurried Return is the safe answer.
enum class Buttons { Ok, YesNo, YesNoDefaultNo };
enum class Answer { Ok, Yes, No };

// The outcome of starting a program.
struct Launch {
    qint64 pid = 0;  // the started process
    QString failure; // when nothing started: why, as told to the user
    bool started() const { return pid > 0; }

    static Launch of(qint64 pid) { return {pid, {}}; }
    static Launch failed(QString why) { return {0, std::move(why)}; }
};

// Why a program did not start, in the words the user is told.
namespace launchFailure {
inline constexpr QStringView kMissing = u"filen finns inte";
inline constexpr QStringView kNotExecutable = u"filen är inte körbar";
inline constexpr QStringView kNotStarted = u"programmet kunde inte startas";
inline QString exitedWith(int code)
{
    return u"programmet avslutades med felkod " + QString::number(code) +
           u" innan Lexaro hade startat";
}
inline constexpr QStringView kKilled = u"programmet avbröts innan Lexaro hade startat";
// wine: the command that was looked for.
inline QString noWine(const QString& wine)
{
    return u"det är ett Windowsprogram och kräver Wine, men kommandot " + wine + u" hittades inte";
}
} // namespace launchFailure

// What the program takes from the operating system. Everything above this
// layer goes through it, so tests can put a scripted one in its place.
class Platform {
public:
    Platform() = default;
    Platform(const Platform&) = delete;
    Platform& operator=(const Platform&) = delete;
    virtual ~Platform() = default;

    // The folder the program was started from; the host lives there too.
    virtual QString programFolder() const = 0;
    // The files whose presence tells that the host runs: any one will do.
    virtual QStringList markerPaths() const = 0;
    // The operations through which the store changes files.
    virtual store::FileOps& fileOps() { return store::FileOps::real(); }
    // Whether this user may not make files in the folder (FolderAccess.h).
    virtual bool writeDenied(const QString& folder) const
    {
        Q_UNUSED(folder);
        return false;
    }
    // Where the system keeps the copies of the folder's files that it
    // redirected an old program's writes to, and which that program reads
    // instead; empty where it keeps none (FolderAccess.h).
    virtual QString virtualStore(const QString& folder) const
    {
        Q_UNUSED(folder);
        return {};
    }

    // A modal message box; returns the button pressed.
    virtual Answer message(const QString& text, const QString& title, Icon icon,
                           Buttons buttons = Buttons::Ok) = 0;
    // A modal input box; cancelling gives the empty text.
    virtual QString inputBox(const QString& prompt, const QString& title,
                             const QString& defaultText = {}) = 0;

    // Starts a program by full path, without arguments and without waiting,
    // in its own folder; shown minimised and active where the system has such
    // a thing. Only the process id is kept. Outside Windows a Windows program
    // is started through Wine.
    virtual Launch launch(const QString& path) = 0;
    // Whether a process this program started is still running.
    virtual bool processRunning(qint64 pid) = 0;
    // The host's processes running now, whoever started them (this program,
    // a launcher, the user, an earlier run of this program): those whose
    // program is the program folder's lx2000.exe or lexaro.exe, run directly
    // or through Wine.
    virtual std::vector<qint64> runningHosts() = 0;
    // Why a process this program started has failed: it ended with an error
    // (an exit code other than 0) or was stopped. None while it runs, when it
    // ended well, or when that is not known.
    virtual std::optional<QString> failureOf(qint64 pid)
    {
        Q_UNUSED(pid);
        return std::nullopt;
    }
    // Whether the file can be opened for reading at this moment, or is held
    // open by another program that shares it with none. The look never
    // stands in the way of another program, not even of one deleting it.
    virtual bool canOpen(const QString& path) = 0;
    // When the computer was started last; invalid when unknown.
    virtual QDateTime bootTime() const { return {}; }

    // A marker file left from before the computer's last start: the host
    // that made it cannot be running.
    bool isStale(const QString& marker) const
    {
        // The start time is read from the system: only for a marker that is
        // there, which is seldom.
        const QFileInfo info(marker);
        if (!info.exists())
            return false;
        const QDateTime boot = bootTime();
        return boot.isValid() && info.lastModified() < boot;
    }
    // Whether the host runs: one of its marker files can be opened, and is
    // not stale.
    bool markerPresent()
    {
        const QStringList paths = markerPaths();
        return std::any_of(paths.cbegin(), paths.cend(),
                           [this](const QString& path) { return canOpen(path) && !isStale(path); });
    }
    QStringList staleMarkers() const
    {
        QStringList stale;
        for (const QString& path : markerPaths()) {
            if (isStale(path))
                stale << path;
        }
        return stale;
    }

    virtual void reseedRandom() = 0;
    // A fraction r with 0 <= r < 1, of single precision.
    virtual float randomFraction() = 0;

    // Pins a window above all ordinary windows, or releases it.
    virtual void stayOnTop(QWidget* window, bool onTop) = 0;

    // Ends the program at once: no further handler runs and nothing is
    // written. Callers return straight after it (a test's platform records
    // the end instead of ending the process).
    virtual void endProgram() = 0;
    // Tells the user of an error the program cannot go on from, then ends it.
    virtual void fatalError(const QString& text) = 0;
};

} // namespace tuvano::platform
