#include "StatusLine.h"

#include <QEvent>

namespace tuvano::widgets {

void StatusLine::expect(const QStringList& texts)
{
    m_expected = texts;
    m_expectedHeights.clear();
    fitHeight();
}

void StatusLine::setText(const QString& text)
{
    WrapLabel::setText(text);
    fitHeight();
}

int StatusLine::heightForWidth(int width) const
{
    auto kept = m_expectedHeights.constFind(width);
    if (kept == m_expectedHeights.cend()) {
        int height = 0;
        for (const QString& text : m_expected)
            height = qMax(height, heightFor(text, width));
        kept = m_expectedHeights.insert(width, height);
    }
    return qMax(WrapLabel::heightForWidth(width), *kept);
}

void StatusLine::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::FontChange)
        m_expectedHeights.clear();
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
