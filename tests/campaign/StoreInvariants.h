#pragma once

#include "shell/Forms.h"
#include "store/HostContract.h"
#include "store/ProfileList.h"
#include "store/ProgramFolder.h"
#include "store/SessionRecord.h"
#include "store/SettingsFile.h"
#include "support/FakePlatform.h"

#include <QCoreApplication>
#include <QDir>
#include <QDirIterator>
#include <QFileInfo>
#include <QList>
#include <QMap>
#include <QStringList>
#include <QTemporaryDir>

#include <functional>
#include <memory>
#include <optional>
#include <vector>

// What must hold of a program folder whatever happened to the last operation
// on it: a failure, a crash, a kill. Shared by the fault walks and the soak.
namespace tuvano::test::campaign {

using namespace Qt::StringLiterals;

// Per profile identifier, its files by name with their bytes.
using ProfileFiles = QMap<QString, QMap<QString, QByteArray>>;

// Says why one file of a listed profile is not whole, or nothing when it is.
using Judge =
    std::function<QString(const QString& id, const QString& fileName, const QByteArray& bytes)>;

// Each file must be byte-equal to its content before the operation or to its
// content after it; a listed profile in neither is not expected at all.
inline Judge oldOrNew(ProfileFiles before, ProfileFiles after)
{
    return [before = std::move(before), after = std::move(after)](
               const QString& id, const QString& name, const QByteArray& bytes) -> QString {
        if (!before.contains(id) && !after.contains(id))
            return u"profile " + id + u" is listed but was never expected";
        const auto matches = [&](const ProfileFiles& side) {
            return side.contains(id) && side[id].contains(name) && side[id][name] == bytes;
        };
        if (matches(before) || matches(after))
            return {};
        // Above all, no profile ever holds another profile's file or session.
        for (const ProfileFiles* side : {&before, &after}) {
            for (auto other = side->begin(); other != side->end(); ++other) {
                if (other.key() != id && other.value().values().contains(bytes))
                    return u"a file of profile " + other.key() + u", or of its session";
            }
        }
        return u"neither its old nor its new content (" + QString::number(bytes.size()) +
               u" bytes)";
    };
}

// Says why the five files of one listed profile are not one whole set (each
// file named with its bytes), or nothing when they are.
using SetJudge = std::function<QString(const QString& id, const QMap<QString, QByteArray>& files)>;

// A profile holds all its files from before the operation, or all from after.
inline SetJudge allOldOrAllNew(ProfileFiles before, ProfileFiles after)
{
    return [before = std::move(before), after = std::move(after)](
               const QString& id, const QMap<QString, QByteArray>& files) -> QString {
        if (files == before.value(id) || files == after.value(id))
            return {};
        QStringList which;
        for (auto f = files.begin(); f != files.end(); ++f)
            which << f.key() + (f.value() == before.value(id).value(f.key())  ? u" old"_s
                                : f.value() == after.value(id).value(f.key()) ? u" new"_s
                                                                              : u" other"_s);
        return u"a mixed set: " + which.join(u", ");
    };
}

// Whether the user was told of an injected failure: some message box, other
// than those the operation shows anyway, came at or after the failure.
struct Telling {
    const std::vector<Box>* boxes = nullptr;
    std::size_t boxesAtFault = 0;
    QStringList routineTitles; // boxes the operation shows when nothing fails
};

struct Check {
    QString folder;
    Judge judge;
    // Whether the store must already be whole before the next start. Not so
    // after a first run cut short (the next start takes it up again) or while
    // the start-up still has a damaged settings file to replace.
    bool wholeBeforeNextStart = true;
    // Whether the next start must come up without a single message.
    bool quietNextStart = true;
    // When not empty, what the list and the settings may read as.
    QList<store::ProfileRecords> lists;
    QList<store::Settings> settings;
    std::optional<Telling> telling;
    // After the next start: each listed profile is one whole set.
    SetJudge wholeSet;
    // The profiles whose session must be saved when the next start is told
    // Ja: a session that reached "live" is lost only by the user's Nej.
    QStringList savedOnYes;
    ProfileFiles savedFiles;
    // What must not change at all: files outside the program folder, and the
    // folders of profiles the operation has no business with.
    QString outside;
    QMap<QString, QByteArray> outsideBefore;
    QMap<QString, QMap<QString, QByteArray>> untouchedBefore; // by profile id
    // When not empty, the sets the live files may hold after the next start:
    // a start swaps in all five files or none.
    QList<QMap<QString, QByteArray>> liveSets;
};

// Every file below root with its bytes, by relative path.
inline QMap<QString, QByteArray> snapshotTree(const QString& root)
{
    QMap<QString, QByteArray> files;
    QDirIterator it(root, QDir::Files | QDir::Hidden | QDir::System, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        QFile file(it.next());
        files.insert(QDir(root).relativeFilePath(file.fileName()),
                     file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<unreadable>"));
    }
    return files;
}

// What the next start of the program made of the folder.
struct NextStart {
    bool loaded = false;
    QString fatal;
    std::vector<Box> boxes;
};

// Starts the program again on the folder, as a user would after the failure
// or the crash: a fresh platform with the real file operations, the windows
// created afresh and the start-up window loaded. Yes to every question (a
// damaged settings file is replaced).
inline NextStart startAgain(const QString& folder, platform::Answer answer = platform::Answer::Yes)
{
    FakePlatform platform(folder);
    for (int i = 0; i < 4; ++i)
        platform.answers.push_back(answer);
    NextStart result;
    {
        shell::Forms forms(platform);
        result.loaded = forms.loadMain();
    }
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    result.fatal = platform.fatal;
    result.boxes = platform.boxes;
    return result;
}

inline QString describeBoxes(const std::vector<Box>& boxes)
{
    QStringList all;
    for (const Box& b : boxes)
        all << u'[' + b.title + u"] " + b.text.left(120).replace(u'\n', u' ');
    return all.join(u"; ");
}

// Every file and folder below root, relative and sorted.
inline QStringList listTree(const QString& root)
{
    QStringList all;
    QDirIterator it(root, QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden,
                    QDirIterator::Subdirectories);
    while (it.hasNext())
        all << QDir(root).relativeFilePath(it.next());
    all.sort();
    return all;
}

// A temporary file of the program's, which no start may leave behind.
inline bool isLeftover(const QString& relativePath)
{
    const QString name = QFileInfo(relativePath).fileName();
    return store::isTempName(name) || store::isStageName(name) || store::isAsideName(name) ||
           name == store::kProfileListTemp ||
           (relativePath.startsWith(u"profiles/") && name.endsWith(u".new"));
}

// Whether the record of the live files tells of a session that a next start
// settles: all but one whose host is over, or has not been seen yet (that
// wait goes on).
inline bool sessionUnderWay(const QString& folder)
{
    const store::SessionFile file{store::ProgramFolder(folder)};
    if (!file.exists())
        return false;
    const auto record = file.read();
    return !record || (record->phase != store::SessionPhase::Idle &&
                       !(record->phase == store::SessionPhase::Live &&
                         record->waiting == store::HostWait::Start));
}

// Copies a folder's tree (links as links, files with their times, as the
// record of the live files remembers them).
inline void copyTree(const QString& from, const QString& to)
{
    QDirIterator it(from, QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        const QString target = to + u'/' + QDir(from).relativeFilePath(path);
        if (it.fileInfo().isSymLink())
            QFile::link(it.fileInfo().symLinkTarget(), target);
        else if (it.fileInfo().isDir())
            QDir().mkpath(target);
        else if (QFile::copy(path, target)) {
            QFile copy(target);
            if (copy.open(QIODevice::ReadWrite))
                copy.setFileTime(it.fileInfo().lastModified(), QFileDevice::FileModificationTime);
        }
    }
}

namespace detail {

inline QMap<QString, QByteArray> profileFiles(const store::ProgramFolder& folder, const QString& id)
{
    QMap<QString, QByteArray> files;
    for (store::DataFile f : store::ProfileFileSet::listing) {
        QFile file(store::dataFilePath(folder.profileFolder(id), f));
        if (file.open(QIODevice::ReadOnly))
            files.insert(store::fileName(f).toString(), file.readAll());
    }
    return files;
}

// after: set after a next start, which the sets and the saved sessions are
// judged by.
inline void checkStore(const Check& check, const QString& when, QStringList& out,
                       std::optional<platform::Answer> after = std::nullopt)
{
    const store::ProgramFolder folder(check.folder);
    const auto list = store::ProfileList(folder).read();
    if (!list)
        out << when + u": profiles.map does not read: kind " +
                   QString::number(int(list.error().kind)) + u' ' + list.error().detail;
    const auto settings = store::SettingsFile(folder).read();
    if (!settings)
        out << when + u": tuvano.ini does not read: kind " +
                   QString::number(int(settings.error().kind)) + u' ' + settings.error().detail;
    if (list && !check.lists.isEmpty() && !check.lists.contains(*list))
        out << when + u": profiles.map holds neither the old nor the new list";
    if (settings && !check.settings.isEmpty() && !check.settings.contains(*settings))
        out << when + u": tuvano.ini holds neither the old nor the new settings";
    if (!list)
        return;
    for (const store::ProfileRecord& record : *list) {
        for (store::DataFile f : store::ProfileFileSet::listing) {
            const QString name = store::fileName(f).toString();
            const QString path = store::dataFilePath(folder.profileFolder(record.id), f);
            if (!QFileInfo(path).isFile()) {
                out << when + u": listed profile " + record.id + u" has no " + name;
                continue;
            }
            QFile file(path);
            if (!file.open(QIODevice::ReadOnly)) {
                out << when + u": " + path + u" cannot be read";
                continue;
            }
            if (const QString why = check.judge(record.id, name, file.readAll()); !why.isEmpty())
                out << when + u": profile " + record.id + u'/' + name + u": " + why;
        }
        if (!after)
            continue;
        const QMap<QString, QByteArray> files = profileFiles(folder, record.id);
        if (check.wholeSet) {
            if (const QString why = check.wholeSet(record.id, files); !why.isEmpty())
                out << when + u": profile " + record.id + u": " + why;
        }
        if (*after == platform::Answer::Yes && check.savedOnYes.contains(record.id) &&
            files != check.savedFiles.value(record.id))
            out << when + u": the session of profile " + record.id + u" was lost";
    }
}

inline void checkUntouched(const Check& check, const QString& when, QStringList& out)
{
    if (!check.outside.isEmpty() && snapshotTree(check.outside) != check.outsideBefore)
        out << when + u": something outside the program folder changed";
    const store::ProgramFolder folder(check.folder);
    for (auto p = check.untouchedBefore.begin(); p != check.untouchedBefore.end(); ++p) {
        if (snapshotTree(folder.profileFolder(p.key())) != p.value())
            out << when + u": the folder of profile " + p.key() +
                       u", which the operation has no business with, changed";
    }
}

} // namespace detail

// What a next start left: it came up (quietly, but for what settles a
// session cut short), the store is whole and holds no temporary file.
inline void nextStartViolations(const Check& check, const NextStart& started, const QString& when,
                                platform::Answer answer, QStringList& out)
{
    static const QStringList kSettling{u"Avbruten session"_s, u"Filer som inte sparades"_s};
    QStringList unexpected;
    for (const Box& box : started.boxes) {
        if (!kSettling.contains(box.title))
            unexpected << box.title;
    }
    if (!started.loaded)
        out << when + u": the program did not come up: " + describeBoxes(started.boxes);
    else if (check.quietNextStart && !unexpected.isEmpty())
        out << when + u": it was not quiet: " + describeBoxes(started.boxes);
    detail::checkStore(check, when, out, answer);
    QStringList temporaries;
    for (const QString& name : listTree(check.folder)) {
        if (isLeftover(name))
            temporaries << name;
    }
    if (!temporaries.isEmpty())
        out << when + u": temporary files left: " + temporaries.join(u", ");
    if (sessionUnderWay(check.folder))
        out << when + u": the record still tells of a session to be settled";
    if (!check.liveSets.isEmpty()) {
        QMap<QString, QByteArray> live;
        for (store::DataFile f : store::ProfileFileSet::listing) {
            QFile file(store::dataFilePath(check.folder, f));
            if (file.open(QIODevice::ReadOnly))
                live.insert(store::fileName(f).toString(), file.readAll());
        }
        if (!check.liveSets.contains(live))
            out << when + u": the live files are not one whole set: " + live.keys().join(u", ");
    }
}

// The invariants, each violation as one line: before the next start (when
// the store must be whole already) and after it, the list and the settings
// read cleanly and every listed profile holds five whole files; the next
// start comes up and leaves no temporary file; an injected failure was told.
inline QStringList violations(const Check& check, NextStart* next = nullptr)
{
    QStringList out;
    if (check.wholeBeforeNextStart)
        detail::checkStore(check, u"before the next start"_s, out);
    detail::checkUntouched(check, u"before the next start"_s, out);

    // A session cut short makes the next start ask: both answers are tried,
    // Nej on a copy.
    const bool asks = sessionUnderWay(check.folder);
    if (asks) {
        QTemporaryDir scratch;
        copyTree(check.folder, scratch.path());
        Check onCopy = check;
        onCopy.folder = scratch.path();
        onCopy.untouchedBefore.clear();
        const NextStart started = startAgain(onCopy.folder, platform::Answer::No);
        nextStartViolations(onCopy, started, u"after a next start told Nej"_s, platform::Answer::No,
                            out);
    }
    const NextStart started = startAgain(check.folder, platform::Answer::Yes);
    nextStartViolations(check, started,
                        asks ? u"after a next start told Ja"_s : u"after the next start"_s,
                        platform::Answer::Yes, out);
    detail::checkUntouched(check, u"after the next start"_s, out);

    if (check.telling) {
        const Telling& t = *check.telling;
        bool told = false;
        for (std::size_t i = t.boxesAtFault; i < t.boxes->size(); ++i)
            told = told || !t.routineTitles.contains((*t.boxes)[i].title);
        if (!told)
            out << u"the failure was not told; boxes: " + describeBoxes(*t.boxes);
    }
    if (next)
        *next = started;
    return out;
}

} // namespace tuvano::test::campaign
