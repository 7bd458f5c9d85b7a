#include "HostContract.h"

#include <QDir>
#include <QFileInfo>

namespace tuvano::store {

QStringView fileName(DataFile file)
{
    switch (file) {
    case DataFile::Ro:
        return u"ro.vwi";
    case DataFile::Glblstat:
        return u"glblstat.vwi";
    case DataFile::PlugIn:
        return u"plug-in.vwi";
    case DataFile::Recent:
        return u"recent.vwi";
    case DataFile::Lx98:
        return u"lx98.vwi";
    }
    Q_UNREACHABLE();
    return {};
}

QString HostRunMarker()
{
#ifdef Q_OS_WIN
    return QStringLiteral("c:\\lx98temp.tmp");
#else
    return QDir::tempPath() + u"/lx98temp.tmp";
#endif
}

QString WineHostRunMarker(const QString& winePrefix, const QString& home)
{
    const QString prefix = winePrefix.isEmpty() ? home + u"/.wine" : winePrefix;
    // Wine makes the link relative (../drive_c); a user may point it anywhere.
    const QFileInfo cLink(prefix + u"/dosdevices/c:");
    const QString cDrive = cLink.isSymLink() ? cLink.symLinkTarget() : prefix + u"/drive_c";
    return QDir::cleanPath(cDrive + u"/lx98temp.tmp");
}

QStringList HostRunMarkers()
{
#ifdef Q_OS_WIN
    return {HostRunMarker()};
#else
    return {WineHostRunMarker(qEnvironmentVariable("WINEPREFIX"), QDir::homePath()),
            HostRunMarker()};
#endif
}

} // namespace tuvano::store
