#include "BenchFolder.h"

#include "session/Activation.h"
#include "session/SessionStage.h"
#include "session/SessionWatch.h"
#include "session/frmMonitor.h"
#include "shell/frmMain.h"
#include "store/ErrorText.h"
#include "store/ProfileList.h"
#include "store/SettingsFile.h"

#include <QApplication>
#include <QCheckBox>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QPushButton>
#include <QTimer>

#include <cstdio>
#include <cstdlib>

using namespace Qt::StringLiterals;

namespace tuvano::bench {

namespace {

void check(const store::Status& status)
{
    if (!status)
        fail(store::errorText(status.error()));
}

// Not all zeros, so that no file system can take a shortcut on them.
QByteArray dataBytes(qint64 size)
{
    QByteArray bytes(size, Qt::Uninitialized);
    for (qint64 i = 0; i < size; ++i)
        bytes[i] = char((quint32(i) * 2654435761u) >> 24);
    return bytes;
}

QString profileName(int i) { return u"Profil %1"_s.arg(i, 5, 10, QChar(u'0')); }

QString profileId(int i) { return QString::number(1'000'000 + i); }

} // namespace

void fail(const QString& what)
{
    std::fprintf(stderr, "bench: %s\n", qPrintable(what));
    std::fflush(nullptr);
    std::_Exit(2);
}

QString benchProfileName() { return store::kStandardProfileName.toString(); }

QString benchProfileFolder(const QString& programFolder)
{
    return store::ProgramFolder(programFolder).profileFolder(store::kStandardProfileId);
}

void prepareProgramFolder(const QString& path, const FolderLayout& layout)
{
    const store::ProgramFolder folder(path);
    store::FileOps& ops = folder.ops();

    store::Settings settings = store::Settings::firstRun();
    settings.nAutoSelectDelay = layout.countdown;
    check(store::SettingsFile(folder).write(settings));

    store::ProfileRecords records;
    records.reserve(std::size_t(layout.profiles));
    records.push_back({benchProfileName(), store::kStandardProfileId.toString()});
    for (int i = 1; i < layout.profiles; ++i)
        records.push_back({profileName(i), profileId(i)});
    const auto list = store::formatProfileList(records);
    if (!list)
        fail(u"the list cannot be written"_s);
    check(ops.writeNew(folder.file(store::kProfileListFile), *list));

    check(ops.makeFolder(folder.profilesFolder()));
    for (const store::ProfileRecord& record : records)
        check(ops.makeFolder(folder.profileFolder(record.id)));

    const QByteArray bytes = dataBytes(layout.dataFileBytes);
    const QString standard = benchProfileFolder(path);
    for (store::DataFile file : store::ProfileFileSet::listing) {
        check(ops.writeNew(store::dataFilePath(standard, file), bytes));
        check(ops.writeNew(folder.liveFile(file), bytes));
    }
}

platform::Answer FolderPlatform::message(const QString& text, const QString& title, platform::Icon,
                                         platform::Buttons)
{
    fail(u"a message box came up: "_s + title + u": " + text);
}

QString FolderPlatform::inputBox(const QString& prompt, const QString& title, const QString&)
{
    fail(u"an input box came up: "_s + title + u": " + prompt);
}

void FolderPlatform::endProgram() { fail(u"the program ended itself"_s); }

void FolderPlatform::fatalError(const QString& text) { fail(u"the program ended: "_s + text); }

SessionRig::SessionRig(const QString& folder) : m_platform(folder), m_forms(m_platform)
{
    if (!m_forms.loadMain())
        fail(u"the start-up window could not be loaded over "_s + folder);
    // The state a session starts from: the window has been on the screen.
    m_forms.main().show();
    QCoreApplication::processEvents();
}

void SessionRig::swapIn()
{
    // The start button disables itself before it starts anything.
    m_forms.main().cmdGo->setEnabled(false);
    if (session::swapInProfile(m_forms.context(), benchProfileName(),
                               session::OnFailure::PassOver) != session::StartOutcome::Started)
        fail(u"the profile was not started"_s);
}

void SessionRig::checkSwappedIn() const
{
    checkSameSizes(benchProfileFolder(m_platform.programFolder()), m_platform.programFolder());
}

void SessionRig::forgetSession()
{
    m_forms.context().session.record.reset();
    if (!store::SessionFile(m_forms.context().folder).remove())
        fail(u"the record of the session could not be removed"_s);
}

void SessionRig::prepareWriteBack()
{
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    shared::ProgramState& state = m_forms.state();
    state.sProfileFolder = benchProfileFolder(m_platform.programFolder());
    state.fShutdown = shared::kFalse;
    // The session a start leaves: the profile's five files loaded.
    store::SessionRecord record;
    record.phase = store::SessionPhase::Live;
    record.profile = {benchProfileName(), store::kStandardProfileId.toString()};
    record.files = {store::ProfileFileSet::start.begin(), store::ProfileFileSet::start.end()};
    record.waiting = store::HostWait::End;
    m_forms.context().session.record = record;
    // As the monitor has it: the host was seen running and has ended.
    m_forms.context().session.stage = shared::LiveSession::Stage::HostRunning;
    m_forms.main().hide();
    session::frmMonitor& monitor = session::loadMonitor(m_forms.context());
    monitor.tmrCheck->stop();
    monitor.chkSparaEj->setCheckState(Qt::Unchecked);
}

void SessionRig::writeBack()
{
    if (!session::monitor(m_forms.context()))
        fail(u"no monitor to write back from"_s);
    session::hostEnded(m_forms.context());
    if (m_forms.context().session.stage != shared::LiveSession::Stage::Idle)
        fail(u"the session was not saved"_s);
}

qint64 SessionRig::hostRunsAndEnds()
{
    // The host starts as a user would start it, once the work start-up
    // leaves until the window is up (the watch of the markers' folders among
    // it) has been done: half a second after the start is ample.
    QElapsedTimer settling;
    settling.start();
    waitFor([&] { return settling.elapsed() >= 500; }, u"the start-up's later work"_s);
    shell::frmMain& main = m_forms.main();
    m_forms.state().fShutdown = shared::kFalse; // the window is to come back
    swapIn();
    session::awaitHost(m_forms.context(), true); // as if launched: the watch waits for it
    const QStringList markers = m_platform.markerPaths();
    QFile marker(markers.constLast());
    if (!marker.open(QIODevice::WriteOnly))
        fail(u"the marker cannot be made: "_s + marker.fileName());
    marker.close();
    waitFor([&] { return session::monitor(m_forms.context()) != nullptr; }, u"the host's start"_s);
    QElapsedTimer clock;
    clock.start();
    QFile::remove(marker.fileName());
    waitFor([&] { return main.cmdGo->isEnabled() && main.isVisible(); }, u"the host's end"_s);
    return clock.nsecsElapsed();
}

void SessionRig::waitFor(const std::function<bool()>& done, const QString& what)
{
    QElapsedTimer waited;
    waited.start();
    while (!done()) {
        if (waited.elapsed() > 10000)
            fail(what + u" was not noticed within 10 s"_s);
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
    }
}

void SessionRig::checkWrittenBack() const
{
    checkSameSizes(m_platform.programFolder(), benchProfileFolder(m_platform.programFolder()));
}

void SessionRig::checkSameSizes(const QString& from, const QString& to) const
{
    for (store::DataFile file : store::ProfileFileSet::listing) {
        const QFileInfo source(store::dataFilePath(from, file));
        const QFileInfo copy(store::dataFilePath(to, file));
        if (!copy.isFile() || copy.size() != source.size())
            fail(copy.filePath() + u" is not a whole copy of "_s + source.filePath());
        if (QFileInfo::exists(store::tempPathFor(copy.filePath())))
            fail(u"a temporary file was left beside "_s + copy.filePath());
    }
}

void resetPeakMemory()
{
    QFile clear(u"/proc/self/clear_refs"_s);
    if (clear.open(QIODevice::WriteOnly))
        clear.write("5");
}

qint64 peakMemoryKib()
{
    QFile status(u"/proc/self/status"_s);
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').value(0).toLongLong();
    }
    return -1;
}

} // namespace tuvano::bench
