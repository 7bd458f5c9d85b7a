#include "store/FileOps.h"

#include "store/HostContract.h"
#include "store/ProgramFolder.h"
#include "support/FaultyFileOps.h"
#include "support/TempFolder.h"

#include <QRandomGenerator>

#include <gtest/gtest.h>

using namespace tuvano::store;
using namespace Qt::StringLiterals;
using tuvano::test::TempFolder;

namespace {

QByteArray randomBytes(qsizetype size)
{
    QByteArray bytes(size, Qt::Uninitialized);
    QRandomGenerator gen(size);
    for (char& c : bytes)
        c = char(gen.bounded(256));
    return bytes;
}

class ReplaceByCopy : public ::testing::TestWithParam<qsizetype> {
protected:
    TempFolder dir;
};

TEST_P(ReplaceByCopy, MakesTheTargetAByteForByteCopy)
{
    const QByteArray content = randomBytes(GetParam());
    dir.write(u"src.vwi"_s, content);
    dir.write(u"dst/ro.vwi"_s, "old content");
    ASSERT_TRUE(
        replaceByCopy(FileOps::real(), dir.file(u"src.vwi"_s), dir.file(u"dst/ro.vwi"_s)).ok());
    EXPECT_TRUE(dir.read(u"dst/ro.vwi"_s) == content);
    EXPECT_EQ(dir.entries(), (QStringList{u"dst"_s, u"dst/ro.vwi"_s, u"src.vwi"_s}));
}

// Empty, small, and larger than one copy block with an odd tail.
INSTANTIATE_TEST_SUITE_P(FileOps, ReplaceByCopy, ::testing::Values(0, 17, (3 << 20) + 5));

TEST(FileOps, ReplaceByCopyFromAMissingSourceNamesItAndKeepsTheTarget)
{
    TempFolder dir;
    dir.write(u"ro.vwi"_s, "keep me");
    const Status status =
        replaceByCopy(FileOps::real(), dir.file(u"gone.vwi"_s), dir.file(u"ro.vwi"_s));
    ASSERT_FALSE(status.ok());
    EXPECT_EQ(status.error().kind, ErrorKind::Missing);
    EXPECT_EQ(status.error().path, dir.file(u"gone.vwi"_s));
    EXPECT_EQ(dir.read(u"ro.vwi"_s), "keep me");
    EXPECT_EQ(dir.entries(), QStringList{u"ro.vwi"_s});
}

TEST(FileOps, ReplaceByCopyOntoAFolderFailsAndLeavesItAlone)
{
    TempFolder dir;
    dir.write(u"src.vwi"_s, "data");
    dir.write(u"ro.vwi/inside"_s, "x");
    const Status status =
        replaceByCopy(FileOps::real(), dir.file(u"src.vwi"_s), dir.file(u"ro.vwi"_s));
    ASSERT_FALSE(status.ok());
    EXPECT_EQ(status.error().kind, ErrorKind::WriteFailed);
    EXPECT_EQ(status.error().path, dir.file(u"ro.vwi"_s));
    EXPECT_EQ(dir.entries(), (QStringList{u"ro.vwi"_s, u"ro.vwi/inside"_s, u"src.vwi"_s}));
}

TEST(FileOps, ATooLongPathIsATypedFailure)
{
    TempFolder dir;
    dir.write(u"src.vwi"_s, "data");
    const QString tooLong = dir.file(QString(300, u'x') + u".vwi"_s);
    const Status status = replaceByCopy(FileOps::real(), dir.file(u"src.vwi"_s), tooLong);
    ASSERT_FALSE(status.ok());
    EXPECT_EQ(status.error().kind, ErrorKind::WriteFailed);
    EXPECT_FALSE(status.error().detail.isEmpty());
}

TEST(FileOps, EachFailedStepOfAReplaceLeavesTheOldTargetAndNoTemporaryFile)
{
    TempFolder dir;
    dir.write(u"src.vwi"_s, "new");
    dir.write(u"ro.vwi"_s, "old");
    for (int failAt = 1; failAt <= 2; ++failAt) {
        tuvano::test::FaultyFileOps ops;
        ops.failAt = failAt;
        EXPECT_FALSE(replaceByCopy(ops, dir.file(u"src.vwi"_s), dir.file(u"ro.vwi"_s)).ok());
        EXPECT_EQ(dir.read(u"ro.vwi"_s), "old");
        EXPECT_EQ(dir.entries(), (QStringList{u"ro.vwi"_s, u"src.vwi"_s}));
    }
}

TEST(FileOps, TemporaryFileStandsBesideItsTarget)
{
    EXPECT_EQ(tempPathFor(u"/p/profiles.map"_s), u"/p/profiles.new"_s);
    EXPECT_EQ(tempPathFor(u"/p/tuvano.ini"_s), u"/p/tuvano.new"_s);
    EXPECT_EQ(tempPathFor(u"/p/profiles/1000000/plug-in.vwi"_s),
              u"/p/profiles/1000000/plug-in.new"_s);
}

TEST(ProgramFolder, LeftoversOfInterruptedWritesAreRemovedAndNothingElse)
{
    TempFolder dir;
    const QStringList kept{u"notes.new"_s,
                           u"profiles"_s,
                           u"profiles.map"_s,
                           u"profiles/1000000"_s,
                           u"profiles/1000000/ro.vwi"_s,
                           u"profiles/x"_s,
                           u"profiles/x/ro.new"_s,
                           u"ro.vwi"_s};
    for (const QString& name : {u"notes.new"_s, u"profiles.map"_s, u"profiles/1000000/ro.vwi"_s,
                                u"profiles/x/ro.new"_s, u"ro.vwi"_s, u"profiles.new"_s,
                                u"tuvano.new"_s, u"lx98.new"_s, u"profiles/1000000/plug-in.new"_s})
        dir.write(name, "x");
    ProgramFolder(dir.path()).removeLeftovers();
    EXPECT_EQ(dir.entries(), kept);
}

TEST(ProgramFolder, AfterANormalEndOnlyTheProgramFolderIsLookedThrough)
{
    TempFolder dir;
    dir.write(u"profiles.new"_s, "x");
    dir.write(u"profiles/1000000/ro.new"_s, "x");
    ProgramFolder(dir.path()).removeLeftovers(false);
    EXPECT_EQ(dir.entries(), (QStringList{u"profiles"_s, u"profiles/1000000"_s,
                                          u"profiles/1000000/ro.new"_s}));
}

TEST(HostContract, MarkerFollowsTheTemporaryFolder)
{
    const QByteArray saved = qgetenv("TMPDIR");
    TempFolder dir;
    qputenv("TMPDIR", dir.path().toLocal8Bit());
    EXPECT_EQ(HostRunMarker(), dir.path() + u"/lx98temp.tmp"_s);
    qputenv("TMPDIR", saved);
}

TEST(HostContract, EveryOrderWalksAllFiveFilesOnce)
{
    for (const FileOrder& order :
         {ProfileFileSet::listing, ProfileFileSet::firstRunCopy, ProfileFileSet::newProfileCopy,
          ProfileFileSet::start, ProfileFileSet::writeBack, ProfileFileSet::remove}) {
        QStringList names;
        for (DataFile f : order)
            names << fileName(f).toString();
        names.sort();
        EXPECT_EQ(names, (QStringList{u"glblstat.vwi"_s, u"lx98.vwi"_s, u"plug-in.vwi"_s,
                                      u"recent.vwi"_s, u"ro.vwi"_s}));
    }
}

} // namespace
