#pragma once

#include "ClickLabel.h"

#include <QHash>
#include <QStringList>

#include <memory>

class QTextLayout;

namespace tuvano::widgets {

// A text broken into the lines a label shows.
struct WrappedLines {
    QStringList texts;
    bool elided = false;
    // The laid-out text the lines come from, when they are the whole text:
    // drawing it needs no second shaping of the same text.
    std::shared_ptr<QTextLayout> layout;
};

// A label for texts that carry names, which may be of any length. It breaks
// its lines between words and, where a word is longer than a line, inside the
// word. A text that needs more lines than the label may show loses the middle
// of its longest paragraph, where a name stands in the program's texts, to a
// "…", and the tool tip then shows the whole of it. The accessible name is
// always the whole text.
class WrapLabel : public ClickLabel {
    Q_OBJECT
public:
    explicit WrapLabel(const QString& text = {}, QWidget* parent = nullptr);

    // At most this many lines (1: a single line); 0, the default, is no limit.
    void setMaximumLineCount(int lines);

    // The lines as they are drawn at the label's present size.
    QStringList shownLines() const;
    bool isElided() const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;
    int heightForWidth(int width) const override;

protected:
    // The height the label needs at width to show text.
    int heightFor(const QString& text, int width) const;

    bool event(QEvent* event) override;
    void changeEvent(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    // The lines of the label's own text at textWidth, kept for each width
    // until the text, the font or the line limit changes: the layouts ask
    // at several widths, one after the other and again, and drawing and
    // sizing need the same lines.
    const WrappedLines& ownLines(int textWidth) const;
    // The width of the text on one line, kept likewise.
    int longestLine() const;
    // The room for the text inside the frame and the margin.
    QRect textRect() const;
    QSize extraSize() const;
    int blockHeight(qsizetype lines) const;
    void forgetLines() const;
    // Forgets what was kept for an earlier text.
    void keepForText() const;

    int m_maxLines = 0;
    mutable QString m_keptText;
    mutable QHash<int, WrappedLines> m_kept;
    mutable int m_longest = -1;
};

// A tool tip showing text as plain text whatever it looks like, in lines that
// fit the screen, in the type of widget.
QString plainToolTip(const QString& text, const QWidget* widget);

} // namespace tuvano::widgets
