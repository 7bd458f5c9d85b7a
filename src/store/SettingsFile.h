#pragma once

#include "ProgramFolder.h"
#include "StoreError.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

namespace tuvano::store {

// Truth values are 16-bit: true has all bits set, false none.
using VbBool = qint16;
inline constexpr VbBool kTrue = -1;
inline constexpr VbBool kFalse = 0;

// The five settings, in the order of their records in "tuvano.ini".
struct Settings {
    VbBool fQuickStart = kFalse;
    qint16 nAutoSelectDelay = 0;
    QString sDefaultProfile;
    VbBool fShutdown = kFalse;
    VbBool fShowMonitor = kFalse;

    // The values the first run writes.
    static Settings firstRun();

    friend bool operator==(const Settings&, const Settings&) = default;
};

// Reads the five typed records: truth values as "#TRUE#" or "#FALSE#", the
// countdown as a 16-bit integer, the default profile as text. A short file,
// a record of the wrong type or a bad quote is reported as damaged.
Result<Settings> parseSettings(QByteArrayView bytes, const QString& path);

// The bytes of a settings file. Fails with NotStorable for a default profile
// name the format cannot carry.
Result<QByteArray> formatSettings(const Settings& settings);

// The settings file "tuvano.ini" of a program folder.
class SettingsFile {
public:
    explicit SettingsFile(const ProgramFolder& folder) : m_folder(folder) {}

    QString path() const { return m_folder.file(kSettingsFile); }
    bool exists() const;

    Result<Settings> read() const;
    Status createWithDefaults() const { return write(Settings::firstRun()); }
    // Replaces the file as a whole: it is always either the old or the new one.
    Status write(const Settings& settings) const;

private:
    ProgramFolder m_folder;
};

} // namespace tuvano::store
