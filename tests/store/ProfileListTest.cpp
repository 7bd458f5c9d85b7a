#include "store/ProfileList.h"

#include "store/SettingsFile.h"
#include "support/FaultyFileOps.h"
#include "support/TempFolder.h"

#include <QFile>
#include <QFileInfo>

#include <gtest/gtest.h>

using namespace tuvano::store;
using namespace Qt::StringLiterals;
using tuvano::test::FaultyFileOps;
using tuvano::test::qs;
using tuvano::test::TempFolder;

namespace {

const QByteArray kStandardLine = "\"Standardprofil\",\"1000000\"\r\n";

// --- Reading -------------------------------------------------------------

// A list long enough to be read in two halves at once, with every kind of
// line end and now and then a blank line; the record numbered damagedAt, if
// any, lacks its identifier.
constexpr int kLongListSize = 3000;

QByteArray longList(int damagedAt = 0, int alsoDamagedAt = 0)
{
    const char* const ends[] = {"\r\n", "\n", "\r"};
    QByteArray bytes;
    for (int i = 1; i <= kLongListSize; ++i) {
        const QByteArray name = "\"Profil " + QByteArray::number(i) + '"';
        bytes += (i == damagedAt || i == alsoDamagedAt)
                     ? name
                     : name + ",\"" + QByteArray::number(1000000 + i) + '"';
        bytes += ends[i % 3];
        if (i % 100 == 0)
            bytes += "  \r\n";
    }
    return bytes;
}

ProfileRecords longListRecords()
{
    ProfileRecords records;
    for (int i = 1; i <= kLongListSize; ++i)
        records.push_back({u"Profil %1"_s.arg(i), QString::number(1000000 + i)});
    return records;
}

// The line of the record numbered i in the long list.
int longListLine(int i) { return i + (i - 1) / 100; }

struct ReadCase {
    const char* label;
    QByteArray bytes;
    ProfileRecords expected;
};

class ReadingRule : public ::testing::TestWithParam<ReadCase> {};

TEST_P(ReadingRule, YieldsTheRecordsInFileOrder)
{
    const auto result = parseProfileList(GetParam().bytes, u"profiles.map"_s);
    ASSERT_TRUE(result.ok()) << result.error().line;
    EXPECT_EQ(*result, GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    ProfileList, ReadingRule,
    ::testing::Values(
        ReadCase{"empty", "", {}},
        ReadCase{"firstRun", kStandardLine, {{u"Standardprofil"_s, u"1000000"_s}}},
        ReadCase{
            "commaInName", "\"Berg, Anna\",\"1234567\"\r\n", {{u"Berg, Anna"_s, u"1234567"_s}}},
        ReadCase{"windows1252",
                 "\"G\xf6ran \xc5s\",\"10999998\"\r\n",
                 {{qs("Göran Ås"), u"10999998"_s}}},
        ReadCase{
            "noFinalLineEnd", "\"A\",\"1\"\r\n\"B\",\"2\"", {{u"A"_s, u"1"_s}, {u"B"_s, u"2"_s}}},
        ReadCase{"lfAndCrLineEnds",
                 "\"A\",\"1\"\n\"B\",\"2\"\r\"C\",\"3\"\r\n",
                 {{u"A"_s, u"1"_s}, {u"B"_s, u"2"_s}, {u"C"_s, u"3"_s}}},
        ReadCase{"handEditedUnquoted",
                 "  Kalle Anka ,  1234567 \r\n",
                 {{u"Kalle Anka"_s, u"1234567"_s}}},
        ReadCase{"blanksAroundQuotes", " \"A b \" , \"42\" \r\n", {{u"A b "_s, u"42"_s}}},
        ReadCase{"blankLinesPassedOver", "\r\n\"A\",\"1\"\r\n  \r\n\r\n", {{u"A"_s, u"1"_s}}},
        ReadCase{"utf8WithMark", "\xef\xbb\xbf\"\xc3\x85sa\",\"2\"\r\n", {{qs("Åsa"), u"2"_s}}},
        ReadCase{"utf8WithoutMark", "\"G\xc3\xb6ran\",\"2\"", {{qs("Göran"), u"2"_s}}},
        // Names the code page cannot hold, from a list saved as UTF-8, and
        // code-page bytes that happen to make UTF-8: read as they are.
        ReadCase{
            "utf8NameOutsideCodePage", "\"\xc5\x81ukasz\",\"2\"\r\n", {{qs("Łukasz"), u"2"_s}}},
        ReadCase{"codePageNameThatReadsAsUtf8",
                 "\"\xc3\x85sa\",\"2\"\r\n\"\xc5\",\"3\"\r\n",
                 {{qs("Ã…sa"), u"2"_s}, {qs("Å"), u"3"_s}}},
        ReadCase{"longList", longList(), longListRecords()},
        ReadCase{"caseKept",
                 "\"anna\",\"1\"\r\n\"Anna\",\"2\"\r\n",
                 {{u"anna"_s, u"1"_s}, {u"Anna"_s, u"2"_s}}}),
    [](const auto& info) { return std::string(info.param.label); });

struct DamagedCase {
    const char* label;
    QByteArray bytes;
    int line;
    Flaw flaw;
};

class DamagedList : public ::testing::TestWithParam<DamagedCase> {};

TEST_P(DamagedList, IsReportedWithItsLine)
{
    const auto result = parseProfileList(GetParam().bytes, u"/x/profiles.map"_s);
    ASSERT_FALSE(result.ok());
    EXPECT_EQ(result.error().kind, ErrorKind::Damaged);
    EXPECT_EQ(result.error().path, u"/x/profiles.map"_s);
    EXPECT_EQ(result.error().line, GetParam().line);
    EXPECT_EQ(result.error().flaw, GetParam().flaw);
}

INSTANTIATE_TEST_SUITE_P(
    ProfileList, DamagedList,
    ::testing::Values(
        DamagedCase{"unterminatedQuote", kStandardLine + "\"Anna,\"1234567\r\n", 2,
                    Flaw::ExtraText},
        DamagedCase{"quoteNeverClosed", kStandardLine + "\"Anna\",\"1234567\r\n", 2,
                    Flaw::UnterminatedQuote},
        DamagedCase{"nameOnly", kStandardLine + "\"Anna\"\r\n", 2, Flaw::MissingField},
        DamagedCase{"threeFields", "\"A\",\"1\",\"2\"\r\n", 1, Flaw::ExtraText},
        DamagedCase{"textAfterQuote", "\"A\"x,\"1\"\r\n", 1, Flaw::ExtraText},
        DamagedCase{"dotDotId", "\"A\",\"..\"\r\n", 1, Flaw::BadIdentifier},
        DamagedCase{"slashId", "\"A\",\"1/../../etc\"\r\n", 1, Flaw::BadIdentifier},
        DamagedCase{"driveId", "\"A\",\"c:\\\\\"\r\n", 1, Flaw::BadIdentifier},
        DamagedCase{"emptyId", "\"A\",\"\"\r\n", 1, Flaw::BadIdentifier},
        DamagedCase{"emptyUnquotedId", "A,\r\n", 1, Flaw::BadIdentifier},
        DamagedCase{"quoteInsideUnquoted", "An\"na,1\r\n", 1, Flaw::BadCharacter},
        DamagedCase{"controlCharacterInName", "\"A\tB\",\"1\"\r\n", 1, Flaw::BadCharacter},
        DamagedCase{"lateInALongList", longList(2900), longListLine(2900), Flaw::MissingField},
        DamagedCase{"inBothHalvesOfALongList", longList(10, 2900), longListLine(10),
                    Flaw::MissingField},
        DamagedCase{"byteOutsideCodePage", kStandardLine + "\r\n\"A\x81\",\"2\"\r\n", 3,
                    Flaw::BadEncoding},
        DamagedCase{"markThenCodePage", "\xef\xbb\xbf" + kStandardLine + "\"\xc5sa\",\"2\"\r\n", 2,
                    Flaw::BadEncoding},
        DamagedCase{"secondMark", "\xef\xbb\xbf\xef\xbb\xbf" + kStandardLine, 1,
                    Flaw::BadCharacter},
        // Saved as UTF-16, and cut short in the middle of a letter.
        DamagedCase{"utf16CutShort",
                    QByteArray("\xFF\xFE\"\0A\0\"\0,\0\"\0001\0\"\0\r\0\n\0\"", 21), 2,
                    Flaw::BadEncoding},
        DamagedCase{"utf16OneByte", "\xFE\xFF,", 1, Flaw::BadEncoding},
        DamagedCase{"utf16SecondMark", "\xFF\xFE\xFF\xFE", 1, Flaw::MissingField}),
    [](const auto& info) { return std::string(info.param.label); });

// --- Writing -------------------------------------------------------------

class ProfileListFile : public ::testing::Test {
protected:
    TempFolder dir;
    ProgramFolder folder{dir.path()};
    ProfileList list{folder};

    void makeProfile(const QString& id)
    {
        for (DataFile f : ProfileFileSet::listing)
            dir.write(u"profiles/"_s + id + u'/' + fileName(f), "data of " + id.toLatin1());
    }
};

TEST_F(ProfileListFile, FirstRunListIsExactlyOneLine)
{
    ASSERT_TRUE(list.createWithStandard().ok());
    EXPECT_EQ(dir.read(u"profiles.map"_s), kStandardLine);
    EXPECT_EQ(dir.entries(), QStringList{u"profiles.map"_s});
}

TEST_F(ProfileListFile, AppendKeepsEveryEarlierByteAndAddsOneLine)
{
    const QByteArray before = kStandardLine + "  Hand , 1234567 \r\n";
    dir.write(u"profiles.map"_s, before);
    ASSERT_TRUE(list.append({qs("Åsa, den äldre"), u"10999998"_s}).ok());
    EXPECT_EQ(dir.read(u"profiles.map"_s), before + "\"\xc5sa, den \xe4ldre\",\"10999998\"\r\n");
    EXPECT_FALSE(dir.exists(u"profiles.new"_s));
}

TEST_F(ProfileListFile, AppendToAUtf8ListWritesTheWholeListInTheCodePage)
{
    dir.write(u"profiles.map"_s, "\xef\xbb\xbf" + kStandardLine + "\"\xc3\x85sa\",\"2\"\r\n");
    ASSERT_TRUE(list.append({qs("Örjan"), u"3"_s}).ok());
    EXPECT_EQ(dir.read(u"profiles.map"_s),
              kStandardLine + "\"\xc5sa\",\"2\"\r\n\"\xd6rjan\",\"3\"\r\n");
}

TEST_F(ProfileListFile, AppendAfterALastLineWithoutLineEndStartsANewLine)
{
    dir.write(u"profiles.map"_s, "\"A\",\"1\"");
    ASSERT_TRUE(list.append({u"B"_s, u"2"_s}).ok());
    EXPECT_EQ(dir.read(u"profiles.map"_s), "\"A\",\"1\"\r\n\"B\",\"2\"\r\n");
    // A lone CR ends a line already: no empty line between.
    dir.write(u"profiles.map"_s, "\"A\",\"1\"\r");
    ASSERT_TRUE(list.append({u"B"_s, u"2"_s}).ok());
    EXPECT_EQ(dir.read(u"profiles.map"_s), "\"A\",\"1\"\r\"B\",\"2\"\r\n");
}

class UnstorableName : public ProfileListFile, public ::testing::WithParamInterface<const char*> {};

TEST_P(UnstorableName, IsRefusedBeforeAnythingIsWritten)
{
    dir.write(u"profiles.map"_s, kStandardLine);
    const Status status = list.append({qs(GetParam()), u"1234567"_s});
    ASSERT_FALSE(status.ok());
    EXPECT_EQ(status.error().kind, ErrorKind::NotStorable);
    EXPECT_EQ(dir.read(u"profiles.map"_s), kStandardLine);
    EXPECT_EQ(dir.entries(), QStringList{u"profiles.map"_s});

    // A refused name leaves nothing behind: every later write is whole.
    const QByteArray asa = "\"\xc5sa\",\"2000000\"\r\n";
    ASSERT_TRUE(list.append({qs("Åsa"), u"2000000"_s}).ok());
    EXPECT_EQ(dir.read(u"profiles.map"_s), kStandardLine + asa);
    ASSERT_TRUE(list.append({u"Bo"_s, u"3000000"_s}).ok());
    ASSERT_TRUE(list.remove(u"Bo"_s).ok());
    EXPECT_EQ(dir.read(u"profiles.map"_s), kStandardLine + asa);
    ASSERT_TRUE(SettingsFile(folder).write({kTrue, 3, qs("Åsa"), kFalse, kTrue}).ok());
    EXPECT_EQ(dir.read(u"tuvano.ini"_s), "#TRUE#\r\n3\r\n\"\xc5sa\"\r\n#FALSE#\r\n#TRUE#\r\n");
}

INSTANTIATE_TEST_SUITE_P(ProfileList, UnstorableName,
                         ::testing::Values("Say \"hi\"", "two\nlines", "cr\rname", "tab\there",
                                           "Ωmega", "emoji \xf0\x9f\x99\x82", "Łukasz",
                                           "zero\xe2\x80\x8bwidth", "Ã…sa"));

TEST_F(ProfileListFile, IdentifierThatIsNotAllDigitsIsRefused)
{
    dir.write(u"profiles.map"_s, kStandardLine);
    EXPECT_FALSE(list.append({u"A"_s, u"../1"_s}).ok());
    EXPECT_EQ(dir.read(u"profiles.map"_s), kStandardLine);
}

TEST_F(ProfileListFile, RemovalKeepsTheOthersInOrderQuotedAndDeletesTheFolder)
{
    dir.write(u"profiles.map"_s, kStandardLine + "\"Anna\",\"2000000\"\r\n Bo , 3000000\r\n");
    makeProfile(u"2000000"_s);
    makeProfile(u"3000000"_s);

    const auto removal = list.remove(u"Anna"_s);
    ASSERT_TRUE(removal.ok());
    EXPECT_EQ(removal->outcome, Removal::Folder::Removed);
    EXPECT_EQ(removal->id, u"2000000"_s);
    EXPECT_EQ(dir.read(u"profiles.map"_s), kStandardLine + "\"Bo\",\"3000000\"\r\n");
    EXPECT_FALSE(dir.exists(u"profiles.new"_s));
    EXPECT_FALSE(dir.exists(u"profiles/2000000"_s));
    EXPECT_TRUE(dir.exists(u"profiles/3000000/ro.vwi"_s));
}

TEST_F(ProfileListFile, RemovingAProfileWhoseFolderIsALinkIsRefusedAndChangesNothing)
{
    const QByteArray before = kStandardLine + "\"Anna\",\"2000000\"\r\n";
    dir.write(u"profiles.map"_s, before);
    makeProfile(u"1000000"_s);
    tuvano::test::makeSymbolicLink(dir.file(u"profiles/1000000"_s),
                                   dir.file(u"profiles/2000000"_s));
    if (IsSkipped())
        return;
    const auto snapshot = dir.snapshot();

    const auto removal = list.remove(u"Anna"_s);
    ASSERT_FALSE(removal.ok());
    EXPECT_EQ(removal.error().kind, ErrorKind::ForeignLink);
    EXPECT_EQ(dir.snapshot(), snapshot);
    EXPECT_TRUE(QFileInfo(dir.file(u"profiles/2000000"_s)).isSymLink());
}

TEST_F(ProfileListFile, RemovingADuplicatedNameDropsAllAndDeletesOnlyTheLastFolder)
{
    dir.write(u"profiles.map"_s,
              kStandardLine + "\"Bo\",\"2000000\"\r\n\"Cy\",\"4000000\"\r\n\"Bo\",\"3000000\"\r\n");
    makeProfile(u"2000000"_s);
    makeProfile(u"3000000"_s);

    const auto removal = list.remove(u"Bo"_s);
    ASSERT_TRUE(removal.ok());
    EXPECT_EQ(removal->id, u"3000000"_s);
    EXPECT_EQ(dir.read(u"profiles.map"_s), kStandardLine + "\"Cy\",\"4000000\"\r\n");
    EXPECT_TRUE(dir.exists(u"profiles/2000000/lx98.vwi"_s));
    EXPECT_FALSE(dir.exists(u"profiles/3000000"_s));
}

TEST_F(ProfileListFile, RemovingAnUnknownNameChangesNothing)
{
    const QByteArray before = kStandardLine + "\"Anna\",\"2000000\"\r\n";
    dir.write(u"profiles.map"_s, before);
    const auto removal = list.remove(u"anna"_s);
    ASSERT_FALSE(removal.ok());
    EXPECT_EQ(removal.error().kind, ErrorKind::NoSuchProfile);
    EXPECT_EQ(dir.read(u"profiles.map"_s), before);
    EXPECT_FALSE(dir.exists(u"profiles.new"_s));
}

TEST_F(ProfileListFile, AFolderWithOtherFilesKeepsThemAndStays)
{
    dir.write(u"profiles.map"_s, kStandardLine + "\"Anna\",\"2000000\"\r\n");
    makeProfile(u"2000000"_s);
    dir.write(u"profiles/2000000/notes.txt"_s, "mine");

    const auto removal = list.remove(u"Anna"_s);
    ASSERT_TRUE(removal.ok());
    EXPECT_EQ(removal->outcome, Removal::Folder::HoldsOtherFiles);
    EXPECT_EQ(dir.read(u"profiles/2000000/notes.txt"_s), "mine");
    EXPECT_FALSE(dir.exists(u"profiles/2000000/ro.vwi"_s));
    EXPECT_EQ(dir.read(u"profiles.map"_s), kStandardLine);
}

TEST_F(ProfileListFile, AFolderStillNamedByAnotherRecordIsNotTouched)
{
    dir.write(u"profiles.map"_s, kStandardLine + "\"Kopia\",\"1000000\"\r\n");
    makeProfile(u"1000000"_s);

    const auto removal = list.remove(u"Kopia"_s);
    ASSERT_TRUE(removal.ok());
    EXPECT_EQ(removal->outcome, Removal::Folder::SharedId);
    EXPECT_EQ(dir.read(u"profiles/1000000/ro.vwi"_s), "data of 1000000");
}

TEST_F(ProfileListFile, ADamagedListIsNeitherRewrittenNorRemovedFrom)
{
    const QByteArray damaged = kStandardLine + "\"Anna\",\"..\"\r\n";
    dir.write(u"profiles.map"_s, damaged);
    makeProfile(u"1000000"_s);
    EXPECT_FALSE(list.remove(u"Anna"_s).ok());
    EXPECT_TRUE(dir.exists(u"profiles/1000000/ro.vwi"_s));
}

// --- Failures on the way ---------------------------------------------------

TEST_F(ProfileListFile, AFolderInPlaceOfTheListIsAReadFailure)
{
    QDir().mkpath(dir.file(u"profiles.map"_s));
    const auto result = list.read();
    ASSERT_FALSE(result.ok());
    EXPECT_EQ(result.error().kind, ErrorKind::ReadFailed);
}

TEST_F(ProfileListFile, AMissingListIsReportedAsMissing)
{
    const auto result = list.read();
    ASSERT_FALSE(result.ok());
    EXPECT_EQ(result.error().kind, ErrorKind::Missing);
    EXPECT_EQ(result.error().path, dir.file(u"profiles.map"_s));
}

// Every operation that changes the list, failed at each of its file
// operations in turn: the list is always the old one or the new one, whole,
// and no temporary file stays behind.
class ListWriteFailure : public ProfileListFile, public ::testing::WithParamInterface<int> {};

TEST_P(ListWriteFailure, LeavesTheOldListByteForByte)
{
    const QByteArray before = kStandardLine + "\"Anna\",\"2000000\"\r\n";
    dir.write(u"profiles.map"_s, before);
    makeProfile(u"2000000"_s);
    FaultyFileOps ops;
    ops.failAt = GetParam();
    const ProfileList faulty{ProgramFolder(dir.path(), ops)};

    const bool appended = faulty.append({u"Bo"_s, u"3000000"_s}).ok();
    const QByteArray afterAppend = dir.read(u"profiles.map"_s);
    EXPECT_TRUE(afterAppend == before ||
                (appended && afterAppend == before + "\"Bo\",\"3000000\"\r\n"));
    EXPECT_FALSE(dir.exists(u"profiles.new"_s));

    dir.write(u"profiles.map"_s, before);
    ops.count = 0;
    const auto removed = faulty.remove(u"Anna"_s);
    EXPECT_EQ(dir.read(u"profiles.map"_s), removed.ok() ? kStandardLine : before);
    EXPECT_FALSE(dir.exists(u"profiles.new"_s));
}

INSTANTIATE_TEST_SUITE_P(ProfileList, ListWriteFailure, ::testing::Range(1, 11));

TEST_F(ProfileListFile, AFolderInPlaceOfTheTemporaryFileFailsTheWrite)
{
    dir.write(u"profiles.map"_s, kStandardLine);
    QDir().mkpath(dir.file(u"profiles.new"_s));
    const Status status = list.append({u"Bo"_s, u"3000000"_s});
    ASSERT_FALSE(status.ok());
    EXPECT_EQ(status.error().kind, ErrorKind::WriteFailed);
    EXPECT_EQ(status.error().path, dir.file(u"profiles.map"_s));
    EXPECT_EQ(dir.read(u"profiles.map"_s), kStandardLine);
}

TEST_F(ProfileListFile, ACrashBeforeTheRenameLeavesTheOldListAndATempThatStartUpRemoves)
{
    dir.write(u"profiles.map"_s, kStandardLine);
    FaultyFileOps ops;
    ops.crashAt = 3; // read, write the temporary file, then the rename
    const ProfileList faulty{ProgramFolder(dir.path(), ops)};
    EXPECT_THROW((void)faulty.append({u"Bo"_s, u"3000000"_s}), tuvano::test::SimulatedCrash);
    EXPECT_EQ(dir.read(u"profiles.map"_s), kStandardLine);
    EXPECT_TRUE(dir.exists(u"profiles.new"_s));

    folder.removeLeftovers();
    EXPECT_EQ(dir.entries(), QStringList{u"profiles.map"_s});
}

} // namespace
