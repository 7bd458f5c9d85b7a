#include "TextCodec.h"

#include <QStringDecoder>
#include <QStringEncoder>

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

QString decode(QByteArrayView bytes)
{
    QStringDecoder decoder = makeDecoder();
    return decoder.decode(bytes);
}

std::optional<QByteArray> encode(QStringView text)
{
    QStringEncoder encoder = makeEncoder();
    QByteArray bytes = encoder.encode(text);
    if (encoder.hasError())
        return std::nullopt;
    return bytes;
}

bool isStorable(QStringView text)
{
    return !hasUnwritableCharacter(text) && encode(text).has_value();
}

} // namespace tuvano::store::codec
