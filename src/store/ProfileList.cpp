#include "ProfileList.h"

#include "RecordFormat.h"
#include "TextCodec.h"

#include <QFileInfo>

#include <algorithm>
#include <future>
#include <iterator>
#include <system_error>

namespace tuvano::store {

namespace {

// A list this long is read in two halves at once, the second on another
// core: at start-up the window waits for the list of a large installation.
constexpr qsizetype kLongList = 64 * 1024;

// The records of a run of whole lines, and the number of lines read.
struct Part {
    ProfileRecords list;
    std::optional<StoreError> error;
    int lines = 0;
};

// Room for a record on every line of text: a list of thousands grown step
// by step is copied into ever new memory.
std::size_t roomFor(QStringView text)
{
    // A plain count over the code units, which the compiler does many at a time.
    int lf = 0;
    int cr = 0;
    const char16_t* const units = text.utf16();
    for (qsizetype i = 0; i < text.size(); ++i) {
        lf += units[i] == u'\n';
        cr += units[i] == u'\r';
    }
    return std::size_t(qMax(lf, cr));
}

Part readLines(QStringView text, const QString& path, std::size_t room)
{
    Part part;
    part.list.reserve(room);
    records::LineReader reader(text, path);
    records::Line line;
    const auto damaged = [&](Flaw flaw, QString detail = {}) {
        part.error = records::damaged(path, line.number, flaw, std::move(detail));
        return std::move(part);
    };
    while (reader.next(line)) {
        if (line.fields.size() < 2)
            return damaged(Flaw::MissingField);
        if (line.fields.size() > 2)
            return damaged(Flaw::ExtraText);
        if (!codec::isWritable(line.fields[0]))
            return damaged(Flaw::BadCharacter, line.fields[0]);
        if (!isProfileIdentifier(line.fields[1]))
            return damaged(Flaw::BadIdentifier, line.fields[1]);
        part.list.push_back({std::move(line.fields[0]), std::move(line.fields[1])});
    }
    part.error = reader.error();
    part.lines = reader.lineNumber();
    return part;
}

// Where the second half of text begins: after the first line end past the middle.
qsizetype middleLineStart(QStringView text)
{
    qsizetype at = text.size() / 2;
    while (at < text.size() && text[at] != u'\r' && text[at] != u'\n')
        ++at;
    if (at < text.size() && text[at] == u'\r')
        ++at;
    if (at < text.size() && text[at] == u'\n')
        ++at;
    return at;
}

} // namespace

Result<ProfileRecords> parseProfileList(QByteArrayView bytes, const QString& path)
{
    const codec::Decoded decoded = codec::decode(bytes);
    if (decoded.badLine > 0)
        return records::damaged(path, decoded.badLine, Flaw::BadEncoding);
    const QStringView text = decoded.text;
    const qsizetype middle = text.size() >= kLongList ? middleLineStart(text) : text.size();
    const QStringView second = text.sliced(middle);
    std::future<Part> later;
    if (!second.isEmpty()) {
        try {
            later = std::async(std::launch::async,
                               [&] { return readLines(second, path, roomFor(second)); });
        } catch (const std::system_error&) {
            // No thread to be had: the second half is read after the first.
        }
    }
    Part whole = readLines(text.first(middle), path, roomFor(text));
    // The first damaged line in the file is the one reported.
    if (whole.error)
        return *whole.error;
    if (second.isEmpty())
        return std::move(whole.list);
    Part rest = later.valid() ? later.get() : readLines(second, path, roomFor(second));
    if (rest.error) {
        rest.error->line += whole.lines;
        return *rest.error;
    }
    std::move(rest.list.begin(), rest.list.end(), std::back_inserter(whole.list));
    return std::move(whole.list);
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
    // A list saved as UTF-8 or UTF-16 is written anew, whole: a line in the
    // code page after lines in another encoding would make the file
    // unreadable. It is written in the code page whenever that holds every
    // name.
    if (codec::decode(list).encoding != codec::Encoding::CodePage) {
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
