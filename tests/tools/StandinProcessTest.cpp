#include "RunConfig.h"
#include "store/HostContract.h"
#include "store/ProgramFolder.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

// Where the build put the stand-in host (tests/tools/CMakeLists.txt).
extern const char kStandinHostExecutable[];

using namespace tuvano::standin;
using namespace tuvano::store;
using namespace Qt::StringLiterals;

namespace {

constexpr int kStartTimeoutMs = 15000;
constexpr int kEndTimeoutMs = 15000;

// The built stand-in host in a program folder of its own, under the name the
// program launches, with a private temporary folder for its marker. On
// Windows the marker has one fixed place, as the real host's has.
class StandinProcess : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(root.isValid());
        QDir dir(root.path());
        ASSERT_TRUE(dir.mkdir(u"prog"_s) && dir.mkdir(u"tmp"_s));
        ASSERT_TRUE(QFile::copy(QString::fromUtf8(kStandinHostExecutable), program()));
        for (DataFile file : ProfileFileSet::listing)
            write(dataFile(file), original(file));
        // A marker already there would be taken for this host's.
        ASSERT_FALSE(QFileInfo::exists(marker())) << qPrintable(marker());
    }

    void TearDown() override
    {
        if (host.state() != QProcess::NotRunning) {
            host.kill();
            host.waitForFinished(kEndTimeoutMs);
        }
    }

    QString folder() const { return root.filePath(u"prog"_s); }
    QString program() const { return folder() + u'/' + kHostExecutables[1]; }
    QString dataFile(DataFile file) const { return dataFilePath(folder(), file); }
    QString marker() const
    {
#ifdef Q_OS_WIN
        return HostRunMarker();
#else
        return root.filePath(u"tmp/"_s + QFileInfo(HostRunMarker()).fileName());
#endif
    }
    static QByteArray original(DataFile file)
    {
        return "Rad ett i " + fileName(file).toLatin1() + "\r\nRad tv\xE5\r\n";
    }

    static void write(const QString& path, const QByteArray& bytes)
    {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        ASSERT_EQ(file.write(bytes), bytes.size());
    }
    static QByteArray read(const QString& path)
    {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
    }

    bool markerOpens() const { return QFile(marker()).open(QIODevice::ReadOnly); }

    void startHost()
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(u"TMPDIR"_s, root.filePath(u"tmp"_s));
        env.insert(u"QT_QPA_PLATFORM"_s, u"offscreen"_s);
        host.setProcessEnvironment(env);
        // Started from elsewhere: the host must find its files by its own place.
        host.setWorkingDirectory(root.path());
        host.start(program(), {});
        ASSERT_TRUE(host.waitForStarted(kStartTimeoutMs)) << qPrintable(host.errorString());
    }

    void expectCleanEnd()
    {
        // Waiting for the marker runs the event loop, which may already have
        // seen the host end; waitForFinished() is false for an ended process.
        if (host.state() != QProcess::NotRunning) {
            ASSERT_TRUE(host.waitForFinished(kEndTimeoutMs));
        }
        EXPECT_EQ(host.exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(host.exitCode(), 0) << host.readAllStandardError().toStdString();
        EXPECT_FALSE(QFileInfo::exists(marker()));
    }

    void expectFiles(DataFile first, const QByteArray& firstAdded, DataFile second,
                     const QByteArray& secondAdded)
    {
        for (DataFile file : ProfileFileSet::listing) {
            QByteArray expected = original(file);
            if (file == first)
                expected += firstAdded;
            if (file == second)
                expected += secondAdded;
            EXPECT_EQ(read(dataFile(file)), expected) << qPrintable(fileName(file).toString());
        }
    }

    QTemporaryDir root;
    QProcess host;
};

TEST_F(StandinProcess, EndsAfterTheRunLengthWithTheScriptedLinesWritten)
{
    write(folder() + u'/' + kRunConfigFile,
          "run-ms=300\nappend=recent.vwi:Senast öppnad: brev.lx\nappend=lx98.vwi:x=1\n");
    startHost();
    EXPECT_TRUE(QTest::qWaitFor([this] { return markerOpens(); }, kStartTimeoutMs));
    EXPECT_EQ(read(dataFile(DataFile::Recent)), original(DataFile::Recent));
    expectCleanEnd();
    expectFiles(DataFile::Recent, "Senast \xF6ppnad: brev.lx\r\n", DataFile::Lx98, "x=1\r\n");
}

#ifdef Q_OS_UNIX
TEST_F(StandinProcess, TerminationEndsTheRunAsClosingTheWindowDoes)
{
    write(folder() + u'/' + kRunConfigFile, "append=ro.vwi:a\nappend=plug-in.vwi:b\n");
    startHost();
    ASSERT_TRUE(QTest::qWaitFor([this] { return markerOpens(); }, kStartTimeoutMs));
    host.terminate();
    expectCleanEnd();
    expectFiles(DataFile::Ro, "a\r\n", DataFile::PlugIn, "b\r\n");
}
#endif

} // namespace
