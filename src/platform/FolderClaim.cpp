#include "FolderClaim.h"

#include "Platform.h"
#include "store/ErrorText.h"

#include <QDir>

#include <system_error>

using namespace Qt::StringLiterals;

namespace tuvano::platform {

namespace {

using Status = SingleInstance::Status;
using Reply = SingleInstance::Reply;

QString title() { return u"Lexaro Tuvano!"_s; }

QString native(const QString& path) { return QDir::toNativeSeparators(path); }

QString runningText(bool hostRuns, Reply reply)
{
    const QString running = u"Lexaro Tuvano! körs redan i den här programmappen."_s;
    if (hostRuns && reply != Reply::Shown)
        return running + u"\n\nEn Lexaro-session pågår just nu. Starta Lexaro Tuvano! igen när "
                         u"Lexaro har avslutats."_s;
    switch (reply) {
    case Reply::Shown:
        return running + u" Det fönster som redan är öppet har tagits fram."_s;
    case Reply::Starting:
        return u"Lexaro Tuvano! håller redan på att starta i den här programmappen."_s;
    case Reply::NoWindow:
        return running + u" Just nu har programmet inget fönster att ta fram."_s;
    case Reply::NoAnswer:
        return running + u" Programmet har ombetts att visa sitt fönster, men det gick inte att "
                         u"bekräfta att det har gjort det."_s;
    case Reply::Asked:
    case Reply::NotAsked:
        break;
    }
    return running;
}

QString otherComputerQuestion(const SingleInstance& lock)
{
    return u"Lexaro Tuvano! har startats från den här programmappen på en annan dator och har "
           u"inte avslutats där.\n\nDator: "_s +
           store::shownText(lock.ownerHost(), 63) + u"\nProgrammapp: "_s + native(lock.folder()) +
           u"\n\nOm programmet fortfarande körs på den datorn kan de två skriva över varandras "
           u"ändringar. Om det inte längre körs där, till exempel för att datorn stängdes av "
           u"medan det körde, kan Du ta över programmappen.\n\nVill Du ta över programmappen och "
           u"starta Lexaro Tuvano! här?"_s;
}

QString entryText(SingleInstance::Entry entry)
{
    switch (entry) {
    case SingleInstance::Entry::Folder:
        return u"en mapp"_s;
    case SingleInstance::Entry::Link:
        return u"en länk"_s;
    default:
        return u"en specialfil"_s;
    }
}

QString failureText(const SingleInstance& lock, Status status)
{
    const QString folder = native(lock.folder());
    switch (status) {
    case Status::Held:
        return u"Programmappens låsfil finns redan och kunde inte tas över:\n"_s +
               native(lock.lockPath()) +
               u"\n\nTroligen körs Lexaro Tuvano! redan från den här mappen, kanske startat av en "
               u"annan användare, på en annan dator eller alldeles nyss. Avsluta det och starta "
               u"programmet igen. Körs programmet inte någonstans kan Du ta bort låsfilen."_s;
    case Status::NotAFile:
        return u"Programmappens låsfil är "_s + entryText(lock.lockEntry()) +
               u" och inte en vanlig fil:\n"_s + native(lock.lockPath()) +
               u"\n\nLexaro Tuvano! kan därför inte avgöra om programmet redan körs. Ta bort den "
               u"och starta programmet igen."_s;
    case Status::FolderMissing:
        return u"Lexaro Tuvano! kan inte starta eftersom programmappen inte finns eller inte går "
               u"att nå:\n"_s +
               folder;
    case Status::CannotWrite:
        return u"Lexaro Tuvano! kan inte starta eftersom det inte går att skriva i "
               u"programmappen:\n"_s +
               folder + u"\n\n"_s +
               (lock.readOnlyVolume() ? u"Mappen ligger på en enhet som bara kan läsas."_s
                                      : u"Du saknar behörighet att skapa filer i mappen."_s) +
               u" Programmet sparar sina filer i den här mappen och måste kunna skriva där."_s;
    case Status::DiskFull:
        return u"Lexaro Tuvano! kan inte starta eftersom disken där programmappen ligger är "
               u"full:\n"_s +
               folder + u"\n\nFrigör utrymme på disken och starta programmet igen."_s;
    case Status::WriteFailed:
        return u"Lexaro Tuvano! kan inte starta eftersom låsfilen inte kunde skapas i "
               u"programmappen:\n"_s +
               folder + u"\n\nSystemet har inte angett någon orsak."_s;
    case Status::Acquired:
    case Status::Running:
    case Status::OtherComputer:
        break;
    }
    return {};
}

bool settleClaim(SingleInstance& lock, Platform& platform, Status status, int answerWaitMs)
{
    if (status == Status::Acquired)
        return true;
    if (status == Status::Running) {
        // While the host runs, the running copy's window is hidden; it then
        // asks the user itself whether the host has ended, and that question
        // is all the user needs to see.
        const bool hostRuns = platform.markerPresent();
        const Reply reply = lock.askRunningCopy(answerWaitMs);
        if (reply != Reply::Asked)
            platform.message(runningText(hostRuns, reply), title(), Icon::Information, Buttons::Ok);
        return false;
    }
    if (status == Status::OtherComputer) {
        // Two copies writing over each other cost profiles their data: only
        // a deliberate Ja takes over.
        if (platform.message(otherComputerQuestion(lock), title(), Icon::Question,
                             Buttons::YesNoDefaultNo) != Answer::Yes)
            return false;
        status = lock.takeOver();
        if (status == Status::Acquired)
            return true;
    }
    platform.message(failureText(lock, status), title(), Icon::Critical, Buttons::Ok);
    return false;
}

} // namespace

bool claimProgramFolder(SingleInstance& lock, Platform& platform,
                        SingleInstance::ComeForward comeForward, int answerWaitMs)
{
    FolderClaimAhead claim(lock, std::move(comeForward));
    return claim.claim(platform, answerWaitMs);
}

FolderClaimAhead::FolderClaimAhead(SingleInstance& lock, SingleInstance::ComeForward comeForward,
                                   std::function<void()> whenTaken)
    : m_lock(lock)
{
    lock.prepare(std::move(comeForward));
    auto take = [&lock, whenTaken = std::move(whenTaken)] {
        const Status status = lock.lockFolder();
        if (status == Status::Acquired && whenTaken)
            whenTaken();
        return status;
    };
    try {
        m_taking = std::async(std::launch::async, take);
    } catch (const std::system_error&) {
        m_outcome = lock.settle(take()); // no thread to be had: here, then
    }
}

FolderClaimAhead::~FolderClaimAhead() { (void)outcome(); }

Status FolderClaimAhead::outcome()
{
    if (!m_outcome)
        m_outcome = m_lock.settle(m_taking.get());
    return *m_outcome;
}

bool FolderClaimAhead::takenAtOnce() { return outcome() == Status::Acquired; }

bool FolderClaimAhead::claim(Platform& platform, int answerWaitMs)
{
    return settleClaim(m_lock, platform, outcome(), answerWaitMs);
}

} // namespace tuvano::platform
