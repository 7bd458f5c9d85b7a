#pragma once

#include <QGroupBox>

namespace tuvano::widgets {

// A titled frame that reports clicks on itself (not on the controls in it).
class ClickFrame : public QGroupBox {
    Q_OBJECT
public:
    explicit ClickFrame(const QString& title, QWidget* parent = nullptr);

Q_SIGNALS:
    void clicked();

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
};

} // namespace tuvano::widgets
