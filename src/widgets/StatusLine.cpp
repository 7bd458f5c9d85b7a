#include "StatusLine.h"

namespace tuvano::widgets {

void StatusLine::expect(const QStringList& texts)
{
    m_expected = texts;
    fitHeight();
}

void StatusLine::setText(const QString& text)
{
    WrapLabel::setText(text);
    fitHeight();
}

int StatusLine::heightForWidth(int width) const
{
    int height = WrapLabel::heightForWidth(width);
    for (const QString& text : m_expected)
        height = qMax(height, heightFor(text, width));
    return height;
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
