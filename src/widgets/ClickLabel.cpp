#include "ClickLabel.h"

#include <QMouseEvent>

using namespace Qt::StringLiterals;

namespace tuvano::widgets {

ClickLabel::ClickLabel(const QString& text, QWidget* parent) : QLabel(text, parent)
{
    setTextFormat(Qt::PlainText);
    setAttribute(Qt::WA_NoMousePropagation);
}

void ClickLabel::setLinkLook()
{
    setCursor(Qt::PointingHandCursor);
    QFont f = font();
    f.setUnderline(true);
    setFont(f);
    QPalette p = palette();
    p.setColor(QPalette::WindowText, p.color(QPalette::Link));
    setPalette(p);
}

void ClickLabel::mousePressEvent(QMouseEvent* event) { event->accept(); }

void ClickLabel::mouseReleaseEvent(QMouseEvent* event)
{
    event->accept();
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
        Q_EMIT clicked();
}

} // namespace tuvano::widgets
