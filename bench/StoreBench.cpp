// Timings of the store's file work at the sizes a large installation reaches:
// a list of 10,000 profiles and data files of 64 MiB.
//
// Every figure is wall-clock time (UseRealTime): the work waits on the disk,
// which CPU time would not show.
#include "store/FileOps.h"
#include "store/ProfileList.h"
#include "store/ProgramFolder.h"

#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <optional>

using namespace Qt::StringLiterals;
using namespace tuvano::store;

namespace {

constexpr int kProfileCount = 10'000;
constexpr qint64 kDataFileSize = 64LL << 20;

QString profileName(int i) { return u"Profil %1"_s.arg(i, 5, 10, QChar(u'0')); }
QString profileId(int i) { return QString::number(1'000'000 + i); }

QByteArray listBytes(int count)
{
    ProfileRecords records;
    records.reserve(std::size_t(count));
    records.push_back({kStandardProfileName.toString(), kStandardProfileId.toString()});
    for (int i = 1; i < count; ++i)
        records.push_back({profileName(i), profileId(i)});
    return formatProfileList(records).value();
}

// A figure taken from work that failed would mislead, so stop at once.
[[noreturn]] void fail(const char* what)
{
    std::fprintf(stderr, "bench_store: %s\n", what);
    std::abort();
}

void check(const Status& status, const char* what)
{
    if (!status)
        fail(what);
}

// A program folder holding a list of kProfileCount profiles.
class ListFolder {
public:
    ListFolder() : m_folder(m_dir.path()), m_list(m_folder), m_bytes(listBytes(kProfileCount)) {}

    const ProgramFolder& folder() const { return m_folder; }
    const ProfileList& list() const { return m_list; }

    // Puts the full list back, and for a profile about to be removed its
    // folder with the five files, as the program would have left them.
    void reset(std::optional<int> withFolderOf = std::nullopt)
    {
        check(FileOps::real().writeNew(m_list.path(), m_bytes), "cannot write the list");
        if (!withFolderOf)
            return;
        const QString folder = m_folder.profileFolder(profileId(*withFolderOf));
        (void)FileOps::real().makeFolder(m_folder.profilesFolder());
        (void)FileOps::real().makeFolder(folder);
        const QByteArray content(4096, 'x');
        for (DataFile file : ProfileFileSet::listing)
            check(FileOps::real().writeNew(dataFilePath(folder, file), content),
                  "cannot write a data file");
    }

private:
    QTemporaryDir m_dir;
    ProgramFolder m_folder;
    ProfileList m_list;
    QByteArray m_bytes;
};

void BM_ListRead(benchmark::State& state)
{
    ListFolder folder;
    folder.reset();
    for (auto _ : state) {
        auto records = folder.list().read();
        if (!records || records->size() != std::size_t(kProfileCount))
            fail("read failed");
        benchmark::DoNotOptimize(records);
    }
    state.SetItemsProcessed(state.iterations() * kProfileCount);
}

void BM_ListAppend(benchmark::State& state)
{
    ListFolder folder;
    const ProfileRecord added{u"Ny profil"_s, profileId(kProfileCount)};
    for (auto _ : state) {
        state.PauseTiming();
        folder.reset();
        state.ResumeTiming();
        check(folder.list().append(added), "append failed");
    }
}

// The argument is the position of the removed record in the list.
void BM_ListRemove(benchmark::State& state)
{
    ListFolder folder;
    const int index = int(state.range(0));
    const QString name = profileName(index);
    for (auto _ : state) {
        state.PauseTiming();
        folder.reset(index);
        state.ResumeTiming();
        auto removal = folder.list().remove(name);
        if (!removal || removal->outcome != Removal::Folder::Removed)
            fail("remove failed");
    }
}

void BM_ReplaceByCopy(benchmark::State& state)
{
    QTemporaryDir dir;
    const QString source = dir.filePath(u"source.vwi"_s);
    const QString target = dir.filePath(u"target.vwi"_s);
    // Not all zeros, so that no file system can take a shortcut on them.
    QByteArray bytes(kDataFileSize, Qt::Uninitialized);
    for (qint64 i = 0; i < bytes.size(); ++i)
        bytes[i] = char((i * 2654435761u) >> 24);
    check(FileOps::real().writeNew(source, bytes), "cannot write the source");
    check(FileOps::real().writeNew(target, bytes), "cannot write the target");
    bytes.clear();

    for (auto _ : state)
        check(replaceByCopy(FileOps::real(), source, target), "replace failed");
    state.SetBytesProcessed(state.iterations() * kDataFileSize);
}

} // namespace

BENCHMARK(BM_ListRead)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(1.0);
BENCHMARK(BM_ListAppend)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(1.0);
BENCHMARK(BM_ListRemove)
    ->ArgName("position")
    ->Arg(kProfileCount / 2)
    ->Arg(kProfileCount - 10)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->MinTime(1.0);
BENCHMARK(BM_ReplaceByCopy)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(20);

BENCHMARK_MAIN();
