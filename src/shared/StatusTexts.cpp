#include "StatusTexts.h"

namespace tuvano::shared::texts {

QString quickStart(bool on)
{
    return on ? QStringLiteral("Snabbstart är aktiverat.")
              : QStringLiteral("Snabbstart är EJ aktiverat.");
}

QString countdownCounting(QStringView defaultProfile, int secondsLeft)
{
    return u"Automatiskt profilval med profil " + defaultProfile + u" kommer att ske om " +
           QString::number(secondsLeft) + u" sekunder.";
}

QString countdownStopped(QStringView defaultProfile)
{
    return u"Automatiskt profilval med profil " + defaultProfile + u" är valt.\n" +
           u"Nedräkningen stoppad av musklick.";
}

QString countdownOff() { return QStringLiteral("Automatiskt profilval är EJ aktiverat."); }

QString countdownDone(QStringView startedProfile)
{
    return u"Automatiskt profilval med profil " + startedProfile + u" har skett.";
}

} // namespace tuvano::shared::texts
