#include "SessionRecord.h"

#include "RecordFormat.h"
#include "TextCodec.h"

#include <QDateTime>
#include <QFileInfo>

#include <algorithm>
#include <array>

namespace tuvano::store {

namespace {

constexpr std::array<std::pair<SessionPhase, QStringView>, 4> kPhases{{
    {SessionPhase::CopyingIn, u"copying in"},
    {SessionPhase::Live, u"live"},
    {SessionPhase::Saving, u"saving"},
    {SessionPhase::Idle, u"idle"},
}};

constexpr std::array<std::pair<HostWait, QStringView>, 2> kWaits{{
    {HostWait::Start, u"host start"},
    {HostWait::End, u"host end"},
}};

constexpr QStringView kPhaseKey = u"phase";
constexpr QStringView kProfileKey = u"profile";
constexpr QStringView kFilesKey = u"files";
constexpr QStringView kWaitKey = u"waiting for";
constexpr QStringView kChangesKey = u"changes";
constexpr QStringView kSeenKey = u"seen";
constexpr QStringView kKeep = u"keep";
constexpr QStringView kDiscard = u"discard";

std::optional<DataFile> dataFileNamed(QStringView name)
{
    for (DataFile file : ProfileFileSet::listing) {
        if (fileName(file) == name)
            return file;
    }
    return std::nullopt;
}

QString line(QStringView key, const QStringList& values)
{
    QString text = records::quoted(key);
    for (const QString& value : values)
        text += u',' + records::quoted(value);
    return text + records::kLineEnd;
}

} // namespace

bool SessionRecord::concerns(DataFile file) const
{
    return std::find(files.begin(), files.end(), file) != files.end();
}

std::vector<LiveFileState> liveFilesNow(const ProgramFolder& folder)
{
    std::vector<LiveFileState> now;
    for (DataFile file : ProfileFileSet::listing) {
        const QFileInfo info(folder.liveFile(file));
        if (info.exists())
            now.push_back({file, info.size(), info.lastModified().toMSecsSinceEpoch()});
        else
            now.push_back({file, -1, 0});
    }
    return now;
}

bool SessionRecord::liveFilesChanged(const ProgramFolder& folder) const
{
    return !seen.empty() && seen != liveFilesNow(folder);
}

SessionRecord SessionRecord::over() const
{
    SessionRecord record = *this;
    record.phase = SessionPhase::Idle;
    record.waiting = HostWait::Start;
    record.keepChanges = true;
    return record;
}

Result<SessionRecord> parseSessionRecord(QByteArrayView bytes, const QString& path)
{
    const codec::Decoded decoded = codec::decode(bytes);
    if (decoded.badLine > 0)
        return records::damaged(path, decoded.badLine, Flaw::BadEncoding);
    records::LineReader reader(decoded.text, path);
    std::array<records::Line, 3> lines;
    const std::array<QStringView, 3> keys{kPhaseKey, kProfileKey, kFilesKey};
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (!reader.next(lines[i])) {
            if (reader.error())
                return *reader.error();
            return records::damaged(path, reader.lineNumber() + 1, Flaw::MissingRecord);
        }
        if (lines[i].fields.front() != keys[i])
            return records::damaged(path, lines[i].number, Flaw::WrongType,
                                    lines[i].fields.front());
    }
    SessionRecord record;
    const records::Line& phase = lines[0];
    if (phase.fields.size() != 2)
        return records::damaged(path, phase.number, Flaw::MissingField);
    const auto known = std::find_if(kPhases.begin(), kPhases.end(),
                                    [&](const auto& p) { return p.second == phase.fields[1]; });
    if (known == kPhases.end())
        return records::damaged(path, phase.number, Flaw::WrongType, phase.fields[1]);
    record.phase = known->first;

    const records::Line& profile = lines[1];
    if (profile.fields.size() != 3)
        return records::damaged(path, profile.number, Flaw::MissingField);
    if (!codec::isWritable(profile.fields[1]))
        return records::damaged(path, profile.number, Flaw::BadCharacter, profile.fields[1]);
    if (!isProfileIdentifier(profile.fields[2]))
        return records::damaged(path, profile.number, Flaw::BadIdentifier, profile.fields[2]);
    record.profile = {profile.fields[1], profile.fields[2]};

    const records::Line& files = lines[2];
    for (std::size_t i = 1; i < files.fields.size(); ++i) {
        const std::optional<DataFile> file = dataFileNamed(files.fields[i]);
        if (!file || record.concerns(*file))
            return records::damaged(path, files.number, Flaw::WrongType, files.fields[i]);
        record.files.push_back(*file);
    }

