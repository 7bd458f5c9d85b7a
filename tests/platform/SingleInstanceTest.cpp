#include "platform/SingleInstance.h"

#include "platform/FolderClaim.h"
#include "support/FakePlatform.h"
#include "support/TempFolder.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QLockFile>
#include <QProcess>
#include <QScopeGuard>
#include <QSysInfo>

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>

#ifdef Q_OS_WIN
#include <windows.h>
#else
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

// Where the build put the probe (tests/CMakeLists.txt).
extern const char kCopyProbe[];

using namespace Qt::StringLiterals;
using tuvano::platform::Answer;
using tuvano::platform::Buttons;
using tuvano::platform::claimProgramFolder;
using tuvano::platform::FolderFacts;
using tuvano::platform::Icon;
using tuvano::platform::SingleInstance;
using tuvano::test::FakePlatform;
using tuvano::test::TempFolder;
using Reply = SingleInstance::Reply;
using Status = SingleInstance::Status;

namespace {

const auto kStarting = [] {
    return Reply::Starting;
};

QByteArray ourPid() { return QByteArray::number(QCoreApplication::applicationPid()); }

// Reads a copy_probe's output until it says that it holds the lock; what it
// said, and on failure how it fared, for the assertion's message.
QByteArray waitUntilHeld(QProcess& probe)
{
    QByteArray said;
    while (!said.contains("held\n") && probe.waitForReadyRead(10000))
        said += probe.readAllStandardOutput();
    if (!said.contains("held\n")) {
        ADD_FAILURE() << "the probe never said held: " << said.toStdString() << "\n  state "
                      << int(probe.state()) << ", error " << probe.errorString().toStdString()
                      << ", exit code " << probe.exitCode()
                      << "\n  stderr: " << probe.readAllStandardError().toStdString();
    }
    return said;
}

// A file held open as the copy that made a lock holds it: the system then
// refuses its removal (Windows as long as it is open; elsewhere while it is
// locked).
class HeldFile {
public:
    explicit HeldFile(const QString& path)
    {
#ifdef Q_OS_WIN
        m_file = std::make_unique<QFile>(path);
        EXPECT_TRUE(m_file->open(QIODevice::ReadOnly));
#else
        m_fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC);
        EXPECT_EQ(::flock(m_fd, LOCK_EX | LOCK_NB), 0);
#endif
    }
    ~HeldFile()
    {
#ifndef Q_OS_WIN
        if (m_fd >= 0)
            ::close(m_fd);
#endif
    }
    HeldFile(const HeldFile&) = delete;
    HeldFile& operator=(const HeldFile&) = delete;

private:
#ifdef Q_OS_WIN
    std::unique_ptr<QFile> m_file;
#else
    int m_fd = -1;
#endif
};

// A special file where the lock should be; Windows has none in its folders.
void makePipe(const QString& path)
{
#ifdef Q_OS_WIN
    Q_UNUSED(path);
    GTEST_SKIP() << "Windows has no named pipes in the file system";
#else
    ASSERT_EQ(::mkfifo(QFile::encodeName(path).constData(), 0600), 0);
#endif
}

// The folder, a program folder with a lock of some kind in it, and a live
// process that has nothing to do with the program.
struct Scene {
    TempFolder dir;
    QProcess stranger;
    std::unique_ptr<HeldFile> held;

    QString lock() const { return dir.file(SingleInstance::lockFileName()); }

    // A lock naming the stranger, as the lock file class writes it.
    QByteArray lockOf(const QString& host, const QByteArray& hostId = QSysInfo::machineUniqueId())
    {
        return QByteArray::number(stranger.processId()) + "\nsleep\n" + host.toUtf8() + '\n' +
               hostId + '\n' + QSysInfo::bootUniqueId() + '\n';
    }
    // A lock written some time ago: not one being written right now.
    void writeOld(const QByteArray& bytes)
    {
        dir.write(SingleInstance::lockFileName(), bytes);
        QFile file(lock());
        ASSERT_TRUE(file.open(QIODevice::ReadWrite));
        file.setFileTime(QDateTime::currentDateTime().addSecs(-3600),
                         QFileDevice::FileModificationTime);
    }
    // Holds the lock file open and locked, as the copy that made it does.
    void holdOpen() { held = std::make_unique<HeldFile>(lock()); }
};

