#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringView>

#include <optional>

// The program's text files hold single-byte characters of the system's ANSI
// code page: Windows-1252 wherever the program runs, except on Windows itself,
// where the system's own code page is used.
namespace tuvano::store::codec {

QString decode(QByteArrayView bytes);

// Empty when the text holds a character the code page cannot represent.
std::optional<QByteArray> encode(QStringView text);

// Whether a field can be written inside double quotes and read back unchanged:
// no double quote, no line break or other control character, and nothing the
// code page cannot hold.
bool isStorable(QStringView text);

} // namespace tuvano::store::codec
