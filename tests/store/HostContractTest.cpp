#include "store/HostContract.h"

#include "support/ScopedEnv.h"
#include "support/TempFolder.h"

#include <QFile>

#include <gtest/gtest.h>

using namespace tuvano::store;
using namespace Qt::StringLiterals;
using tuvano::test::ScopedEnv;
using tuvano::test::TempFolder;

namespace {

#ifndef Q_OS_WIN

// A Wine prefix and where its C: drive link points; every path is relative
// to a fresh folder that holds the home folder "home" too.
struct WinePlace {
    const char* name;
    const char* prefixSetting; // WINEPREFIX; empty: unset
    const char* cLink;         // dosdevices/c: of the prefix; empty: none yet
    const char* marker;
};

class WineMarker : public ::testing::TestWithParam<WinePlace> {};

TEST_P(WineMarker, LiesOnThePrefixsCDrive)
{
    const WinePlace& place = GetParam();
    TempFolder root;
    const QString prefix = *place.prefixSetting ? root.file(QString::fromUtf8(place.prefixSetting))
                                                : root.file(u"home/.wine"_s);
    QDir().mkpath(prefix + u"/dosdevices"_s);
    if (*place.cLink) {
        const QString target = QString::fromUtf8(place.cLink).replace(u"$ROOT"_s, root.path());
        ASSERT_TRUE(QFile::link(target, prefix + u"/dosdevices/c:"_s));
    }
    const QString setting = *place.prefixSetting ? prefix : QString();
    EXPECT_EQ(WineHostRunMarker(setting, root.file(u"home"_s)),
              root.file(QString::fromUtf8(place.marker)));
}

INSTANTIATE_TEST_SUITE_P(
    Places, WineMarker,
    ::testing::Values(
        WinePlace{"PrefixSet", "games/wine", "../drive_c", "games/wine/drive_c/lx98temp.tmp"},
        WinePlace{"PrefixUnset", "", "../drive_c", "home/.wine/drive_c/lx98temp.tmp"},
        WinePlace{"PrefixNotMadeYet", "games/wine", "", "games/wine/drive_c/lx98temp.tmp"},
        WinePlace{"CPointsElsewhere", "games/wine", "$ROOT/disk", "disk/lx98temp.tmp"},
        WinePlace{"CRelativeElsewhere", "", "../../../disk", "disk/lx98temp.tmp"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(HostContract, TheHostRunsUnderWineOrNatively)
{
    TempFolder dir;
    QDir().mkpath(dir.file(u"tmp"_s));
    const ScopedEnv tmp("TMPDIR", dir.file(u"tmp"_s).toLocal8Bit());
    const ScopedEnv prefix("WINEPREFIX", dir.file(u"wine"_s).toLocal8Bit());
    EXPECT_EQ(HostRunMarkers(), (QStringList{dir.file(u"wine/drive_c/lx98temp.tmp"_s),
                                             dir.file(u"tmp/lx98temp.tmp"_s)}));
}

#endif

} // namespace
