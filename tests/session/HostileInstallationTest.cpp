// Unusual but real installations, met through the windows as a user meets
// them: write-protected files, links into other profiles or out of the
// program folder, files saved by other editors. Each row says what the user
// must hear and what must stay exactly as it was.

#include "SessionFixture.h"
#include "admin/frmAdd.h"
#include "admin/frmProfiles.h"
#include "settings/frmSettings.h"
#include "store/SessionRecord.h"
#include "support/FaultyFileOps.h"
#include "support/FileHolder.h"
#include "widgets/ChoiceList.h"

#include <QDir>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

#include <array>
#include <chrono>
#include <list>
#include <vector>

#ifndef Q_OS_WIN
#include <sys/stat.h>
#endif

using namespace tuvano;
using namespace Qt::StringLiterals;
using store::DataFile;
using store::ProfileFileSet;
using test::qs;

namespace {

class HostileInstallation;

struct Row {
    const char* name;
    void (*lay)(HostileInstallation&);     // makes the installation hostile
    void (*act)(HostileInstallation&);     // what the user does once the program runs
    std::vector<const char*> told;         // in the messages shown; none: no message
    std::vector<const char*> kept;         // entries left exactly as they were
    void (*check)(HostileInstallation&){}; // whatever else must hold
    bool starts = true;                    // whether the program starts at all
};

void PrintTo(const Row& row, std::ostream* os) { *os << row.name; }

class HostileInstallation : public test::SessionFixture, public ::testing::WithParamInterface<Row> {
public:
    static std::vector<Row> rows();

protected:
    // Lexaro where a careful user may well have it: in a folder whose path
    // has blanks and Swedish letters, and whose files lie deeper than the 260
    // characters Windows' own calls take without help.
    HostileInstallation()
        : SessionFixture(u"Lexaro för Åsa och Örjan/"_s +
                         QString(u"Program med ett mycket långt namn "_s).repeated(5).trimmed())
    {}

    test::TempFolder elsewhere; // a folder outside the program folder
    // Holds a file as another program would, for good.
    test::FaultyFileOps heldOpen;
    std::list<test::FileHolder> holders;

    // Another program holds the file (relative to the program folder) for ms
    // milliseconds from now, sharing as named: on Windows a real process;
    // elsewhere, where no program can hold a file so, the program's file
    // operations play the holder, one sharing only reads with others.
    void hold(const char* relative, const char* sharing, int ms)
    {
        const QString path = dir.file(QString::fromUtf8(relative));
#ifdef Q_OS_WIN
        ASSERT_TRUE(holders.emplace_back().hold(sharing, path, ms));
#else
        Q_UNUSED(sharing);
        heldOpen.held = QFileInfo(path).canonicalFilePath();
        heldOpen.heldFor = std::chrono::milliseconds(ms);
#endif
    }

    void SetUp() override
    {
#ifndef Q_OS_WIN
        platform.ops = &heldOpen; // the real file system until a file is held
#endif
        installHost();
        layOutStore(settings("#FALSE#", 0, "Anna", "#FALSE#"), kProfiles);
    }

    static void readOnly(const QString& path)
    {
        ASSERT_TRUE(QFile::setPermissions(path, QFile::ReadOwner | QFile::ReadGroup));
    }
    static void link(const QString& path, const QString& target)
    {
        test::makeSymbolicLink(target, path);
    }

    // An entry as it stands: a link and where it leads, the mode and bytes of
    // a file, every entry of a folder.
    QString standing(const QString& relative) const
    {
        const QFileInfo info(dir.file(relative));
        QString text = relative;
        if (info.isSymLink())
            text += u" -> "_s + info.symLinkTarget();
        if (info.isDir() && !info.isSymLink()) {
            const auto names = QDir(info.filePath())
                                   .entryList(QDir::AllEntries | QDir::NoDotAndDotDot |
                                                  QDir::Hidden | QDir::System,
                                              QDir::Name);
            for (const QString& name : names)
                text += u"\n"_s + standing(relative + u'/' + name);
            return text;
        }
        return text + u" mode "_s + QString::number(int(info.permissions()), 16) + u' ' +
               QString::fromLatin1(dir.read(relative).toHex());
    }

