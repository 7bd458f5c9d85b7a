#include "store/FileOps.h"

#include "store/ErrorText.h"
#include "store/HostContract.h"
#include "store/ProgramFolder.h"
#include "support/FaultyFileOps.h"
#include "support/FileHolder.h"
#include "support/TempFolder.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>

#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <optional>

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
#ifdef Q_OS_WIN
    // Windows tells of a path beyond its length as of one that is not there.
    const auto cause = status.error().cause;
    EXPECT_TRUE(cause == tuvano::store::Cause::NameTooLong ||
                cause == tuvano::store::Cause::NotFound);
#else
    EXPECT_EQ(status.error().cause, tuvano::store::Cause::NameTooLong);
#endif
}

TEST(FileOps, EachFailedStepOfAReplaceLeavesTheOldTargetAndNoTemporaryFile)
{
    TempFolder dir;
    dir.write(u"src.vwi"_s, "new");
    dir.write(u"ro.vwi"_s, "old");
    for (int failAt = 1; failAt <= 3; ++failAt) {
        tuvano::test::FaultyFileOps ops;
        ops.failAt = failAt;
        const Status status = replaceByCopy(ops, dir.file(u"src.vwi"_s), dir.file(u"ro.vwi"_s));
        ASSERT_FALSE(status.ok());
        EXPECT_TRUE(status.error().previousKept);
        EXPECT_EQ(dir.read(u"ro.vwi"_s), "old");
        EXPECT_EQ(dir.entries(), (QStringList{u"ro.vwi"_s, u"src.vwi"_s}));
        // A file that never was is not said to be kept as it was.
        tuvano::test::FaultyFileOps fresh;
        fresh.failAt = failAt;
        const Status made = replaceByCopy(fresh, dir.file(u"src.vwi"_s), dir.file(u"new.vwi"_s));
        ASSERT_FALSE(made.ok());
        EXPECT_FALSE(tuvano::store::errorText(made.error()).contains(u"tidigare versionen"_s));
        EXPECT_TRUE(tuvano::store::errorText(made.error()).contains(u"Orsak: disken är full."_s));
        // What truly forbids is final at once: only a hold is waited out.
        tuvano::test::FaultyFileOps denied;
        denied.failAt = failAt;
        denied.fault = tuvano::test::FaultyFileOps::Fault::AccessDenied;
        EXPECT_FALSE(replaceByCopy(denied, dir.file(u"src.vwi"_s), dir.file(u"ro.vwi"_s)).ok());
        EXPECT_EQ(ops.pauses + fresh.pauses + denied.pauses, 0);
    }
}

// --- Files another program holds ------------------------------------------

// Holds a file as another program would, for a while. On Windows a real
// second process does, sharing the file as named; elsewhere no program holds
// a file so, and the file operations play the holder, on a clock of their
// own that only the pauses move.
class Holding {
public:
    FileOps& hold(const char* sharing, const QString& path, int ms)
    {
#ifdef Q_OS_WIN
        EXPECT_TRUE(m_holder.hold(sharing, path, ms));
        return FileOps::real();
#else
        Q_UNUSED(sharing);
        m_ops.held = QFileInfo(path).canonicalFilePath();
        m_ops.heldFor = std::chrono::milliseconds(ms);
        return m_ops;
#endif
    }
    void release()
    {
#ifdef Q_OS_WIN
        m_holder.release();
#else
        // Never longer than the patience.
        EXPECT_LE(m_ops.waited, FileOps::kHoldPatience);
#endif
    }

private:
    tuvano::test::FaultyFileOps m_ops;
    tuvano::test::FileHolder m_holder;
};

struct HoldCase {
    const char* label;
    const char* sharing; // how the other program shares the file
    int holdMs;          // how long it holds it
    bool replaced;       // whether the replacement gets through
};

class HeldTarget : public ::testing::TestWithParam<HoldCase> {};

// A brief hold is waited out without a word; a longer one fails after about
// two seconds as "in use", and leaves the file as it was.
TEST_P(HeldTarget, IsWaitedForAWhileAndThenLeftAsItWas)
{
    const HoldCase& c = GetParam();
    TempFolder dir;
    dir.write(u"ro.vwi"_s, "old");
    Holding holding;
    FileOps& ops = holding.hold(c.sharing, dir.file(u"ro.vwi"_s), c.holdMs);
    const Status status = replaceWithBytes(ops, dir.file(u"ro.vwi"_s), {}, "new");
    holding.release();
    ASSERT_EQ(status.ok(), c.replaced)
        << errorText(status.ok() ? StoreError{} : status.error()).toStdString();
    if (!c.replaced) {
        EXPECT_EQ(status.error().cause, Cause::InUse);
        const QString text = errorText(status.error());
        EXPECT_TRUE(text.contains(dir.shown(u"ro.vwi"_s)) &&
                    text.contains(u"Orsak: filen används av ett annat program"_s) &&
                    text.contains(u"försök sedan igen"_s))
            << text.toStdString();
    }
    EXPECT_EQ(dir.read(u"ro.vwi"_s), c.replaced ? "new" : "old");
    EXPECT_EQ(dir.entries(), QStringList{u"ro.vwi"_s});
}

