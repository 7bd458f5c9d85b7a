#pragma once

#include "StoreError.h"

#include <QString>

namespace tuvano::store {

// A Swedish description of a store failure for a message box: what happened,
// to which file, and (for a damaged file) on which line and why.
QString errorText(const StoreError& error);

} // namespace tuvano::store
