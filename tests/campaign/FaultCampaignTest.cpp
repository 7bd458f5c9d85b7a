// Every file operation of every operation that writes, made to fail (a full
// disk, an I/O error, a refused access) and, separately, cut short by a
// crash; after each, the program folder must still satisfy the invariants of
// StoreInvariants.h.

#include "StoreInvariants.h"
#include "admin/frmAdd.h"
#include "admin/frmProfiles.h"
#include "session/frmMonitor.h"
#include "settings/frmSettings.h"
#include "shell/frmMain.h"
#include "store/SessionRecord.h"
#include "support/FaultyFileOps.h"
#include "support/TempFolder.h"
#include "widgets/ChoiceList.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalBlocker>

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <functional>
#include <memory>
#include <string>
#include <vector>

using namespace tuvano;
using namespace Qt::StringLiterals;
using store::DataFile;
using store::ProfileFileSet;
using test::FaultyFileOps;
using test::campaign::ProfileFiles;

namespace {

using Fault = FaultyFileOps::Fault;

// A few kilobytes that say what they are, so that a torn or swapped file
// never passes for a whole one.
QByteArray bulk(const QByteArray& tag)
{
    QByteArray bytes = tag + "\r\n";
    while (bytes.size() < 3000)
        bytes += tag + ' ' + QByteArray::number(bytes.size()) + "\r\n";
    return bytes;
}

QByteArray liveContent(const QString& name) { return bulk("live " + name.toLatin1()); }
QByteArray hostContent(const QString& name) { return bulk("host session " + name.toLatin1()); }
QByteArray profileContent(const QString& id, const QString& name)
{
    return bulk("profile " + id.toLatin1() + ' ' + name.toLatin1());
}

QStringList dataFileNames()
{
    QStringList names;
    for (DataFile f : ProfileFileSet::listing)
        names << store::fileName(f).toString();
    return names;
}

const store::ProfileRecords kThree{
    {u"Standardprofil"_s, u"1000000"_s}, {u"Anna"_s, u"2000000"_s}, {u"Bo"_s, u"3000000"_s}};
const store::ProfileRecord kStandard{u"Standardprofil"_s, u"1000000"_s};

ProfileFiles filesOf(const store::ProfileRecords& records)
{
    ProfileFiles files;
    for (const store::ProfileRecord& r : records) {
        for (const QString& name : dataFileNames())
            files[r.id][name] = profileContent(r.id, name);
    }
    return files;
}

ProfileFiles standardFromLive()
{
    ProfileFiles files;
    for (const QString& name : dataFileNames())
        files[u"1000000"_s][name] = liveContent(name);
    return files;
}

// Thrown where the program ends. The real program ends there and then
// (std::_Exit), so nothing of the handler after that point may run, nor any
// of its file operations count as steps.
struct ProgramEnded {};

class EndingPlatform : public test::FakePlatform {
public:
    using FakePlatform::FakePlatform;

    void endProgram() override
    {
        FakePlatform::endProgram();
        throw ProgramEnded();
    }
    void fatalError(const QString& text) override
    {
        FakePlatform::fatalError(text);
        throw ProgramEnded();
    }
};

// One run of an operation: its own program folder, a platform whose file
// operations can be made to fail, and the windows once started.
struct OperationRun {
    // The program folder, with a folder of the user's beside it.
    test::TempFolder dir{u"Lexaro"_s};
    FaultyFileOps ops;
    EndingPlatform platform{dir.path()};
    std::unique_ptr<shell::Forms> forms;

    OperationRun()
    {
        platform.ops = &ops;
        QDir(dir.root()).mkpath(u"outside"_s);
        QFile letter(dir.root() + u"/outside/letter.txt"_s);
        if (letter.open(QIODevice::WriteOnly))
            letter.write("the user's own file");
    }
    ~OperationRun() { close(); }
    OperationRun(const OperationRun&) = delete;
    OperationRun& operator=(const OperationRun&) = delete;

