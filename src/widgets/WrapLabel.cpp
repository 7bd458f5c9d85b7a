#include "WrapLabel.h"

#include <QHelpEvent>
#include <QPainter>
#include <QTextDocument>
#include <QTextLayout>
#include <QToolTip>

#include <algorithm>
#include <memory>

namespace tuvano::widgets {

namespace {

// Widths in average characters: what the label asks for, the least it
// takes, and the lines of its tool tip.
constexpr int kPreferredChars = 40;
constexpr int kLeastChars = 12;
constexpr int kToolTipChars = 60;
constexpr int kToolTipLines = 30;
// The widths at which a label keeps its lines at once.
constexpr qsizetype kKeptWidths = 8;

WrappedLines wrapped(const QString& text, const QWidget* widget, int textWidth)
{
    QString flow = text;
    flow.replace(u'\n', QChar::LineSeparator);
    auto layout = std::make_shared<QTextLayout>(flow, widget->font(), widget);
    QTextOption option;
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    layout->setTextOption(option);
    layout->setCacheEnabled(true); // the shaped text stays for the drawing
    QStringList lines;
    layout->beginLayout();
    for (QTextLine line = layout->createLine(); line.isValid(); line = layout->createLine()) {
        line.setLineWidth(qMax(textWidth, 1));
        QString shown = flow.mid(line.textStart(), line.textLength());
        if (shown.endsWith(QChar::LineSeparator))
            shown.chop(1);
        lines << shown;
    }
    layout->endLayout();
    return {lines, false, std::move(layout)};
}

QStringList wrap(const QString& text, const QWidget* widget, int textWidth)
{
    return wrapped(text, widget, textWidth).texts;
}

// The lines of text at textWidth, at most maxLines of them (0: any number).
WrappedLines linesFor(const QString& text, const QWidget* widget, int textWidth, int maxLines)
{
    WrappedLines all = wrapped(text, widget, textWidth);
    if (maxLines <= 0 || all.texts.size() <= maxLines)
        return all;
    QStringList lines;

    // Keep as much of the longest paragraph as the lines hold, from both ends.
    QStringList paragraphs = text.split(u'\n');
    const auto longest =
        std::max_element(paragraphs.begin(), paragraphs.end(),
                         [](const QString& a, const QString& b) { return a.size() < b.size(); });
    const QString whole = *longest;
    const auto cut = [&](qsizetype kept) {
        *longest = whole.left(kept - kept / 2) + QChar(0x2026) + whole.right(kept / 2);
        return wrap(paragraphs.join(u'\n'), widget, textWidth);
    };
    qsizetype fits = 0;
    qsizetype tooMany = whole.size();
    lines = cut(0);
    while (fits + 1 < tooMany) {
        const qsizetype kept = (fits + tooMany) / 2;
        if (QStringList tried = cut(kept); tried.size() <= maxLines) {
            fits = kept;
            lines = std::move(tried);
        } else {
            tooMany = kept;
        }
    }
    if (lines.size() > maxLines) { // the other paragraphs alone are too long
        lines.resize(maxLines);
        lines.last() = widget->fontMetrics().elidedText(lines.last() + QChar(0x2026),
                                                        Qt::ElideRight, textWidth);
    }
    return {lines, true, nullptr};
}

} // namespace

WrapLabel::WrapLabel(const QString& text, QWidget* parent) : ClickLabel(text, parent)
{
    setWordWrap(true); // asks the layouts for its height at each width
}

void WrapLabel::setMaximumLineCount(int lines)
{
    m_maxLines = lines;
    forgetLines();
    updateGeometry();
    update();
}

QSize WrapLabel::extraSize() const
{
    const QRect inside = contentsRect();
    return size() - inside.size() + QSize(2 * margin(), 2 * margin());
}

QRect WrapLabel::textRect() const
{
    return contentsRect().adjusted(margin(), margin(), -margin(), -margin());
}

int WrapLabel::blockHeight(qsizetype lines) const
{
    const QFontMetrics fm = fontMetrics();
    return fm.height() + int(qMax<qsizetype>(lines - 1, 0)) * fm.lineSpacing();
}

void WrapLabel::forgetLines() const
{
    m_kept.clear();
    m_longest = -1;
}

void WrapLabel::keepForText() const
{
    if (text() != m_keptText) {
        m_keptText = text();
        forgetLines();
    }
}

const WrappedLines& WrapLabel::ownLines(int textWidth) const
{
    keepForText();
    auto kept = m_kept.constFind(textWidth);
    if (kept == m_kept.cend()) {
        // A label being resized is asked at ever new widths.
        if (m_kept.size() >= kKeptWidths)
            m_kept.clear();
        kept = m_kept.insert(textWidth, linesFor(text(), this, textWidth, m_maxLines));
    }
    return *kept;
}

int WrapLabel::longestLine() const
{
    keepForText();
    if (m_longest < 0)
        m_longest = fontMetrics().boundingRect(QRect(), 0, text()).width() + 1;
    return m_longest;
}

QStringList WrapLabel::shownLines() const { return ownLines(textRect().width()).texts; }

bool WrapLabel::isElided() const { return ownLines(textRect().width()).elided; }

int WrapLabel::heightFor(const QString& text, int width) const
{
    const QSize extra = extraSize();
    if (text == this->text())
        return WrapLabel::heightForWidth(width);
    return blockHeight(linesFor(text, this, width - extra.width(), m_maxLines).texts.size()) +
           extra.height();
}

int WrapLabel::heightForWidth(int width) const
{
    const QSize extra = extraSize();
    return blockHeight(ownLines(width - extra.width()).texts.size()) + extra.height();
}

QSize WrapLabel::sizeHint() const
{
    const QFontMetrics fm = fontMetrics();
    const int width =
        qMin(longestLine(), kPreferredChars * fm.averageCharWidth()) + extraSize().width();
    return {width, heightForWidth(width)};
}

QSize WrapLabel::minimumSizeHint() const
{
    const QFontMetrics fm = fontMetrics();
    const QSize extra = extraSize();
    return {qMin(longestLine(), kLeastChars * fm.averageCharWidth()) + extra.width(),
            blockHeight(1) + extra.height()};
}

bool WrapLabel::event(QEvent* event)
{
    if (event->type() == QEvent::ToolTip && isElided()) {
        QString tip = text();
        if (!toolTip().isEmpty())
            tip += u"\n\n" + toolTip();
        QToolTip::showText(static_cast<QHelpEvent*>(event)->globalPos(), plainToolTip(tip, this),
                           this);
        return true;
    }
    return ClickLabel::event(event);
}

void WrapLabel::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::FontChange)
        forgetLines();
    ClickLabel::changeEvent(event);
}

