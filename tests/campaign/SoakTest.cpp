// The program (soak_child) at work on one program folder, killed with
// SIGKILL at random moments over and over, and started again on what each
// kill left. After every kill the folder must satisfy the invariants of
// StoreInvariants.h, judged on a copy so that the next child finds exactly
// what the kill left.
//
// TUVANO_SOAK_KILLS sets the number of kills (100 by default, 10 in the
// Windows build, whose tests run under Wine), and
// TUVANO_SOAK_SEED the seed of the delays and of the children's choices
// (printed at the start; the moments of the kills still vary with timing).

#include "SoakContent.h"
#include "StoreInvariants.h"
#include "support/TempFolder.h"

#include <QDir>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QSet>
#include <QTemporaryDir>
#include <QThread>

#include <gtest/gtest.h>

#include <cstdio>
#include <map>
#include <string>

#ifdef Q_OS_UNIX
#include <csignal>
#include <unistd.h>
#endif

// Where the build put the child (tests/campaign/CMakeLists.txt).
extern const char kSoakChild[];

using namespace tuvano;
using namespace Qt::StringLiterals;

namespace {

// Under Wine a round (a child started, killed and its folder judged) takes
// seconds rather than a fraction of one, and a kill during the host's run up
// to the 20 s wait for the host's end: fewer rounds there, so that the run
// ends within its time.
#ifdef Q_OS_WIN
constexpr int kDefaultKills = 10;
#else
constexpr int kDefaultKills = 100;
#endif
constexpr int kMinDelayMs = 2;
constexpr int kMaxDelayMs = 400;
constexpr int kKeptFolders = 3;

// The step a child was in when it was killed: the last one begun and not
// finished, else the one between steps.
std::string phaseOf(const QByteArray& out)
{
    std::string phase = "before start-up";
    for (const QByteArray& line : out.split('\n')) {
        if (line.startsWith("op "))
            phase = line.mid(3).toStdString();
        else if (line.startsWith("done "))
            phase = "between steps";
    }
    return phase;
}

int countLines(const QByteArray& out, const QByteArray& exact)
{
    int n = 0;
    for (const QByteArray& line : out.split('\n'))
        n += line == exact;
    return n;
}

QString firstLine(const QByteArray& out, const char* prefix)
{
    for (const QByteArray& line : out.split('\n')) {
        if (line.startsWith(prefix))
            return QString::fromUtf8(line);
    }
    return {};
}

TEST(KillSoak, RandomKillsLeaveEveryListedProfileWhole)
{
    bool ok = false;
    int kills = qEnvironmentVariableIntValue("TUVANO_SOAK_KILLS", &ok);
    if (!ok || kills <= 0)
        kills = kDefaultKills;
    const QString seedText = qEnvironmentVariable("TUVANO_SOAK_SEED");
    const quint32 seed =
        seedText.isEmpty() ? QRandomGenerator::system()->generate() : seedText.toUInt();
    std::printf("soak: %d kills, seed %u (TUVANO_SOAK_SEED=%u repeats the delays and choices)\n",
                kills, seed, seed);
    std::fflush(stdout);
    QRandomGenerator random(seed);

    // A fresh host installation: the first child does the first run.
    test::TempFolder dir;
    for (store::DataFile f : store::ProfileFileSet::listing) {
        const QString name = store::fileName(f).toString();
        dir.write(name, test::soak::makeContent(u"0"_s, u"install"_s, name, random.generate()));
    }

    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(u"QT_QPA_PLATFORM"_s, u"offscreen"_s);

    QElapsedTimer clock;
    clock.start();
    int violating = 0;
    int selfEnded = 0;
    int kept = 0;
    std::map<std::string, int> phases;
    std::map<std::string, int> completed;
    std::map<std::string, int> ownEnds;
    // Where the time goes: children starting up, at work until killed,
    // ending with their hosts, and the folder judged.
    qint64 startingMs = 0, workingMs = 0, endingMs = 0, judgingMs = 0;
    for (int kill = 1; kill <= kills; ++kill) {
        QElapsedTimer phase;
        phase.start();
        QProcess child;
        child.setProcessEnvironment(env);
#ifdef Q_OS_UNIX
        // A process group of its own: the hosts it starts are in it, and
        // outlive it.
        child.setChildProcessModifier([] { ::setpgid(0, 0); });
#endif
        child.start(QString::fromUtf8(kSoakChild),
                    {dir.path(), QString::number(random.generate())});
        ASSERT_TRUE(child.waitForStarted(10000)) << child.errorString().toStdString();
        const qint64 group = child.processId();
        QByteArray out;
        QElapsedTimer upTime;
        upTime.start();
        while (!out.contains("up\n") && upTime.elapsed() < 30000 &&
               child.state() == QProcess::Running) {
            child.waitForReadyRead(200);
            out += child.readAllStandardOutput();
        }
        startingMs += phase.restart();
        const int delay = int(random.bounded(kMinDelayMs, kMaxDelayMs + 1));
        const bool endedByItself = child.waitForFinished(delay);
        workingMs += phase.restart();
        if (!endedByItself) {
            child.kill(); // SIGKILL
            child.waitForFinished(10000);
        }
        out += child.readAllStandardOutput();
        const QByteArray err = child.readAllStandardError();
        // A host the child started goes on after the kill, and ends. A kill
        // between the marker and the host's start leaves the marker with no
        // host: the next child finds it so, as after a host's crash.
        QElapsedTimer hostTime;
        hostTime.start();
        const auto hostMayRun = [&] {
#ifdef Q_OS_UNIX
            return ::kill(-pid_t(group), 0) == 0;
#else
            Q_UNUSED(group);
            return QFileInfo::exists(dir.file(u"lx98temp.tmp"_s));
#endif
        };
        while (hostMayRun() && hostTime.elapsed() < 20000)
            QThread::msleep(10);
        endingMs += phase.restart();
        ++phases[endedByItself ? "(ended by itself)" : phaseOf(out)];
        for (const char* step :
             {"startup", "start", "host", "write-back", "create", "remove", "settings"})
            completed[step] += countLines(out, QByteArray("done ") + step);

        // A child that ends by itself met an error with no fault injected:
        // it could not go on from what an earlier kill left.
        QString ownEnd;
        if (endedByItself) {
            ++selfEnded;
            QString fatal = firstLine(out, "fatal ");
            fatal.replace(dir.path(), u"<folder>"_s);
            const bool crashed = child.exitStatus() == QProcess::CrashExit;
            ownEnd =
                (crashed ? u"crashed"_s : u"exit code "_s + QString::number(child.exitCode())) +
                u": "_s + (fatal.isEmpty() ? QString::fromLocal8Bit(err.right(300)) : fatal);
            ++ownEnds[ownEnd.toStdString()];
        }
        // Judged on a copy: the next child starts on exactly what the kill left.
        QTemporaryDir scratch;
        ASSERT_TRUE(scratch.isValid());
        test::campaign::copyTree(dir.path(), scratch.path());
        test::campaign::Check check;
        check.folder = scratch.path();
        check.judge = [](const QString&, const QString& name, const QByteArray& bytes) {
            return test::soak::checkContent(name, bytes);
        };
        // Every session and every copy moves a profile's five files together.
        check.wholeSet = [](const QString&, const QMap<QString, QByteArray>& files) -> QString {
            QSet<QByteArray> sets;
            for (const QByteArray& bytes : files)
                sets.insert(test::soak::setOf(bytes));
            return sets.size() <= 1 ? QString() : u"files of different sets"_s;
        };
        // The settings file is written last of the first run: once it is
        // there, the store must be whole without any help.
        check.wholeBeforeNextStart = QFileInfo::exists(dir.file(u"tuvano.ini"_s));
        check.quietNextStart = false;
        const QStringList found = test::campaign::violations(check);
        judgingMs += phase.restart();
        violating += !found.isEmpty();
        if (found.isEmpty() && (ownEnd.isEmpty() || ownEnds[ownEnd.toStdString()] > 1))
            continue;

        QString keptAt;
        if (kept < kKeptFolders) {
            keptAt = QDir::currentPath() + u"/soak-left-"_s + QString::number(seed) + u'-' +
                     QString::number(kill);
            QDir(keptAt).removeRecursively();
            QDir().mkpath(keptAt);
            test::campaign::copyTree(dir.path(), keptAt);
            ++kept;
        }
        ADD_FAILURE() << "kill " << kill << " (after " << delay << " ms, in " << phaseOf(out)
                      << "):\n  "
                      << (ownEnd.isEmpty()
                              ? std::string()
                              : "the program ended by itself: " + ownEnd.toStdString() + "\n  ")
                      << found.join(u"\n  "_s).toStdString() << "\n  left on disk: "
                      << test::campaign::listTree(dir.path()).join(u", "_s).toStdString()
                      << (keptAt.isEmpty() ? std::string() : "\n  kept at " + keptAt.toStdString());
    }

    std::printf("soak: %d kills in %.1f s, %d with violations of the invariants, %d children "
                "ended by themselves\n",
                kills, double(clock.elapsed()) / 1000.0, violating, selfEnded);
    std::printf("soak: %.1f s children starting up, %.1f s at work until killed, %.1f s ending "
                "with their hosts, %.1f s judging the folder\n",
                double(startingMs) / 1000.0, double(workingMs) / 1000.0, double(endingMs) / 1000.0,
                double(judgingMs) / 1000.0);
    for (const auto& [text, n] : ownEnds)
        std::printf("soak: ended by itself %d times: %s\n", n, text.c_str());
    std::printf("soak: where the kills landed:");
    for (const auto& [phase, n] : phases)
        std::printf(" %s %d,", phase.c_str(), n);
    std::printf("\nsoak: steps the children finished:");
    for (const auto& [step, n] : completed)
        std::printf(" %s %d,", step.c_str(), n);
    std::printf("\nsoak: seed %u\n", seed);
    std::fflush(stdout);
    EXPECT_EQ(violating, 0) << "kills that left a folder breaking the invariants";
    EXPECT_EQ(selfEnded, 0) << "children that could not go on from what a kill left";
#ifdef Q_OS_WIN
    // Under Wine a host started at the very moment its parent was killed can
    // stay half started for good, holding the output the test's runner
    // waits on; none outlives the soak.
    QProcess::execute(u"taskkill"_s, {u"/F"_s, u"/IM"_s, u"soak_host.exe"_s});
#endif
}

} // namespace
