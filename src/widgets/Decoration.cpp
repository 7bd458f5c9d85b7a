#include "Decoration.h"

#include "PictureBytes.h"

#include <QFile>
#include <QGuiApplication>
#include <QIcon>
#include <QPixmap>
#include <QPixmapCache>
#include <QResource>
#include <QScreen>
#include <QVBoxLayout>

namespace tuvano::widgets {

namespace {

QPixmap readPicture(const QString& file)
{
    QPixmap pixmap;
    if (QPixmapCache::find(file, &pixmap))
        return pixmap;
    // Stored uncompressed, so the resource's bytes are read where they are.
    pixmap = QPixmap::fromImage(pictureFromBytes(QResource(file).uncompressedData()));
    QPixmapCache::insert(file, pixmap);
    return pixmap;
}

// High-density screens get the drawing made at twice the size.
QString pictureFile(const QString& resource, qreal ratio)
{
    if (ratio > 1) {
        QString doubled = resource;
        doubled.insert(resource.lastIndexOf(u'.'), QStringLiteral("@2x"));
        if (QFile::exists(doubled))
            return doubled;
    }
    return resource;
}

} // namespace

Line::Line(Qt::Orientation orientation, const QColor& color, QWidget* parent) : QFrame(parent)
{
    setFrameShape(QFrame::NoFrame);
    setAutoFillBackground(true);
    QPalette p = palette();
    p.setColor(QPalette::Window, color);
    setPalette(p);
    if (orientation == Qt::Horizontal)
        setFixedHeight(1);
    else
        setFixedWidth(1);
}

QWidget* etchedSeparator(const QString& grayName, const QString& whiteName, QWidget* parent)
{
    auto* box = new QWidget(parent);
    auto* layout = new QVBoxLayout(box);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    auto* gray = new Line(Qt::Horizontal, QColor(160, 160, 160), box);
    gray->setObjectName(grayName);
    auto* white = new Line(Qt::Horizontal, Qt::white, box);
    white->setObjectName(whiteName);
    layout->addWidget(gray);
    layout->addWidget(white);
    return box;
}

Shape::Shape(QWidget* parent) : QFrame(parent) { setAutoFillBackground(true); }

void Shape::setFill(const QBrush& brush)
{
    QPalette p = palette();
    p.setBrush(QPalette::Window, brush);
    setPalette(p);
}

QBrush bannerFill()
{
    QLinearGradient gradient(0, 0, 1, 1);
    gradient.setCoordinateMode(QGradient::ObjectMode);
    gradient.setColorAt(0, QColor(0x17, 0x3f, 0x66));
    gradient.setColorAt(1, QColor(0x2f, 0x78, 0xb7));
    return gradient;
}

Shape* accentStrip(const QString& name, QWidget* parent)
{
    auto* strip = new Shape(parent);
    strip->setObjectName(name);
    strip->setFill(QColor(0xf0, 0xa8, 0x1c));
    strip->setFixedHeight(4);
    return strip;
}

void setLook(QWidget* widget, qreal pointSize, QFont::Weight weight, const QColor& color,
             bool italic, qreal letterSpacing)
{
    QFont f = widget->font();
    if (pointSize > 0)
        f.setPointSizeF(pointSize);
    f.setWeight(weight);
    f.setItalic(italic);
    if (letterSpacing != 0)
        f.setLetterSpacing(QFont::AbsoluteSpacing, letterSpacing);
    widget->setFont(f);
    if (color.isValid()) {
        QPalette p = widget->palette();
        p.setColor(QPalette::WindowText, color);
        widget->setPalette(p);
    }
}

Picture::Picture(const QString& resource, QWidget* parent) : QLabel(parent)
{
    const QString file = pictureFile(resource, devicePixelRatioF());
    QPixmap pixmap = readPicture(file);
    if (file != resource)
        pixmap.setDevicePixelRatio(2);
    setPixmap(pixmap);
    setFixedSize(pixmap.deviceIndependentSize().toSize());
    setAttribute(Qt::WA_NoMousePropagation);
}

void readPicturesAhead(const QStringList& resources)
{
    // As the windows will choose, on the screen they will most likely be on.
    const qreal ratio = QGuiApplication::primaryScreen()->devicePixelRatio();
    for (const QString& resource : resources)
        readPicture(pictureFile(resource, ratio));
}

void loadTypefacesAhead(const QWidget& window)
{
    QList<QFont> loaded;
    for (const QWidget* control : window.findChildren<QWidget*>()) {
        if (loaded.contains(control->font()))
            continue;
        loaded << control->font();
        (void)control->fontMetrics().height();
    }
}

QIcon programIcon()
{
    // The sizes window frames and task bars ask for, at 100 % and 200 %.
    QIcon icon;
    for (int size : {16, 24, 32, 48, 64})
        icon.addPixmap(readPicture(QStringLiteral(":/pictures/tuvano-%1.pixels").arg(size)));
    return icon;
}

} // namespace tuvano::widgets
