#pragma once

#include "Platform.h"

#include <QRandomGenerator>

namespace tuvano::platform {

// The platform of the running program: Qt's message and input boxes with
// Swedish buttons, real processes and files.
class DesktopPlatform final : public Platform {
public:
    QString programFolder() const override;
    QString markerPath() const override;

    Answer message(const QString& text, const QString& title, Icon icon,
                   Buttons buttons) override;
    QString inputBox(const QString& prompt, const QString& title,
                     const QString& defaultText) override;

    bool launch(const QString& path) override;
    bool canOpen(const QString& path) override;

    void reseedRandom() override;
    float randomFraction() override;

    void stayOnTop(QWidget* window, bool onTop) override;

    void endProgram() override;
    void fatalError(const QString& text) override;

private:
    QRandomGenerator m_random;
};

} // namespace tuvano::platform