    void close()
    {
        forms.reset();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    void layOutHost()
    {
        for (const QString& name : dataFileNames())
            dir.write(name, liveContent(name));
    }

    void layOutStore(const store::Settings& settings, const store::ProfileRecords& records = kThree)
    {
        dir.write(u"tuvano.ini"_s, store::formatSettings(settings).value());
        dir.write(u"profiles.map"_s, store::formatProfileList(records).value());
        const ProfileFiles files = filesOf(records);
        for (auto id = files.begin(); id != files.end(); ++id) {
            for (auto f = id->begin(); f != id->end(); ++f)
                dir.write(u"profiles/"_s + id.key() + u'/' + f.key(), f.value());
        }
    }

    // The program's start-up, without showing the window.
    bool load()
    {
        forms = std::make_unique<shell::Forms>(platform);
        return forms->loadMain();
    }

    // Set when the preparation of a run did not come as far as the operation.
    QString broken;

    void start()
    {
        if (!load()) {
            broken =
                u"the program did not start: "_s + test::campaign::describeBoxes(platform.boxes);
            return;
        }
        forms->main().show();
    }

    shell::frmMain& main() { return forms->main(); }

    void choose(const QString& name)
    {
        widgets::ChoiceList* list = main().cmbProfiler;
        list->setListIndex(list->findText(name));
    }
};

// Nothing to tell: a rename whose folder cannot be flushed has happened all
// the same, and a record that could not say the session was over leaves
// one of the save just made (which the next start finishes again) or none.
bool passedOverAlways(const FaultyFileOps::Injection& at, const QString& folder)
{
    const QLatin1StringView op(at.operation);
    // Nor is a second name that cannot be made (a copy is made instead), or
    // one left once its set is in place: a leftover.
    if (op == QLatin1StringView("flushFolder") || op == QLatin1StringView("link") ||
        (op == QLatin1StringView("remove") && store::isAsideName(QFileInfo(at.path).fileName())))
        return true;
    if (!at.path.endsWith(u"/.tuvano.session.tuvano-new") && !at.path.endsWith(u"/tuvano.session"))
        return false;
    const store::SessionFile file{store::ProgramFolder(folder)};
    if (!file.exists())
        return true;
    const auto record = file.read();
    return record && record->phase == store::SessionPhase::Saving;
}

// An operation to walk: how to bring a program folder (and the program) to
// just before it, the operation itself, and what it may leave.
struct Walk {
    const char* name;
    std::function<void(OperationRun&)> setup;
    std::function<void(OperationRun&)> action;
    ProfileFiles before;
    ProfileFiles after;
    QList<store::ProfileRecords> lists;
    QList<store::Settings> settings;
    bool startsUp = false; // a start-up, whose first steps clean up leftovers
    // A failure the operation passes over by design, so nothing is told.
    std::function<bool(const FaultyFileOps::Injection&, const QString& folder)> passedOver =
        passedOverAlways;
    QStringList writes;                        // the profiles whose folders it may change
    QStringList savedOnYes;                    // profiles whose session a next start's Ja must save
    bool wholeBefore = true;                   // the store must be whole before the next start
    bool quietNextStart = true;                // the next start shows no message
    QStringList routineTitles;                 // boxes shown when nothing fails
    QList<QMap<QString, QByteArray>> liveSets; // what the live files may hold afterwards
};

const store::Settings kSession{store::kFalse, 0, u"Anna"_s, store::kFalse, store::kFalse};

std::vector<Walk> walks()
{
    const ProfileFiles three = filesOf(kThree);
    std::vector<Walk> all;

    const auto firstRunBase = [&](const char* name, std::function<void(OperationRun&)> setup) {
        Walk w;
        w.name = name;
        w.setup = std::move(setup);
        w.action = [](OperationRun& r) {
            (void)r.load();
        };
        w.after = standardFromLive();
        w.lists = {store::ProfileRecords{kStandard}};
        w.settings = {store::Settings::firstRun()};
        w.startsUp = true;
        w.wholeBefore = false;
        w.quietNextStart = false;
        w.routineTitles = {u"Initieringsprocess"_s};
        return w;
    };
    all.push_back(firstRunBase("first run", [](OperationRun& r) { r.layOutHost(); }));
    // Killed while copying recent.vwi: two copies made, one half written.
    all.push_back(firstRunBase("first run taken up again", [](OperationRun& r) {
        r.layOutHost();
        for (const char* name : {"ro.vwi", "lx98.vwi"})
            r.dir.write(u"profiles/1000000/"_s + QString::fromLatin1(name),
                        liveContent(QString::fromLatin1(name)));
        r.dir.write(u"profiles/1000000/recent.new"_s, liveContent(u"recent.vwi"_s).left(1000));
    }));

    const auto session = [&](const char* name, const store::Settings& settings,
                             std::function<void(OperationRun&)> prepare,
                             std::function<void(OperationRun&)> action) {
        Walk w;
        w.name = name;
        w.setup = [settings, prepare = std::move(prepare)](OperationRun& r) {
            r.layOutHost();
            r.layOutStore(settings);
            r.start();
            if (prepare && r.broken.isEmpty())
                prepare(r);
        };
        w.action = std::move(action);
        w.before = three;
        w.after = three;
        w.lists = {kThree};
        w.settings = {settings};
        return w;
    };

    // Every start swaps in all five files or none, and tells of a failure.
    QMap<QString, QByteArray> liveBefore;
    for (const QString& name : dataFileNames())
        liveBefore.insert(name, liveContent(name));
    const auto start = [&](Walk w) {
        w.liveSets = {liveBefore, three[u"2000000"_s]};
        all.push_back(std::move(w));
    };
    start(session(
        "start: start button", kSession, [](OperationRun& r) { r.choose(u"Anna"_s); },
        [](OperationRun& r) { r.main().cmdGo_Click(); }));

    start(session("start: countdown", {store::kFalse, 3, u"Anna"_s, store::kFalse, store::kFalse},
                  {}, [](OperationRun& r) {
                      while (r.main().Counter > 0)
                          r.main().tmrDefault_Timer();
                  }));

    start(session(
        "start: quick start", {store::kTrue, 0, u"Standardprofil"_s, store::kFalse, store::kFalse},
        [](OperationRun& r) {
            // Chosen without the choice's handler; the test calls it.
            const QSignalBlocker quiet(r.main().cmbProfiler);
            r.main().cmbProfiler->setCurrentIndex(r.main().cmbProfiler->findText(u"Anna"_s));
        },
        [](OperationRun& r) { r.main().cmbProfiler_Click(); }));

    Walk writeBack = session(
        "write-back", kSession,
        [](OperationRun& r) {
            r.choose(u"Anna"_s);
            r.main().cmdGo_Click();
            r.platform.hostRunning = true;
            r.main().tmrRun_Timer();
            for (const QString& name : dataFileNames())
                r.dir.write(name, hostContent(name));
            r.platform.endHost();
        },
        [](OperationRun& r) {
            // A save that fails is tried again once.
            r.platform.answers = {platform::Answer::Yes};
            session::monitor(r.forms->context())->tmrCheck_Timer();
        });
    for (const QString& name : dataFileNames())
        writeBack.after[u"2000000"_s][name] = hostContent(name);
    writeBack.writes = {u"2000000"_s};
    writeBack.savedOnYes = {u"2000000"_s};
    all.push_back(writeBack);

    // The program was killed while the host ran, and the host has ended: the
    // next start asks, and is told Ja.
    const auto recovery = [&](const char* name, std::function<void(OperationRun&)> leftBehind) {
        Walk w;
        w.name = name;
        w.setup = [leftBehind = std::move(leftBehind)](OperationRun& r) {
            r.layOutStore(kSession);
            for (const QString& file : dataFileNames())
                r.dir.write(file, hostContent(file));
            leftBehind(r);
            r.platform.answers = {platform::Answer::Yes, platform::Answer::Yes};
        };
        w.action = [](OperationRun& r) {
            (void)r.load();
        };
        w.before = three;
        w.after = three;
        for (const QString& file : dataFileNames())
            w.after[u"2000000"_s][file] = hostContent(file);
        w.lists = {kThree};
        w.settings = {kSession};
        w.startsUp = true;
        w.writes = {u"2000000"_s};
        w.savedOnYes = {u"2000000"_s};
        w.quietNextStart = false;
        w.routineTitles = {u"Avbruten session"_s};
        return w;
    };
    const QByteArray annaLive = "\"phase\",\"live\"\r\n\"profile\",\"Anna\",\"2000000\"\r\n"
                                "\"files\",\"lx98.vwi\",\"recent.vwi\",\"glblstat.vwi\","
                                "\"plug-in.vwi\",\"ro.vwi\"\r\n";
    all.push_back(recovery("recovery: a session cut short", [annaLive](OperationRun& r) {
        r.dir.write(u"tuvano.session"_s, annaLive);
    }));
    // Killed in the middle of the renames: two files in place, three staged.
    all.push_back(recovery("recovery: a save cut short", [annaLive](OperationRun& r) {
        QByteArray saving = annaLive;
        r.dir.write(u"tuvano.session"_s, saving.replace("\"live\"", "\"saving\""));
        for (const QString& file : dataFileNames()) {
            const bool renamed = file.startsWith(u'r');
            r.dir.write(u"profiles/2000000/"_s + (renamed ? QString() : u"."_s) + file +
                            (renamed ? QString() : u".tuvano-save"_s),
                        hostContent(file));
        }
    }));

    // Based on Bo, under the identifier drawn from 0.5.
    Walk create = session(
        "create profile", kSession,
        [](OperationRun& r) {
            r.forms->showProfiles();
            r.forms->profiles()->cmdAdd_Click();
            r.forms->add()->cmbProfiles->setListIndex(
                r.forms->add()->cmbProfiles->findText(u"Bo"_s));
        },
        [](OperationRun& r) { r.forms->add()->cmdDo_Click(); });
    create.after[u"5999999"_s] = three[u"3000000"_s];
    store::ProfileRecords four = kThree;
    four.push_back({u"5999999"_s, u"5999999"_s});
    create.lists = {kThree, four};
    create.routineTitles = {u"Profil klar!"_s};
    create.writes = {u"5999999"_s};
    all.push_back(create);

    Walk remove = session(
        "remove profile", kSession,
        [](OperationRun& r) {
            r.forms->showProfiles();
            QListWidget* list = r.forms->profiles()->lstProfiles;
            list->setCurrentItem(list->findItems(u"Bo"_s, Qt::MatchExactly).first());
            r.platform.answers = {platform::Answer::Yes};
        },
        [](OperationRun& r) { r.forms->profiles()->cmdDel_Click(); });
    remove.after.remove(u"3000000"_s);
    remove.lists = {kThree, store::ProfileRecords{kThree[0], kThree[1]}};
    remove.routineTitles = {u"Bekräfta borttagning"_s, u"Borttagning klar"_s};
    remove.writes = {u"3000000"_s};
    all.push_back(remove);

    const store::Settings chosen{store::kTrue, 30, u"Bo"_s, store::kFalse, store::kTrue};
    Walk settings = session(
        "write settings", kSession,
        [](OperationRun& r) {
            r.forms->showSettingsAfresh();
            settings::frmSettings& d = *r.forms->settingsWindow();
            d.chkAutoval->setChecked(true);
            d.opt30->setChecked(true);
            d.cmbProfiles->setListIndex(d.cmbProfiles->findText(u"Bo"_s));
            d.chkShow->setChecked(true);
            d.chkShutdown->setChecked(false);
        },
        [](OperationRun& r) { r.forms->settingsWindow()->cmdDo_Click(); });
    settings.settings = {kSession, chosen};
    all.push_back(settings);

    // A damaged settings file: the start-up keeps it as tuvano.ini.bak and
    // writes the defaults.
    Walk restore;
    restore.name = "restore damaged settings";
    restore.setup = [](OperationRun& r) {
        r.layOutHost();
        r.layOutStore(kSession);
        r.dir.write(u"tuvano.ini"_s, "#KANSKE#\r\n");
        r.platform.answers = {platform::Answer::Yes};
    };
    restore.action = [](OperationRun& r) {
        (void)r.load();
    };
    restore.before = three;
    restore.after = three;
    restore.lists = {kThree};
    restore.settings = {store::Settings::firstRun()};
    restore.startsUp = true;
    restore.wholeBefore = false;
    restore.quietNextStart = false;
    restore.routineTitles = {u"Skadad inställningsfil"_s};
    all.push_back(restore);

    // An ordinary start that finds what a crash left: a temporary beside the
    // list, the settings and a profile file.
    Walk leftovers;
    leftovers.name = "start-up with leftovers";
    leftovers.setup = [](OperationRun& r) {
        r.layOutHost();
        r.layOutStore(kSession);
        r.dir.write(u"profiles.new"_s, "\"Standardprofil\",\"10");
        r.dir.write(u".tuvano.ini.tuvano-new"_s, "#TRUE#\r\n");
        r.dir.write(u"profiles/2000000/ro.new"_s, "half");
        r.dir.write(u"profiles/3000000/.lx98.vwi.tuvano-new"_s, "half");
        r.dir.write(u".recent.vwi.tuvano-new"_s, "half");
    };
    leftovers.action = [](OperationRun& r) {
        (void)r.load();
    };
    leftovers.before = three;
    leftovers.after = three;
    leftovers.lists = {kThree};
    leftovers.settings = {kSession};
    leftovers.startsUp = true;
    leftovers.writes = {u"2000000"_s, u"3000000"_s};
    all.push_back(leftovers);

    return all;
}

enum class Mode { Fail, Crash, TornCrash };

const char* modeName(Mode m)
{
    switch (m) {
    case Mode::Fail:
        return "failure";
    case Mode::Crash:
        return "crash";
    case Mode::TornCrash:
        return "crash mid-write";
    }
    return "?";
}

struct Point {
    bool reached = false;
    QString injectedOp;
    QString injectedPath;
    QStringList violations;
    QStringList tree;
};

int countLeftovers(const QString& folder)
{
    int n = 0;
    for (const QString& name : test::campaign::listTree(folder))
        n += test::campaign::isLeftover(name);
    return n;
}

// Runs the operation once with the fault at step n and checks what is left.
Point runPoint(const Walk& walk, Mode mode, int n, Fault fault)
{
    Point point;
    OperationRun run;
    try {
        walk.setup(run);
    } catch (const ProgramEnded&) {
        run.broken = u"the program ended: "_s + run.platform.fatal;
    }
    if (!run.broken.isEmpty()) {
        ADD_FAILURE() << walk.name << " could not be prepared: " << run.broken.toStdString();
        return point;
    }
    const int leftovers = walk.startsUp ? countLeftovers(run.dir.path()) : 0;
    const QMap<QString, QByteArray> outsideBefore =
        test::campaign::snapshotTree(run.dir.root() + u"/outside"_s);
    QMap<QString, QMap<QString, QByteArray>> untouchedBefore;
    for (const QString& id : walk.before.keys()) {
        if (!walk.writes.contains(id))
            untouchedBefore.insert(
                id, test::campaign::snapshotTree(run.dir.path() + u"/profiles/"_s + id));
    }
    std::size_t boxesAtFault = 0;
    run.ops.count = 0;
    run.ops.onFault = [&](const FaultyFileOps::Injection&) {
        boxesAtFault = run.platform.boxes.size();
    };
    if (mode == Mode::Fail) {
        run.ops.failAt = n;
        run.ops.fault = fault;
    } else {
        run.ops.crashAt = n;
        run.ops.tornCrash = mode == Mode::TornCrash;
    }
    try {
        walk.action(run);
    } catch (const test::SimulatedCrash&) {
    } catch (const ProgramEnded&) {
    }
    run.close();
    point.reached = run.ops.injected.has_value();
    if (point.reached) {
        point.injectedOp = QString::fromLatin1(run.ops.injected->operation);
        point.injectedPath = QDir(run.dir.path()).relativeFilePath(run.ops.injected->path);
    }

    test::campaign::Check check;
    check.folder = run.dir.path();
    check.judge = test::campaign::oldOrNew(walk.before, walk.after);
    check.wholeBeforeNextStart = walk.wholeBefore;
    check.quietNextStart = walk.quietNextStart;
    check.lists = walk.lists;
    check.settings = walk.settings;
    // Failures inside the start-up's own leftover cleanup are passed over:
    // the leftovers are harmless and go at a later start.
    const bool inCleanup = walk.startsUp && n <= leftovers;
    check.wholeSet = test::campaign::allOldOrAllNew(walk.before, walk.after);
    check.savedOnYes = walk.savedOnYes;
    check.savedFiles = walk.after;
    check.outside = run.dir.root() + u"/outside"_s;
    check.outsideBefore = outsideBefore;
    check.untouchedBefore = untouchedBefore;
    // A crash may leave a mixture in the live files, which no record then
    // claims for a profile; a failure never does.
    if (mode == Mode::Fail)
        check.liveSets = walk.liveSets;
    const bool passedOver = point.reached && walk.passedOver(*run.ops.injected, run.dir.path());
    if (mode == Mode::Fail && point.reached && !inCleanup && !passedOver)
        check.telling =
            test::campaign::Telling{&run.platform.boxes, boxesAtFault, walk.routineTitles};
    point.tree = test::campaign::listTree(run.dir.path()); // before the next start changes it
    point.violations = test::campaign::violations(check);
    return point;
}

struct Tally {
    int failPoints = 0;
    int crashPoints = 0;
    int tornPoints = 0;
    int runs = 0;
    int violatingRuns = 0;
};

constexpr int kMaxSteps = 400;
// The Windows build's tests run under Wine, where every file operation
// costs many times what it does here: there each failure step meets one of
// the three faults in turn rather than all three. Every crash step runs.
#ifdef Q_OS_WIN
constexpr bool kEveryFaultAtEveryStep = false;
#else
constexpr bool kEveryFaultAtEveryStep = true;
#endif
constexpr int kDetailedReports = 4;

void report(const Walk& walk, Mode mode, int n, const char* fault, const Point& p, Tally& t)
{
    ++t.runs;
    if (p.violations.isEmpty())
        return;
    if (++t.violatingRuns > kDetailedReports) {
        ADD_FAILURE() << walk.name << ", " << modeName(mode) << " at step " << n << ": "
                      << p.violations.first().toStdString();
        return;
    }
    ADD_FAILURE() << walk.name << ", " << modeName(mode) << (mode == Mode::Fail ? " (" : "")
                  << (mode == Mode::Fail ? fault : "") << (mode == Mode::Fail ? ")" : "")
                  << " at step " << n << " (" << p.injectedOp.toStdString() << ' '
                  << p.injectedPath.toStdString() << "):\n  "
                  << p.violations.join(u"\n  "_s).toStdString()
                  << "\n  left on disk: " << p.tree.join(u", "_s).toStdString();
}

Tally walkAll(const Walk& walk)
{
    Tally t;
    for (int n = 1; n <= kMaxSteps; ++n) {
        bool reached = false;
        std::vector<Fault> faults{Fault::DiskFull, Fault::IoError, Fault::AccessDenied};
        if (!kEveryFaultAtEveryStep)
            faults = {faults[std::size_t(n) % faults.size()]};
        for (Fault fault : faults) {
            const Point p = runPoint(walk, Mode::Fail, n, fault);
            reached = p.reached;
            report(walk, Mode::Fail, n, FaultyFileOps::faultName(fault), p, t);
            if (!reached)
                break;
        }
        if (!reached)
            break;
        t.failPoints = n;
    }
    for (int n = 1; n <= kMaxSteps; ++n) {
        const Point p = runPoint(walk, Mode::Crash, n, Fault::DiskFull);
        report(walk, Mode::Crash, n, "", p, t);
        if (!p.reached)
            break;
        t.crashPoints = n;
        // A crash can also land in the middle of a write.
        if (p.injectedOp == u"writeNew" || p.injectedOp == u"copyNew") {
            report(walk, Mode::TornCrash, n, "",
                   runPoint(walk, Mode::TornCrash, n, Fault::DiskFull), t);
            ++t.tornPoints;
        }
    }
    EXPECT_LT(t.failPoints, kMaxSteps) << walk.name << " never completed";
    EXPECT_GT(t.crashPoints, 0) << walk.name << " made no file operation";
    return t;
}

// The operations' names as test names: "start: quick start" is startQuickStart.
std::string testName(const char* walkName)
{
    std::string name;
    bool upper = false;
    for (const char* c = walkName; *c; ++c) {
        if (!std::isalnum(static_cast<unsigned char>(*c))) {
            upper = !name.empty();
            continue;
        }
        name += upper ? char(std::toupper(static_cast<unsigned char>(*c))) : *c;
        upper = false;
    }
    return name;
}

std::vector<std::string> walkNames()
{
    std::vector<std::string> names;
    for (const Walk& walk : walks())
        names.emplace_back(walk.name);
    return names;
}

// One test for each operation, so that CTest runs them side by side; one of
// them alone: --gtest_filter='*/startQuickStart'.
class EveryWritingOperation : public ::testing::TestWithParam<std::string> {};

TEST_P(EveryWritingOperation, EveryStepKeepsTheStoreWhole)
{
    const std::vector<Walk> all = walks();
    const auto walk =
        std::find_if(all.begin(), all.end(), [](const Walk& w) { return w.name == GetParam(); });
    ASSERT_NE(walk, all.end());
    const Tally t = walkAll(*walk);
    std::printf("%-28s %14s %12s %10s %6s\n", "operation", "failure steps", "crash steps",
                "mid-write", "runs");
    std::printf("%-28s %8d (%s) %12d %10d %6d%s\n", walk->name, t.failPoints,
                kEveryFaultAtEveryStep ? "x3" : "x1", t.crashPoints, t.tornPoints, t.runs,
                t.violatingRuns
                    ? qPrintable(u"  <- "_s + QString::number(t.violatingRuns) + u" violating"_s)
                    : "");
}

INSTANTIATE_TEST_SUITE_P(FaultCampaign, EveryWritingOperation, ::testing::ValuesIn(walkNames()),
                         [](const auto& info) { return testName(info.param.c_str()); });

} // namespace

// A start cut short by a crash (between deleting the live files and copying
// the profile's in) is taken up by the next countdown start, which must then
// put the profile in place rather than end the program.
TEST(FaultCampaign, TheCountdownStartsAProfileAfterAStartWasCutShort)
{
    const std::vector<Walk> all = walks();
    const auto countdown = std::find_if(all.begin(), all.end(), [](const Walk& w) {
        return QLatin1StringView(w.name) == QLatin1StringView("start: countdown");
    });
    ASSERT_NE(countdown, all.end());
    int points = 0;
    QStringList failing;
    QString example;
    for (int n = 1; n <= kMaxSteps; ++n) {
        OperationRun run;
        countdown->setup(run);
        ASSERT_TRUE(run.broken.isEmpty()) << run.broken.toStdString();
        run.ops.count = 0;
        run.ops.crashAt = n;
        bool crashed = false;
        try {
            countdown->action(run);
        } catch (const test::SimulatedCrash&) {
            crashed = true;
        }
        run.close();
        if (!crashed)
            break;
        ++points;

        test::FakePlatform again(run.dir.path());
        // A start that came as far as its record of "live" is asked about.
        again.answers = {platform::Answer::Yes};
        {
            shell::Forms forms(again);
            ASSERT_TRUE(forms.loadMain()) << n;
            while (forms.main().Counter > 0)
                forms.main().tmrDefault_Timer();
        }
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        bool inPlace = true;
        for (const QString& name : dataFileNames())
            inPlace = inPlace && run.dir.read(name) == profileContent(u"2000000"_s, name);
        if (again.fatal.isEmpty() && inPlace)
            continue;
        failing << QString::number(n);
        if (example.isEmpty())
            example = u"crash at step "_s + QString::number(n) + u", left: "_s +
                      test::campaign::listTree(run.dir.path()).join(u", "_s) +
                      u"\n  then the countdown: "_s +
                      (again.fatal.isEmpty() ? u"did not put Anna's files in place"_s
                                             : u"ended the program: "_s + again.fatal);
    }
    EXPECT_TRUE(failing.isEmpty())
        << "the countdown could not start a profile after a crash at steps "
        << failing.join(u", "_s).toStdString() << "; for instance\n  " << example.toStdString();
    std::printf("countdown after a start cut short: %d crash points\n", points);
    EXPECT_GT(points, 0);
}
