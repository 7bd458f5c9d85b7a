#pragma once

#include <QByteArray>
#include <QByteArrayList>
#include <QByteArrayView>
#include <QCryptographicHash>
#include <QRandomGenerator>
#include <QString>
#include <QtEndian>

// Data file content that shows by itself whether it is whole, so that a file
// found after a kill can be judged without knowing when the kill came:
//
//   <id>:<generation>:<file name>:<padding of some kilobytes>\n#<checksum>\n
//
// where the checksum (the first 64 bits of the MD5 sum, 16 hex digits)
// covers every byte before the '#'.
namespace tuvano::test::soak {

// Qt's own, optimised in every build: the soak sums tens of megabytes after
// every kill, which a loop of this build's own takes seconds for under the
// sanitizers.
inline quint64 checksum(QByteArrayView bytes)
{
    const QByteArray sum = QCryptographicHash::hash(bytes, QCryptographicHash::Md5);
    return qFromBigEndian<quint64>(sum.constData());
}

inline QByteArray hex16(quint64 value)
{
    return QByteArray::number(value, 16).rightJustified(16, '0');
}

inline QByteArray makeContent(const QString& id, const QString& generation, const QString& fileName,
                              quint32 seed)
{
    QRandomGenerator random(seed);
    QByteArray body = id.toLatin1() + ':' + generation.toLatin1() + ':' + fileName.toLatin1() + ':';
    // Large enough that kills land in the middle of copies.
    const int padding = random.bounded(32 * 1024, 512 * 1024);
    // Random lines of 64, repeated: quick to make, however large.
    QByteArray lines;
    for (int i = 0; i < 4096; ++i)
        lines += i % 64 == 63 ? '\n' : char('a' + random.bounded(26));
    body.reserve(body.size() + padding + 32);
    while (body.size() < padding)
        body += lines;
    body += '\n';
    // Appended in place: a concatenation would copy the body a byte at a
    // time, in this build's own code.
    const QByteArray sum = hex16(checksum(body));
    body += '#';
    body += sum;
    body += '\n';
    return body;
}

// The "<id>:<generation>" that every file of one whole set shares.
inline QByteArray setOf(const QByteArray& bytes)
{
    const QList<QByteArray> fields = bytes.left(200).split(':');
    return fields.size() < 2 ? QByteArray() : fields[0] + ':' + fields[1];
}

// Why bytes are not a whole file named fileName, or nothing when they are.
inline QString checkContent(const QString& fileName, const QByteArray& bytes)
{
    constexpr qsizetype kTrailer = 18; // '#', 16 digits, '\n'
    if (bytes.size() < kTrailer + 4 || !bytes.endsWith('\n') ||
        bytes[bytes.size() - kTrailer] != '#')
        return QStringLiteral("no checksum line (%1 bytes): cut short").arg(bytes.size());
    const QByteArrayView body(bytes.constData(), bytes.size() - kTrailer);
    const QByteArray stated = bytes.mid(bytes.size() - kTrailer + 1, 16);
    if (hex16(checksum(body)) != stated)
        return QStringLiteral("checksum mismatch (%1 bytes)").arg(bytes.size());
    const QList<QByteArray> fields = bytes.left(200).split(':');
    if (fields.size() < 4 || fields[0].isEmpty() || fields[2] != fileName.toLatin1())
        return QStringLiteral("whole, but the content of another file: ") +
               QString::fromLatin1(bytes.left(60));
    return {};
}

} // namespace tuvano::test::soak
