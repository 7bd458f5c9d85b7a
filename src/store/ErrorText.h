#pragma once

#include "StoreError.h"

#include <QString>
#include <QStringView>

namespace tuvano::store {

// A Swedish description of a store failure for a message box: what happened,
// to which file, why (in the program's own words) and, for a damaged file,
// on which line.
QString errorText(const StoreError& error);

// The reason the system gave, in Swedish ("disken är full"); empty when it
// gave none.
QString causeText(Cause cause);
// The reason of a failure, with the program that holds the file where the
// system could name it ("filen används av ett annat program (Anteckningar)").
QString causeText(const StoreError& error);

// A text read from a file of unknown origin, made fit to be shown: control
// characters (a NUL would cut a message short) are shown as symbols, and a
// long text is cut short in the middle.
QString shownText(QStringView text, qsizetype longest = 80);

} // namespace tuvano::store
