#pragma once

#include "WrapLabel.h"

#include <QHash>

namespace tuvano::widgets {

// A status line whose text changes often, such as a countdown's. Once shown
// it keeps its size, so a new text repaints the line alone instead of laying
// out the whole window. It has room for the longest of the texts it was told
// to expect and changes its height only for a text that needs another one.
class StatusLine : public WrapLabel {
    Q_OBJECT
public:
    using WrapLabel::WrapLabel;

    // The texts the line will show next, all of which it makes room for.
    void expect(const QStringList& texts);
    // Sets the text as QLabel::setText does, fitting the height to it.
    void setText(const QString& text);

    int heightForWidth(int width) const override;

protected:
    void changeEvent(QEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void fitHeight();

    QStringList m_expected;
    // The height the expected texts need at each width asked for, kept: the
    // layouts ask at several widths, one after the other and again, and the
    // line at every change of its text.
    mutable QHash<int, int> m_expectedHeights;
};

} // namespace tuvano::widgets
