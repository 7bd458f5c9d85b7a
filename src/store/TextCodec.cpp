#include "TextCodec.h"

#include <QStringDecoder>
#include <QStringEncoder>

#include <algorithm>

#ifdef Q_OS_WIN
#include <windows.h>
#endif

namespace tuvano::store::codec {

namespace {

// Windows-1252 on every system and whatever code page Windows uses (with its
// "Beta: UTF-8" option its own is UTF-8): the files are written in it. Qt
// converts it through ICU, which Qt for Windows is built without; there
// Windows converts it itself, with its table of that very code page.
#ifdef Q_OS_WIN
constexpr UINT kWindows1252 = 1252;

QString fromCodePage(QByteArrayView bytes)
{
    if (bytes.isEmpty())
        return {};
    const int size =
        ::MultiByteToWideChar(kWindows1252, 0, bytes.data(), int(bytes.size()), nullptr, 0);
    QString text(size, Qt::Uninitialized);
    ::MultiByteToWideChar(kWindows1252, 0, bytes.data(), int(bytes.size()),
                          reinterpret_cast<wchar_t*>(text.data()), size);
    return text;
}

// Empty when the code page lacks a character: none is put in its place.
std::optional<QByteArray> toCodePage(QStringView text)
{
    if (text.isEmpty())
        return QByteArray();
    const auto* wide = reinterpret_cast<const wchar_t*>(text.utf16());
    BOOL lacking = FALSE;
    const int size = ::WideCharToMultiByte(kWindows1252, WC_NO_BEST_FIT_CHARS, wide,
                                           int(text.size()), nullptr, 0, nullptr, &lacking);
    if (size <= 0 || lacking)
        return std::nullopt;
    QByteArray bytes(size, Qt::Uninitialized);
    ::WideCharToMultiByte(kWindows1252, WC_NO_BEST_FIT_CHARS, wide, int(text.size()), bytes.data(),
                          size, nullptr, &lacking);
    return bytes;
}
#else
// A converter remembers a failed conversion for good, so every conversion
// gets a fresh one: a name that cannot be stored must never spoil the next.
QString fromCodePage(QByteArrayView bytes) { return QStringDecoder("windows-1252").decode(bytes); }

std::optional<QByteArray> toCodePage(QStringView text)
{
    QStringEncoder encoder("windows-1252", QStringConverter::Flag::Stateless);
    QByteArray bytes = encoder.encode(text);
    if (encoder.hasError())
        return std::nullopt;
    return bytes;
}
#endif

constexpr QByteArrayView kUtf8Mark("\xEF\xBB\xBF");
// Only the file's first mark is skipped: a second one is text, not to be
// dropped unseen by the decoder.
constexpr QStringConverter::Flags kUtf8Flags =
    QStringConverter::Flag::Stateless | QStringConverter::Flag::ConvertInitialBom;

bool isAscii(QByteArrayView bytes)
{
    return std::all_of(bytes.begin(), bytes.end(), [](char c) { return uchar(c) < 0x80; });
}

// The five bytes Windows-1252 leaves undefined come out as these controls.
bool isUnplaced(QChar c)
{
    switch (c.unicode()) {
    case 0x81:
    case 0x8D:
    case 0x8F:
    case 0x90:
    case 0x9D:
    case 0xFFFD:
        return true;
    default:
        return false;
    }
}

// The line of text[pos]; CR LF, LF and a lone CR each end a line.
int lineAt(QStringView text, qsizetype pos)
{
    int line = 1;
    for (qsizetype i = 0; i < pos; ++i) {
        if (text[i] == u'\n' ||
            (text[i] == u'\r' && (i + 1 >= text.size() || text[i + 1] != u'\n')))
            ++line;
    }
    return line;
}

Decoded finish(QString text, Encoding encoding)
{
    const auto bad = std::find_if(text.cbegin(), text.cend(), isUnplaced);
    const int badLine = bad == text.cend() ? 0 : lineAt(text, bad - text.cbegin());
    return Decoded{std::move(text), encoding, badLine};
}

} // namespace

Decoded decode(QByteArrayView bytes)
{
    // Saved as "Unicode" (UTF-16), as Notepad does, always with its mark.
    if (bytes.startsWith("\xFF\xFE") || bytes.startsWith("\xFE\xFF")) {
        QStringDecoder utf16(
            bytes.startsWith("\xFF") ? QStringConverter::Utf16LE : QStringConverter::Utf16BE,
            QStringConverter::Flag::Stateless | QStringConverter::Flag::ConvertInitialBom);
        QString text = utf16.decode(bytes.sliced(2));
        // A byte left over is half a letter, which the decoder drops without
        // a word: the file was cut short, and is damaged where it ends.
        if (bytes.size() % 2 != 0)
            text += QChar(QChar::ReplacementCharacter);
        return finish(std::move(text), Encoding::Utf16);
    }
    const bool marked = bytes.startsWith(kUtf8Mark);
    if (marked)
        bytes = bytes.sliced(kUtf8Mark.size());
    if (isAscii(bytes))
        return Decoded{QString::fromLatin1(bytes), marked ? Encoding::Utf8 : Encoding::CodePage, 0};
    QStringDecoder utf8(QStringConverter::Utf8, kUtf8Flags);
    QString text = utf8.decode(bytes);
    if (marked || !utf8.hasError())
        return finish(std::move(text), Encoding::Utf8);
    return finish(fromCodePage(bytes), Encoding::CodePage);
}

std::optional<QByteArray> encode(QStringView text)
{
    std::optional<QByteArray> bytes = toCodePage(text);
    // Only bytes that read back as the very text carry it: a conversion may
    // put a "?" or a look-alike ("A" for "Ā") in place of what it lacks.
    if (!bytes || fromCodePage(*bytes) != text)
        return std::nullopt;
    return bytes;
}

std::optional<QByteArray> encodeFile(QStringView text)
{
    if (std::optional<QByteArray> bytes = encode(text); bytes && decode(*bytes).text == text)
        return bytes;
    QStringEncoder utf8(QStringConverter::Utf8, QStringConverter::Flag::Stateless);
    QByteArray bytes = kUtf8Mark.toByteArray();
    bytes += QByteArray(utf8.encode(text));
    if (utf8.hasError())
        return std::nullopt;
    return bytes;
}

bool isWritable(QStringView text)
{
    // A list of thousands of names is checked name by name at every start:
    // an ASCII character is told by its code, only others by Unicode's
    // tables. ASCII's controls are those below a blank and DEL.
    return std::none_of(text.begin(), text.end(), [](QChar c) {
        const char16_t code = c.unicode();
        if (code < 0x80)
            return code == u'"' || code < 0x20 || code == 0x7f;
        return c.category() == QChar::Other_Control || c.isSurrogate();
    });
}

bool isStorable(QStringView text)
{
    if (!isWritable(text))
        return false;
    const bool ascii =
        std::all_of(text.begin(), text.end(), [](QChar c) { return c.unicode() < 0x80; });
    // Every ANSI code page holds plain ASCII: only other text needs the encoder.
    if (ascii)
        return true;
    const std::optional<QByteArray> bytes = encode(text);
    if (!bytes)
        return false;
    // Text whose bytes also make valid UTF-8 ("Ã…" is the UTF-8 of "Å") would
    // come back as other letters from a file with no other letter outside
    // ASCII, so it cannot be stored either.
    QStringDecoder utf8(QStringConverter::Utf8, kUtf8Flags);
    const QString asUtf8 = utf8.decode(*bytes); // decodes only when it becomes a string
    return utf8.hasError();
}

} // namespace tuvano::store::codec
