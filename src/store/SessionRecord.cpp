#include "SessionRecord.h"

#include "RecordFormat.h"
#include "TextCodec.h"

#include <QFileInfo>

#include <algorithm>
#include <array>

namespace tuvano::store {

namespace {

constexpr std::array<std::pair<SessionPhase, QStringView>, 3> kPhases{{
    {SessionPhase::CopyingIn, u"copying in"},
    {SessionPhase::Live, u"live"},
    {SessionPhase::Saving, u"saving"},
}};

constexpr QStringView kPhaseKey = u"phase";
constexpr QStringView kProfileKey = u"profile";
constexpr QStringView kFilesKey = u"files";

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
    if (!codec::isStorable(profile.fields[1]))
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
    return record;
}

Result<QByteArray> formatSessionRecord(const SessionRecord& record)
{
    if (!codec::isStorable(record.profile.name))
        return StoreError{ErrorKind::NotStorable, {}, 0, Flaw::BadCharacter, record.profile.name};
    if (!isProfileIdentifier(record.profile.id))
        return StoreError{ErrorKind::NotStorable, {}, 0, Flaw::BadIdentifier, record.profile.id};
    const auto phase = std::find_if(kPhases.begin(), kPhases.end(),
                                    [&](const auto& p) { return p.first == record.phase; });
    QStringList names;
    for (DataFile file : record.files)
        names << fileName(file).toString();
    const QString text = line(kPhaseKey, {phase->second.toString()}) +
                         line(kProfileKey, {record.profile.name, record.profile.id}) +
                         line(kFilesKey, names);
    auto bytes = codec::encode(text);
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
