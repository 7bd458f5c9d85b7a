// The session work of scripts/bench, one step a run:
//
//   bench_folder prepare FOLDER [--profiles N] [--data-kib N] [--countdown N]
//       lays out a program folder (see BenchFolder.h)
//   bench_folder swap-in FOLDER
//   bench_folder write-back FOLDER
//       runs the program's own start file work or write-back once over a
//       prepared folder and prints "<microseconds> <peak KiB during it>"
//   bench_folder host-end FOLDER
//       a session with the program's own timers and watch; prints
//       "<microseconds>" from the host's end (its marker gone) until the
//       profile is saved and the start-up window is back
//
// The windows are loaded before the clock starts, so the time is that of
// the file work alone; its result is checked after the clock stops.
#include "BenchFolder.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QElapsedTimer>

#include <cstdio>

using namespace Qt::StringLiterals;
using namespace tuvano::bench;

namespace {

int intOption(const QCommandLineParser& parser, const QString& name)
{
    bool ok = false;
    const int value = parser.value(name).toInt(&ok);
    if (!ok || value < 0)
        fail(u"--"_s + name + u" wants a whole number"_s);
    return value;
}

void report(qint64 nanoseconds, qint64 peakKib)
{
    std::printf("%lld %lld\n", static_cast<long long>(nanoseconds / 1000),
                static_cast<long long>(peakKib));
}

} // namespace

int main(int argc, char* argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);

    QCommandLineParser parser;
    parser.addPositionalArgument(u"step"_s, u"prepare, swap-in, write-back or host-end"_s);
    parser.addPositionalArgument(u"folder"_s, u"the program folder"_s);
    parser.addOption({u"profiles"_s, u"Records in the list."_s, u"n"_s, u"1"_s});
    parser.addOption({u"data-kib"_s, u"Size of each data file."_s, u"kib"_s, u"4"_s});
    parser.addOption({u"countdown"_s, u"Countdown seconds, 0 for none."_s, u"s"_s, u"0"_s});
    parser.addHelpOption();
    parser.process(app);
    const QStringList args = parser.positionalArguments();
    if (args.size() != 2)
        parser.showHelp(1);
    const QString& step = args[0];
    const QString& folder = args[1];

    if (step == u"prepare") {
        FolderLayout layout;
        layout.profiles = qMax(1, intOption(parser, u"profiles"_s));
        layout.dataFileBytes = qint64(intOption(parser, u"data-kib"_s)) * 1024;
        layout.countdown = qint16(qMin(intOption(parser, u"countdown"_s), 32767));
        prepareProgramFolder(folder, layout);
        return 0;
    }

    SessionRig rig(folder);
    QElapsedTimer clock;
    if (step == u"swap-in") {
        resetPeakMemory();
        clock.start();
        rig.swapIn();
        const qint64 elapsed = clock.nsecsElapsed();
        const qint64 peak = peakMemoryKib();
        rig.checkSwappedIn();
        rig.forgetSession();
        report(elapsed, peak);
        return 0;
    }
    if (step == u"write-back") {
        rig.prepareWriteBack();
        resetPeakMemory();
        clock.start();
        rig.writeBack();
        const qint64 elapsed = clock.nsecsElapsed();
        const qint64 peak = peakMemoryKib();
        rig.checkWrittenBack();
        // The next step's files are laid out by cp: no record may call
        // them a host's run.
        rig.forgetSession();
        report(elapsed, peak);
        return 0;
    }
    if (step == u"host-end") {
        std::printf("%lld\n", static_cast<long long>(rig.hostRunsAndEnds() / 1000));
        rig.checkWrittenBack();
        rig.forgetSession();
        return 0;
    }
    parser.showHelp(1);
}
