#include "SessionStage.h"

#include "SessionWatch.h"
#include "frmMonitor.h"
#include "shared/StatusTexts.h"
#include "store/ProfileSave.h"
#include "store/SessionRecord.h"

#include <QDir>
#include <QFileInfo>
#include <QTimer>

#include <algorithm>

using namespace Qt::StringLiterals;

namespace tuvano::session {

namespace {

using platform::Answer;
using platform::Buttons;
using platform::Icon;
using Stage = shared::LiveSession::Stage;

QString ownerName(const shared::Context& context)
{
    return context.session.record ? context.session.record->profile.name : QString();
}

// The record is written before the stage it names begins, so that a program
// started again goes on from there. It is the restart's memory only: one
// that cannot be written now changes nothing else.
void noteStage(shared::Context& context, store::HostWait wait)
{
    std::optional<store::SessionRecord>& record = context.session.record;
    if (!record)
        return;
    store::SessionRecord next = *record;
    if (next.phase == store::SessionPhase::Idle) {
        // A new session on the owner's files: its own choice whether to keep it.
        next.phase = store::SessionPhase::Live;
        next.keepChanges = true;
    }
    next.waiting = wait;
    if (next == *record)
        return;
    // A save left half done must be finished before its record is replaced;
    // if it cannot be, the record stays as it is and the session's end
    // stages the whole set again.
    if (record->phase == store::SessionPhase::Saving &&
        !store::finishSave(context.folder, *record).ok())
        return;
    *record = next;
    (void)store::SessionFile(context.folder).write(*record);
}

void tellWait(shared::Context& context, const HostEvidence& evidence)
{
    const shared::LiveSession& session = context.session;
    const QString name = ownerName(context);
    const QString with = name.isEmpty() ? QString() : u" med profilen " + name;
    QString text;
    if (session.launchFailed)
        text = u"Profilen " + name +
               u" ligger på plats. Om Du startar Lexaro på egen hand tar Lexaro Tuvano! över "
               u"som vanligt.";
    else if (evidence.launchedEnded && evidence.processes.empty())
        text = u"Lexaro Tuvano! väntar på att Lexaro ska starta" + with +
               u". Programmet som startades har avslutats, men Lexaro kan ännu vara på väg.";
    else if (session.fromEarlierRun && !evidence.processRuns())
        text = u"Lexaro Tuvano! väntar på att Lexaro ska starta" + with +
               u", men inget Lexaro körs just nu.";
    else if (session.fromEarlierRun)
        text = u"Lexaro körs" + with +
               u", men har ännu inte visat att det är igång. Lexaro Tuvano! tar över när det har "
               u"gjort det.";
    else
        text = u"Lexaro startas" + with + u". Lexaro Tuvano! tar över när Lexaro körs.";
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

// What the monitor tells besides the profile's name.
void showWhatIsSeen(shared::Context& context, const HostEvidence& evidence)
{
    frmMonitor* window = monitor(context);
    if (!window)
        return;
    if (evidence.openMarkers.isEmpty())
        window->showNote(frmMonitor::Note::HostWithoutMarker);
    else if (!evidence.processRuns())
        window->showNote(frmMonitor::Note::MarkerWithoutHost);
    else
        window->showNote(frmMonitor::Note::None);
}

// The host has been seen: the start-up window steps aside and the monitor
// takes over the watch.
// beforeStart: the host ran already when this program started.
void takeOver(shared::Context& context, const HostEvidence& evidence, bool beforeStart = false)
{
    shared::LiveSession& session = context.session;
    session.hostBeforeStart = beforeStart;
    noteStage(context, store::HostWait::End);
    session.stage = Stage::HostRunning;
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
    showWhatIsSeen(context, evidence);
}

// A host process ran when the program started, and has not shown that it
// runs: the wait for it is the session's, on the owner's files.
void awaitHostFromBefore(shared::Context& context, const HostEvidence& evidence)
{
    shared::LiveSession& session = context.session;
    noteStage(context, store::HostWait::Start);
    session.stage = Stage::WaitingForHost;
    session.fromEarlierRun = true;
    session.hostBeforeStart = true;
    context.startWindow.enableStart(false);
    tellWait(context, evidence);
}

// What the user is told of the host when asked whether the wait is to end.
QString knownOfHost(shared::Context& context, const HostEvidence& evidence)
{
    if (context.session.stage == Stage::WaitingForHost) {
        if (evidence.launchedAlive)
            return u"Lexaro Tuvano! väntar på att Lexaro ska starta. Programmet som startades "
                   u"körs, men Lexaro har ännu inte visat att det är igång."_s;
        if (evidence.processRuns())
            return u"Lexaro Tuvano! väntar på att Lexaro ska starta. Lexaro körs, men har ännu "
                   u"inte visat att det är igång."_s;
        return u"Lexaro Tuvano! väntar på att Lexaro ska starta, men Lexaro har ännu inte "
               u"visat att det är igång."_s;
    }
    return u"Lexaros markeringsfil finns kvar, men Lexaro Tuvano! ser inget Lexaro som körs."_s;
}

QString whatJaDoes(shared::Context& context)
{
    const auto& record = context.session.record;
    const bool waiting = context.session.stage == Stage::WaitingForHost;
    const QString later =
        waiting ? u" Startar Lexaro senare tar Lexaro Tuvano! över som vanligt."_s : QString();
    if (!record)
        return u"Svarar Du Ja avslutas väntan; ingenting sparas i någon profil." + later;
    if (!record->keepChanges)
        return u"Svarar Du Ja avslutas väntan; som Du har valt sparas ingenting i profilen " +
               record->profile.name + u'.' + later;
    return u"Svarar Du Ja avslutas väntan, och Lexaros filer sparas i profilen " +
           record->profile.name + u'.' + later;
}

// While a host process runs, the session cannot end: the user hears why.
void tellHostRuns(shared::Context& context, const HostEvidence& evidence)
{
    const QString name = ownerName(context);
    const QString seen = evidence.openMarkers.isEmpty()
                             ? u"Lexaros markeringsfil är borta, men Lexaro körs fortfarande."_s
                             : u"Lexaro körs fortfarande."_s;
    const QString saved =
        name.isEmpty()
            ? u"Lexaro Tuvano! fortsätter att vänta tills Lexaro har avslutats."_s
            : u"Lexaro Tuvano! sparar sessionen i profilen " + name + u" när Lexaro har avslutats.";
    context.platform.message(seen + u"\n\nAvsluta Lexaro först. " + saved, u"Profilövervakare"_s,
                             Icon::Information);
}

} // namespace

HostEvidence lookAtHost(shared::Context& context)
{
    HostEvidence evidence;
    platform::Platform& platform = context.platform;
    const shared::LiveSession& session = context.session;
    bool stale = true;
    bool passed = true;
    for (const QString& marker : platform.markerPaths()) {
        if (!platform.canOpen(marker))
            continue;
        evidence.openMarkers << marker;
        stale = stale && platform.isStale(marker);
        passed = passed && marker == session.passedMarker &&
                 QFileInfo(marker).lastModified() == session.passedMarkerTime;
    }
    evidence.markersStale = !evidence.openMarkers.isEmpty() && stale;
    evidence.markerPassed = !evidence.openMarkers.isEmpty() && passed;
    // A marker passed is passed only while it stays: one made again is new.
    if (!evidence.markerPassed)
        context.session.passedMarker.clear();

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
    evidence.processes = platform.runningHosts();
    return evidence;
}

void lookAgain(shared::Context& context)
{
    shared::LiveSession& session = context.session;
    // Start-up's own messages may let a tick run: a host is taken over only
    // once start-up has finished.
    if (!context.startWindow.startUpFinished() || session.askingWhetherEnded)
        return;
    const bool firstLook = !session.looked;
    session.looked = true;
    switch (session.stage) {
    case Stage::Starting:
    case Stage::Saving:
        return;
    case Stage::Idle: {
        // A host this program did not start: by hand, by a launcher after
        // the wait was ended, before this program started. Most looks find
        // no marker, and need not look for processes.
        if (!context.startWindow.watchesForHost())
            return;
        platform::Platform& platform = context.platform;
        const QStringList markers = platform.markerPaths();
        const bool marker = std::any_of(markers.begin(), markers.end(),
                                        [&](const QString& m) { return platform.canOpen(m); });
        if (!marker) {
            session.passedMarker.clear();
            return;
        }
        if (const HostEvidence evidence = lookAtHost(context); evidence.hostSeen())
            takeOver(context, evidence, firstLook);
        return;
    }
    case Stage::WaitingForHost: {
        const HostEvidence evidence = lookAtHost(context);
        const bool wasRunning = session.fromEarlierRun && session.record &&
                                session.record->waiting == store::HostWait::End;
        if (evidence.hostSeen() || (wasRunning && evidence.processRuns())) {
            takeOver(context, evidence);
        } else if (wasRunning) {
            // The host of a session from before this start, seen then, has
            // ended before it could be taken over.
            hostEnded(context);
        } else {
            if (!session.launchFailed && evidence.launchedEnded && !evidence.failures.isEmpty() &&
                evidence.processes.empty())
                tellLaunchFailed(context, evidence);
            if (session.stage == Stage::WaitingForHost)
                tellWait(context, evidence);
        }
        return;
    }
    case Stage::HostRunning: {
        const HostEvidence evidence = lookAtHost(context);
        // The marker goes first, the host's processes end after it: the
        // session ends only when both have.
        if (evidence.openMarkers.isEmpty() && !evidence.processRuns()) {
            hostEnded(context);
            return;
        }
        showWhatIsSeen(context, evidence);
        return;
    }
    }
}

void lookOnceStarted(shared::Context& context)
{
    lookAgain(context);
    shared::LiveSession& session = context.session;
    if (session.stage != Stage::Idle || session.askingWhetherEnded ||
        !context.startWindow.startUpFinished())
        return;
    // A host started before this program that has not shown yet that it
    // runs (or no longer does) may have the live files in use: it is waited
    // for as a start's own host would be.
    if (const HostEvidence evidence = lookAtHost(context); evidence.processRuns())
        awaitHostFromBefore(context, evidence);
}

void awaitHost(shared::Context& context, bool launched)
{
    shared::LiveSession& session = context.session;
    session.stage = Stage::WaitingForHost;
    session.launchFailed = !launched;
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
    if (evidence.processRuns()) {
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
    if (asked == Stage::HostRunning) {
        if (evidence.openMarkers.isEmpty() && !evidence.processRuns()) {
            hostEnded(context); // it has, just now
            return;
        }
        if (evidence.processRuns()) {
            session.askingWhetherEnded = true;
            tellHostRuns(context, evidence);
            session.askingWhetherEnded = false;
            return;
        }
    }
    const auto record = session.record;
    const bool waiting = asked == Stage::WaitingForHost;
    QString text =
        (waiting ? u"Vill Du avbryta väntan på Lexaro?\n\n"_s : u"Har Lexaro avslutats?\n\n"_s) +
        knownOfHost(context, evidence) + u"\n\n" + whatJaDoes(context) +
        u" Svarar Du Nej fortsätter Lexaro Tuvano! att vänta.";
    if (!evidence.openMarkers.isEmpty())
        text += u"\n\nSå länge Lexaros markeringsfil finns kvar startas ingen profil utan att Du "
                u"tillfrågas."_s;
    if (evidence.processRuns())
        text += u"\n\nSå länge Lexaro körs startas ingen profil."_s;
    // The wait stands still while the user answers, so that nothing else
    // ends it meanwhile.
    session.askingWhetherEnded = true;
    const Answer answer = context.platform.message(
        text, waiting ? shared::texts::kProgramTitle.toString() : u"Profilövervakare"_s,
        Icon::Question, Buttons::YesNoDefaultNo);
    session.askingWhetherEnded = false;
    // Only the session that was asked about may end by the answer.
    if (answer != Answer::Yes || session.stage != asked || session.record != record)
        return;
    // The marker the user says no host keeps is no sign of one from now on,
    // as long as it stays as it is.
    const HostEvidence now = lookAtHost(context);
    if (!now.openMarkers.isEmpty()) {
        session.passedMarker = now.openMarkers.front();
        session.passedMarkerTime = QFileInfo(session.passedMarker).lastModified();
    }
    hostEnded(context, !waiting);
}

void hostEnded(shared::Context& context, bool hostRan)
{
    shared::LiveSession& session = context.session;
    if (session.stage != Stage::WaitingForHost && session.stage != Stage::HostRunning)
        return;
    session.stage = Stage::Saving;
    context.startWindow.watchForHost(false);
    context.startWindow.showWait({}, false);
    if (frmMonitor* window = monitor(context))
        window->tmrCheck->stop();
    WriteBackProfile(context, hostRan);
}

void resumeSession(shared::Context& context, const store::SessionRecord& record,
                   bool waitingForStart)
{
    shared::LiveSession& session = context.session;
    session.record = record;
    session.record->waiting = waitingForStart ? store::HostWait::Start : store::HostWait::End;
    session.fromEarlierRun = true;
    session.stage = Stage::WaitingForHost;
    context.startWindow.enableStart(false);
    context.state.sProfileFolder = context.folder.profileFolder(record.profile.id);
    if (waitingForStart)
        tellWait(context, lookAtHost(context));
}

} // namespace tuvano::session
