#pragma once

#include <QString>
#include <QStringList>
#include <QStringView>

#include <array>

// What the program relies on about the host application and the names of the
// files it keeps in the program folder. The names are fixed on every system.
namespace tuvano::store {

// The host's five data files, which make up a profile.
enum class DataFile { Ro, Glblstat, PlugIn, Recent, Lx98 };

using FileOrder = std::array<DataFile, 5>;

// The five files of a profile and the order in which each operation walks
// them. Each operation always uses its own order.
struct ProfileFileSet {
    // The order in which the files are named to the user.
    static constexpr FileOrder listing{DataFile::Ro, DataFile::Glblstat, DataFile::PlugIn,
                                       DataFile::Recent, DataFile::Lx98};
    // First run: the host's live files into the standard profile.
    static constexpr FileOrder firstRunCopy{DataFile::Ro, DataFile::Lx98, DataFile::Recent,
                                            DataFile::Glblstat, DataFile::PlugIn};
    // A new profile: the base profile's files into the new folder.
    static constexpr FileOrder newProfileCopy{DataFile::Ro, DataFile::Lx98, DataFile::Recent,
                                              DataFile::Glblstat, DataFile::PlugIn};
    // Starting a profile: delete the live files, then copy the profile's in.
    static constexpr FileOrder start{DataFile::Lx98, DataFile::Recent, DataFile::Glblstat,
                                     DataFile::PlugIn, DataFile::Ro};
    // After the host has ended: the live files back into the profile.
    static constexpr FileOrder writeBack{DataFile::Lx98, DataFile::Recent, DataFile::Glblstat,
                                         DataFile::PlugIn, DataFile::Ro};
    // Removing a profile: its files are deleted.
    static constexpr FileOrder remove{DataFile::Lx98, DataFile::Recent, DataFile::PlugIn,
                                      DataFile::Ro, DataFile::Glblstat};
};

QStringView fileName(DataFile file);

// The files and folder of the store, relative to the program folder.
inline constexpr QStringView kProfileListFile = u"profiles.map";
inline constexpr QStringView kProfileListTemp = u"profiles.new";
inline constexpr QStringView kSettingsFile = u"tuvano.ini";
inline constexpr QStringView kSessionFile = u"tuvano.session";
inline constexpr QStringView kProfilesFolder = u"profiles";

// The profile that first run creates and that can never be deleted.
inline constexpr QStringView kStandardProfileName = u"Standardprofil";
inline constexpr QStringView kStandardProfileId = u"1000000";

// The host's executables, launched in this order when a profile starts.
inline constexpr std::array<QStringView, 2> kHostExecutables{u"lx2000.exe", u"lexaro.exe"};

// The marker file a host makes while it runs. Outside Windows this is where
// a native host (the stand-in) makes it: in the temporary folder, so that
// TMPDIR moves it.
QString HostRunMarker();

// Where a Windows host under Wine makes its marker "c:\lx98temp.tmp": on the
// C: drive of the Wine prefix (winePrefix, else home's ".wine"), which is
// where the prefix's dosdevices/c: link points.
QString WineHostRunMarker(const QString& winePrefix, const QString& home);

// Every place of the marker: the host counts as running while any of these
// files can be opened for reading. On Windows only "c:\lx98temp.tmp";
// elsewhere the marker under Wine ($WINEPREFIX) and the native one.
QStringList HostRunMarkers();

} // namespace tuvano::store
