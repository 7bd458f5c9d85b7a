// Timings of a session's file work through the program's own code: the
// start's delete-then-copy of the five live files and the write-back, each
// of five files of 64 MiB. Set them beside `cp` of the same files (and
// `sync` of them for the write-back, which flushes every file to disk);
// scripts/bench does so in one table.
//
// Every figure is wall-clock time (UseRealTime): the work waits on the disk.
#include "BenchFolder.h"

#include <QApplication>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <optional>

using namespace tuvano::bench;

namespace {

constexpr qint64 kDataFileSize = 64LL << 20;
constexpr qint64 kFiles = 5;

// A prepared program folder with the windows loaded over it.
class Session {
public:
    Session()
    {
        if (!m_dir.isValid())
            fail(QStringLiteral("no temporary folder"));
        FolderLayout layout;
        layout.dataFileBytes = kDataFileSize;
        prepareProgramFolder(m_dir.path(), layout);
        m_rig.emplace(m_dir.path());
    }

    SessionRig& rig() { return *m_rig; }

private:
    QTemporaryDir m_dir;
    std::optional<SessionRig> m_rig;
};

void BM_SwapIn(benchmark::State& state)
{
    Session session;
    for (auto _ : state)
        session.rig().swapIn();
    session.rig().checkSwappedIn();
    state.SetBytesProcessed(state.iterations() * kFiles * kDataFileSize);
}

void BM_WriteBack(benchmark::State& state)
{
    Session session;
    for (auto _ : state) {
        state.PauseTiming();
        session.rig().prepareWriteBack();
        state.ResumeTiming();
        session.rig().writeBack();
    }
    session.rig().checkWrittenBack();
    state.SetBytesProcessed(state.iterations() * kFiles * kDataFileSize);
}

} // namespace

BENCHMARK(BM_SwapIn)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(10);
BENCHMARK(BM_WriteBack)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(10);

// The write-back shows the start-up window again, so the windows need an
// application, on the offscreen platform unless another is asked for.
int main(int argc, char* argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
