#include "PictureBytes.h"

#include <QtEndian>

namespace tuvano::widgets {

namespace {

constexpr quint32 kPictureMark = 0x58505654; // "TVPX"
constexpr qsizetype kHeaderSize = 3 * sizeof(quint32);

} // namespace

QByteArray pictureBytes(const QImage& image)
{
    const QImage pixels = image.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    // Rows of 32-bit pixels follow each other with no gap.
    const qsizetype count = qsizetype(pixels.width()) * pixels.height();
    QByteArray bytes(kHeaderSize + count * 4, Qt::Uninitialized);
    qToLittleEndian<quint32>(kPictureMark, bytes.data());
    qToLittleEndian<quint32>(quint32(pixels.width()), bytes.data() + 4);
    qToLittleEndian<quint32>(quint32(pixels.height()), bytes.data() + 8);
    qToLittleEndian<quint32>(pixels.constBits(), count, bytes.data() + kHeaderSize);
    return bytes;
}

QImage pictureFromBytes(const QByteArray& bytes)
{
    if (bytes.size() < kHeaderSize || qFromLittleEndian<quint32>(bytes.constData()) != kPictureMark)
        return {};
    const quint32 width = qFromLittleEndian<quint32>(bytes.constData() + 4);
    const quint32 height = qFromLittleEndian<quint32>(bytes.constData() + 8);
    if (width == 0 || height == 0 || width > 4096 || height > 4096 ||
        qsizetype(width) * height * 4 != bytes.size() - kHeaderSize)
        return {};
    QImage image(int(width), int(height), QImage::Format_ARGB32_Premultiplied);
    qFromLittleEndian<quint32>(bytes.constData() + kHeaderSize, qsizetype(width) * height,
                               image.bits());
    return image;
}

} // namespace tuvano::widgets