INSTANTIATE_TEST_SUITE_P(
    FileOps, HeldTarget,
    ::testing::Values(HoldCase{"byAReaderForAMoment", "read", 400, true},
                      HoldCase{"byAnExclusiveReaderForAMoment", "none", 400, true},
                      HoldCase{"byAScannerSharingAllForAMoment", "all", 400, true},
                      HoldCase{"byAReaderDeletingItForAMoment", "deleting", 400, true},
                      HoldCase{"byAReaderForLong", "read", 4000, false}),
    [](const auto& info) { return std::string(info.param.label); });

// A set replaced as one, one of whose files another program holds for long:
// none is replaced, the new files stay for another try, which then works.
TEST(FileOps, ASetWithAHeldFileIsReplacedWholeOrNotAtAll)
{
    TempFolder dir;
    std::vector<Replacement> set;
    for (const QString& name : {u"a.vwi"_s, u"b.vwi"_s, u"c.vwi"_s}) {
        dir.write(name, "old");
        dir.write(u"new-"_s + name, "new");
        set.push_back({dir.file(u"new-"_s + name), dir.file(name)});
    }
    const auto before = dir.snapshot();
    Holding holding;
    const Status status = replaceAll(holding.hold("read", dir.file(u"c.vwi"_s), 4000), set);
    holding.release();
    ASSERT_FALSE(status.ok());
    EXPECT_EQ(status.error().cause, Cause::InUse);
    EXPECT_EQ(status.error().path, QFileInfo(dir.file(u"c.vwi"_s)).filePath());
    EXPECT_TRUE(status.error().previousKept);
    EXPECT_EQ(dir.snapshot(), before);
    ASSERT_TRUE(replaceAll(FileOps::real(), set).ok());
    for (const QString& name : {u"a.vwi"_s, u"b.vwi"_s, u"c.vwi"_s})
        EXPECT_EQ(dir.read(name), "new");
    EXPECT_EQ(dir.entries(), (QStringList{u"a.vwi"_s, u"b.vwi"_s, u"c.vwi"_s}));
}

// --- Links and write-protected files ------------------------------------

struct TargetCase {
    const char* label;
    // Lays out "ro.vwi" (and what it leads to) in the folder.
    std::function<void(const TempFolder&)> layOut;
    std::optional<ErrorKind> failure;
    const char* written; // the file that holds the new bytes afterwards
};

class ReplaceTarget : public ::testing::TestWithParam<TargetCase> {};

void link(const TempFolder& dir, const char* name, const QString& target)
{
    tuvano::test::makeSymbolicLink(target, dir.file(QString::fromUtf8(name)));
}

TEST_P(ReplaceTarget, WritesThroughLinksAndRespectsWriteProtection)
{
    TempFolder dir;
    GetParam().layOut(dir);
    if (IsSkipped())
        return;
    const QMap<QString, QByteArray> before = dir.snapshot();
    const QStringList entries = dir.entries();
    const bool wasLink = QFileInfo(dir.file(u"ro.vwi"_s)).isSymLink();
    const Status status = replaceWithBytes(FileOps::real(), dir.file(u"ro.vwi"_s), {}, "new");
    if (GetParam().failure) {
        ASSERT_FALSE(status.ok());
        EXPECT_EQ(status.error().kind, *GetParam().failure);
        EXPECT_EQ(status.error().path, dir.file(u"ro.vwi"_s));
        EXPECT_EQ(dir.snapshot(), before);
    } else {
        ASSERT_TRUE(status.ok()) << status.error().detail.toStdString();
        EXPECT_EQ(dir.read(QString::fromUtf8(GetParam().written)), "new");
        EXPECT_EQ(QFileInfo(dir.file(u"ro.vwi"_s)).isSymLink(), wasLink);
    }
    EXPECT_EQ(dir.entries(), entries);
}

