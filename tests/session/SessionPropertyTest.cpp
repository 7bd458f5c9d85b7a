// Random sequences of what users and hosts do — starts, hosts that come
// slowly, by hand or through a launcher, markers that go while their process
// lives, ends of the wait, the monitor closed, the program ended, killed and
// started again, the countdown — against a small model of whose files the
// host had. After every step no profile may hold a session written on
// another profile's files, and no session may be lost that the user did not
// give up.

#include "session/SessionStage.h"
#include "session/frmMonitor.h"
#include "shell/Forms.h"
#include "shell/frmMain.h"
#include "support/FakePlatform.h"
#include "support/TempFolder.h"
#include "widgets/ChoiceList.h"
#include "widgets/CommandLink.h"

#include <QCoreApplication>
#include <QPushButton>
#include <QTimer>

#include <rapidcheck/gtest.h>

#include <functional>
#include <memory>
#include <ostream>
#include <vector>

using namespace tuvano;
using namespace Qt::StringLiterals;
using store::DataFile;
using store::ProfileFileSet;

namespace {

const QStringList kNames{u"Standardprofil"_s, u"Anna"_s, u"Bo"_s};
const QStringList kIds{u"1000000"_s, u"2000000"_s, u"3000000"_s};

enum class Act {
    Start,        // the user starts a profile with the start button
    Countdown,    // a tick of the countdown
    HostByHand,   // a host process starts that this program did not start
    Host,         // a host takes the next step of its life
    Look,         // the watch's timers tick
    EndWait,      // "Avbryt väntan"
    CloseMonitor, // the monitor's frame closed
    Quit,         // "Avsluta", or the program killed
    Restart,      // the program started again
};

// A step, told in full by what it did (World's log): which profile or host
// it meant and which of its possible moves a host makes.
struct Step {
    Act act = Act::Look;
    int which = 0;
    int move = 0;
    bool otherButton = false; // questions answered with the button that is not the default
    bool whileAsked = false;  // while a question is open, the marker comes or goes, the watch looks
};

void showValue(const Step& step, std::ostream& os)
{
    static const char* const kActs[] = {"start", "countdown", "host by hand",
                                        "host",  "look",      "Avbryt väntan",
                                        "close", "quit",      "restart"};
    os << kActs[int(step.act)] << ' ' << step.which << '/' << step.move
       << (step.otherButton ? " other" : "") << (step.whileAsked ? " while asked" : "");
}

// The live file's or a profile file's owner, by what it says: "profile <id>
// <file>" as laid out, "session <n> of <id> <file>" as a host wrote it on
// that profile's files; "" for anything else (the first live files).
QString ownerOf(const QByteArray& bytes)
{
    const QList<QByteArray> words = bytes.split(' ');
    if (words.size() >= 3 && words[0] == "profile")
        return QString::fromLatin1(words[1]);
    if (words.size() >= 5 && words[0] == "session" && words[2] == "of")
        return QString::fromLatin1(words[3]);
    return {};
}

class World {
public:
    World(bool showMonitor, bool shutdown, bool countdown)
    {
        const QByteArray on = "#TRUE#", off = "#FALSE#";
        dir.write(u"tuvano.ini"_s, off + "\r\n" + (countdown ? "3" : "0") + "\r\n\"Anna\"\r\n" +
                                       (shutdown ? on : off) + "\r\n" + (showMonitor ? on : off) +
                                       "\r\n");
        QByteArray list;
        for (int i = 0; i < 3; ++i) {
            list += "\"" + kNames[i].toLatin1() + "\",\"" + kIds[i].toLatin1() + "\"\r\n";
            for (DataFile f : ProfileFileSet::listing)
                dir.write(u"profiles/"_s + kIds[i] + u'/' + store::fileName(f),
                          "profile " + kIds[i].toLatin1() + ' ' + store::fileName(f).toLatin1());
        }
        dir.write(u"profiles.map"_s, list);
        for (DataFile f : ProfileFileSet::listing)
            dir.write(store::fileName(f).toString(), "live " + store::fileName(f).toLatin1());
        dir.write(u"lexaro.exe"_s, "host");
        platform.onLaunch = [this](qint64 pid) {
            hosts.push_back({pid, liveOwner(), false});
            say(u"    host "_s + QString::number(pid) + u" launched on " + named(liveOwner()) +
                u"'s files");
        };
        platform.onMessage = [this](const test::Box& box) { answer(box); };
        startProgram();
    }

