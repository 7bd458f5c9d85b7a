#include "SettingsFile.h"

#include "RecordFormat.h"
#include "TextCodec.h"

#include <QFileInfo>

#include <array>

namespace tuvano::store {

namespace {

constexpr QStringView kTrueText = u"#TRUE#";
constexpr QStringView kFalseText = u"#FALSE#";
constexpr std::size_t kRecordCount = 5;

std::optional<VbBool> toTruth(const QString& field, bool quoted)
{
    if (!quoted && field.compare(kTrueText, Qt::CaseInsensitive) == 0)
        return kTrue;
    if (!quoted && field.compare(kFalseText, Qt::CaseInsensitive) == 0)
        return kFalse;
    return std::nullopt;
}

std::optional<qint16> toInteger(const QString& field, bool quoted)
{
    bool ok = false;
    const short value = field.toShort(&ok, 10);
    if (quoted || !ok)
        return std::nullopt;
    return value;
}

QString truthText(VbBool value) { return (value != 0 ? kTrueText : kFalseText).toString(); }

} // namespace

Settings Settings::firstRun()
{
    return Settings{kFalse, 0, kStandardProfileName.toString(), kTrue, kTrue};
}

Result<Settings> parseSettings(QByteArrayView bytes, const QString& path)
{
    const codec::Decoded decoded = codec::decode(bytes);
    if (decoded.badLine > 0)
        return records::damaged(path, decoded.badLine, Flaw::BadEncoding);
    records::LineReader reader(decoded.text, path);
    // Nothing after the fifth record is read.
    std::array<records::Line, kRecordCount> lines;
    for (records::Line& line : lines) {
        if (!reader.next(line)) {
            if (reader.error())
                return *reader.error();
            return records::damaged(path, reader.lineNumber() + 1, Flaw::MissingRecord);
        }
        if (line.fields.size() > 1)
            return records::damaged(path, line.number, Flaw::ExtraText);
    }
    const auto field = [&](std::size_t i) -> const QString& {
        return lines[i].fields[0];
    };
    const auto quoted = [&](std::size_t i) {
        return bool(lines[i].quoted[0]);
    };
    const auto wrongType = [&](std::size_t i) {
        return records::damaged(path, lines[i].number, Flaw::WrongType, field(i));
    };

    const auto quick = toTruth(field(0), quoted(0));
    if (!quick)
        return wrongType(0);
    const auto delay = toInteger(field(1), quoted(1));
    if (!delay)
        return wrongType(1);
    if (!codec::isWritable(field(2)))
        return records::damaged(path, lines[2].number, Flaw::BadCharacter, field(2));
    const auto shutdown = toTruth(field(3), quoted(3));
    if (!shutdown)
        return wrongType(3);
    const auto monitor = toTruth(field(4), quoted(4));
    if (!monitor)
        return wrongType(4);
    return Settings{*quick, *delay, field(2), *shutdown, *monitor};
}

Result<QByteArray> formatSettings(const Settings& s)
{
    if (!codec::isWritable(s.sDefaultProfile))
        return StoreError{ErrorKind::NotStorable, {}, 0, Flaw::BadCharacter, s.sDefaultProfile};
    const QString text =
        truthText(s.fQuickStart) + records::kLineEnd + QString::number(s.nAutoSelectDelay) +
        records::kLineEnd + records::quoted(s.sDefaultProfile) + records::kLineEnd +
        truthText(s.fShutdown) + records::kLineEnd + truthText(s.fShowMonitor) + records::kLineEnd;
    auto bytes = codec::encodeFile(text);
    if (!bytes)
        return StoreError{ErrorKind::NotStorable, {}, 0, Flaw::BadCharacter, s.sDefaultProfile};
    return std::move(*bytes);
}

bool SettingsFile::exists() const { return QFileInfo::exists(path()); }

Result<Settings> SettingsFile::read() const
{
    auto bytes = m_folder.ops().readAll(path());
    if (!bytes)
        return bytes.error();
    return parseSettings(*bytes, path());
}

Status SettingsFile::write(const Settings& settings) const
{
    auto bytes = formatSettings(settings);
    if (!bytes) {
        StoreError e = bytes.error();
        e.path = path();
        return e;
    }
    return replaceWithBytes(m_folder.ops(), path(), {}, *bytes);
}

} // namespace tuvano::store
