#include "SessionStage.h"

#include "SessionWatch.h"
#include "frmMonitor.h"
#include "store/SessionRecord.h"

#include <QDir>
#include <QTimer>

#include <algorithm>

using namespace Qt::StringLiterals;

namespace tuvano::session {

namespace {

using platform::Answer;
using platform::Buttons;
using platform::Icon;
using Stage = shared::LiveSession::Stage;

bool anyRunning(shared::Context& context, const std::vector<qint64>& pids)
{
    return std::any_of(pids.begin(), pids.end(),
                       [&](qint64 pid) { return context.platform.processRunning(pid); });
}

QString sessionName(const shared::Context& context)
{
    return context.session.record ? context.session.record->profile.name : QString();
}

// The record says what the session waits for; it is only a note, so a
// record that cannot be written now changes nothing else.
void noteWait(shared::Context& context, store::HostWait wait)
{
    std::optional<store::SessionRecord>& record = context.session.record;
    if (!record || record->waiting == wait)
        return;
    record->waiting = wait;
    (void)store::SessionFile(context.folder).write(*record);
}

void tellWait(shared::Context& context, const HostEvidence& evidence)
{
    const QString name = sessionName(context);
    QString text;
    if (context.session.launchFailed)
        text = u"Profilen " + name +
               u" ligger på plats. Om Du startar Lexaro på egen hand tar Lexaro Tuvano! över "
               u"som vanligt.";
    else if (evidence.launchedEnded)
        text = u"Lexaro Tuvano! väntar på att Lexaro ska starta med profilen " + name +
               u". Programmet som startades har avslutats, men Lexaro kan ännu vara på väg.";
    else
        text =
            u"Lexaro startas med profilen " + name + u". Lexaro Tuvano! tar över när Lexaro körs.";
    context.startWindow.showWait(text, true);
}

// Every launched process ended before the host was seen, and one failed:
// nothing started. The profile's files stay in place, and a host the user
// starts by hand is still taken over.
void tellLaunchFailed(shared::Context& context, const HostEvidence& evidence)
{
    shared::LiveSession& session = context.session;
    session.launchFailed = true;
    context.startWindow.enableStart(true);
    context.platform.message(u"Lexaro kunde inte startas.\n\n" + evidence.failures.join(u'\n') +
                                 u"\n\nProfilens filer ligger på plats. Om Du startar Lexaro på "
                                 u"egen hand tar Lexaro Tuvano! över som vanligt.",
                             u"Lexaro kunde inte startas"_s, Icon::Exclamation);
}

// The host has been seen: the start-up window steps aside and the monitor
// takes over the watch.
void takeOver(shared::Context& context)
{
    shared::LiveSession& session = context.session;
    session.stage = Stage::HostRunning;
    session.hostSeenRunning.clear();
    for (qint64 pid : session.hostProcesses) {
        if (context.platform.processRunning(pid))
            session.hostSeenRunning.push_back(pid);
    }
    noteWait(context, store::HostWait::End);
    shared::StartWindow& window = context.startWindow;
    window.showWait({}, false);
    window.hideWindow();
    // A countdown must not start a profile under a host that is already
    // running with other files.
    if (window.countdownRuns())
        window.stopCountdown();
    frmMonitor& monitor = loadMonitor(context);
    if (context.state.fShowMonitor == shared::kTrue) {
        monitor.show();
        monitor.activateWindow();
    }
    window.watchForHost(false);
    monitor.tmrCheck->start();
}

// What the user is told of the host when asked whether it has ended.
QString knownOfHost(shared::Context& context, const HostEvidence& evidence)
{
    if (context.session.stage == Stage::WaitingForHost) {
        if (evidence.launchedAlive)
            return u"Lexaro Tuvano! väntar på att Lexaro ska starta. Programmet som startades "
                   u"körs, men Lexaro har ännu inte visat att det är igång."_s;
        return u"Lexaro Tuvano! väntar på att Lexaro ska starta, men Lexaro har ännu inte "
               u"visat att det är igång."_s;
    }
    if (evidence.seenHostAlive)
        return u"Lexaro körs fortfarande: det Lexaro som Lexaro Tuvano! startade är igång, och "
               u"Lexaros markeringsfil finns kvar. Avsluta hellre Lexaro först."_s;
    return u"Lexaro Tuvano! väntar på att Lexaro ska avslutas, men Lexaros markeringsfil finns "
           u"kvar. Det händer om Lexaro har stängts av med våld eller har kraschat."_s;
}

QString whatJaDoes(shared::Context& context)
{
    const auto& record = context.session.record;
    if (!record)
        return u"Svarar Du Ja avslutas väntan som om Lexaro hade avslutats; ingenting sparas i "
               u"någon profil."_s;
    if (!record->keepChanges)
        return u"Svarar Du Ja avslutas väntan som om Lexaro hade avslutats; som Du har valt "
               u"sparas ingenting i profilen " +
               record->profile.name + u'.';
    return u"Svarar Du Ja avslutas väntan som om Lexaro hade avslutats, och Lexaros filer sparas "
           u"i profilen " +
           record->profile.name + u'.';
}

} // namespace

HostEvidence lookAtHost(shared::Context& context)
{
    HostEvidence evidence;
    platform::Platform& platform = context.platform;
    bool stale = true;
    for (const QString& marker : platform.markerPaths()) {
        if (!platform.canOpen(marker))
            continue;
        evidence.openMarkers << marker;
        stale = stale && platform.isStale(marker);
    }
    evidence.markersStale = !evidence.openMarkers.isEmpty() && stale;

    const shared::LiveSession& session = context.session;
    int ended = 0;
    for (qint64 pid : session.hostProcesses) {
        if (platform.processRunning(pid)) {
            evidence.launchedAlive = true;
            continue;
        }
        ++ended;
        if (const std::optional<QString> why = platform.failureOf(pid))
            evidence.failures << *why;
    }
    evidence.launchedEnded = ended > 0 && !evidence.launchedAlive;
    evidence.seenHostAlive = anyRunning(context, session.hostSeenRunning);
    evidence.seenHostEnded = !session.hostSeenRunning.empty() && !evidence.seenHostAlive;
    return evidence;
}

void lookAgain(shared::Context& context)
{
    shared::LiveSession& session = context.session;
    // Start-up's own messages may let a tick run: a host is taken over only
    // once start-up has finished.
    if (!context.startWindow.startUpFinished() || session.askingWhetherEnded)
        return;
    switch (session.stage) {
    case Stage::Starting:
    case Stage::Saving:
        return;
    case Stage::Idle:
        // A host this program did not start, while the start-up watch looks.
        if (context.startWindow.watchesForHost() && lookAtHost(context).hostSeen())
            takeOver(context);
        return;
    case Stage::WaitingForHost: {
        const HostEvidence evidence = lookAtHost(context);
        if (evidence.hostSeen()) {
            takeOver(context);
        } else if (session.hostFromBefore && evidence.openMarkers.isEmpty()) {
            // The host of a session from before this start, seen then, has
            // ended before it could be taken over.
            hostEnded(context);
        } else {
            if (!session.launchFailed && evidence.launchedEnded && !evidence.failures.isEmpty())
                tellLaunchFailed(context, evidence);
            if (session.stage == Stage::WaitingForHost && !session.hostFromBefore)
                tellWait(context, evidence);
        }
        return;
    }
    case Stage::HostRunning: {
        const HostEvidence evidence = lookAtHost(context);
        if (evidence.openMarkers.isEmpty()) {
            hostEnded(context);
            return;
        }
        // Its process has ended and its marker stays: the wait would last
        // for good, so the monitor shows the way out even when it is not
        // meant to be seen.
        if (evidence.seenHostEnded)
            if (frmMonitor* window = monitor(context))
                window->offerWayOut();
        return;
    }
    }
}

void awaitHost(shared::Context& context, bool launched)
{
    shared::LiveSession& session = context.session;
    session.stage = Stage::WaitingForHost;
    session.launchFailed = !launched;
    session.hostSeenRunning.clear();
    context.startWindow.watchForHost(true);
    tellWait(context, lookAtHost(context));
}

bool mayStartNow(shared::Context& context, const QString& name)
{
    const HostEvidence evidence = lookAtHost(context);
    if (!evidence.hostMayRun())
        return true;
    const QString why =
        u"Om en profil startades medan Lexaro körs, skulle Lexaro få den profilens filer mitt "
        u"under sin session, och ändringarna kunde hamna i fel profil."_s;
    if (evidence.launchedAlive) {
        context.platform.message(u"Profilen " + name +
                                     u" kan inte startas just nu: Lexaro körs fortfarande.\n\n" +
                                     why + u"\n\nAvsluta Lexaro och försök sedan igen.",
                                 u"Profilen kan inte startas"_s, Icon::Exclamation);
        return false;
    }
    QStringList shown;
    for (const QString& marker : evidence.openMarkers)
        shown << QDir::toNativeSeparators(marker);
    const QString question =
        u"Lexaros markeringsfil finns:\n" + shown.join(u'\n') +
        (evidence.markersStale ? u"\n\nFilen är äldre än datorns senaste start."_s : QString()) +
        u"\n\nDet betyder oftast att Lexaro körs. " + why +
        u"\n\nOm Lexaro inte körs, till exempel efter en krasch som lämnade filen kvar, kan Du "
        u"starta profilen " +
        name + u" ändå. Vill Du göra det?\n\nSvarar Du Nej startas ingenting.";
    return context.platform.message(question, u"Lexaro verkar köra"_s, Icon::Exclamation,
                                    Buttons::YesNoDefaultNo) == Answer::Yes;
}

void askWhetherHostEnded(shared::Context& context)
{
    shared::LiveSession& session = context.session;
    const Stage asked = session.stage;
    if (session.askingWhetherEnded ||
        (asked != Stage::WaitingForHost && asked != Stage::HostRunning))
        return;
    const HostEvidence evidence = lookAtHost(context);
    if (asked == Stage::HostRunning && evidence.openMarkers.isEmpty()) {
        hostEnded(context); // it has, just now
        return;
    }
    const auto record = session.record;
    QString text = u"Har Lexaro avslutats?\n\n" + knownOfHost(context, evidence) + u"\n\n" +
                   whatJaDoes(context) + u" Svarar Du Nej fortsätter Lexaro Tuvano! att vänta.";
    if (evidence.hostMayRun())
        text += u"\n\nSå länge Lexaros markeringsfil finns kvar eller det Lexaro som startades "
                u"körs, startas ingen profil utan att Du tillfrågas."_s;
    // The wait stands still while the user answers, so that nothing else
    // ends it meanwhile.
    session.askingWhetherEnded = true;
    const Answer answer = context.platform.message(text, u"Profilövervakare"_s, Icon::Question,
                                                   Buttons::YesNoDefaultNo);
    session.askingWhetherEnded = false;
    // Only the session that was asked about may end by the answer.
    if (answer != Answer::Yes || session.stage != asked || session.record != record)
        return;
    hostEnded(context);
}

void hostEnded(shared::Context& context)
{
    shared::LiveSession& session = context.session;
    if (session.stage != Stage::WaitingForHost && session.stage != Stage::HostRunning)
        return;
    session.stage = Stage::Saving;
    context.startWindow.watchForHost(false);
    context.startWindow.showWait({}, false);
    if (frmMonitor* window = monitor(context))
        window->tmrCheck->stop();
    WriteBackProfile(context);
}

} // namespace tuvano::session
