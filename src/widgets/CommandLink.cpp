#include "CommandLink.h"

#include <QEvent>
#include <QPainter>
#include <QStyle>
#include <QStyleOptionFocusRect>

namespace tuvano::widgets {

namespace {
constexpr int kPadding = 2;
}

CommandLink::CommandLink(const QString& text, QWidget* parent) : QPushButton(text, parent)
{
    setCursor(Qt::PointingHandCursor);
    setFocusPolicy(Qt::TabFocus);
    setAutoDefault(true); // Enter runs the command with the focus, as Space does
    setFlat(true);
    setSizePolicy(QSizePolicy::Maximum, QSizePolicy::Fixed);
}

QSize CommandLink::sizeHint() const
{
    if (m_measured.isEmpty() || m_measuredText != text()) {
        const QFontMetrics fm(font());
        m_measuredText = text();
        m_measured = QSize(fm.horizontalAdvance(text()) + 2 * kPadding, fm.height() + 2 * kPadding);
    }
    return m_measured;
}

void CommandLink::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::FontChange)
        m_measured = {};
    QPushButton::changeEvent(event);
}

void CommandLink::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    QFont f = font();
    f.setUnderline(true);
    p.setFont(f);
    const QPalette& pal = palette();
    QColor color = pal.color(QPalette::Link);
    if (m_hover || isDown())
        color = color.lighter(isDown() ? 80 : 130);
    p.setPen(color);
    const QRect textRect = rect().adjusted(kPadding, kPadding, -kPadding, -kPadding);
    p.drawText(textRect, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextShowMnemonic, text());
    if (hasFocus()) {
        QStyleOptionFocusRect option;
        option.initFrom(this);
        option.rect = rect();
        style()->drawPrimitive(QStyle::PE_FrameFocusRect, &option, &p, this);
    }
}

void CommandLink::enterEvent(QEnterEvent* event)
{
    m_hover = true;
    update();
    QPushButton::enterEvent(event);
}

void CommandLink::leaveEvent(QEvent* event)
{
    m_hover = false;
    update();
    QPushButton::leaveEvent(event);
}

} // namespace tuvano::widgets
