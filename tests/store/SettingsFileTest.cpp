#include "store/SettingsFile.h"

#include "support/FaultyFileOps.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

using namespace tuvano::store;
using namespace Qt::StringLiterals;
using tuvano::test::qs;
using tuvano::test::TempFolder;

namespace {

const QByteArray kFirstRun = "#FALSE#\r\n0\r\n\"Standardprofil\"\r\n#TRUE#\r\n#TRUE#\r\n";

class SettingsFileTest : public ::testing::Test {
protected:
    TempFolder dir;
    ProgramFolder folder{dir.path()};
    SettingsFile settings{folder};
};

TEST_F(SettingsFileTest, FirstRunFileIsByteExactAndReadsBack)
{
    ASSERT_TRUE(settings.createWithDefaults().ok());
    EXPECT_EQ(dir.read(u"tuvano.ini"_s), kFirstRun);
    const auto read = settings.read();
    ASSERT_TRUE(read.ok());
    EXPECT_EQ(read->fQuickStart, kFalse);
    EXPECT_EQ(read->nAutoSelectDelay, 0);
    EXPECT_EQ(read->sDefaultProfile, u"Standardprofil"_s);
    EXPECT_EQ(read->fShutdown, kTrue);
    EXPECT_EQ(read->fShowMonitor, kTrue);
    EXPECT_EQ(dir.entries(), QStringList{u"tuvano.ini"_s});
}

TEST_F(SettingsFileTest, WrittenValuesReadBackInFiveLines)
{
    const Settings chosen{kTrue, 30, qs("Berg, Åsa"), kFalse, kTrue};
    ASSERT_TRUE(settings.write(chosen).ok());
    EXPECT_EQ(dir.read(u"tuvano.ini"_s),
              "#TRUE#\r\n30\r\n\"Berg, \xc5sa\"\r\n#FALSE#\r\n#TRUE#\r\n");
    EXPECT_EQ(settings.read().value(), chosen);
}

TEST_F(SettingsFileTest, ANameTheFileCannotCarryIsRefusedAndTheOldFileStays)
{
    dir.write(u"tuvano.ini"_s, kFirstRun);
    Settings s = Settings::firstRun();
    s.sDefaultProfile = u"Say \"hi\""_s;
    const Status status = settings.write(s);
    ASSERT_FALSE(status.ok());
    EXPECT_EQ(status.error().kind, ErrorKind::NotStorable);
    EXPECT_EQ(dir.read(u"tuvano.ini"_s), kFirstRun);
}

TEST_F(SettingsFileTest, AFailedWriteLeavesTheOldFileAndNoTemporaryFile)
{
    dir.write(u"tuvano.ini"_s, kFirstRun);
    for (int failAt = 1; failAt <= 2; ++failAt) {
        tuvano::test::FaultyFileOps ops;
        ops.failAt = failAt;
        const Status status = SettingsFile(ProgramFolder(dir.path(), ops)).write({});
        ASSERT_FALSE(status.ok());
        EXPECT_EQ(status.error().kind, ErrorKind::WriteFailed);
        EXPECT_EQ(status.error().path, dir.file(u"tuvano.ini"_s));
        EXPECT_EQ(dir.read(u"tuvano.ini"_s), kFirstRun);
        EXPECT_EQ(dir.entries(), QStringList{u"tuvano.ini"_s});
    }
}

struct AcceptedCase {
    const char* label;
    QByteArray bytes;
    Settings expected;
};

class AcceptedSettings : public ::testing::TestWithParam<AcceptedCase> {};

TEST_P(AcceptedSettings, ReadAsTheirValues)
{
    const auto result = parseSettings(GetParam().bytes, u"tuvano.ini"_s);
    ASSERT_TRUE(result.ok()) << result.error().line;
    EXPECT_EQ(*result, GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Settings, AcceptedSettings,
    ::testing::Values(
        AcceptedCase{"lineFeedsOnly", "#TRUE#\n3\n\"A\"\n#FALSE#\n#FALSE#\n",
                     Settings{kTrue, 3, u"A"_s, kFalse, kFalse}},
        AcceptedCase{"negativeAndOddLength", "#FALSE#\r\n-5\r\n\"A\"\r\n#TRUE#\r\n#TRUE#\r\n",
                     Settings{kFalse, -5, u"A"_s, kTrue, kTrue}},
        AcceptedCase{"handEdited", " #true# \r\n 7 \r\n Kalle Anka \r\n#False#\r\n#TRUE#\r\n",
                     Settings{kTrue, 7, u"Kalle Anka"_s, kFalse, kTrue}},
        AcceptedCase{"emptyDefault", "#FALSE#\r\n0\r\n\"\"\r\n#TRUE#\r\n#TRUE#\r\n",
                     Settings{kFalse, 0, {}, kTrue, kTrue}},
        AcceptedCase{"utf8WithMark",
                     "\xef\xbb\xbf#TRUE#\r\n3\r\n\"\xc3\x85sa\"\r\n#FALSE#\r\n#TRUE#\r\n",
                     Settings{kTrue, 3, QString::fromUtf8("Åsa"), kFalse, kTrue}},
        AcceptedCase{"textAfterTheFifthIgnored", kFirstRun + "anything at all\r\n\"",
                     Settings::firstRun()}),
    [](const auto& info) { return std::string(info.param.label); });

struct DamagedCase {
    const char* label;
    QByteArray bytes;
    int line;
    Flaw flaw;
};

class DamagedSettings : public ::testing::TestWithParam<DamagedCase> {};

TEST_P(DamagedSettings, AreReportedWithTheirLine)
{
    const auto result = parseSettings(GetParam().bytes, u"/p/tuvano.ini"_s);
    ASSERT_FALSE(result.ok());
    EXPECT_EQ(result.error().kind, ErrorKind::Damaged);
    EXPECT_EQ(result.error().path, u"/p/tuvano.ini"_s);
    EXPECT_EQ(result.error().line, GetParam().line);
    EXPECT_EQ(result.error().flaw, GetParam().flaw);
}

INSTANTIATE_TEST_SUITE_P(
    Settings, DamagedSettings,
    ::testing::Values(
        DamagedCase{"empty", "", 1, Flaw::MissingRecord},
        DamagedCase{"fourRecords", "#FALSE#\r\n0\r\n\"A\"\r\n#TRUE#\r\n", 5, Flaw::MissingRecord},
        DamagedCase{"truthAsWord", "TRUE\r\n0\r\n\"A\"\r\n#TRUE#\r\n#TRUE#\r\n", 1,
                    Flaw::WrongType},
        DamagedCase{"quotedTruth", "\"#TRUE#\"\r\n0\r\n\"A\"\r\n#TRUE#\r\n#TRUE#\r\n", 1,
                    Flaw::WrongType},
        DamagedCase{"quotedCountdown", "#TRUE#\r\n\"10\"\r\n\"A\"\r\n#TRUE#\r\n#TRUE#\r\n", 2,
                    Flaw::WrongType},
        DamagedCase{"textForCountdown", "#TRUE#\r\nten\r\n\"A\"\r\n#TRUE#\r\n#TRUE#\r\n", 2,
                    Flaw::WrongType},
        DamagedCase{"countdownTooLarge", "#TRUE#\r\n40000\r\n\"A\"\r\n#TRUE#\r\n#TRUE#\r\n", 2,
                    Flaw::WrongType},
        DamagedCase{"unterminatedQuote", "#TRUE#\r\n0\r\n\"A\r\n#TRUE#\r\n#TRUE#\r\n", 3,
                    Flaw::UnterminatedQuote},
        DamagedCase{"twoFields", "#TRUE#\r\n0\r\n\"A\",\"B\"\r\n#TRUE#\r\n#TRUE#\r\n", 3,
                    Flaw::ExtraText},
        DamagedCase{"numberForMonitor", "#TRUE#\r\n0\r\n\"A\"\r\n#TRUE#\r\n1\r\n", 5,
                    Flaw::WrongType},
        DamagedCase{"byteOutsideCodePage", "#TRUE#\r\n0\r\n\"\x90\"\r\n#TRUE#\r\n#TRUE#\r\n", 3,
                    Flaw::BadEncoding}),
    [](const auto& info) { return std::string(info.param.label); });

} // namespace
