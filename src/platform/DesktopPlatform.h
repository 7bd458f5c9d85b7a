#pragma once

#include "Platform.h"

#include <QRandomGenerator>

#include <functional>

namespace tuvano::platform {

// The platform of the running program: Qt's message and input boxes with
// Swedish buttons, real processes and files.
class DesktopPlatform final : public Platform {
public:
    QString programFolder() const override;
    QStringList markerPaths() const override;
    QDateTime bootTime() const override;
    bool writeDenied(const QString& folder) const override;
    QString virtualStore(const QString& folder) const override;

    Answer message(const QString& text, const QString& title, Icon icon, Buttons buttons) override;
    QString inputBox(const QString& prompt, const QString& title,
                     const QString& defaultText) override;

    Launch launch(const QString& path) override;
    bool processRunning(qint64 pid) override;
    std::vector<qint64> runningHosts() override;
    std::optional<QString> failureOf(qint64 pid) override;
    bool canOpen(const QString& path) override;

    void reseedRandom() override;
    float randomFraction() override;

    void stayOnTop(QWidget* window, bool onTop) override;

    void endProgram() override;
    void fatalError(const QString& text) override;

    // Runs just before the program ends at once (to give up its lock).
    void setBeforeEnd(std::function<void()> beforeEnd) { m_beforeEnd = std::move(beforeEnd); }
    // Ends the program at once with this exit code, as endProgram() does.
    [[noreturn]] void endWith(int code);

private:
    QRandomGenerator m_random;
    std::function<void()> m_beforeEnd;
    mutable QStringList m_markers;
};

// Whether the file is a Windows program: it begins with the bytes "MZ".
bool isWindowsProgram(const QString& path);

} // namespace tuvano::platform
