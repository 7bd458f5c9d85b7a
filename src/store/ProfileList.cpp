#include "ProfileList.h"

#include "RecordFormat.h"
#include "TextCodec.h"

#include <QFileInfo>

#include <algorithm>
#include <optional>
#include <system_error>
#include <thread>

namespace tuvano::store {

namespace {

// From this many characters on (some two thousand records), the list is read
// as two halves at once, each on a core of its own: a list of thousands is
// read at every start.
constexpr qsizetype kHalvesFrom = 64 * 1024;

// The records of text, which is the whole list or its part; *lines is set to
// the number of lines read, blank ones included.
Result<ProfileRecords> parseRecords(QStringView text, const QString& path, int* lines = nullptr)
{
    records::LineReader reader(text, path);
    records::Line line;
    ProfileRecords list;
    while (reader.next(line)) {
        if (line.fields.size() < 2)
            return records::damaged(path, line.number, Flaw::MissingField);
        if (line.fields.size() > 2)
            return records::damaged(path, line.number, Flaw::ExtraText);
        if (!codec::isStorable(line.fields[0]))
            return records::damaged(path, line.number, Flaw::BadCharacter, line.fields[0]);
        if (!isProfileIdentifier(line.fields[1]))
            return records::damaged(path, line.number, Flaw::BadIdentifier, line.fields[1]);
        list.push_back({std::move(line.fields[0]), std::move(line.fields[1])});
    }
    if (reader.error())
        return *reader.error();
    if (lines)
        *lines = reader.lineNumber();
    return list;
}

// Where the second half starts: at the first line after the middle. A line
// feed always ends a line, whatever stands before it.
qsizetype secondHalf(QStringView text)
{
    if (text.size() < kHalvesFrom)
        return -1;
    const qsizetype feed = text.indexOf(u'\n', text.size() / 2);
    return feed < 0 || feed + 1 == text.size() ? -1 : feed + 1;
}

} // namespace

Result<ProfileRecords> parseProfileList(QByteArrayView bytes, const QString& path)
{
    const codec::Decoded decoded = codec::decode(bytes);
    if (decoded.badLine > 0)
        return records::damaged(path, decoded.badLine, Flaw::BadEncoding);
    const QStringView text = decoded.text;
    const qsizetype split = secondHalf(text);
    if (split < 0)
        return parseRecords(text, path);

    // The same records and the same first damage as read in one go: the
    // second half's lines are numbered on from the first's.
    std::optional<Result<ProfileRecords>> second;
    std::thread reading;
    try {
        reading = std::thread([&] { second.emplace(parseRecords(text.sliced(split), path)); });
    } catch (const std::system_error&) {
        return parseRecords(text, path); // no thread to be had
    }
    int firstLines = 0;
    Result<ProfileRecords> first = parseRecords(text.first(split), path, &firstLines);
    reading.join();
    if (!first)
        return first;
    if (!*second) {
        StoreError damage = second->error();
        damage.line += firstLines;
        return damage;
    }
    ProfileRecords& list = *first;
    ProfileRecords& rest = **second;
    list.insert(list.end(), std::make_move_iterator(rest.begin()),
                std::make_move_iterator(rest.end()));
    return std::move(list);
}

Result<QByteArray> formatProfileList(const ProfileRecords& list)
{
    QString text;
    for (const ProfileRecord& record : list) {
        if (!codec::isStorable(record.name))
            return StoreError{ErrorKind::NotStorable, {}, 0, Flaw::BadCharacter, record.name};
        if (!isProfileIdentifier(record.id))
            return StoreError{ErrorKind::NotStorable, {}, 0, Flaw::BadIdentifier, record.id};
        text +=
            records::quoted(record.name) + u',' + records::quoted(record.id) + records::kLineEnd;
    }
    auto bytes = codec::encode(text);
    if (!bytes)
        return StoreError{ErrorKind::NotStorable, {}, 0, Flaw::BadCharacter, text};
    return std::move(*bytes);
}

QStringList namesOf(const ProfileRecords& list)
{
    QStringList names;
    names.reserve(qsizetype(list.size()));
    for (const ProfileRecord& record : list)
        names << record.name;
    return names;
}

std::optional<QString> lastIdOf(const ProfileRecords& list, QStringView name)
{
    const auto match = std::find_if(list.rbegin(), list.rend(),
                                    [&](const ProfileRecord& r) { return r.name == name; });
    if (match == list.rend())
        return std::nullopt;
    return match->id;
}

Result<ProfileRecords> ProfileList::read() const
{
    auto bytes = m_folder.ops().readAll(path());
    if (!bytes)
        return bytes.error();
    return parseProfileList(*bytes, path());
}

Status ProfileList::replaceWith(const QByteArray& bytes) const
{
    return replaceWithBytes(m_folder.ops(), path(), kProfileListTemp.toString(), bytes);
}

Status ProfileList::createWithStandard() const
{
    const ProfileRecord standard{kStandardProfileName.toString(), kStandardProfileId.toString()};
    return replaceWith(formatProfileList({standard}).value());
}

Status ProfileList::append(const ProfileRecord& record) const
{
    auto line = formatProfileList({record});
    if (!line) {
        StoreError e = line.error();
        e.path = path();
        return e;
    }
    auto bytes = m_folder.ops().readAll(path());
    if (!bytes && bytes.error().kind != ErrorKind::Missing)
        return bytes.error();
    QByteArray list = bytes ? std::move(*bytes) : QByteArray();
    // A list saved as UTF-8 is written anew in the code page: a record in the
    // code page after UTF-8 lines would make the whole file unreadable.
    if (codec::decode(list).encoding == codec::Encoding::Utf8) {
        auto records = parseProfileList(list, path());
        if (!records)
            return records.error();
        records->push_back(record);
        auto whole = formatProfileList(*records);
        if (!whole) {
            StoreError e = whole.error();
            e.path = path();
            return e;
        }
        return replaceWith(*whole);
    }
    // A last line without its line end (edited by hand) must not swallow the
    // new record.
    if (!list.isEmpty() && !list.endsWith('\n') && !list.endsWith('\r'))
        list += "\r\n";
    return replaceWith(list + *line);
}

Result<Removal> ProfileList::remove(const QString& name) const
{
    auto list = read();
    if (!list)
        return list.error();
    const std::optional<QString> id = lastIdOf(*list, name);
    if (!id)
        return StoreError{ErrorKind::NoSuchProfile, path(), 0, Flaw::None, name};

    // Decided by where the folder really is: never delete through a link.
    if (Status own = m_folder.checkOwnFolder(*id); !own)
        return own.error();

    ProfileRecords kept;
    std::copy_if(list->begin(), list->end(), std::back_inserter(kept),
                 [&](const ProfileRecord& r) { return r.name != name; });
    auto bytes = formatProfileList(kept);
    if (!bytes) {
        StoreError e = bytes.error();
        e.path = path();
        return e;
    }
    if (Status written = replaceWith(*bytes); !written)
        return written.error();

    Removal removal{*id, m_folder.profileFolder(*id), Removal::Folder::Removed, {}};
    const bool shared =
        std::any_of(kept.begin(), kept.end(), [&](const ProfileRecord& r) { return r.id == *id; });
    if (shared) {
        removal.outcome = Removal::Folder::SharedId;
        return removal;
    }
    if (!QFileInfo(removal.folder).isDir()) {
        removal.outcome = Removal::Folder::Missing;
        return removal;
    }
    for (DataFile file : ProfileFileSet::remove) {
        const QString path = dataFilePath(removal.folder, file);
        const Status deleted = m_folder.ops().remove(path);
        if (!deleted && deleted.error().kind != ErrorKind::Missing)
            removal.notDeleted << path;
    }
    if (!m_folder.ops().removeFolder(removal.folder))
        removal.outcome = Removal::Folder::HoldsOtherFiles;
    return removal;
}

} // namespace tuvano::store
