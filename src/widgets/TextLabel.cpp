#include "TextLabel.h"

#include <QEvent>
#include <QStyle>
#include <QStyleOption>

namespace tuvano::widgets {

namespace {

// The widths at which a label keeps its measures at once.
constexpr qsizetype kKeptWidths = 8;

} // namespace

TextLabel::TextLabel(const QString& text, QWidget* parent) : QLabel(text, parent)
{
    setTextFormat(Qt::PlainText);
}

bool TextLabel::measuresItself() const
{
    constexpr auto selectable = Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard;
    // An empty label is measured by QLabel, whose measure then depends on
    // whether it ever had a text.
    return textFormat() == Qt::PlainText && !text().isEmpty() && pixmap().isNull() && !movie() &&
           focusPolicy() == Qt::NoFocus && !(textInteractionFlags() & selectable);
}

QRect TextLabel::textBounds(int width, int flags, const QFontMetrics& fm) const
{
    if (m_measuredText != text() || m_measuredFont != font()) {
        m_measuredText = text();
        m_measuredFont = font();
        m_measures.clear();
    }
    // Unwrapped, the text's bounds are the same at any width.
    const int key = (flags & Qt::TextWordWrap) ? width : 0;
    for (const Measure& kept : std::as_const(m_measures))
        if (kept.width == key && kept.flags == flags)
            return kept.bounds;
    // A label being resized is asked at ever new widths.
    if (m_measures.size() >= kKeptWidths)
        m_measures.clear();
    const QRect bounds = fm.boundingRect(0, 0, width, 2000, flags, text());
    m_measures.append({key, flags, bounds});
    return bounds;
}

// As QLabel measures a plain text: the same steps, each measure kept.
QSize TextLabel::sizeForWidth(int width) const
{
    if (minimumWidth() > 0)
        width = qMax(width, minimumWidth());
    const QMargins margins = contentsMargins();
    const QSize contentsMargin(margins.left() + margins.right(), margins.top() + margins.bottom());
    int hextra = 2 * margin();
    int vextra = hextra;
    const QFontMetrics fm = fontMetrics();
    const Qt::LayoutDirection direction =
        text().isRightToLeft() ? Qt::RightToLeft : Qt::LeftToRight;
    const int align = int(QStyle::visualAlignment(direction, alignment())) |
                      (wordWrap() ? int(Qt::TextWordWrap) : 0);
    int m = indent();
    if (m < 0 && frameWidth())
        m = fm.horizontalAdvance(u'x') - margin() * 2;
    if (m > 0) {
        if ((align & Qt::AlignLeft) || (align & Qt::AlignRight))
            hextra += m;
        if ((align & Qt::AlignTop) || (align & Qt::AlignBottom))
            vextra += m;
    }
    int flags = align & ~(Qt::AlignVCenter | Qt::AlignHCenter);
    if (buddy() && text().contains(u'&')) {
        flags |= Qt::TextShowMnemonic;
        QStyleOption option;
        option.initFrom(this);
        if (!style()->styleHint(QStyle::SH_UnderlineShortcut, &option, this))
            flags |= Qt::TextHideMnemonic;
    }
    const bool tryWidth = width < 0 && (align & Qt::TextWordWrap);
    if (tryWidth)
        width = qMin(fm.averageCharWidth() * 80, maximumSize().width());
    else if (width < 0)
        width = 2000;
    width -= hextra + contentsMargin.width();
    QRect bounds = textBounds(width, flags, fm);
    if (tryWidth && bounds.height() < 4 * fm.lineSpacing() && bounds.width() > width / 2)
        bounds = textBounds(width / 2, flags, fm);
    if (tryWidth && bounds.height() < 2 * fm.lineSpacing() && bounds.width() > width / 4)
        bounds = textBounds(width / 4, flags, fm);
    const QSize contentsSize(bounds.width() + hextra, bounds.height() + vextra);
    return (contentsSize + contentsMargin).expandedTo(minimumSize());
}

QSize TextLabel::sizeHint() const
{
    if (!measuresItself())
        return QLabel::sizeHint();
    ensurePolished();
    return sizeForWidth(-1);
}

QSize TextLabel::minimumSizeHint() const
{
    if (!measuresItself())
        return QLabel::minimumSizeHint();
    ensurePolished();
    const QSize preferred = sizeForWidth(-1);
    return {sizeForWidth(0).width(), qMin(sizeForWidth(QWIDGETSIZE_MAX).height(), preferred.height())};
}

void TextLabel::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::FontChange || event->type() == QEvent::StyleChange)
        m_measures.clear();
    QLabel::changeEvent(event);
}

int TextLabel::heightForWidth(int width) const
{
    if (!measuresItself())
        return QLabel::heightForWidth(width);
    return sizeForWidth(width).height();
}

} // namespace tuvano::widgets