    void admin()
    {
        if (!forms->profiles())
            QTest::mouseClick(control(&main(), "lblAdministreraProfiler"), Qt::LeftButton);
    }
    void deleteProfile(const QString& name)
    {
        admin();
        QListWidget* list = forms->profiles()->lstProfiles;
        list->setCurrentItem(list->findItems(name, Qt::MatchExactly).value(0));
        platform.answers = {platform::Answer::Yes};
        forms->profiles()->cmdDel_Click();
    }
    void createProfile(const QString& base = u"Standardprofil"_s)
    {
        admin();
        forms->profiles()->cmdAdd_Click();
        forms->add()->cmbProfiles->setListIndex(forms->add()->cmbProfiles->findText(base));
        forms->add()->cmdDo_Click();
    }
    void startProfile(const QString& name)
    {
        choose(name);
        main().cmdGo_Click();
    }
    // A host that was launched runs, changes every live file it may write to
    // and ends; the monitor notices it.
    void hostRuns()
    {
        if (platform.launched.isEmpty())
            return;
        hostStarts();
        for (DataFile f : ProfileFileSet::listing) {
            const QFileInfo info(dir.file(store::fileName(f).toString()));
            if (info.permissions() & QFile::WriteOwner)
                dir.write(store::fileName(f).toString(), live(f) + "changed by the host");
        }
        platform.endHost();
        loadedMonitor()->tmrCheck_Timer();
    }
    void session(const QString& name)
    {
        startProfile(name);
        hostRuns();
    }

    QString boxTexts() const
    {
        QStringList texts;
        for (const test::Box& box : platform.boxes)
            texts << box.text;
        return texts.join(u"\n---\n"_s);
    }
    QStringList mainList()
    {
        QStringList names;
        for (int i = 0; i < main().cmbProfiler->count(); ++i)
            names << main().cmbProfiler->itemText(i);
        return names;
    }
    QByteArray annaSaved(DataFile f)
    {
        return profileContent(u"2000000"_s, f) + "changed by the host";
    }

