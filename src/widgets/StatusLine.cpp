#include "StatusLine.h"

#include <QEvent>

namespace tuvano::widgets {

void StatusLine::expect(const QStringList& texts)
{
    m_expected = texts;
    m_expectedWidth = -1;
    fitHeight();
}

void StatusLine::setText(const QString& text)
{
    WrapLabel::setText(text);
    fitHeight();
}

int StatusLine::heightForWidth(int width) const
{
    if (width != m_expectedWidth) {
        m_expectedHeight = 0;
        for (const QString& text : m_expected)
            m_expectedHeight = qMax(m_expectedHeight, heightFor(text, width));
        m_expectedWidth = width;
    }
    return qMax(WrapLabel::heightForWidth(width), m_expectedHeight);
}

void StatusLine::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::FontChange)
        m_expectedWidth = -1;
    WrapLabel::changeEvent(event);
}

void StatusLine::fitHeight()
{
    if (minimumSize() != maximumSize()) {
        updateGeometry(); // not yet fixed: the layout asks again
        return;
    }
    if (const int needed = heightForWidth(width()); needed != height())
        setFixedHeight(needed);
}

void StatusLine::showEvent(QShowEvent* event)
{
    // The window's layout has given the line its width and height by now.
    if (minimumSize() != maximumSize())
        setFixedSize(size());
    WrapLabel::showEvent(event);
}

} // namespace tuvano::widgets
