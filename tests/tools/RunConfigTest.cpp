#include "RunConfig.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace tuvano::standin;
using namespace Qt::StringLiterals;
using tuvano::store::DataFile;

namespace {

QStringList describe(const std::vector<LineToAdd>& lines)
{
    QStringList out;
    for (const LineToAdd& line : lines)
        out << tuvano::store::fileName(line.file) + u'|' + line.text;
    return out;
}

struct LineEnds {
    const char* label;
    QByteArray end;
};

class RunConfigLineEnds : public ::testing::TestWithParam<LineEnds> {};

// The host's own reading path, from a file beside it: a byte order mark and
// UTF-8 text as an editor on the host's system writes them, with every kind of
// line end such a file may come with.
TEST_P(RunConfigLineEnds, ReadsTheRunLengthAndTheLinesInOrder)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(kRunConfigFile.toString());
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    const QByteArray& end = GetParam().end;
    file.write("\xEF\xBB\xBFrun-ms=300" + end + "append=recent.vwi:Smörgås" + end +
               "append=RO.VWI: tid: 12:30 " + end + end + "append=recent.vwi:" + end +
               "Start-MS=20" + end + "linger-ms=40" + end);
    file.close();
    const RunConfig config = readRunConfig(path);
    EXPECT_EQ(config.runMs, 300);
    EXPECT_EQ(config.startMs, 20);
    EXPECT_EQ(config.lingerMs, 40);
    EXPECT_EQ(describe(config.appends),
              (QStringList{u"recent.vwi|Smörgås"_s, u"ro.vwi| tid: 12:30 "_s, u"recent.vwi|"_s}));
}

INSTANTIATE_TEST_SUITE_P(StandinHost, RunConfigLineEnds,
                         ::testing::Values(LineEnds{"Lf", "\n"}, LineEnds{"CrLf", "\r\n"},
                                           LineEnds{"Cr", "\r"},
                                           // CR LF converted once more, as a text-mode
                                           // write on Windows does to "\r\n"
                                           LineEnds{"CrCrLf", "\r\r\n"}),
                         [](const auto& info) { return std::string(info.param.label); });

TEST(RunConfig, MalformedLinesAndUnknownKeysAreSkipped)
{
    const RunConfig config = parseRunConfig("run-ms=50\n"
                                            "run-ms=soon\n"
                                            "run-ms=-5\n"
                                            "run-ms=12x\n"
                                            "run-ms\n"
                                            "\n"
                                            "# append=ro.vwi:commented\n"
                                            "append=ro.vwi\n"
                                            "append=notes.txt:x\n"
                                            "append=:x\n"
                                            "=x\n"
                                            "colour=blue\n"
                                            "append=lx98.vwi:kept\n"
                                            "append=plug-in.vwi:last line without end");
    EXPECT_EQ(config.runMs, 50);
    EXPECT_EQ(describe(config.appends),
              (QStringList{u"lx98.vwi|kept"_s, u"plug-in.vwi|last line without end"_s}));
}

TEST(RunConfig, NoFileMeansNoScript)
{
    QTemporaryDir dir;
    const RunConfig config = readRunConfig(dir.filePath(kRunConfigFile.toString()));
    EXPECT_FALSE(config.runMs.has_value());
    EXPECT_TRUE(config.appends.empty());
}

TEST(RunConfig, DataFilesAreKnownByTheirNamesOnly)
{
    EXPECT_EQ(dataFileNamed(u"Plug-In.vwi"), DataFile::PlugIn);
    EXPECT_EQ(dataFileNamed(u"glblstat.vwi"), DataFile::Glblstat);
    EXPECT_FALSE(dataFileNamed(u"glblstat").has_value());
    EXPECT_FALSE(dataFileNamed(u"profiles/ro.vwi").has_value());
}

} // namespace