    // Where Windows keeps this user's copy of a live file (LOCALAPPDATA in
    // the other folder): under the program folder's path without its drive.
    static constexpr std::array kRedirected{"ro.vwi", "recent.vwi"};
    QString redirected(const char* name) const
    {
        const QString folder = QDir(dir.path()).absolutePath();
        return u"VirtualStore"_s + folder.mid(folder.indexOf(u'/')) + u'/' + qs(name);
    }
    void redirect(bool annaOwnsTheLiveFiles)
    {
        platform.localAppData = elsewhere.path();
        for (const char* name : kRedirected)
            elsewhere.write(redirected(name), QByteArray("redirected ") + name);
        if (!annaOwnsTheLiveFiles)
            return;
        const store::ProgramFolder folder(dir.path());
        store::SessionRecord record;
        record.phase = store::SessionPhase::Idle;
        record.profile = {u"Anna"_s, u"2000000"_s};
        record.files.assign(ProfileFileSet::listing.begin(), ProfileFileSet::listing.end());
        record.seen = store::liveFilesNow(folder);
        ASSERT_TRUE(store::SessionFile(folder).write(record).ok());
    }
    void expectRedirectedKept() const
    {
        for (const char* name : kRedirected)
            EXPECT_EQ(elsewhere.read(redirected(name)), QByteArray("redirected ") + name);
    }
};

TEST_P(HostileInstallation, IsTreatedSafely)
{
    const Row& row = GetParam();
    if (row.lay)
        row.lay(*this);
    if (IsSkipped())
        return;
    std::vector<QString> before;
    for (const char* entry : row.kept)
        before.push_back(standing(QString::fromUtf8(entry)));

    ASSERT_EQ(start(), row.starts) << boxTexts().toStdString();
    if (row.starts && row.act)
        row.act(*this);
    if (IsSkipped())
        return;

    const QString told = boxTexts();
    if (row.told.empty()) {
        EXPECT_EQ(told, QString());
    }
    // The fragments write paths the Linux way; messages in the system's way.
    for (const char* fragment : row.told)
        EXPECT_TRUE(QDir::fromNativeSeparators(told).contains(qs(fragment)))
            << fragment << " not in:\n"
            << told.toStdString();
    for (std::size_t i = 0; i < row.kept.size(); ++i)
        EXPECT_EQ(standing(QString::fromUtf8(row.kept[i])), before[i]);
    if (row.check)
        row.check(*this);
}

std::vector<Row> HostileInstallation::rows()
{
    using H = HostileInstallation;
    const auto protectList = [](H& h) {
        readOnly(h.dir.file(u"profiles.map"_s));
    };
    const auto boLinksToAnna = [](H& h) {
        QDir(h.dir.file(u"profiles/3000000"_s)).removeRecursively();
        link(h.dir.file(u"profiles/3000000"_s), h.dir.file(u"profiles/2000000"_s));
    };
    // What the folder holds, for the rows that must change nothing.
    const std::vector<const char*> everything{"profiles.map", "tuvano.ini", "profiles",
                                              "ro.vwi",       "recent.vwi", "lx98.vwi"};
    return {
        // As under "Program Files" for an ordinary user: told before
        // anything is read or written.
        {"ProgramFolderThisUserMayNotWrite",
         [](H& h) { h.platform.folderWriteDenied = true; },
         nullptr,
         {"kan inte starta eftersom Du inte har behörighet att skriva i programmappen",
          "\"Program Files\"", "behörigheten Ändra", "Ingenting har ändrats."},
         everything,
         [](H& h) {
             EXPECT_TRUE(h.boxTexts().contains(QDir::toNativeSeparators(h.dir.path())));
             EXPECT_FALSE(h.forms);
         },
         false},
        // Lexaro reads Windows' copies instead of the files swapped in: no
        // profile starts until they are gone.
        {"RedirectedCopiesWithoutAnOwner",
         [](H& h) { h.redirect(false); },
         nullptr,
         {"Windows har sparat egna exemplar av Lexaros filer", "ro.vwi, recent.vwi",
          "/VirtualStore/", "Flytta filerna ur mappen", "avslutas utan att något har ändrats"},
         everything,
         [](H& h) { h.expectRedirectedKept(); },
         false},
        {"RedirectedCopiesWhileTheHostRuns",
         [](H& h) {
             h.redirect(true);
             h.platform.hostRunning = true;
         },
         nullptr,
         {"Lexaro körs just nu", "avslutas utan att något har ändrats"},
         {"profiles", "ro.vwi", "recent.vwi", "tuvano.session"},
         [](H& h) { h.expectRedirectedKept(); },
         false},
        {"RedirectedCopiesKeptWhenTheUserSaysNo",
         [](H& h) {
             h.redirect(true);
             h.platform.answers = {platform::Answer::No};
         },
         nullptr,
         {"Vill Du flytta dem till profilen Anna"},
         {"profiles", "ro.vwi", "recent.vwi", "tuvano.session"},
         [](H& h) {
             h.expectRedirectedKept();
             EXPECT_EQ(h.platform.boxes.at(0).buttons, platform::Buttons::YesNoDefaultNo);
         },
         false},
        // Moved into the profile that owns the live files, and over those,
        // which are not then taken for a host's run that no one watched.
        {"RedirectedCopiesMovedIntoTheLiveFilesOwner",
         [](H& h) {
             h.redirect(true);
             h.platform.answers = {platform::Answer::Yes};
         },
         nullptr,
         {"Vill Du flytta dem till profilen Anna"},
         {"profiles/1000000", "profiles/3000000"},
         [](H& h) {
             for (const char* name : kRedirected) {
                 const QByteArray copy = QByteArray("redirected ") + name;
                 EXPECT_EQ(h.dir.read(u"profiles/2000000/"_s + qs(name)), copy);
                 EXPECT_EQ(h.dir.read(qs(name)), copy);
                 EXPECT_FALSE(h.elsewhere.exists(h.redirected(name)));
             }
             EXPECT_EQ(h.platform.boxes.size(), 1u);
             EXPECT_TRUE(h.main().cmdGo->isEnabled());
         }},
        {"WriteProtectedListOnDelete",
         protectList,
         [](H& h) { h.deleteProfile(u"Bo"_s); },
         {"Profilen Bo kunde inte tas bort. Ingenting har ändrats.", "skrivskyddad",
          "profiles.map"},
         {"profiles.map", "profiles"}},
        {"WriteProtectedListOnCreate",
         protectList,
         [](H& h) { h.createProfile(); },
         {"Ingenting har lagts till.", "skrivskyddad", "profiles.map"},
         {"profiles.map", "profiles"}},
        {"WriteProtectedSettingsOnApply",
         [](H& h) { readOnly(h.dir.file(u"tuvano.ini"_s)); },
         [](H& h) {
             h.forms->showSettingsAfresh();
             h.forms->settingsWindow()->opt10->setChecked(true);
             h.forms->settingsWindow()->cmdDo_Click();
         },
         {"Inställningarna kunde inte sparas.", "skrivskyddad", "tuvano.ini"},
         {"tuvano.ini"},
         [](H& h) {
             EXPECT_EQ(h.state().nAutoSelectDelay, 0);
         }},
        {"ProfileFolderLinkedToAnotherOnDelete",
         boLinksToAnna,
         [](H& h) { h.deleteProfile(u"Bo"_s); },
         {"Profilen Bo kunde inte tas bort.", "länk till en annan profils mapp", "3000000"},
         {"profiles.map", "profiles"}},
        {"ProfileFolderLinkedToAnotherOnStart",
         boLinksToAnna,
         [](H& h) { h.session(u"Bo"_s); },
         {"Profilen Bo kan inte startas.", "länk till en annan profils mapp", "3000000"},
         {"profiles", "ro.vwi", "glblstat.vwi", "plug-in.vwi", "recent.vwi", "lx98.vwi"},
         [](H& h) {
             EXPECT_TRUE(h.platform.launched.isEmpty());
             EXPECT_TRUE(h.main().cmdGo->isEnabled());
         }},
        {"LiveFileLinkedOutside",
         [](H& h) {
             h.elsewhere.write(u"ro.vwi"_s, h.live(DataFile::Ro));
             link(h.dir.file(u"ro.vwi"_s), h.elsewhere.file(u"ro.vwi"_s));
         },
         [](H& h) { h.session(u"Anna"_s); },
         {},
         {"profiles/1000000", "profiles/3000000"},
         [](H& h) {
             EXPECT_EQ(QFileInfo(h.dir.file(u"ro.vwi"_s)).symLinkTarget(),
                       h.elsewhere.file(u"ro.vwi"_s));
             EXPECT_EQ(h.elsewhere.read(u"ro.vwi"_s), h.annaSaved(DataFile::Ro));
             for (DataFile f : ProfileFileSet::listing)
                 EXPECT_EQ(h.inProfile(u"2000000"_s, f), h.annaSaved(f));
             EXPECT_EQ(h.elsewhere.entries(), QStringList{u"ro.vwi"_s});
         }},
        // Whatever the host wrote into its file would land in Bo's profile:
        // the start is refused.
        {"LiveFileLinkedIntoAnotherProfile",
         [](H& h) { link(h.dir.file(u"ro.vwi"_s), h.dir.file(u"profiles/3000000/ro.vwi"_s)); },
         [](H& h) { h.session(u"Anna"_s); },
         {"Profilen Anna kan inte startas.", "ro.vwi", "länk till en annan profils mapp"},
         {"profiles", "ro.vwi", "lx98.vwi"},
         [](H& h) {
             EXPECT_TRUE(h.platform.launched.isEmpty());
         }},
        // Anna's file leads into Bo's folder from the start: it is not loaded,
        // and the rest of the session is saved.
        {"ProfileFileLinkedIntoAnotherAtStart",
         [](H& h) {
             link(h.dir.file(u"profiles/2000000/ro.vwi"_s),
                  h.dir.file(u"profiles/3000000/ro.vwi"_s));
         },
         [](H& h) { h.session(u"Anna"_s); },
         {"ro.vwi (filen är en länk till en annan profils mapp)"},
         {"profiles/3000000", "profiles/2000000/ro.vwi"},
         [](H& h) {
             for (DataFile f :
                  {DataFile::Glblstat, DataFile::PlugIn, DataFile::Recent, DataFile::Lx98})
                 EXPECT_EQ(h.inProfile(u"2000000"_s, f), h.annaSaved(f));
         }},
        // The link appears while the host runs: nothing of the session goes
        // anywhere, the user is told why.
        {"ProfileFileLinkedIntoAnotherAtWriteBack",
         nullptr,
         [](H& h) {
             h.startProfile(u"Anna"_s);
             link(h.dir.file(u"profiles/2000000/ro.vwi"_s),
                  h.dir.file(u"profiles/3000000/ro.vwi"_s));
             h.platform.answers = {platform::Answer::No};
             h.hostRuns();
         },
         {"ro.vwi (filen är en länk till en annan profils mapp)", "sparas ingenting"},
         {"profiles/3000000"},
         [](H& h) {
             for (DataFile f :
                  {DataFile::Glblstat, DataFile::PlugIn, DataFile::Recent, DataFile::Lx98})
                 EXPECT_EQ(h.inProfile(u"2000000"_s, f), h.profileContent(u"2000000"_s, f));
             EXPECT_TRUE(h.platform.answers.empty());
         }},
        // The program was killed while the host ran, and started again while
        // it still runs: until the host ends, nothing may replace the files
        // that hold the session.
        {"RestartedWhileTheHostStillRuns",
         [](H& h) {
             h.dir.write(
                 u"tuvano.session"_s,
                 "\"phase\",\"live\"\r\n\"profile\",\"Anna\",\"2000000\"\r\n\"files\","
                 "\"lx98.vwi\",\"recent.vwi\",\"glblstat.vwi\",\"plug-in.vwi\",\"ro.vwi\"\r\n");
             for (DataFile f : ProfileFileSet::listing)
                 h.dir.write(store::fileName(f).toString(), h.annaSaved(f));
             h.platform.hostRunning = true;
         },
         [](H& h) {
             h.startProfile(u"Bo"_s);
             h.main().tmrRun_Timer();
             h.platform.endHost();
             h.loadedMonitor()->tmrCheck_Timer();
         },
         {},
         {"profiles/1000000", "profiles/3000000"},
         [](H& h) {
             EXPECT_TRUE(h.platform.launched.isEmpty());
             for (DataFile f : ProfileFileSet::listing)
                 EXPECT_EQ(h.inProfile(u"2000000"_s, f), h.annaSaved(f));
             EXPECT_TRUE(h.main().cmdGo->isEnabled());
         }},
        // The host removes one of its files during the session: the rest is
        // saved as one set, and Anna keeps her own copy of the removed one.
        {"HostRemovesALiveFile",
         nullptr,
         [](H& h) {
             h.startProfile(u"Anna"_s);
             h.hostStarts();
             for (DataFile f : ProfileFileSet::listing)
                 h.dir.write(store::fileName(f).toString(), h.annaSaved(f));
             QFile::remove(h.dir.file(u"recent.vwi"_s));
             h.platform.endHost();
             h.loadedMonitor()->tmrCheck_Timer();
         },
         {"Lexaro tog bort följande filer", "recent.vwi", "har kvar sina egna exemplar"},
         {"profiles/2000000/recent.vwi", "profiles/3000000"},
         [](H& h) {
             for (DataFile f : {DataFile::Ro, DataFile::Glblstat, DataFile::PlugIn, DataFile::Lx98})
                 EXPECT_EQ(h.inProfile(u"2000000"_s, f), h.annaSaved(f));
             EXPECT_TRUE(h.dir.read(u"tuvano.session"_s).startsWith("\"phase\",\"idle\""));
         }},
        // Anna's folder is deleted behind the program's back during the
        // session: nothing can be saved, and the user is told so truly.
        {"ProfileFolderDeletedDuringTheSession",
         nullptr,
         [](H& h) {
             h.startProfile(u"Anna"_s);
             QDir(h.dir.file(u"profiles/2000000"_s)).removeRecursively();
             h.platform.answers = {platform::Answer::No};
             h.hostRuns();
         },
         {"Profilens mapp finns inte längre", "2000000"},
         {"profiles/1000000", "profiles/3000000"},
         [](H& h) {
             EXPECT_FALSE(h.boxTexts().contains(qs("har kvar alla sina filer")));
             EXPECT_FALSE(h.dir.exists(u"profiles/2000000"_s));
         }},
        // A pipe where the record should be must not hang the start: it is
        // told and put aside, and the program goes on.
        {"SessionRecordThatIsNoFile",
         [](H& h) {
#ifdef Q_OS_WIN
             h.dir.write(u"tuvano.session/inside"_s, "x");
#else
             ASSERT_EQ(
                 ::mkfifo(QFile::encodeName(h.dir.file(u"tuvano.session"_s)).constData(), 0600), 0);
#endif
         },
         [](H& h) { h.session(u"Anna"_s); },
         {"Anteckningen om den senaste Lexaro-sessionen kunde inte läsas", "tuvano.session.bak"},
         {"profiles/1000000", "profiles/3000000"},
         [](H& h) {
             for (DataFile f : ProfileFileSet::listing)
                 EXPECT_EQ(h.inProfile(u"2000000"_s, f), h.annaSaved(f));
         }},
        // A save that could not be finished leaves Anna with files from both
        // sides of the session; a copy of her must not be made of those.
        {"ProfileCopiedWhileItsSaveIsPending",
         [](H& h) {
             h.platform.ops = &h.heldOpen;
             h.heldOpen.held =
                 QFileInfo(h.dir.file(u"profiles/2000000/recent.vwi"_s)).canonicalFilePath();
         },
         [](H& h) {
             h.session(u"Anna"_s);
             h.heldOpen.held.clear();
             h.createProfile(u"Anna"_s);
         },
         {"kunde inte sparas färdigt", "Den nya profilen har skapats!"},
         {"profiles/1000000", "profiles/3000000"},
         [](H& h) {
             for (DataFile f : ProfileFileSet::listing) {
                 EXPECT_EQ(h.inProfile(u"5999999"_s, f), h.annaSaved(f));
                 EXPECT_EQ(h.inProfile(u"2000000"_s, f), h.annaSaved(f));
             }
         }},
        {"ProfileFileHeldOpenOnDelete",
         [](H& h) {
             h.platform.ops = &h.heldOpen;
             h.heldOpen.held =
                 QFileInfo(h.dir.file(u"profiles/3000000/ro.vwi"_s)).canonicalFilePath();
         },
         [](H& h) { h.deleteProfile(u"Bo"_s); },
         {"Profilens mapp har lämnats kvar", "Följande filer i den kunde inte tas bort",
          "3000000/ro.vwi", "Borttagningen slutförd!"},
         {"profiles/1000000", "profiles/2000000", "profiles/3000000/ro.vwi"},
         [](H& h) {
             EXPECT_FALSE(h.boxTexts().contains(qs("andra filer än profilens egna")));
         }},
        // A backup reads Lexaro's file as Anna starts: the start waits a
        // moment, then goes on as if nothing had been.
        {"LiveFileHeldForAMomentOnStart",
         nullptr,
         [](H& h) {
             h.hold("ro.vwi", "none", 400);
             h.session(u"Anna"_s);
         },
         {},
         {"profiles/1000000", "profiles/3000000"},
         [](H& h) {
             for (DataFile f : ProfileFileSet::listing)
                 EXPECT_EQ(h.inProfile(u"2000000"_s, f), h.annaSaved(f));
         }},
        // Held for long: no file is replaced, so no session can run on a
        // mixture of Anna's files and the last profile's.
        {"LiveFileHeldOnStart",
         nullptr,
         [](H& h) {
             h.hold("ro.vwi", "read", 5000);
             h.session(u"Anna"_s);
         },
         {"Profilen Anna kan inte startas.", "/ro.vwi", "används av ett annat program",
          "Ingen av Lexaros filer i programmappen har bytts ut."},
         {"ro.vwi", "glblstat.vwi", "plug-in.vwi", "recent.vwi", "lx98.vwi", "profiles"},
         [](H& h) {
             EXPECT_TRUE(h.platform.launched.isEmpty());
             EXPECT_TRUE(h.main().cmdGo->isEnabled());
             EXPECT_FALSE(h.dir.exists(u"tuvano.session"_s));
         }},
        {"ProfileFileHeldOnStart",
         nullptr,
         [](H& h) {
#ifndef Q_OS_WIN
             GTEST_SKIP() << "only Windows lets a program keep others from reading a file";
#endif
             h.hold("profiles/2000000/ro.vwi", "none", 5000);
             h.session(u"Anna"_s);
             h.holders.clear(); // let go, so the file can be looked at
         },
         {"Profilen Anna kan inte startas.", "2000000/ro.vwi", "används av ett annat program"},
         {"ro.vwi", "glblstat.vwi", "plug-in.vwi", "recent.vwi", "lx98.vwi", "profiles"}},
        // A backup reads one of Anna's files as her session is saved: she
        // keeps her whole set from before, and the save is finished later.
        {"ProfileFileHeldAtWriteBack",
         nullptr,
         [](H& h) {
             h.startProfile(u"Anna"_s);
             h.hold("profiles/2000000/recent.vwi", "read", 7000);
             h.hostRuns();
         },
         {"kunde inte sparas färdigt", "2000000/recent.vwi", "används av ett annat program"},
         {"profiles/1000000", "profiles/3000000"},
         [](H& h) {
             for (DataFile f : ProfileFileSet::listing)
                 EXPECT_EQ(h.inProfile(u"2000000"_s, f), h.profileContent(u"2000000"_s, f));
         }},
        {"FolderInPlaceOfALiveFile",
         [](H& h) {
             h.dir.remove(u"ro.vwi"_s);
             h.dir.write(u"ro.vwi/inside"_s, "x");
         },
         [](H& h) { h.session(u"Anna"_s); },
         {"Profilen Anna kan inte startas.", "/ro.vwi", "det är en mapp, inte en fil"},
         {"ro.vwi", "glblstat.vwi", "plug-in.vwi", "recent.vwi", "lx98.vwi", "profiles"}},
        {"FolderInPlaceOfAProfileFile",
         [](H& h) {
             h.dir.remove(u"profiles/2000000/ro.vwi"_s);
             h.dir.write(u"profiles/2000000/ro.vwi/inside"_s, "x");
         },
         [](H& h) { h.session(u"Anna"_s); },
         {"Profilen Anna kan inte startas.", "2000000/ro.vwi", "det är en mapp, inte en fil"},
         {"ro.vwi", "glblstat.vwi", "plug-in.vwi", "recent.vwi", "lx98.vwi", "profiles"}},
        // Written by an old program: on Windows "RO.VWI" is the file ro.vwi.
        {"UpperCaseFileNames",
         [](H& h) {
#ifndef Q_OS_WIN
             GTEST_SKIP() << "only Windows takes RO.VWI for ro.vwi";
#endif
             for (const QString& folder : {QString(), u"profiles/2000000/"_s}) {
                 for (DataFile f : ProfileFileSet::listing) {
                     const QString name = folder + store::fileName(f);
                     ASSERT_TRUE(QFile::rename(h.dir.file(name), h.dir.file(name.toUpper())));
                 }
             }
         },
         [](H& h) { h.session(u"Anna"_s); },
         {},
         {"profiles/1000000", "profiles/3000000"},
         [](H& h) {
             for (DataFile f : ProfileFileSet::listing)
                 EXPECT_EQ(h.inProfile(u"2000000"_s, f), h.annaSaved(f));
             EXPECT_EQ(QDir(h.dir.file(u"profiles/2000000"_s)).entryList(QDir::Files).size(), 5);
         }},
        {"WriteProtectedLiveFileOnStart",
         [](H& h) { readOnly(h.dir.file(u"lx98.vwi"_s)); },
         [](H& h) { h.session(u"Anna"_s); },
         {"lx98.vwi (filen är skrivskyddad: "},
         {"lx98.vwi", "profiles/2000000/lx98.vwi", "profiles/3000000"},
         [](H& h) {
             for (DataFile f :
                  {DataFile::Ro, DataFile::Glblstat, DataFile::PlugIn, DataFile::Recent})
                 EXPECT_EQ(h.inProfile(u"2000000"_s, f), h.annaSaved(f));
         }},
        // Saved by a modern editor: read as UTF-8, and written anew whole in
        // the code page when a profile is added.
        {"ListInUtf8WithByteOrderMark",
         [](H& h) {
             h.dir.write(u"profiles.map"_s, "\xEF\xBB\xBF\"Standardprofil\",\"1000000\"\r\n"
                                            "\"\xC3\x85sa\",\"2000000\"\r\n");
         },
         [](H& h) {
             EXPECT_EQ(h.mainList(), (QStringList{u"Standardprofil"_s, qs("Åsa")}));
             h.createProfile();
         },
         {"Den nya profilen har skapats!"},
         {"profiles/1000000", "profiles/2000000"},
         [](H& h) {
             EXPECT_EQ(h.dir.read(u"profiles.map"_s), "\"Standardprofil\",\"1000000\"\r\n"
                                                      "\"\xC5sa\",\"2000000\"\r\n"
                                                      "\"5999999\",\"5999999\"\r\n");
             EXPECT_EQ(h.mainList(), (QStringList{u"Standardprofil"_s, qs("Åsa"), u"5999999"_s}));
         }},
        // A name the code page cannot hold, from a list saved as UTF-8: listed,
        // usable, and kept as it is when the list is written anew.
        {"ListInUtf8WithANameOutsideTheCodePage",
         [](H& h) {
             h.dir.write(u"profiles.map"_s,
                         "\"Standardprofil\",\"1000000\"\r\n\"\xC5\x81ukasz\",\"2000000\"\r\n");
         },
         [](H& h) {
             EXPECT_EQ(h.mainList(), (QStringList{u"Standardprofil"_s, qs("Łukasz")}));
             h.createProfile();
             h.session(qs("Łukasz"));
         },
         {"Den nya profilen har skapats!"},
         {"profiles/1000000"},
         [](H& h) {
             EXPECT_EQ(
                 h.dir.read(u"profiles.map"_s),
                 "\xEF\xBB\xBF\"Standardprofil\",\"1000000\"\r\n\"\xC5\x81ukasz\",\"2000000\"\r\n"
                 "\"5999999\",\"5999999\"\r\n");
             for (DataFile f : ProfileFileSet::listing)
                 EXPECT_EQ(h.inProfile(u"2000000"_s, f), h.annaSaved(f));
         }},
        // Saved by Notepad as "Unicode": read, and the list written anew whole
        // in the code page when a profile is added.
        {"ListAndSettingsSavedAsUtf16",
         [](H& h) {
             const auto utf16 = [](const QString& text) -> QByteArray {
                 return "\xFF\xFE" +
                        QByteArray(reinterpret_cast<const char*>(text.utf16()), text.size() * 2);
             };
             h.dir.write(u"profiles.map"_s,
                         utf16(qs("\"Standardprofil\",\"1000000\"\r\n\"Åsa\",\"2000000\"\r\n")));
             h.dir.write(u"tuvano.ini"_s,
                         utf16(qs("#FALSE#\r\n0\r\n\"Åsa\"\r\n#FALSE#\r\n#TRUE#\r\n")));
         },
         [](H& h) {
             EXPECT_EQ(h.mainList(), (QStringList{u"Standardprofil"_s, qs("Åsa")}));
             EXPECT_EQ(h.main().cmbProfiler->currentText(), qs("Åsa"));
             h.createProfile();
         },
         {"Den nya profilen har skapats!"},
         {"profiles/1000000", "profiles/2000000", "tuvano.ini"},
         [](H& h) {
             EXPECT_EQ(h.dir.read(u"profiles.map"_s), "\"Standardprofil\",\"1000000\"\r\n"
                                                      "\"\xC5sa\",\"2000000\"\r\n"
                                                      "\"5999999\",\"5999999\"\r\n");
         }},
        {"ListWithAByteOutsideTheCodePage",
         [](H& h) {
             h.dir.write(u"profiles.map"_s,
                         "\"Standardprofil\",\"1000000\"\r\n\"\xC5sa\x81\",\"2000000\"\r\n");
         },
         nullptr,
         {"Filen är inte sparad i den väntade teckenkodningen", "profiles.map", "Rad 2"},
         {"profiles.map", "profiles", "tuvano.ini"},
         nullptr,
         false},
    };
}

INSTANTIATE_TEST_SUITE_P(Session, HostileInstallation,
                         ::testing::ValuesIn(HostileInstallation::rows()),
                         [](const ::testing::TestParamInfo<Row>& info) {
                             return std::string(info.param.name);
                         });

} // namespace
