#pragma once

#include <QByteArray>
#include <QImage>

namespace tuvano::widgets {

// The program's pictures are kept as their pixels, premultiplied as they
// were drawn, after a header of twelve bytes: "TVPX", the width and the
// height, little-endian like the pixels. Reading one is a copy, where
// unpacking a PNG file took more than the rest of its way to the screen.
QByteArray pictureBytes(const QImage& image);
// A null image for bytes that hold no whole picture.
QImage pictureFromBytes(const QByteArray& bytes);

} // namespace tuvano::widgets
