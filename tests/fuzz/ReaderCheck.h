#pragma once

#include <QByteArrayView>
#include <QString>

#include <optional>

// The property both readers must keep for any bytes at all: a file is either
// read, and then written and read again to the same values, or refused as
// damaged on a real line of it.
namespace tuvano::fuzz {

enum class Reader { ProfileList, Settings };

// What was wrong with reading these bytes, or nothing when the reader kept
// its promise.
std::optional<QString> check(Reader reader, QByteArrayView bytes);

} // namespace tuvano::fuzz