struct HostileLock {
    const char* name;
    void (*lay)(Scene&);
    std::deque<Answer> answers;
    bool goesOn;
    const char* says; // a piece of the last message, or none shown
};
void PrintTo(const HostileLock& c, std::ostream* os) { *os << c.name; }

const QString kOtherHost = u"KONTORET-7"_s;
const QByteArray kOtherId = "fedcba9876543210fedcba9876543210";

const HostileLock kHostileLocks[] = {
    {"Empty", [](Scene& s) { s.writeOld({}); }, {}, true, nullptr},
    {"Garbage",
     [](Scene& s) { s.writeOld("nonsense\n\x01\x02\nno lock at all\n"); },
     {},
     true,
     nullptr},
    {"Oversized", [](Scene& s) { s.writeOld(QByteArray(1 << 20, '7')); }, {}, true, nullptr},
    {"JustMadeByAStartingCopy",
     [](Scene& s) {
         s.dir.write(SingleInstance::lockFileName(), {});
         s.holdOpen();
     },
     {},
     false,
     "kunde inte tas över"},
    {"NamingALiveStranger",
     [](Scene& s) {
         s.dir.write(SingleInstance::lockFileName(), s.lockOf(QSysInfo::machineHostName()));
     },
     {},
     true,
     nullptr},
    {"HeldByAStranger",
     [](Scene& s) {
         s.dir.write(SingleInstance::lockFileName(), s.lockOf(QSysInfo::machineHostName()));
         s.holdOpen();
     },
     {},
     false,
     "kunde inte tas över"},
    {"OtherComputerNotTakenOver",
     [](Scene& s) { s.dir.write(SingleInstance::lockFileName(), s.lockOf(kOtherHost, kOtherId)); },
     {Answer::No},
     false,
     "Dator: KONTORET-7"},
    {"OtherComputerTakenOver",
     [](Scene& s) { s.dir.write(SingleInstance::lockFileName(), s.lockOf(kOtherHost, kOtherId)); },
     {Answer::Yes},
     true,
     "Dator: KONTORET-7"},
    {"OtherComputerStillHoldingIt",
     [](Scene& s) {
         s.dir.write(SingleInstance::lockFileName(), s.lockOf(kOtherHost, kOtherId));
         s.holdOpen();
     },
     {Answer::Yes},
     false,
     "kunde inte tas över"},
    // This computer, renamed since it made the lock.
    {"ThisComputerUnderItsFormerName",
     [](Scene& s) {
         if (QSysInfo::machineUniqueId().isEmpty())
             GTEST_SKIP() << "this computer has no machine id";
         s.dir.write(SingleInstance::lockFileName(), s.lockOf(kOtherHost));
     },
     {},
     true,
     nullptr},
    {"OtherComputerOfTheSameName",
     [](Scene& s) {
         if (QSysInfo::machineUniqueId().isEmpty())
             GTEST_SKIP() << "this computer has no machine id";
         s.dir.write(SingleInstance::lockFileName(),
                     s.lockOf(QSysInfo::machineHostName(), "0123456789abcdef0123456789abcdef"));
     },
     {Answer::No},
     false,
     "på en annan dator"},
    {"LinkToAPipe",
     [](Scene& s) {
         makePipe(s.dir.file(u"pipe"_s));
         tuvano::test::makeSymbolicLink(u"pipe"_s, s.lock());
     },
     {},
     false,
     "en länk"},
    {"DanglingLink",
     [](Scene& s) { tuvano::test::makeSymbolicLink(u"nowhere"_s, s.lock()); },
     {},
     false,
     "en länk"},
    {"Folder",
     [](Scene& s) { s.dir.write(u"tuvano.lock/keep.txt"_s, "kept"); },
     {},
     false,
     "en mapp"},
    {"Pipe", [](Scene& s) { makePipe(s.lock()); }, {}, false, "en specialfil"},
};