INSTANTIATE_TEST_SUITE_P(
    FileOps, ReplaceTarget,
    ::testing::Values(TargetCase{"plainFile",
                                 [](const TempFolder& d) { d.write(u"ro.vwi"_s, "old"); },
                                 std::nullopt, "ro.vwi"},
                      TargetCase{"linkToAnotherFolder",
                                 [](const TempFolder& d) {
                                     d.write(u"elsewhere/data.vwi"_s, "old");
                                     link(d, "ro.vwi", d.file(u"elsewhere/data.vwi"_s));
                                 },
                                 std::nullopt, "elsewhere/data.vwi"},
                      TargetCase{"relativeChainOfLinks",
                                 [](const TempFolder& d) {
                                     d.write(u"a/data.vwi"_s, "old");
                                     link(d, "b/step.vwi", u"../a/data.vwi"_s);
                                     link(d, "ro.vwi", u"b/step.vwi"_s);
                                 },
                                 std::nullopt, "a/data.vwi"},
                      TargetCase{"writeProtected",
                                 [](const TempFolder& d) {
                                     d.write(u"ro.vwi"_s, "old");
                                     QFile::setPermissions(d.file(u"ro.vwi"_s),
                                                           QFile::ReadOwner | QFile::ReadGroup);
                                 },
                                 ErrorKind::ReadOnly, ""},
                      TargetCase{"linkToAWriteProtectedFile",
                                 [](const TempFolder& d) {
                                     d.write(u"elsewhere/data.vwi"_s, "old");
                                     QFile::setPermissions(d.file(u"elsewhere/data.vwi"_s),
                                                           QFile::ReadOwner);
                                     link(d, "ro.vwi", d.file(u"elsewhere/data.vwi"_s));
                                 },
                                 ErrorKind::ReadOnly, ""},
                      TargetCase{"linkLoop",
                                 [](const TempFolder& d) {
                                     link(d, "ro.vwi", d.file(u"loop.vwi"_s));
                                     link(d, "loop.vwi", d.file(u"ro.vwi"_s));
                                 },
                                 ErrorKind::WriteFailed, ""}),
    [](const auto& info) { return std::string(info.param.label); });

TEST(FileOps, AReplacedFileKeepsItsPermissionsAndALinkStaysALink)
{
    TempFolder dir;
    dir.write(u"elsewhere/data.vwi"_s, "old");
    const QFile::Permissions mode = QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup;
    QFile::setPermissions(dir.file(u"elsewhere/data.vwi"_s), mode);
    link(dir, "ro.vwi", dir.file(u"elsewhere/data.vwi"_s));
    if (IsSkipped())
        return;
    dir.write(u"src.vwi"_s, "new");
    ASSERT_TRUE(replaceByCopy(FileOps::real(), dir.file(u"src.vwi"_s), dir.file(u"ro.vwi"_s)).ok());
    EXPECT_TRUE(QFileInfo(dir.file(u"ro.vwi"_s)).isSymLink());
    EXPECT_EQ(dir.read(u"elsewhere/data.vwi"_s), "new");
    EXPECT_EQ(QFile::permissions(dir.file(u"elsewhere/data.vwi"_s)) & 0xf0ff, mode);
    EXPECT_EQ(dir.entries(),
              (QStringList{u"elsewhere"_s, u"elsewhere/data.vwi"_s, u"ro.vwi"_s, u"src.vwi"_s}));
}

TEST(FileOps, TemporaryFileStandsHiddenBesideItsTarget)
{
    EXPECT_EQ(tempPathFor(u"/p/tuvano.ini"_s), u"/p/.tuvano.ini.tuvano-new"_s);
    EXPECT_EQ(tempPathFor(u"/p/profiles/1000000/plug-in.vwi"_s),
              u"/p/profiles/1000000/.plug-in.vwi.tuvano-new"_s);
    EXPECT_TRUE(isTempName(u".ro.vwi.tuvano-new"));
    EXPECT_FALSE(isTempName(u"ro.new"));
}

