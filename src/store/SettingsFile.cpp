#include "SettingsFile.h"

#include "RecordFormat.h"
#include "TextCodec.h"

#include <QFileInfo>

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
    auto lines = records::splitLines(codec::decode(bytes), path, kRecordCount);
    if (!lines)
        return lines.error();
    if (lines->size() < kRecordCount) {
        const int last = lines->empty() ? 0 : lines->back().number;
        return records::damaged(path, last + 1, Flaw::MissingRecord);
    }
    for (std::size_t i = 0; i < kRecordCount; ++i) {
        const records::Line& line = (*lines)[i];
        if (line.fields.size() > 1)
            return records::damaged(path, line.number, Flaw::ExtraText);
    }
    const auto field = [&](int i) -> const QString& {
        return (*lines)[i].fields[0];
    };
    const auto quoted = [&](int i) {
        return bool((*lines)[i].quoted[0]);
    };
    const auto wrongType = [&](int i) {
        return records::damaged(path, (*lines)[i].number, Flaw::WrongType, field(i));
    };

    const auto quick = toTruth(field(0), quoted(0));
    if (!quick)
        return wrongType(0);
    const auto delay = toInteger(field(1), quoted(1));
    if (!delay)
        return wrongType(1);
    if (!codec::isStorable(field(2)))
        return records::damaged(path, (*lines)[2].number, Flaw::BadCharacter, field(2));
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
    if (!codec::isStorable(s.sDefaultProfile))
        return StoreError{ErrorKind::NotStorable, {}, 0, Flaw::BadCharacter, s.sDefaultProfile};
    const QString text =
        truthText(s.fQuickStart) + records::kLineEnd + QString::number(s.nAutoSelectDelay) +
        records::kLineEnd + records::quoted(s.sDefaultProfile) + records::kLineEnd +
        truthText(s.fShutdown) + records::kLineEnd + truthText(s.fShowMonitor) + records::kLineEnd;
    return codec::encode(text).value_or(QByteArray());
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
    return replaceWithBytes(m_folder.ops(), path(), tempPathFor(path()), *bytes);
}

} // namespace tuvano::store