class HostileLockTest : public ::testing::TestWithParam<HostileLock> {
protected:
    void SetUp() override
    {
        // Any program that waits; it is never this one.
#ifdef Q_OS_WIN
        // Without a console of its own: under Wine the console host of a
        // killed program can stay, holding the output the test's runner
        // waits on.
        scene.stranger.setCreateProcessArgumentsModifier(
            [](QProcess::CreateProcessArguments* args) { args->flags |= DETACHED_PROCESS; });
        scene.stranger.start(u"cmd.exe"_s, {u"/k"_s});
#else
        scene.stranger.start(u"sleep"_s, {u"30"_s});
#endif
        ASSERT_TRUE(scene.stranger.waitForStarted());
    }
    void TearDown() override
    {
        scene.held.reset();
        scene.stranger.kill();
        scene.stranger.waitForFinished();
    }
    Scene scene;
};

// Whatever the lock, no process but this program is ever signalled, nothing
// but the lock is written, and the message says what was found.
TEST_P(HostileLockTest, IsTakenOverOnlyWhenItsOwnerIsGoneAndNeverHurtsAStranger)
{
    const HostileLock& c = GetParam();
    c.lay(scene);
    if (IsSkipped() || HasFatalFailure())
        return;
    const auto entriesBefore = scene.dir.entries();
    const auto before = scene.dir.snapshot();
    FakePlatform platform(scene.dir.path());
    platform.answers = c.answers;
    bool goesOn = false;
    bool cutShort = false;
    {
        SingleInstance lock(scene.dir.path());
        goesOn = claimProgramFolder(lock, platform, kStarting);
        cutShort = lock.previousRunWasCutShort();
        if (goesOn) {
            EXPECT_TRUE(scene.dir.read(SingleInstance::lockFileName())
                            .startsWith(QByteArray(ourPid() + '\n')));
        }
    }

    EXPECT_EQ(goesOn, c.goesOn);
    EXPECT_EQ(cutShort, c.goesOn); // a lock taken over was left by a copy cut short
    EXPECT_TRUE(platform.answers.empty());
    if (c.says) {
        ASSERT_FALSE(platform.boxes.empty());
        EXPECT_TRUE(platform.boxes.back().text.contains(QString::fromUtf8(c.says)))
            << platform.boxes.back().text.toStdString();
        EXPECT_EQ(platform.boxes.back().title, u"Lexaro Tuvano!"_s);
        if (!c.answers.empty()) {
            EXPECT_EQ(platform.boxes.front().buttons, Buttons::YesNoDefaultNo);
        }
    } else {
        EXPECT_TRUE(platform.boxes.empty()) << platform.boxes.front().text.toStdString();
    }
    // A taken-over lock is gone when the copy ends; any other is as it was.
    auto after = scene.dir.snapshot();
    auto expected = before;
    if (c.goesOn)
        expected.remove(SingleInstance::lockFileName());
    EXPECT_EQ(after, expected);
    QStringList entries = entriesBefore;
    if (c.goesOn)
        entries.removeAll(SingleInstance::lockFileName());
    EXPECT_EQ(scene.dir.entries(), entries);
    EXPECT_FALSE(scene.stranger.waitForFinished(50)) << "the stranger was hurt";
}

INSTANTIATE_TEST_SUITE_P(Locks, HostileLockTest, ::testing::ValuesIn(kHostileLocks),
                         [](const auto& info) { return std::string(info.param.name); });

// A folder the lock cannot be made in: the real cause, naming the folder.
struct FolderCase {
    const char* name;
    QString (*folder)(const TempFolder&);
    SingleInstance::FactsSource facts;
    const char* says;
};
void PrintTo(const FolderCase& c, std::ostream* os) { *os << c.name; }

// A path below a plain file: no lock can be made there, whoever runs.
QString underAFile(const TempFolder& dir)
{
    dir.write(u"plain"_s, "x");
    return dir.file(u"plain/program"_s);
}

// A lock left in a folder, held so that it cannot be removed; held for the
// rest of the run.
QString withAStuckLock(const TempFolder& dir)
{
    dir.write(SingleInstance::lockFileName(), "left behind");
    static std::vector<std::unique_ptr<HeldFile>> held;
    held.push_back(std::make_unique<HeldFile>(dir.file(SingleInstance::lockFileName())));
    return dir.path();
}

