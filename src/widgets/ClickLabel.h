#pragma once

#include "TextLabel.h"

namespace tuvano::widgets {

// A label that reports a click (press and release on it). Clicks on a label
// never reach the window behind it, whether or not anyone listens. Given a
// focus policy it can also be pressed with Space or Enter. Its text is always
// plain: a name that looks like markup is shown as it was typed.
class ClickLabel : public TextLabel {
    Q_OBJECT
public:
    explicit ClickLabel(const QString& text = {}, QWidget* parent = nullptr);

    // Blue, underlined and with a pointing hand, as a link is drawn.
    void setLinkLook();

Q_SIGNALS:
    void clicked();

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    // The focus frame around the label, when it has the focus.
    void drawFocus(QPainter& painter) const;
};

} // namespace tuvano::widgets