    ~World()
    {
        forms.reset();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    void apply(const Step& step)
    {
        m_step = step;
        const QString before = stageName();
        switch (step.act) {
        case Act::Start:
            if (running() && main().isVisible() && main().cmdGo->isEnabled()) {
                say(u"start " + kNames[step.which % 3]);
                main().cmbProfiler->setListIndex(step.which % 3);
                main().cmdGo_Click();
            }
            break;
        case Act::Countdown:
            if (running() && main().tmrDefault->isActive()) {
                say(u"countdown tick"_s);
                main().tmrDefault_Timer();
            }
            break;
        case Act::HostByHand:
            platform.others.insert(++platform.lastPid);
            hosts.push_back({platform.lastPid, liveOwner(), false});
            say(u"host "_s + QString::number(platform.lastPid) + u" started by hand on " +
                named(liveOwner()) + u"'s files");
            break;
        case Act::Host:
            if (!hosts.empty())
                moveHost(hosts[std::size_t(step.which) % hosts.size()], step.move);
            break;
        case Act::Look:
            if (running()) {
                say(u"the watch looks"_s);
                look();
            }
            break;
        case Act::EndWait:
            if (running() && main().isVisible() && main().cmdWait->isVisibleTo(&main())) {
                say(u"Avbryt väntan"_s);
                main().cmdWait_Click();
            }
            break;
        case Act::CloseMonitor:
            if (running() && monitor() && monitor()->isVisible()) {
                say(u"the monitor is closed"_s);
                monitor()->close();
            }
            break;
        case Act::Quit:
            if (running()) {
                say(u"the program is ended"_s);
                main().onExitClicked();
            }
            break;
        case Act::Restart:
            if (!running()) {
                say(u"the program is started again"_s);
                startProgram();
            }
            break;
        }
        if (forms && platform.ended)
            forms.reset();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        if (const QString after = stageName(); after != before)
            say(u"    program: "_s + after);
    }

    // What does not hold after the step; empty when all does.
    std::string violation() const
    {
        if (!m_violation.empty())
            return log() + '\n' + m_violation;
        for (const QString& id : kIds) {
            for (DataFile f : ProfileFileSet::listing) {
                const QByteArray bytes = dir.read(u"profiles/"_s + id + u'/' + store::fileName(f));
                if (ownerOf(bytes) != id)
                    return log() + "\nprofile " + id.toStdString() + " holds \"" +
                           bytes.toStdString() + "\", a session on another profile's files";
            }
        }
        for (auto p = pending.begin(); p != pending.end(); ++p) {
            if (dir.read(u"profiles/"_s + p.key() + u"/ro.vwi"_s) != p.value() &&
                dir.read(u"ro.vwi"_s) != p.value())
                return log() + "\n\"" + p.value().toStdString() +
                       "\" was lost: it is neither in profile " + p.key().toStdString() +
                       " nor in the live files";
        }
        if (m_step.act != Act::Look || !running())
            return {};
        // No wait is invisible: the way out of it is on the screen.
        const auto stage = forms->context().session.stage;
        using Stage = shared::LiveSession::Stage;
        if (stage == Stage::WaitingForHost && !main().cmdWait->isVisibleTo(&main()))
            return log() + "\nthe wait for the host's start shows no way out";
        if (stage == Stage::HostRunning && platform.hostRunning && hosts.empty() &&
            !(monitor() && monitor()->isVisible() && monitor()->wayOut->isVisibleTo(monitor())))
            return log() + "\nno host runs, its marker stays, and no way out is shown";
        return {};
    }

private:
    struct Host {
        qint64 pid;
        QString owner;    // whose files it read as it started
        bool markerMade;  // whether it has shown that it runs
    };

    // The fake platform, told of each launch: the host reads its files as it
    // starts.
    class WorldPlatform : public test::FakePlatform {
    public:
        using FakePlatform::FakePlatform;
        std::function<void(qint64)> onLaunch;
        platform::Launch launch(const QString& path) override
        {
            platform::Launch started = FakePlatform::launch(path);
            if (started.started() && onLaunch)
                onLaunch(started.pid);
            return started;
        }
    };

    bool running() const { return forms && !platform.ended; }
    shell::frmMain& main() const { return forms->main(); }
    session::frmMonitor* monitor() const { return session::monitor(forms->context()); }
    QString liveOwner() const { return ownerOf(dir.read(u"ro.vwi"_s)); }
    static QString named(const QString& id)
    {
        const qsizetype i = kIds.indexOf(id);
        return i < 0 ? u"nobody"_s : kNames[i];
    }

    void say(const QString& what) { m_log << what; }
    std::string log() const { return m_log.join(u'\n').toStdString(); }
    QString stageName() const
    {
        static const char* const kStages[] = {"idle", "starting", "waiting for the host",
                                              "host running", "saving"};
        if (!running())
            return u"not running"_s;
        const auto& session = forms->context().session;
        return QString::fromLatin1(kStages[int(session.stage)]) + u", files " +
               named(session.record ? session.record->profile.id : QString());
    }

    // A host's life: it shows that it runs, writes its session (also after
    // its marker has gone), its marker goes, it ends (a launcher at once, a
    // host killed with its marker left behind).
    void moveHost(Host& host, int move)
    {
        const QString name = u"host "_s + QString::number(host.pid);
        if (!host.markerMade && move == 0) {
            host.markerMade = true;
            say(name + u" makes its marker"_s);
            markerChanged(true);
        } else if (host.markerMade && move == 0) {
            const QByteArray session = "session " + QByteArray::number(++m_sessions) + " of " +
                                       host.owner.toLatin1() + ' ';
            for (DataFile f : ProfileFileSet::listing)
                dir.write(store::fileName(f).toString(), session + store::fileName(f).toLatin1());
            if (!host.owner.isEmpty())
                pending[host.owner] = session + "ro.vwi";
            say(name + u" writes session " + QString::number(m_sessions) + u" on " +
                named(host.owner) + u"'s files");
        } else if (host.markerMade && move == 1 && platform.hostRunning) {
            say(name + u" removes the marker"_s);
            markerChanged(false);
        } else {
            say(name + u" ends"_s + (platform.hostRunning ? u", its marker left"_s : QString()));
            platform.running.erase(host.pid);
            platform.others.erase(host.pid);
            hosts.erase(hosts.begin() + (&host - hosts.data()));
        }
    }

    void startProgram()
    {
        platform.ended = false;
        forms = std::make_unique<shell::Forms>(platform);
        if (!forms->loadMain()) {
            forms.reset();
            return;
        }
        forms->main().show();
        // The look that start-up asks for as soon as the window is up.
        QCoreApplication::processEvents();
    }

    // The marker's folder is watched: its coming and going is looked at.
    void markerChanged(bool there)
    {
        platform.hostRunning = there;
        if (running())
            session::lookAgain(forms->context());
    }

    void look()
    {
        if (main().tmrRun->isActive())
            main().tmrRun_Timer();
        if (running() && monitor() && monitor()->tmrCheck->isActive())
            monitor()->tmrCheck_Timer();
    }

    // Every question is answered, by Return (its default) or the other
    // button; a session given up at the user's word may be lost.
    void answer(const test::Box& box)
    {
        using platform::Answer;
        using platform::Buttons;
        if (box.buttons == Buttons::Ok)
            return;
        const bool yes = (box.buttons == Buttons::YesNo) != m_step.otherButton;
        // In front: a question asked while this one is open is answered first.
        platform.answers.push_front(yes ? Answer::Yes : Answer::No);
        say(u"    asked \""_s + box.title + u"\": " + (yes ? u"Ja"_s : u"Nej"_s));
        // The timers tick while a question is open. Whether the wait is to
        // end is the user's to say: until the answer, nothing ends it.
        if (m_step.whileAsked && !m_asking && running()) {
            m_asking = true;
            const QString before = stageName();
            if (platform.hostRunning) {
                say(u"    meanwhile the marker goes"_s);
                platform.hostRunning = false;
            } else if (!hosts.empty()) {
                say(u"    meanwhile host "_s + QString::number(hosts.front().pid) +
                    u" makes its marker");
                hosts.front().markerMade = true;
                platform.hostRunning = true;
            }
            look();
            const bool aboutTheWait = box.text.startsWith(u"Har Lexaro avslutats?"_s) ||
                                      box.text.startsWith(u"Vill Du avbryta väntan"_s);
            if (aboutTheWait) fprintf(stderr, "DEBUG wait question: %s -> %s\n", qPrintable(before), qPrintable(stageName()));
            if (aboutTheWait && stageName() != before)
                m_violation = "the session moved on to \"" + stageName().toStdString() +
                              "\" while the user was asked about it";
            m_asking = false;
        }
        if (yes || box.title != u"Avbruten session"_s)
            return;
        for (int i = 0; i < 3; ++i) {
            if (box.text.contains(u"Vill Du spara dem i profilen "_s + kNames[i] + u" nu?"_s))
                pending.remove(kIds[i]);
        }
    }

    test::TempFolder dir;
    WorldPlatform platform{dir.path()};
    std::unique_ptr<shell::Forms> forms;
    std::vector<Host> hosts;
    int m_sessions = 0;
    Step m_step;
    QStringList m_log;
    bool m_asking = false;
    std::string m_violation;
    // The last session written on each profile's files, unless the user gave
    // it up.
    QMap<QString, QByteArray> pending;
};

} // namespace

namespace rc {
template <> struct Arbitrary<Step> {
    static Gen<Step> arbitrary()
    {
        return gen::build<Step>(
            gen::set(&Step::act, gen::weightedElement<Act>({{3, Act::Start},
                                                            {1, Act::Countdown},
                                                            {2, Act::HostByHand},
                                                            {10, Act::Host},
                                                            {4, Act::Look},
                                                            {2, Act::EndWait},
                                                            {2, Act::CloseMonitor},
                                                            {1, Act::Quit},
                                                            {2, Act::Restart}})),
            gen::set(&Step::which, gen::inRange(0, 3)), gen::set(&Step::move, gen::inRange(0, 3)),
            gen::set(&Step::otherButton, gen::weightedElement<bool>({{2, false}, {1, true}})),
            gen::set(&Step::whileAsked, gen::weightedElement<bool>({{3, false}, {1, true}})));
    }
};
} // namespace rc

RC_GTEST_PROP(SessionProperty, NoProfileHoldsAnothersSessionAndNoSessionIsLost,
              (bool showMonitor, bool shutdown, bool countdown, const std::vector<Step>& steps))
{
    World world(showMonitor, shutdown, countdown);
    for (const Step& step : steps) {
        world.apply(step);
        const std::string why = world.violation();
        if (!why.empty())
            RC_FAIL(why);
    }
}