FolderFacts factsOf(bool readOnly, qint64 free)
{
    return {true, !readOnly, readOnly, qint64(1) << 30, free};
}

const FolderCase kFolders[] = {
    {"Missing", underAFile, tuvano::platform::folderFacts, "programmappen inte finns"},
    {"RefusingFiles", [](const TempFolder&) { return u"/sys"_s; }, tuvano::platform::folderFacts,
     "det inte går att skriva i programmappen"},
    {"ReadOnlyDrive", underAFile, [](const QString&) { return factsOf(true, 1 << 20); },
     "en enhet som bara kan läsas"},
    {"FullDisk", underAFile, [](const QString&) { return factsOf(false, 4096); }, "är full"},
    // The lock cannot go because nothing in the folder can: that is the cause.
    {"ReadOnlyDriveWithALockLeft", withAStuckLock,
     [](const QString&) { return factsOf(true, 1 << 20); }, "en enhet som bara kan läsas"},
    {"CauseUntold", underAFile, [](const QString&) { return factsOf(false, qint64(1) << 30); },
     "inte angett någon orsak"},
};

class FolderFailureTest : public ::testing::TestWithParam<FolderCase> {};

TEST_P(FolderFailureTest, TellsTheRealCauseAndNamesTheFolder)
{
    const FolderCase& c = GetParam();
    TempFolder dir;
    const QString folder = c.folder(dir);
    const auto before = dir.snapshot();
    FakePlatform platform(folder);
    SingleInstance lock(folder, c.facts);
    EXPECT_FALSE(claimProgramFolder(lock, platform, kStarting));
    ASSERT_EQ(platform.boxes.size(), 1u);
    const QString text = platform.boxes.front().text;
    EXPECT_TRUE(text.contains(QString::fromUtf8(c.says))) << text.toStdString();
    EXPECT_TRUE(text.contains(QDir::toNativeSeparators(folder))) << text.toStdString();
    EXPECT_FALSE(text.contains(u"körs redan"_s));
    EXPECT_EQ(platform.boxes.front().icon, Icon::Critical);
    EXPECT_EQ(dir.snapshot(), before);
}

