#pragma once

#include <QString>
#include <QStringView>

namespace tuvano::startup {
class Forms;
}

namespace tuvano::session {

// One second of the countdown: the line shows the seconds left and at zero
// the profile shown in the main list starts by itself.
void tmrDefault_Timer(startup::Forms& forms);

// Told at zero when the list shows another profile than the stored default.
QString missingDefaultText(QStringView defaultProfile, QStringView listText);

} // namespace tuvano::session
