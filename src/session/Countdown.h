#pragma once

#include <QString>
#include <QStringView>

namespace tuvano::shared {
struct Context;
}

namespace tuvano::session {

// The countdown has reached zero: the profile shown in the main list starts
// by itself.
void countdownEnded(shared::Context& context);

// Told at zero when the list shows another profile than the stored default.
QString missingDefaultText(QStringView defaultProfile, QStringView listText);

} // namespace tuvano::session
