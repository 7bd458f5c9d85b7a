#include "ReaderCheck.h"

#include "store/ErrorText.h"
#include "store/ProfileList.h"
#include "store/SettingsFile.h"

#include <algorithm>
#include <vector>

namespace tuvano::fuzz {

using namespace Qt::StringLiterals;
using store::ErrorKind;
using store::StoreError;

namespace {

// Any path will do; it only has to come back in the error unchanged.
const QString& inputPath()
{
    static const QString path = u"/fuzz/input"_s;
    return path;
}

struct LineCount {
    int all = 0;
    int nonBlank = 0; // holding more than spaces and tabs
};

// The lines of the bytes, counted as the readers count them: CR LF, LF and a
// lone CR each end one line. Counted on the bytes (in UTF-16 on their pairs),
// not the decoded text, so that a decoder that loses text cannot go
// unnoticed.
LineCount countLines(QByteArrayView bytes)
{
    // A byte-order mark is no text of the first line.
    const bool utf16 = bytes.startsWith("\xFF\xFE") || bytes.startsWith("\xFE\xFF");
    const bool littleEndian = bytes.startsWith("\xFF");
    if (utf16)
        bytes = bytes.sliced(2);
    else if (bytes.startsWith(QByteArrayView("\xEF\xBB\xBF")))
        bytes = bytes.sliced(3);
    std::vector<char16_t> units;
    if (utf16) {
        for (qsizetype i = 0; i < bytes.size(); i += 2) {
            const uchar first = uchar(bytes[i]);
            const uchar second = i + 1 < bytes.size() ? uchar(bytes[i + 1]) : 0xFF;
            units.push_back(littleEndian ? char16_t(first | second << 8)
                                         : char16_t(first << 8 | second));
        }
    } else {
        for (char c : bytes)
            units.push_back(char16_t(uchar(c)));
    }
    LineCount count;
    std::size_t pos = 0;
    while (pos < units.size()) {
        ++count.all;
        bool blank = true;
        for (; pos < units.size() && units[pos] != u'\r' && units[pos] != u'\n'; ++pos)
            blank = blank && (units[pos] == u' ' || units[pos] == u'\t');
        if (!blank)
            ++count.nonBlank;
        if (pos < units.size() && units[pos] == u'\r')
            ++pos;
        if (pos < units.size() && units[pos] == u'\n')
            ++pos;
    }
    return count;
}

// Every non-blank line of a list is one record; a settings file has at least
// its five records (more lines are passed over).
std::optional<QString> checkRecordCount(const store::ProfileRecords& records, QByteArrayView bytes)
{
    const int lines = countLines(bytes).nonBlank;
    if (qsizetype(records.size()) != lines)
        return u"read %1 records from %2 non-blank lines"_s.arg(records.size()).arg(lines);
    return std::nullopt;
}

std::optional<QString> checkRecordCount(const store::Settings&, QByteArrayView bytes)
{
    const int lines = countLines(bytes).nonBlank;
    if (lines < 5)
        return u"read settings from only %1 non-blank lines"_s.arg(lines);
    return std::nullopt;
}

QString describe(const StoreError& e)
{
    return u"kind %1, line %2, flaw %3, path \"%4\", detail \"%5\""_s.arg(int(e.kind))
        .arg(e.line)
        .arg(int(e.flaw))
        .arg(e.path, e.detail);
}

// A refusal must name the file and a line the user can look at. The line
// after the last one is allowed: that is where a missing record would be.
std::optional<QString> checkRefusal(const StoreError& e, QByteArrayView bytes)
{
    if (e.kind != ErrorKind::Damaged)
        return u"refused with a kind other than Damaged: "_s + describe(e);
    const int lines = countLines(bytes).all;
    if (e.line < 1 || e.line > lines + 1)
        return u"refused on a line outside the file (%1 lines): "_s.arg(lines) + describe(e);
    if (e.flaw == store::Flaw::None)
        return u"refused as damaged without a flaw: "_s + describe(e);
    if (e.path != inputPath())
        return u"refused naming another path: "_s + describe(e);
    const QString text = store::errorText(e);
    if (text.isEmpty())
        return u"refusal has no text for the user: "_s + describe(e);
    // The file's bytes never cut the message short or break its lines.
    const auto odd = std::find_if(text.begin(), text.end(), [](QChar c) {
        return c != u'\n' && (c.category() == QChar::Other_Control || c.isSurrogate());
    });
    if (odd != text.end())
        return u"refusal's text holds a control character: "_s + describe(e);
    return std::nullopt;
}

// Parse, then format what was read, parse that and format again: the values
// must come back equal and the second writing must be byte for byte the first.
template <class Value, class Parse, class Format>
std::optional<QString> checkRoundTrip(QByteArrayView bytes, Parse parse, Format format)
{
    const store::Result<Value> first = parse(bytes, inputPath());
    if (!first)
        return checkRefusal(first.error(), bytes);
    if (auto wrong = checkRecordCount(*first, bytes))
        return wrong;

    const store::Result<QByteArray> written = format(*first);
    if (!written)
        return u"what was read cannot be written: "_s + describe(written.error());
    const store::Result<Value> second = parse(*written, inputPath());
    if (!second)
        return u"what was written cannot be read: "_s + describe(second.error());
    if (!(*second == *first))
        return u"what was written reads back different"_s;
    const store::Result<QByteArray> rewritten = format(*second);
    if (!rewritten || *rewritten != *written)
        return u"writing the same values twice gives different bytes"_s;
    return std::nullopt;
}

} // namespace

std::optional<QString> check(Reader reader, QByteArrayView bytes)
{
    switch (reader) {
    case Reader::ProfileList:
        return checkRoundTrip<store::ProfileRecords>(bytes, store::parseProfileList,
                                                     store::formatProfileList);
    case Reader::Settings:
        return checkRoundTrip<store::Settings>(bytes, store::parseSettings, store::formatSettings);
    }
    return u"unknown reader"_s;
}

} // namespace tuvano::fuzz
