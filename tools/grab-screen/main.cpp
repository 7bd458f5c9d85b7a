// Saves what a virtual display shows, cut to the windows on it (the empty
// screen around them is black):
//   grab-screen <file.png>
#include <QGuiApplication>
#include <QImage>
#include <QPixmap>
#include <QScreen>

#include <cstdio>

namespace {

// The smallest rectangle holding every pixel that is not black.
QRect contentOf(const QImage& image)
{
    QRect box;
    for (int y = 0; y < image.height(); ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            if ((line[x] & 0xffffff) != 0)
                box |= QRect(x, y, 1, 1);
        }
    }
    return box;
}

} // namespace

int main(int argc, char* argv[])
{
    QGuiApplication app(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: grab-screen <file.png>\n");
        return 2;
    }
    const QImage screen = QGuiApplication::primaryScreen()->grabWindow(0).toImage().convertToFormat(
        QImage::Format_RGB32);
    const QRect content = contentOf(screen);
    const QImage shot = content.isEmpty() ? screen : screen.copy(content);
    if (!shot.save(QString::fromLocal8Bit(argv[1]))) {
        std::fprintf(stderr, "grab-screen: cannot write %s\n", argv[1]);
        return 1;
    }
    return 0;
}
