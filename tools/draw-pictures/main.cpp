// Draws the program's pictures at 1x and 2x, so that they stay crisp on
// high-density screens, into the files of pixels the program reads. Run it
// after changing a drawing:
//   draw-pictures <folder>
#include "widgets/PictureBytes.h"

#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QPainterPath>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <functional>

using namespace Qt::StringLiterals;

namespace {

using Drawing = std::function<void(QPainter&)>;

// Draws in a square of 64 units scaled to the given pixel size.
void save(const QString& file, int pixels, qreal units, const Drawing& draw)
{
    QImage image(pixels, pixels, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(pixels / units, pixels / units);
    draw(p);
    p.end();
    QFile out(file);
    if (!out.open(QIODevice::WriteOnly) || out.write(tuvano::widgets::pictureBytes(image)) < 0) {
        std::fprintf(stderr, "draw-pictures: cannot write %s\n", qPrintable(file));
        std::exit(1);
    }
}

void person(QPainter& p, QPointF head, qreal size, const QColor& color)
{
    p.setBrush(color);
    p.setPen(QPen(QColor(255, 255, 255, 200), size * 0.06));
    QPainterPath body;
    const QRectF shoulders(head.x() - size * 0.55, head.y() + size * 0.42, size * 1.1, size * 0.9);
    body.moveTo(shoulders.left(), shoulders.bottom());
    body.arcTo(shoulders.adjusted(0, 0, 0, shoulders.height()), 180, -180);
    body.closeSubpath();
    p.drawPath(body);
    p.drawEllipse(head, size * 0.27, size * 0.27);
}

// Three people side by side: one installation, several users.
void profiles(QPainter& p)
{
    person(p, {18, 20}, 26, QColor(0x8f, 0xc1, 0xea));
    person(p, {46, 20}, 26, QColor(0xf0, 0xa8, 0x1c));
    person(p, {32, 14}, 32, QColor(0xff, 0xff, 0xff));
}

void arrowArc(QPainter& p, qreal startAngle, const QColor& color)
{
    const QRectF ring(8, 8, 48, 48);
    p.setPen(QPen(color, 6, Qt::SolidLine, Qt::RoundCap));
    p.setBrush(Qt::NoBrush);
    p.drawArc(ring, int(startAngle * 16), int(130 * 16));
    // The head sits at the end of the arc and points along it.
    const qreal end = qDegreesToRadians(startAngle + 130);
    const QPointF tip(32 + 24 * std::cos(end), 32 - 24 * std::sin(end));
    const QPointF along(-std::sin(end), -std::cos(end));
    const QPointF across(std::cos(end), -std::sin(end));
    QPolygonF head{tip + along * 7, tip + across * 7 - along * 2, tip - across * 7 - along * 2};
    p.setPen(Qt::NoPen);
    p.setBrush(color);
    p.drawPolygon(head);
}

// A folder between two turning arrows: files swapped in and out.
void swapFiles(QPainter& p)
{
    arrowArc(p, 20, QColor(0x2f, 0x78, 0xb7));
    arrowArc(p, 200, QColor(0xf0, 0xa8, 0x1c));
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0x17, 0x3f, 0x66));
    p.drawRoundedRect(QRectF(21, 25, 10, 6), 1.5, 1.5);
    p.drawRoundedRect(QRectF(21, 28, 22, 14), 2, 2);
}

// The window icon: a rounded blue square with a white "T" and an orange dot.
void icon(QPainter& p)
{
    QLinearGradient fill(0, 0, 64, 64);
    fill.setColorAt(0, QColor(0x17, 0x3f, 0x66));
    fill.setColorAt(1, QColor(0x2f, 0x78, 0xb7));
    p.setPen(Qt::NoPen);
    p.setBrush(fill);
    p.drawRoundedRect(QRectF(2, 2, 60, 60), 13, 13);
    p.setBrush(Qt::white);
    p.drawRoundedRect(QRectF(12, 13, 30, 8), 2.5, 2.5);
    p.drawRoundedRect(QRectF(23, 13, 8, 38), 2.5, 2.5);
    p.setBrush(QColor(0xf0, 0xa8, 0x1c));
    p.drawRoundedRect(QRectF(45, 13, 8, 25), 3, 3);
    p.drawEllipse(QRectF(45, 43, 8, 8));
}

} // namespace

int main(int argc, char* argv[])
{
    QGuiApplication app(argc, argv);
    const QString folder = argc > 1 ? QString::fromLocal8Bit(argv[1]) : u"."_s;
    save(folder + u"/profiles.pixels"_s, 64, 64, profiles);
    save(folder + u"/profiles@2x.pixels"_s, 128, 64, profiles);
    save(folder + u"/swap.pixels"_s, 48, 64, swapFiles);
    save(folder + u"/swap@2x.pixels"_s, 96, 64, swapFiles);
    for (int size : {16, 24, 32, 48, 64})
        save(folder + u"/tuvano-"_s + QString::number(size) + u".pixels"_s, size, 64, icon);
    save(folder + u"/tuvano-48@2x.pixels"_s, 96, 64, icon);
    return 0;
}
