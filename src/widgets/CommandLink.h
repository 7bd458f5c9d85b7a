#pragma once

#include <QPushButton>

namespace tuvano::widgets {

// A text that works as a command: drawn like a link, run by a single click.
// It is a button underneath, so keyboard and accessibility tools can press
// it; a mouse click does not take the focus from where the user left it.
class CommandLink : public QPushButton {
    Q_OBJECT
public:
    explicit CommandLink(const QString& text, QWidget* parent = nullptr);

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    bool m_hover = false;
    // The layouts ask for the size again and again; measuring the text
    // means shaping it each time.
    mutable QString m_measuredText;
    mutable QSize m_measured;
};

} // namespace tuvano::widgets
