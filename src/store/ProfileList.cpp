#include "ProfileList.h"

#include "RecordFormat.h"
#include "TextCodec.h"

#include <QFileInfo>

#include <algorithm>

namespace tuvano::store {

Result<ProfileRecords> parseProfileList(QByteArrayView bytes, const QString& path)
{
    const codec::Decoded decoded = codec::decode(bytes);
    if (decoded.badLine > 0)
        return records::damaged(path, decoded.badLine, Flaw::BadEncoding);
    records::LineReader reader(decoded.text, path);
    records::Line line;
    ProfileRecords list;
    while (reader.next(line)) {
        if (line.fields.size() < 2)
            return records::damaged(path, line.number, Flaw::MissingField);
        if (line.fields.size() > 2)
            return records::damaged(path, line.number, Flaw::ExtraText);
        if (!codec::isWritable(line.fields[0]))
            return records::damaged(path, line.number, Flaw::BadCharacter, line.fields[0]);
        if (!isProfileIdentifier(line.fields[1]))
            return records::damaged(path, line.number, Flaw::BadIdentifier, line.fields[1]);
        list.push_back({std::move(line.fields[0]), std::move(line.fields[1])});
    }
    if (reader.error())
        return *reader.error();
    return list;
}

Result<QByteArray> formatProfileList(const ProfileRecords& list)
{
    QString text;
    for (const ProfileRecord& record : list) {
        if (!codec::isWritable(record.name))
            return StoreError{ErrorKind::NotStorable, {}, 0, Flaw::BadCharacter, record.name};
        if (!isProfileIdentifier(record.id))
            return StoreError{ErrorKind::NotStorable, {}, 0, Flaw::BadIdentifier, record.id};
        text +=
            records::quoted(record.name) + u',' + records::quoted(record.id) + records::kLineEnd;
    }
    auto bytes = codec::encodeFile(text);
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
    // A new name must fit the code page; names already in a list saved as
    // UTF-8 are kept as they are, whatever they hold.
    if (!codec::isStorable(record.name))
        return StoreError{ErrorKind::NotStorable, path(), 0, Flaw::BadCharacter, record.name};
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
    // A list saved as UTF-8 is written anew, whole: a line in the code page
    // after UTF-8 lines would make the file unreadable. It is written in the
    // code page whenever that holds every name.
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
