#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringView>

#include <optional>

// The program's text files hold single-byte characters of the ANSI code page
// Windows-1252, wherever the program runs and whatever code page the system
// itself uses. Files saved by a modern editor (UTF-8, perhaps with a
// byte-order mark, or UTF-16 with its mark, as Notepad saves "Unicode") are
// read too. Every write is in the
// code page, unless the file holds a text the code page cannot carry (only a
// file saved as UTF-8 brings one): that file is written as UTF-8 with its
// byte-order mark, so the text is kept as it was.
namespace tuvano::store::codec {

enum class Encoding { CodePage, Utf8, Utf16 };

struct Decoded {
    QString text;
    Encoding encoding = Encoding::CodePage;
    // The 1-based line of the first byte the reading could not place, or 0.
    int badLine = 0;
};

// A byte-order mark is skipped and the rest read as UTF-8 or UTF-16 as it
// says; without one, bytes that are valid UTF-8 and not plain ASCII are read
// as UTF-8, all else in the code page.
Decoded decode(QByteArrayView bytes);

// Empty when the text holds a character the code page cannot represent.
std::optional<QByteArray> encode(QStringView text);

// The bytes of a whole file: in the code page when they read back as this
// very text, else UTF-8 behind a byte-order mark. Empty only for a text that
// no encoding holds (a lone surrogate).
std::optional<QByteArray> encodeFile(QStringView text);

// Whether a field read from a file can be written back inside double quotes
// in some encoding: no double quote, no line break or other control
// character.
bool isWritable(QStringView text);

// Whether a new text (a name the user types) can be written inside double
// quotes in the code page and read back unchanged: it is writable, the code
// page holds it, and its code-page bytes do not read as UTF-8.
bool isStorable(QStringView text);

} // namespace tuvano::store::codec
