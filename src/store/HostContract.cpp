#include "HostContract.h"

#include <QDir>

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

} // namespace tuvano::store
