// Random sequences of what users and hosts do — starts, hosts that come
// slowly, by hand or through a launcher, markers that go while their process
// lives, ends of the wait, the monitor closed, the program ended, killed and
// started again, the countdown — against a small model of whose files each
// host read. After every step no profile may hold a session written on
// another profile's files, no session may be lost that the user did not give
// up, and no wait may be without its way out.

#include "session/SessionStage.h"
#include "support/WindowFixture.h"
#include "widgets/ChoiceList.h"
#include "widgets/CommandLink.h"

#include <QPushButton>
#include <QTimer>

#include <ostream>
#include <rapidcheck/gtest.h>
#include <vector>

using namespace tuvano;
using namespace Qt::StringLiterals;
using store::DataFile;
using store::ProfileFileSet;

namespace {

const QStringList kNames{u"Standardprofil"_s, u"Anna"_s, u"Bo"_s};
const QStringList kIds{u"1000000"_s, u"2000000"_s, u"3000000"_s};

// start: the start button; host: a host takes a step of its life; look: the
// watch's timers tick; endWait: "Avbryt väntan"; quit: "Avsluta" or a kill.
enum class Act { Start, Countdown, HostByHand, Host, Look, EndWait, CloseMonitor, Quit, Restart };

// A step, told in full by what it did (the world's log): the profile or the
// host it meant, which of its moves a host makes, how questions are answered
// and whether, while one is open, the marker comes or goes and the watch
// looks.
struct Step {
    Act act = Act::Look;
    int which = 0;
    int move = 0;
    bool otherButton = false;
    bool whileAsked = false;
};

void showValue(const Step& step, std::ostream& os)
{
    os << int(step.act) << ' ' << step.which << '/' << step.move << (step.otherButton ? " o" : "")
       << (step.whileAsked ? " w" : "");
}

// Whose files bytes are, by what they say: "profile <id> <file>" as laid
// out, "session <n> of <id> <file>" as a host wrote them on that profile's
// files; nobody's ("") for the first live files.
QString ownerOf(const QByteArray& bytes)
{
    const QList<QByteArray> words = bytes.split(' ');
    if (words.size() >= 3 && words[0] == "profile")
        return QString::fromLatin1(words[1]);
    if (words.size() >= 5 && words[0] == "session" && words[2] == "of")
        return QString::fromLatin1(words[3]);
    return {};
}

QString named(const QString& id)
{
    const qsizetype i = kIds.indexOf(id);
    return i < 0 ? u"nobody"_s : kNames[i];
}

class World : public test::WindowFixture {
public:
    World(bool showMonitor, bool shutdown, bool countdown)
    {
        layOutStore(settings("#FALSE#", countdown ? 3 : 0, "Anna", shutdown ? "#TRUE#" : "#FALSE#",
                             showMonitor ? "#TRUE#" : "#FALSE#"),
                    {{kNames[0], kIds[0]}, {kNames[1], kIds[1]}, {kNames[2], kIds[2]}});
        dir.write(u"lexaro.exe"_s, "host");
        platform.onLaunch = [this](qint64 pid) {
            hostStarts(pid, u"launched"_s);
        };
        platform.onMessage = [this](const test::Box& box) {
            answer(box);
        };
        startProgram();
    }
    void TestBody() override {}

    void apply(const Step& step)
    {
        m_step = step;
        const QString before = stageName();
        const auto act = [&](bool can, const QString& what, const auto& action) {
            if (!can)
                return;
            say(what);
            action();
        };
        switch (step.act) {
        case Act::Start:
            act(running() && main().isVisible() && main().cmdGo->isEnabled(),
                u"start " + kNames[step.which % 3], [&] {
                    main().cmbProfiler->setListIndex(step.which % 3);
                    main().cmdGo_Click();
                });
            break;
        case Act::Countdown:
            act(running() && main().tmrDefault->isActive(), u"countdown tick"_s,
                [&] { main().tmrDefault_Timer(); });
            break;
        case Act::HostByHand:
            platform.others.insert(++platform.lastPid);
            hostStarts(platform.lastPid, u"started by hand"_s);
            break;
        case Act::Host:
            if (!hosts.empty())
                moveHost(hosts[std::size_t(step.which) % hosts.size()], step.move);
            break;
        case Act::Look:
            act(running(), u"the watch looks"_s, [&] { look(); });
            break;
        case Act::EndWait:
            act(running() && main().isVisible() && main().cmdWait->isVisibleTo(&main()),
                u"Avbryt väntan"_s, [&] { main().cmdWait_Click(); });
            break;
        case Act::CloseMonitor:
            act(running() && monitor() && monitor()->isVisible(), u"the monitor is closed"_s,
                [&] { monitor()->close(); });
            break;
        case Act::Quit:
            act(running(), u"the program is ended"_s, [&] { main().onExitClicked(); });
            break;
        case Act::Restart:
            act(!running(), u"the program is started again"_s, [&] { startProgram(); });
            break;
        }
        if (forms && platform.ended)
            forms.reset();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        if (const QString after = stageName(); after != before)
            say(u"    program: "_s + after);
    }

