// A session cut short (the program killed while the host ran, or during the
// write-back) is settled at the next start, as its record says.

#include "SessionFixture.h"

#include <QFile>

#include <functional>
#include <optional>

using namespace tuvano;
using namespace Qt::StringLiterals;
using platform::Answer;
using store::DataFile;
using store::ProfileFileSet;
using test::qs;

namespace {

QByteArray
record(const char* phase, const char* name, const char* id,
       const char* files = "\"lx98.vwi\",\"recent.vwi\",\"glblstat.vwi\",\"plug-in.vwi\","
                           "\"ro.vwi\"")
{
    return QByteArray("\"phase\",\"") + phase + "\"\r\n\"profile\",\"" + name + "\",\"" + id +
           "\"\r\n\"files\"," + files + "\r\n";
}

enum class Profile { Old, Session };

struct RecoveryCase {
    const char* label;
    QByteArray record;
    std::optional<Answer> answer; // the question's, when one is asked
    Profile anna;                 // what Anna's folder holds afterwards
    const char* told = "";        // a message that must be shown (besides a question)
    bool hostRunning = false;
    // Anything else to lay out: a save half done, say.
    std::function<void(const test::TempFolder&)> layOut = {};
    const char* phaseAfter = "idle"; // of the record afterwards; "" none
    bool waits = false;              // for the host's start, which comes later
};

void PrintTo(const RecoveryCase& c, std::ostream* os) { *os << c.label; }

class Recovery : public test::SessionFixture, public ::testing::WithParamInterface<RecoveryCase> {
protected:
    QByteArray session(DataFile f) { return profileContent(u"2000000"_s, f) + "!"; }

