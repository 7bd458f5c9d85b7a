#pragma once

#include <QLabel>

namespace tuvano::widgets {

// A label of plain text that takes the size a QLabel takes, measuring its
// text once for each width it is asked about. A QLabel measures the text
// anew at every question, three times for its least size alone, and each
// measuring shapes the whole text again: in a window of a dozen labels
// that is much of what showing it costs. A label that shows rich text,
// takes the focus or lets its text be selected is measured by QLabel.
class TextLabel : public QLabel {
    Q_OBJECT
public:
    explicit TextLabel(const QString& text = {}, QWidget* parent = nullptr);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;
    int heightForWidth(int width) const override;

protected:
    void changeEvent(QEvent* event) override;

private:
    bool measuresItself() const;
    // The size QLabel finds for the text at width (-1: the width it prefers).
    QSize sizeForWidth(int width) const;
    QRect textBounds(int width, int flags, const QFontMetrics& fm) const;

    struct Measure {
        int width;
        int flags;
        QRect bounds;
    };
    // What the kept measures were taken of; any change starts them afresh.
    mutable QString m_measuredText;
    mutable QFont m_measuredFont;
    mutable QList<Measure> m_measures;
};

} // namespace tuvano::widgets