INSTANTIATE_TEST_SUITE_P(Folders, FolderFailureTest, ::testing::ValuesIn(kFolders),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(FolderFailure, AFolderWithoutWritePermission)
{
#ifdef Q_OS_WIN
    GTEST_SKIP() << "Windows folders have no permission bits to take away";
#else
    if (::geteuid() == 0)
        GTEST_SKIP() << "permission bits do not stop the superuser";
#endif
    TempFolder dir;
    dir.write(u"program/keep.txt"_s, "kept");
    const QString folder = dir.file(u"program"_s);
    ASSERT_TRUE(QFile::setPermissions(folder, QFile::ReadOwner | QFile::ExeOwner));
    FakePlatform platform(folder);
    {
        SingleInstance lock(folder);
        EXPECT_FALSE(claimProgramFolder(lock, platform, kStarting));
    }
    QFile::setPermissions(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    ASSERT_EQ(platform.boxes.size(), 1u);
    EXPECT_TRUE(platform.boxes.front().text.contains(u"behörighet"_s));
    EXPECT_TRUE(platform.boxes.front().text.contains(folder));
}

// A second copy while the first runs, as two processes: what the second says
// is what the first answered.
struct SecondCopy {
    const char* name;
    const char* firstAnswers; // the reply the running copy gives, or "stuck"
    bool hostRuns;
    int waitMs;
    const char* says;
    bool firstWasAsked;
};
void PrintTo(const SecondCopy& c, std::ostream* os) { *os << c.name; }

const SecondCopy kSecondCopies[] = {
    {"WindowShown", "shown", false, 10000, "Det fönster som redan är öppet har tagits fram.", true},
    {"FirstStillStarting", "starting", false, 10000, "håller redan på att starta", true},
    {"FirstWithoutWindow", "nowindow", false, 10000, "inget fönster att ta fram", true},
    {"FirstNotAnswering", "stuck", false, 300, "gick inte att bekräfta", false},
    {"HostRunningMonitorShown", "shown", true, 10000, "har tagits fram", true},
    // The running copy asks whether the host has ended: no word from here.
    {"HostRunningMonitorHidden", "asks", true, 10000, "", true},
    {"HostRunningNotAnswering", "stuck", true, 300, "En Lexaro-session pågår", false},
};

class SecondCopyTest : public ::testing::TestWithParam<SecondCopy> {
protected:
    void TearDown() override
    {
        first.kill();
        first.waitForFinished();
    }
    QProcess first;
};

TEST_P(SecondCopyTest, SaysOnlyWhatTheRunningCopyConfirmed)
{
    const SecondCopy& c = GetParam();
    TempFolder dir;
    first.start(QString::fromUtf8(kCopyProbe),
                {u"hold"_s, dir.path(), QString::fromUtf8(c.firstAnswers)});
    QByteArray firstSaid = waitUntilHeld(first);
    ASSERT_TRUE(firstSaid.contains("held\n"));
    const auto before = dir.snapshot();

    QProcess second;
    QStringList args{u"start"_s, dir.path(), QString::number(c.waitMs)};
    if (c.hostRuns)
        args << u"host-runs"_s;
    second.start(QString::fromUtf8(kCopyProbe), args);
    ASSERT_TRUE(second.waitForFinished(20000));
    const QString said = QString::fromUtf8(second.readAllStandardOutput());

#ifdef Q_OS_WIN
    // Windows lets the later copy bring the running one's window forward
    // itself: the running copy is never asked, and this one has no window.
    const char* says = c.hostRuns ? "En Lexaro-session pågår" : "inget fönster att ta fram";
    const bool asked = false;
#else
    const char* says = c.says;
    const bool asked = c.firstWasAsked;
#endif
    EXPECT_EQ(second.exitCode(), 1);
    EXPECT_TRUE(said.contains(QString::fromUtf8(says))) << said.toStdString();
    EXPECT_EQ(said.count(u"\n--\n"_s), *says ? 1 : 0) << said.toStdString();
    while (!firstSaid.contains("asked\n") && first.waitForReadyRead(asked ? 10000 : 100))
        firstSaid += first.readAllStandardOutput();
    EXPECT_EQ(firstSaid.contains("asked\n"), asked);
    EXPECT_EQ(first.state(), QProcess::Running);
    EXPECT_EQ(dir.snapshot(), before);
}

INSTANTIATE_TEST_SUITE_P(Copies, SecondCopyTest, ::testing::ValuesIn(kSecondCopies),
                         [](const auto& info) { return std::string(info.param.name); });

// A lock left behind names a process that is now this program's very file
// run from another folder (a hard link): another copy, which is neither asked
// nor raised, so the lock is stale.
TEST(SingleInstance, TheSameProgramFromAnotherFolderIsAnotherCopy)
{
    const QString elsewhere = QFileInfo(QString::fromUtf8(kCopyProbe)).absolutePath() +
                              u"/linked-"_s + QString::number(QCoreApplication::applicationPid());
    // Process ids come round again (soon under Wine): a folder left by a run
    // that failed half-way is removed, and this one is whatever happens. It
    // goes after the copy run from it, which Windows would not let go of.
    QDir(elsewhere).removeRecursively();
    const auto removeElsewhere = qScopeGuard([&] { QDir(elsewhere).removeRecursively(); });
    ASSERT_TRUE(QDir().mkpath(elsewhere));
    const QString linked = elsewhere + u"/"_s + QFileInfo(QString::fromUtf8(kCopyProbe)).fileName();
    std::filesystem::create_hard_link(QString::fromUtf8(kCopyProbe).toStdString(),
                                      linked.toStdString());
    QProcess other;
    other.start(linked, {u"hold"_s, elsewhere, u"shown"_s});
    QByteArray otherSaid = waitUntilHeld(other);
    ASSERT_TRUE(otherSaid.contains("held\n"));

    Scene scene; // its stranger stays unstarted: the lock names the other copy
    scene.writeOld(QByteArray::number(other.processId()) + "\ncopy_probe\n" +
                   QSysInfo::machineHostName().toUtf8() + '\n' + QSysInfo::machineUniqueId() +
                   '\n' + QSysInfo::bootUniqueId() + '\n');
    QProcess second;
    second.start(QString::fromUtf8(kCopyProbe), {u"start"_s, scene.dir.path(), u"2000"_s});
    ASSERT_TRUE(second.waitForFinished(20000));
    EXPECT_EQ(second.exitCode(), 0) << second.readAllStandardOutput().toStdString();
    otherSaid += other.readAllStandardOutput();
    EXPECT_FALSE(otherSaid.contains("asked")) << "the other copy was asked";
    other.kill();
    other.waitForFinished();
}

// The program folder reached through a second drive letter (subst, a mapped
// drive) is the same folder, and the program run from it the same copy: the
// later copy is told that the program runs there.
TEST(SingleInstance, TheSameFolderThroughAnotherDriveLetterIsTheSameCopy)
{
#ifndef Q_OS_WIN
    GTEST_SKIP() << "only Windows reaches a folder through drive letters";
#else
    // The test run maps Y: to this folder of the build (cmake/wine-emulator.sh).
    const QString drive =
        QFileInfo(QString::fromUtf8(kCopyProbe)).absolutePath() + u"/../drive-y"_s;
    if (!QFileInfo(u"Y:/"_s).isDir() || !QFileInfo(drive).isDir())
        GTEST_SKIP() << "no drive Y: for " << drive.toStdString();
    const QString name = u"copy-"_s + QString::number(QCoreApplication::applicationPid());
    QDir(drive + u'/' + name).removeRecursively();
    const auto removeIt = qScopeGuard([&] { QDir(drive + u'/' + name).removeRecursively(); });
    ASSERT_TRUE(QDir().mkpath(drive + u'/' + name + u"/Lexaro"_s));
    const QString program = u"/copy_probe.exe"_s;
    ASSERT_TRUE(QFile::copy(QString::fromUtf8(kCopyProbe), drive + u'/' + name + program));
    QProcess first;
    first.start(drive + u'/' + name + program,
                {u"hold"_s, drive + u'/' + name + u"/Lexaro"_s, u"shown"_s});
    ASSERT_TRUE(waitUntilHeld(first).contains("held\n"));
    QProcess second;
    second.start(u"Y:/"_s + name + program,
                 {u"start"_s, u"Y:/"_s + name + u"/Lexaro"_s, u"2000"_s});
    ASSERT_TRUE(second.waitForFinished(20000));
    const QString said = QString::fromUtf8(second.readAllStandardOutput());
    EXPECT_EQ(second.exitCode(), 1);
    EXPECT_TRUE(said.contains(u"körs redan"_s)) << said.toStdString();
    first.kill();
    first.waitForFinished();
#endif
}

TEST(SingleInstance, CopiesInOtherFoldersDoNotMeet)
{
    TempFolder one;
    TempFolder two;
    SingleInstance first(one.path());
    ASSERT_EQ(first.acquire(kStarting), Status::Acquired);
    SingleInstance other(two.path());
    EXPECT_EQ(other.acquire(kStarting), Status::Acquired);
}

TEST(SingleInstance, TheLockOfAKilledCopyIsTakenOverAndSaysSo)
{
    TempFolder dir;
    QProcess copy;
    copy.start(QString::fromUtf8(kCopyProbe), {u"hold"_s, dir.path(), u"shown"_s});
    QByteArray said = waitUntilHeld(copy);
    ASSERT_TRUE(said.contains("held\n"));
    copy.kill(); // gone without unlocking
    copy.waitForFinished();
    ASSERT_TRUE(dir.exists(SingleInstance::lockFileName()));

    SingleInstance next(dir.path());
    EXPECT_EQ(next.acquire(kStarting), Status::Acquired);
    EXPECT_TRUE(next.previousRunWasCutShort());
}

TEST(SingleInstance, ACopyThatEndedNormallyLeavesNothingToTakeOver)
{
    TempFolder dir;
    {
        SingleInstance first(dir.path());
        ASSERT_EQ(first.acquire(kStarting), Status::Acquired);
        first.release();
    }
    SingleInstance next(dir.path());
    EXPECT_EQ(next.acquire(kStarting), Status::Acquired);
    EXPECT_FALSE(next.previousRunWasCutShort());
}

} // namespace
