#include "widgets/PictureBytes.h"

#include "widgets/Decoration.h"

#include <QResource>
#include <QtEndian>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;
using namespace tuvano::widgets;

namespace {

TEST(PictureBytes, APictureComesBackPixelForPixel)
{
    QImage drawn(5, 3, QImage::Format_ARGB32_Premultiplied);
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 5; ++x)
            drawn.setPixel(x, y, qPremultiply(qRgba(40 * x, 90 * y, 7, 60 * x + y)));
    EXPECT_EQ(pictureFromBytes(pictureBytes(drawn)), drawn);
}

TEST(PictureBytes, BytesThatHoldNoWholePictureGiveNone)
{
    const QByteArray whole = pictureBytes(QImage(4, 2, QImage::Format_ARGB32_Premultiplied));
    const auto withWord = [&](int at, quint32 value) {
        QByteArray bytes = whole;
        qToLittleEndian(value, bytes.data() + at);
        return bytes;
    };
    for (const QByteArray& bytes :
         QList<QByteArray>{QByteArray(), whole.left(11), whole.chopped(1), whole + QByteArray("x"),
                           withWord(0, 0x474e5089), withWord(4, 0), withWord(4, 0x40000001),
                           withWord(8, 0xffffffff)})
        EXPECT_TRUE(pictureFromBytes(bytes).isNull()) << bytes.size();
}

// Every picture the windows show is there, in the size its name gives.
TEST(PictureBytes, TheProgramsPicturesAreWhole)
{
    const QList<std::pair<QString, int>> pictures = {
        {u"profiles"_s, 64},  {u"profiles@2x"_s, 128}, {u"swap"_s, 48},
        {u"swap@2x"_s, 96},   {u"tuvano-16"_s, 16},    {u"tuvano-24"_s, 24},
        {u"tuvano-32"_s, 32}, {u"tuvano-48"_s, 48},    {u"tuvano-48@2x"_s, 96},
        {u"tuvano-64"_s, 64}};
    for (const auto& [name, size] : pictures) {
        const QResource file(u":/pictures/"_s + name + u".pixels"_s);
        const QImage image = pictureFromBytes(file.uncompressedData());
        EXPECT_EQ(image.size(), QSize(size, size)) << name.toStdString();
        EXPECT_EQ(qAlpha(image.pixel(0, 0)), 0) << name.toStdString();
        EXPECT_GT(qAlpha(image.pixel(size / 2, size / 2)), 0) << name.toStdString();
    }
    EXPECT_EQ(programIcon().availableSizes().size(), 5);
}

} // namespace
