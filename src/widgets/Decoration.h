#pragma once

#include <QFrame>
#include <QIcon>
#include <QLabel>

namespace tuvano::widgets {

// A straight line of one colour, one pixel thick. Like every decoration it
// leaves clicks to the window behind it.
class Line : public QFrame {
    Q_OBJECT
public:
    Line(Qt::Orientation orientation, const QColor& color, QWidget* parent = nullptr);
};

// Two lines, gray over white, that read as an etched groove.
QWidget* etchedSeparator(const QString& grayName, const QString& whiteName,
                         QWidget* parent = nullptr);

// A filled area of the window's decoration. Clicks
// on it, but not on the controls in it, reach the window behind.
class Shape : public QFrame {
    Q_OBJECT
public:
    explicit Shape(QWidget* parent = nullptr);
    void setFill(const QBrush& brush);
};

// The program's colours: the banner's blue, from dark at the top left to
// light at the bottom right, and the orange strip under it.
QBrush bannerFill();
Shape* accentStrip(const QString& name, QWidget* parent);

// Sets a label's (or any control's) type and text colour.
void setLook(QWidget* widget, qreal pointSize, QFont::Weight weight, const QColor& color,
             bool italic = false, qreal letterSpacing = 0);

// A picture from the program's resources. It takes clicks and does nothing
// with them.
class Picture : public QLabel {
    Q_OBJECT
public:
    explicit Picture(const QString& resource, QWidget* parent = nullptr);
};

// Reads pictures ahead of the windows that show them, which then find them
// in Qt's pixmap cache: for a moment when the program waits anyway.
void readPicturesAhead(const QStringList& resources);

// Loads the typefaces of a window's controls, which laying it out asks for
// first: for a moment when the program waits anyway.
void loadTypefacesAhead(const QWidget& window);

// The program's icon, drawn for every common size.
QIcon programIcon();

} // namespace tuvano::widgets
