#pragma once

#include <QGroupBox>

namespace tuvano::widgets {

// A titled frame that reports clicks on itself (not on the controls in it).
// Its inside is one plain colour, so controls in it can fill their own
// background with it and change without the frame being drawn again.
class ClickFrame : public QGroupBox {
    Q_OBJECT
public:
    // The title takes its place when the frame is polished, before it is
    // first measured or shown (title() is empty until then): finding the
    // room for it asks for the type's measures, which a window made while
    // the font configuration is still being read must not ask for yet.
    explicit ClickFrame(const QString& title, QWidget* parent = nullptr);

    static QColor insideColor() { return QColor(0xf6, 0xf8, 0xfb); }
    // Gives a control in the frame the frame's inside as its own background.
    static void paintOnInside(QWidget* control);

Q_SIGNALS:
    void clicked();

protected:
    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    QString m_title;
};

} // namespace tuvano::widgets
