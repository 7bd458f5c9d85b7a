#include "TextCodec.h"

#include <QStringDecoder>
#include <QStringEncoder>

#include <algorithm>

namespace tuvano::store::codec {

namespace {

#ifdef Q_OS_WIN
QStringDecoder makeDecoder() { return QStringDecoder(QStringConverter::System); }
QStringEncoder makeEncoder()
{
    return QStringEncoder(QStringConverter::System, QStringConverter::Flag::Stateless);
}
#else
QStringDecoder makeDecoder() { return QStringDecoder("windows-1252"); }
QStringEncoder makeEncoder()
{
    return QStringEncoder("windows-1252", QStringConverter::Flag::Stateless);
}
#endif

bool hasUnwritableCharacter(QStringView text)
{
    for (QChar c : text) {
        if (c == u'"' || c.category() == QChar::Other_Control)
            return true;
    }
    return false;
}

} // namespace

// Setting up a converter means a lookup in the system's conversion tables, so
// each thread keeps its own pair and only resets it between uses.
QString decode(QByteArrayView bytes)
{
    thread_local QStringDecoder decoder = makeDecoder();
    decoder.resetState();
    return decoder.decode(bytes);
}

std::optional<QByteArray> encode(QStringView text)
{
    thread_local QStringEncoder encoder = makeEncoder();
    encoder.resetState();
    QByteArray bytes = encoder.encode(text);
    if (encoder.hasError())
        return std::nullopt;
    return bytes;
}

bool isStorable(QStringView text)
{
    if (hasUnwritableCharacter(text))
        return false;
    // Every ANSI code page holds plain ASCII: only other text needs the encoder.
    const bool ascii =
        std::all_of(text.begin(), text.end(), [](QChar c) { return c.unicode() < 0x80; });
    return ascii || encode(text).has_value();
}

} // namespace tuvano::store::codec
