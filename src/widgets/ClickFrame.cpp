#include "ClickFrame.h"

#include <QMouseEvent>
#include <QPainter>
#include <QStyle>
#include <QStyleOptionGroupBox>

#include <utility>

namespace tuvano::widgets {

ClickFrame::ClickFrame(const QString& title, QWidget* parent) : QGroupBox(parent), m_title(title)
{
}

bool ClickFrame::event(QEvent* event)
{
    // A title set meanwhile is the one kept.
    if (event->type() == QEvent::Polish && !m_title.isEmpty()) {
        const QString title = std::exchange(m_title, {});
        if (this->title().isEmpty())
            setTitle(title);
    }
    return QGroupBox::event(event);
}

void ClickFrame::paintOnInside(QWidget* control)
{
    control->setAutoFillBackground(true);
    QPalette p = control->palette();
    p.setColor(QPalette::Window, insideColor());
    control->setPalette(p);
}

void ClickFrame::paintEvent(QPaintEvent*)
{
    QStyleOptionGroupBox option;
    initStyleOption(&option);
    const QRect label =
        style()->subControlRect(QStyle::CC_GroupBox, &option, QStyle::SC_GroupBoxLabel, this);
    QRect frame = rect();
    frame.setTop(label.bottom() + 3);
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QColor(0xc9, 0xd6, 0xe3));
    p.setBrush(insideColor());
    p.drawRoundedRect(QRectF(frame).adjusted(0.5, 0.5, -0.5, -0.5), 3, 3);
    p.setPen(palette().color(QPalette::WindowText));
    p.drawText(label, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextShowMnemonic, title());
}

void ClickFrame::mousePressEvent(QMouseEvent* event) { event->accept(); }

void ClickFrame::mouseReleaseEvent(QMouseEvent* event)
{
    event->accept();
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
        Q_EMIT clicked();
}

} // namespace tuvano::widgets