    void SetUp() override
    {
        const RecoveryCase& c = GetParam();
        layOutStore(settings("#FALSE#", 3, "Bo", "#FALSE#"), kProfiles);
        for (DataFile f : ProfileFileSet::listing)
            dir.write(store::fileName(f).toString(), session(f));
        dir.write(u"tuvano.session"_s, c.record);
        if (c.layOut)
            c.layOut(dir);
        platform.hostRunning = c.hostRunning;
        if (c.answer)
            platform.answers = {*c.answer};
    }
};

TEST_P(Recovery, SettlesTheSessionAsItsRecordSays)
{
    const RecoveryCase& c = GetParam();
    const auto liveBefore = [&] {
        QMap<QString, QByteArray> files;
        for (DataFile f : ProfileFileSet::listing)
            files.insert(store::fileName(f).toString(), live(f));
        return files;
    }();
    platform.onMessage = [&](const test::Box&) {
        // Until the question is answered, nothing else runs.
        EXPECT_FALSE(forms && main().tmrDefault->isActive());
    };
    ASSERT_TRUE(start());
    EXPECT_EQ(main().waitPanel->isVisibleTo(&main()), c.waits);
    EXPECT_EQ(main().cmdWait->isVisibleTo(&main()), c.waits);
    if (c.waits) {
        EXPECT_FALSE(main().cmdGo->isEnabled());
        main().tmrRun_Timer();
        EXPECT_EQ(loadedMonitor(), nullptr);
        platform.hostRunning = true;
    }
    if (c.hostRunning || c.waits) {
        EXPECT_EQ(hostStarts().lblProfilnamn->text(), u"Profilnamn: Anna"_s);
        platform.endHost();
        loadedMonitor()->tmrCheck_Timer();
    }
    EXPECT_TRUE(platform.answers.empty()) << "the question was not asked";
    for (DataFile f : ProfileFileSet::listing) {
        EXPECT_EQ(inProfile(u"2000000"_s, f),
                  c.anna == Profile::Session ? session(f) : profileContent(u"2000000"_s, f))
            << store::fileName(f).toString().toStdString();
        EXPECT_EQ(inProfile(u"3000000"_s, f), profileContent(u"3000000"_s, f));
        EXPECT_EQ(live(f), liveBefore.value(store::fileName(f).toString()));
    }
    if (*c.phaseAfter)
        EXPECT_TRUE(dir.read(u"tuvano.session"_s)
                        .startsWith(QByteArray("\"phase\",\"").append(c.phaseAfter)));
    else
        EXPECT_FALSE(dir.exists(u"tuvano.session"_s));
    QStringList staged = dir.entries().filter(u".tuvano-save"_s);
    EXPECT_EQ(staged, QStringList());
    if (*c.told) {
        bool shown = false;
        for (const test::Box& box : platform.boxes)
            shown = shown || box.text.contains(qs(c.told));
        EXPECT_TRUE(shown) << platform.titles().join(u", "_s).toStdString();
    }
    EXPECT_TRUE(main().tmrDefault->isActive() || c.hostRunning || c.waits);
}

void stageHalf(const test::TempFolder& dir, const char* renamedAlready)
{
    for (DataFile f : ProfileFileSet::listing) {
        const QString name = store::fileName(f).toString();
        const QByteArray content = "profile 2000000 " + name.toLatin1() + "!";
        if (name.toLatin1().startsWith(renamedAlready))
            dir.write(u"profiles/2000000/"_s + name, content);
        else
            dir.write(u"profiles/2000000/."_s + name + u".tuvano-save"_s, content);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Session, Recovery,
    ::testing::Values(
        RecoveryCase{"liveSaved", record("live", "Anna", "2000000"), Answer::Yes, Profile::Session},
        RecoveryCase{"liveGivenUp", record("live", "Anna", "2000000"), Answer::No, Profile::Old},
        RecoveryCase{"liveWithTheHostStillRunning", record("live", "Anna", "2000000"), std::nullopt,
                     Profile::Session, "", true},
        RecoveryCase{"copyingIn",
                     record("copying in", "Anna", "2000000", "\"lx98.vwi\""),
                     std::nullopt,
                     Profile::Old,
                     "",
                     false,
                     {},
                     ""},
        // Ended or killed while the host was still starting: the wait goes
        // on, and the host is taken over with its profile.
        RecoveryCase{"waitingForTheHostsStart",
                     record("live", "Anna", "2000000") + "\"waiting for\",\"host start\"\r\n",
                     std::nullopt,
                     Profile::Session,
                     "",
                     false,
                     {},
                     "idle",
                     true},
        // ... unless it came and went meanwhile: its files have changed.
        RecoveryCase{"waitingButTheHostCameAndWent",
                     record("live", "Anna", "2000000") +
                         "\"waiting for\",\"host start\"\r\n\"seen\",\"ro.vwi\",\"1\",\"0\"\r\n",
                     Answer::Yes, Profile::Session},
        RecoveryCase{"idle", record("idle", "Anna", "2000000"), std::nullopt, Profile::Old},
        // A host ran on the owner's files while no program watched.
        RecoveryCase{"idleButChangedUnseen",
                     record("idle", "Anna", "2000000") + "\"seen\",\"ro.vwi\",\"1\",\"0\"\r\n",
                     Answer::Yes, Profile::Session, "Lexaro har körts med profilen Anna"},
        RecoveryCase{"idleButChangedUnseenNej",
                     record("idle", "Anna", "2000000") + "\"seen\",\"ro.vwi\",\"1\",\"0\"\r\n",
                     Answer::No, Profile::Old},
        RecoveryCase{"savingHalfDone", record("saving", "Anna", "2000000"), std::nullopt,
                     Profile::Session, "", false,
                     [](const test::TempFolder& dir) {
                         stageHalf(dir, "r");
                     }},
        RecoveryCase{"profileGone",
                     record("live", "Cecilia", "4000000"),
                     std::nullopt,
                     Profile::Old,
                     "finns inte längre i profillistan",
                     false,
                     {},
                     ""},
        RecoveryCase{"identifierNowAnothers",
                     record("live", "Anna", "3000000"),
                     std::nullopt,
                     Profile::Old,
                     "heter nu Bo",
                     false,
                     {},
                     ""},
        RecoveryCase{"unreadable",
                     "\"phase\",\"halfway\"\r\n",
                     std::nullopt,
                     Profile::Old,
                     "tuvano.session.bak",
                     false,
                     {},
                     ""},
        // The user ticked not to keep the changes, then the program was
        // killed: that choice stands, and no question asks it again.
        RecoveryCase{"liveNotToBeKept",
                     record("live", "Anna", "2000000") + "\"changes\",\"discard\"\r\n",
                     std::nullopt, Profile::Old, "Som Du valde"}),
    [](const auto& info) { return std::string(info.param.label); });

// The host of a session from before the start ends before it was taken
// over: the session is saved all the same, as after a takeover.
class RecoveredHost : public test::SessionFixture {};

TEST_F(RecoveredHost, EndingBeforeTheTakeoverStillSavesTheSession)
{
    layOutStore(settings("#FALSE#", 0, "Bo", "#FALSE#"), kProfiles);
    for (DataFile f : ProfileFileSet::listing)
        dir.write(store::fileName(f).toString(), "session " + store::fileName(f).toLatin1());
    dir.write(u"tuvano.session"_s, record("live", "Anna", "2000000"));
    platform.hostRunning = true;
    ASSERT_TRUE(start());
    EXPECT_FALSE(main().cmdGo->isEnabled());
    platform.endHost();
    main().tmrRun_Timer();
    for (DataFile f : ProfileFileSet::listing)
        EXPECT_EQ(inProfile(u"2000000"_s, f), "session " + store::fileName(f).toLatin1());
    EXPECT_TRUE(main().cmdGo->isEnabled());
    EXPECT_TRUE(dir.read(u"tuvano.session"_s).startsWith("\"phase\",\"idle\""));
}

TEST(RecoveryRecord, AnUnreadableRecordIsKeptAsideByteForByte)
{
    test::TempFolder dir;
    dir.write(u"tuvano.session"_s, "\xff\xfe garbage");
    const store::ProgramFolder folder(dir.path());
    ASSERT_FALSE(store::SessionFile(folder).read().ok());
    ASSERT_TRUE(store::SessionFile(folder).keepAside().ok());
    EXPECT_EQ(dir.read(u"tuvano.session.bak"_s), "\xff\xfe garbage");
}

} // namespace