    // Later lines, which a record of an earlier version does not have. One
    // that does not say what it waits for may have seen its host run.
    record.waiting = HostWait::End;
    records::Line more;
    while (reader.next(more)) {
        const QString& key = more.fields.front();
        if (key == kSeenKey) {
            bool sized = false, timed = false;
            const std::optional<DataFile> file =
                more.fields.size() == 4 ? dataFileNamed(more.fields[1]) : std::nullopt;
            const qint64 size = file ? more.fields[2].toLongLong(&sized) : 0;
            const qint64 modified = file ? more.fields[3].toLongLong(&timed) : 0;
            if (!file || !sized || !timed || size < -1)
                return records::damaged(path, more.number, Flaw::WrongType, key);
            record.seen.push_back({*file, size, modified});
            continue;
        }
        if (more.fields.size() != 2)
            return records::damaged(path, more.number, Flaw::MissingField);
        const QString& value = more.fields[1];
        if (key == kWaitKey) {
            const auto wait = std::find_if(kWaits.begin(), kWaits.end(),
                                           [&](const auto& w) { return w.second == value; });
            if (wait == kWaits.end())
                return records::damaged(path, more.number, Flaw::WrongType, value);
            record.waiting = wait->first;
        } else if (key == kChangesKey && (value == kKeep || value == kDiscard)) {
            record.keepChanges = value == kKeep;
        } else {
            return records::damaged(path, more.number, Flaw::WrongType, key + u',' + value);
        }
    }
    if (reader.error())
        return *reader.error();
    return record;
}

Result<QByteArray> formatSessionRecord(const SessionRecord& record)
{
    if (!codec::isWritable(record.profile.name))
        return StoreError{ErrorKind::NotStorable, {}, 0, Flaw::BadCharacter, record.profile.name};
    if (!isProfileIdentifier(record.profile.id))
        return StoreError{ErrorKind::NotStorable, {}, 0, Flaw::BadIdentifier, record.profile.id};
    const auto phase = std::find_if(kPhases.begin(), kPhases.end(),
                                    [&](const auto& p) { return p.first == record.phase; });
    QStringList names;
    for (DataFile file : record.files)
        names << fileName(file).toString();
    const auto wait = std::find_if(kWaits.begin(), kWaits.end(),
                                   [&](const auto& w) { return w.first == record.waiting; });
    QString text = line(kPhaseKey, {phase->second.toString()}) +
                   line(kProfileKey, {record.profile.name, record.profile.id}) +
                   line(kFilesKey, names) + line(kWaitKey, {wait->second.toString()}) +
                   line(kChangesKey, {(record.keepChanges ? kKeep : kDiscard).toString()});
    for (const LiveFileState& state : record.seen)
        text += line(kSeenKey, {fileName(state.file).toString(), QString::number(state.size),
                                QString::number(state.modified)});
    auto bytes = codec::encodeFile(text);
    if (!bytes)
        return StoreError{ErrorKind::NotStorable, {}, 0, Flaw::BadCharacter, record.profile.name};
    return std::move(*bytes);
}

bool SessionFile::exists() const
{
    const QFileInfo info(path());
    return info.exists() || info.isSymLink();
}

Result<SessionRecord> SessionFile::read() const
{
    // A record is a few short lines. Whatever else stands in its place (a
    // pipe, a folder, a huge file) is no record of this program's: told as
    // damaged, so it is put aside rather than opened or trusted.
    constexpr qint64 kLargestRecord = 64 * 1024;
    const QFileInfo info(path());
    if (info.exists() && (!info.isFile() || info.size() > kLargestRecord)) {
        const Cause cause = info.isDir()    ? Cause::IsFolder
                            : info.isFile() ? Cause::TooLarge
                                            : Cause::NotPlainFile;
        return StoreError{ErrorKind::Damaged, path(), 0, Flaw::None, {}, cause};
    }
    auto bytes = m_folder.ops().readAll(path());
    if (!bytes)
        return bytes.error();
    return parseSessionRecord(*bytes, path());
}

Status SessionFile::write(const SessionRecord& record) const
{
    auto bytes = formatSessionRecord(record);
    if (!bytes) {
        StoreError e = bytes.error();
        e.path = path();
        return e;
    }
    return replaceWithBytes(m_folder.ops(), path(), {}, *bytes);
}

Status SessionFile::remove() const
{
    Status removed = m_folder.ops().remove(path());
    if (!removed && removed.error().kind != ErrorKind::Missing)
        return removed;
    (void)m_folder.ops().flushFolder(m_folder.path());
    return {};
}

Status SessionFile::keepAside() const { return m_folder.ops().rename(path(), path() + u".bak"); }

} // namespace tuvano::store
