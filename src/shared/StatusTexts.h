#pragma once

#include <QString>
#include <QStringView>

// The texts of the main window's status lines and of its refusals.
namespace tuvano::shared::texts {

QString quickStart(bool on);

// The countdown line in each of its states.
QString countdownCounting(QStringView defaultProfile, int secondsLeft);
QString countdownStopped(QStringView defaultProfile);
QString countdownOff();
QString countdownDone(QStringView startedProfile);

inline constexpr QStringView kIllegalChoice = u"Otillåtet menyval - försök igen!";
inline constexpr QStringView kErrorTitle = u"Fel";
inline constexpr QStringView kProgramTitle = u"Lexaro Tuvano!";
inline constexpr QStringView kLegalNotice =
    u"© 2026 Lexaro Tuvano! Levereras i befintligt skick, utan garantier av något slag.";

} // namespace tuvano::shared::texts