    // What does not hold after the step, told after the steps that led
    // there; empty when all does.
    std::string violation()
    {
        const std::string log = m_log.join(u'\n').toStdString() + '\n';
        if (!m_violation.empty())
            return log + m_violation;
        for (const QString& id : kIds) {
            for (DataFile f : ProfileFileSet::listing) {
                const QByteArray bytes = dir.read(u"profiles/"_s + id + u'/' + store::fileName(f));
                if (ownerOf(bytes) != id)
                    return log + "profile " + id.toStdString() + " holds \"" + bytes.toStdString() +
                           "\", a session on another profile's files";
            }
        }
        for (auto p = pending.begin(); p != pending.end(); ++p) {
            if (dir.read(u"profiles/"_s + p.key() + u"/ro.vwi"_s) != p.value() &&
                dir.read(u"ro.vwi"_s) != p.value())
                return log + '"' + p.value().toStdString() + "\" was lost: neither profile " +
                       p.key().toStdString() + " nor the live files hold it";
        }
        if (m_step.act != Act::Look || !running())
            return {};
        using Stage = shared::LiveSession::Stage;
        const Stage stage = forms->context().session.stage;
        if (stage == Stage::WaitingForHost && !main().cmdWait->isVisibleTo(&main()))
            return log + "the wait for the host's start shows no way out";
        if (stage == Stage::HostRunning && platform.hostRunning && hosts.empty() &&
            !(monitor() && monitor()->isVisible() && monitor()->wayOut->isVisibleTo(monitor())))
            return log + "no host runs, its marker stays, and no way out is shown";
        return {};
    }

private:
    struct Host {
        qint64 pid;
        QString owner;   // whose files it read as it started
        bool markerMade; // whether it has shown that it runs
    };

    bool running() const { return forms && !platform.ended; }
    session::frmMonitor* monitor() { return loadedMonitor(); }
    QString liveOwner() const { return ownerOf(dir.read(u"ro.vwi"_s)); }
    void say(const QString& what) { m_log << what; }

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

    void hostStarts(qint64 pid, const QString& how)
    {
        hosts.push_back({pid, liveOwner(), false});
        say(u"    host "_s + QString::number(pid) + u' ' + how + u" on " + named(liveOwner()) +
            u"'s files");
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
        if (!start())
            forms.reset();
        // The looks that start-up asks for as soon as the window is up.
        QCoreApplication::processEvents();
        if (running())
            session::lookOnceStarted(forms->context());
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
    // button; a session the user gives up at the restart may be lost.
    void answer(const test::Box& box)
    {
        using platform::Answer;
        if (box.buttons == platform::Buttons::Ok)
            return;
        const bool yes = (box.buttons == platform::Buttons::YesNo) != m_step.otherButton;
        // In front: a question asked while this one is open is answered first.
        platform.answers.push_front(yes ? Answer::Yes : Answer::No);
        say(u"    asked \""_s + box.title + u"\": " + (yes ? u"Ja"_s : u"Nej"_s));
        if (m_step.whileAsked && !m_asking && running())
            changeWhileAsked(box);
        for (int i = 0; i < 3 && !yes; ++i) {
            if (box.text.contains(u"i profilen "_s + kNames[i] + u" nu?"_s))
                pending.remove(kIds[i]);
        }
    }

    // The timers tick while a question is open. Whether the wait is to end
    // is the user's to say: until the answer, nothing ends it.
    void changeWhileAsked(const test::Box& box)
    {
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
        if ((box.text.startsWith(u"Har Lexaro avslutats?"_s) ||
             box.text.startsWith(u"Vill Du avbryta väntan"_s)) &&
            stageName() != before)
            m_violation = "the session moved on to \"" + stageName().toStdString() +
                          "\" while the user was asked about it";
        m_asking = false;
    }

    std::vector<Host> hosts;
    int m_sessions = 0;
    Step m_step;
    QStringList m_log;
    bool m_asking = false;
    std::string m_violation;
    // The last session written on each profile's files, unless given up.
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
        if (const std::string why = world.violation(); !why.empty())
            RC_FAIL(why);
    }
}