void WrapLabel::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    drawFrame(&painter);
    const QRect area = textRect();
    const WrappedLines& kept = ownLines(area.width());
    const QStringList& lines = kept.texts;
    const int room = area.height() - blockHeight(lines.size());
    int top = area.top();
    if (room > 0 && (alignment() & Qt::AlignVCenter))
        top += room / 2;
    else if (room > 0 && (alignment() & Qt::AlignBottom))
        top += room;
    painter.setPen(
        palette().color(isEnabled() ? QPalette::Active : QPalette::Disabled, foregroundRole()));
    const QFontMetrics fm = fontMetrics();
    for (qsizetype i = 0; i < lines.size(); ++i) {
        // The laid-out line, drawn on the same baseline as its text alone
        // would be; a text cut short is drawn line by line.
        if (kept.layout && i < kept.layout->lineCount()) {
            const QTextLine line = kept.layout->lineAt(int(i));
            line.draw(&painter, QPointF(area.left(), top + fm.ascent() - line.ascent()));
        } else {
            painter.drawText(area.left(), top + fm.ascent(), lines[i]);
        }
        top += fm.lineSpacing();
    }
    if (hasFocus())
        drawFocus(painter);
}

QString plainToolTip(const QString& text, const QWidget* widget)
{
    const int width = kToolTipChars * widget->fontMetrics().averageCharWidth();
    return Qt::convertFromPlainText(linesFor(text, widget, width, kToolTipLines).texts.join(u'\n'));
}

} // namespace tuvano::widgets
