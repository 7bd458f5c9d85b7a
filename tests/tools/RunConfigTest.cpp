#include "RunConfig.h"

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

TEST(RunConfig, ReadsTheRunLengthAndTheLinesInOrder)
{
    // A byte order mark, CR LF line ends and UTF-8 text, as an editor on the
    // host's system writes them.
    const RunConfig config = parseRunConfig("\xEF\xBB\xBFrun-ms=300\r\n"
                                            "append=recent.vwi:Smörgås\r\n"
                                            "append=RO.VWI: tid: 12:30 \r\n"
                                            "append=recent.vwi:\r\n");
    EXPECT_EQ(config.runMs, 300);
    EXPECT_EQ(describe(config.appends),
              (QStringList{u"recent.vwi|Smörgås"_s, u"ro.vwi| tid: 12:30 "_s, u"recent.vwi|"_s}));
}

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
