#include "ClickFrame.h"

#include <QMouseEvent>

namespace tuvano::widgets {

ClickFrame::ClickFrame(const QString& title, QWidget* parent) : QGroupBox(title, parent) {}

void ClickFrame::mousePressEvent(QMouseEvent* event) { event->accept(); }

void ClickFrame::mouseReleaseEvent(QMouseEvent* event)
{
    event->accept();
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
        Q_EMIT clicked();
}

} // namespace tuvano::widgets
