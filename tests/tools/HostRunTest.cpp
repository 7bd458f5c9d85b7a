#include "HostRun.h"

#include "store/FileOps.h"
#include "store/HostContract.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace tuvano::standin;
using namespace tuvano::store;
using namespace Qt::StringLiterals;

namespace {

// The real file system, with every change noted in order and one path that
// can be made to fail.
class RecordingOps : public FileOps {
public:
    QStringList log;
    QString failWrite;
    QString failRead;

    Result<QByteArray> readOnce(const QString& path) override
    {
        if (path == failRead)
            return StoreError{ErrorKind::ReadFailed, path, 0, Flaw::None, {}};
        return FileOps::readOnce(path);
    }
    Status writeNewOnce(const QString& path, const QByteArray& bytes) override
    {
        log << u"write "_s + QFileInfo(path).fileName();
        if (path == failWrite)
            return StoreError{ErrorKind::WriteFailed, path, 0, Flaw::None, {}};
        return FileOps::writeNewOnce(path, bytes);
    }
    Status removeOnce(const QString& path) override
    {
        log << u"remove "_s + QFileInfo(path).fileName();
        return FileOps::removeOnce(path);
    }
};

class HostRunTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(root.isValid());
        ASSERT_TRUE(QDir(root.path()).mkdir(u"prog"_s));
    }

    QString programFolder() const { return root.filePath(u"prog"_s); }
    QString live(DataFile file) const { return dataFilePath(programFolder(), file); }
    QString markerName() const { return QFileInfo(HostRunMarker()).fileName(); }
    QString marker() const { return root.filePath(markerName()); }

    static void write(const QString& path, const QByteArray& bytes)
    {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
    }
    static QByteArray read(const QString& path)
    {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
    }

    QTemporaryDir root;
    RecordingOps ops;
};

TEST_F(HostRunTest, TheMarkerExistsFromStartToFinish)
{
    HostRun run(ProgramFolder(programFolder(), ops), marker());
    ASSERT_TRUE(run.start().ok());
    EXPECT_TRUE(QFile(marker()).open(QIODevice::ReadOnly));
    EXPECT_TRUE(run.finish().empty());
    EXPECT_FALSE(QFileInfo::exists(marker()));
    EXPECT_EQ(QDir(programFolder()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries),
              QStringList());
}

TEST_F(HostRunTest, LinesAreAppendedInWindows1252WithCrLf)
{
    write(live(DataFile::Ro), "Gammal rad\r\n");
    write(live(DataFile::Glblstat), "orörd");
    HostRun run(ProgramFolder(programFolder(), ops), marker());
    ASSERT_TRUE(run.start().ok());
    EXPECT_TRUE(run.addLine(DataFile::Ro, u"Smörgås på café"));
    EXPECT_TRUE(run.addLine(DataFile::Recent, u"€ 5"));
    EXPECT_TRUE(run.addLine(DataFile::Ro, u""));
    EXPECT_TRUE(run.addLine(DataFile::Ro, u"två"));
    EXPECT_EQ(run.pendingCount(DataFile::Ro), 3);
    // Nothing reaches the disk while the host runs.
    EXPECT_EQ(read(live(DataFile::Ro)), "Gammal rad\r\n");

    EXPECT_TRUE(run.finish().empty());
    EXPECT_EQ(read(live(DataFile::Ro)),
              "Gammal rad\r\nSm\xF6rg\xE5s p\xE5 caf\xE9\r\n\r\ntv\xE5\r\n");
    EXPECT_EQ(read(live(DataFile::Recent)), "\x80 5\r\n");
    EXPECT_EQ(read(live(DataFile::Glblstat)), "orörd");
    EXPECT_FALSE(QFileInfo::exists(live(DataFile::Lx98)));
}

TEST_F(HostRunTest, LinesTheFilesCannotCarryAreRefused)
{
    HostRun run(ProgramFolder(programFolder(), ops), marker());
    EXPECT_FALSE(run.addLine(DataFile::Ro, u"två\r\nrader"));
    EXPECT_FALSE(run.addLine(DataFile::Ro, u"a\nb"));
    EXPECT_FALSE(run.addLine(DataFile::Ro, u"Привет"));
    EXPECT_TRUE(run.pendingLines().empty());
    EXPECT_TRUE(run.finish().empty());
    EXPECT_FALSE(QFileInfo::exists(live(DataFile::Ro)));
}

TEST_F(HostRunTest, TheMarkerGoesOnlyAfterEveryFileIsWritten)
{
    HostRun run(ProgramFolder(programFolder(), ops), marker());
    ASSERT_TRUE(run.start().ok());
    ASSERT_TRUE(run.addLine(DataFile::Ro, u"a"));
    ASSERT_TRUE(run.addLine(DataFile::Lx98, u"b"));
    ASSERT_TRUE(run.addLine(DataFile::PlugIn, u"c"));
    EXPECT_TRUE(run.finish().empty());
    ASSERT_EQ(ops.log.size(), 5);
    EXPECT_EQ(ops.log.first(), u"write "_s + markerName());
    EXPECT_EQ(ops.log.last(), u"remove "_s + markerName());
    QStringList dataWrites = ops.log.mid(1, 3);
    dataWrites.sort();
    EXPECT_EQ(dataWrites,
              (QStringList{u"write lx98.vwi"_s, u"write plug-in.vwi"_s, u"write ro.vwi"_s}));
}

TEST_F(HostRunTest, AFailedWriteStopsNeitherTheOtherFilesNorTheMarkersRemoval)
{
    ops.failWrite = live(DataFile::Recent);
    HostRun run(ProgramFolder(programFolder(), ops), marker());
    ASSERT_TRUE(run.start().ok());
    ASSERT_TRUE(run.addLine(DataFile::Recent, u"lost"));
    ASSERT_TRUE(run.addLine(DataFile::Lx98, u"kept"));
    const std::vector<StoreError> errors = run.finish();
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_EQ(errors[0].path, live(DataFile::Recent));
    EXPECT_EQ(read(live(DataFile::Lx98)), "kept\r\n");
    EXPECT_FALSE(QFileInfo::exists(marker()));
    EXPECT_EQ(ops.log.last(), u"remove "_s + markerName());
}

TEST_F(HostRunTest, AFileThatCannotBeReadIsNotReplacedByTheNewLinesAlone)
{
    write(live(DataFile::Ro), "keep\r\n");
    ops.failRead = live(DataFile::Ro);
    HostRun run(ProgramFolder(programFolder(), ops), marker());
    ASSERT_TRUE(run.addLine(DataFile::Ro, u"new"));
    const std::vector<StoreError> errors = run.finish();
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_EQ(errors[0].kind, ErrorKind::ReadFailed);
    EXPECT_EQ(read(live(DataFile::Ro)), "keep\r\n");
}

TEST_F(HostRunTest, AMarkerThatCannotBeCreatedIsReportedAndNeverRemoved)
{
    const QString unreachable = root.filePath(u"no-such-folder/"_s + markerName());
    HostRun run(ProgramFolder(programFolder(), ops), unreachable);
    const Status status = run.start();
    ASSERT_FALSE(status.ok());
    EXPECT_EQ(status.error().path, unreachable);
    EXPECT_TRUE(run.finish().empty());
    EXPECT_EQ(ops.log.count(u"remove "_s + markerName()), 0);
}

} // namespace