TEST(ProgramFolder, LeftoversOfInterruptedWritesAreRemovedAndNothingElse)
{
    TempFolder dir;
    // The host's folder may hold "*.new" files of its own: only the program's
    // names go, and the old names only inside profile folders.
    const QStringList kept{u"lx98.new"_s,     u"notes.new"_s,         u"profiles"_s,
                           u"profiles.map"_s, u"profiles/1000000"_s,  u"profiles/1000000/ro.vwi"_s,
                           u"profiles/x"_s,   u"profiles/x/ro.new"_s, u"ro.vwi"_s,
                           u"tuvano.new"_s};
    for (const QString& name :
         {u"notes.new"_s, u"profiles.map"_s, u"profiles/1000000/ro.vwi"_s, u"profiles/x/ro.new"_s,
          u"ro.vwi"_s, u"profiles.new"_s, u"tuvano.new"_s, u"lx98.new"_s, u".lx98.vwi.tuvano-new"_s,
          u".tuvano.ini.tuvano-new"_s, u"profiles/1000000/plug-in.new"_s,
          u"profiles/1000000/.ro.vwi.tuvano-new"_s})
        dir.write(name, "x");
    ProgramFolder(dir.path()).removeLeftovers();
    EXPECT_EQ(dir.entries(), kept);
}

TEST(ProgramFolder, AfterANormalEndOnlyTheProgramFolderIsLookedThrough)
{
    TempFolder dir;
    dir.write(u"profiles.new"_s, "x");
    dir.write(u"profiles/1000000/.ro.vwi.tuvano-new"_s, "x");
    ProgramFolder(dir.path()).removeLeftovers(false);
    EXPECT_EQ(dir.entries(), (QStringList{u"profiles"_s, u"profiles/1000000"_s,
                                          u"profiles/1000000/.ro.vwi.tuvano-new"_s}));
}

struct PlaceCase {
    const char* label;
    const char* path;  // written to, relative to the program folder
    const char* ownId; // the profile being written, or "" for a live file
    bool allowed;
};

class WritePlace : public ::testing::TestWithParam<PlaceCase> {};

// profiles/1000000 and 2000000 are real folders; 3000000 is a link to
// 1000000; in 2000000, "ro.vwi" leads to 1000000's file and "lx98.vwi" out of
// "profiles"; the live "recent.vwi" leads into 1000000.
TEST_P(WritePlace, IsDecidedByWhereTheLinksLead)
{
    TempFolder dir;
    dir.write(u"profiles/1000000/ro.vwi"_s, "1");
    dir.write(u"profiles/1000000/recent.vwi"_s, "1");
    dir.write(u"profiles/2000000/glblstat.vwi"_s, "2");
    dir.write(u"outside/lx98.vwi"_s, "o");
    link(dir, "profiles/3000000", dir.file(u"profiles/1000000"_s));
    link(dir, "profiles/2000000/ro.vwi", u"../1000000/ro.vwi"_s);
    link(dir, "profiles/2000000/lx98.vwi", dir.file(u"outside/lx98.vwi"_s));
    link(dir, "recent.vwi", dir.file(u"profiles/1000000/recent.vwi"_s));
    if (IsSkipped())
        return;
    const ProgramFolder folder(dir.path());
    const Status status = folder.checkPlace(dir.file(QString::fromUtf8(GetParam().path)),
                                            QString::fromUtf8(GetParam().ownId));
    ASSERT_EQ(status.ok(), GetParam().allowed);
    if (!status.ok()) {
        EXPECT_EQ(status.error().kind, ErrorKind::ForeignLink);
    }
}

INSTANTIATE_TEST_SUITE_P(
    ProgramFolder, WritePlace,
    ::testing::Values(
        PlaceCase{"ownFile", "profiles/2000000/glblstat.vwi", "2000000", true},
        PlaceCase{"ownNewFile", "profiles/2000000/plug-in.vwi", "2000000", true},
        PlaceCase{"linkIntoAnotherProfile", "profiles/2000000/ro.vwi", "2000000", false},
        PlaceCase{"ownLinkOutOfProfiles", "profiles/2000000/lx98.vwi", "2000000", true},
        PlaceCase{"folderThatIsALink", "profiles/3000000/ro.vwi", "3000000", false},
        PlaceCase{"plainLiveFile", "ro.vwi", "", true},
        PlaceCase{"liveLinkIntoAProfile", "recent.vwi", "", false}),
    [](const auto& info) { return std::string(info.param.label); });

// A native stand-in host makes its marker in the temporary folder; on
// Windows the marker is the real host's, on drive C: whatever the settings.
TEST(HostContract, MarkerFollowsTheTemporaryFolderExceptOnWindows)
{
    const QByteArray saved = qgetenv("TMPDIR");
    TempFolder dir;
    qputenv("TMPDIR", dir.path().toLocal8Bit());
#ifdef Q_OS_WIN
    EXPECT_EQ(HostRunMarker(), u"c:\\lx98temp.tmp"_s);
#else
    EXPECT_EQ(HostRunMarker(), dir.path() + u"/lx98temp.tmp"_s);
#endif
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
