#pragma once

#include "session/frmMonitor.h"
#include "shell/frmMain.h"
#include "support/WindowFixture.h"
#include "widgets/ChoiceList.h"
#include "widgets/CommandLink.h"
#include "widgets/StatusLine.h"

#include <QCheckBox>
#include <QLabel>
#include <QPushButton>
#include <QTimer>

namespace tuvano::test {

// A program folder with three profiles whose files differ, a host that can
// be "installed" and a started start-up window.
class SessionFixture : public WindowFixture {
protected:
    using WindowFixture::WindowFixture;

    static inline const QList<std::pair<QString, QString>> kProfiles{
        {QStringLiteral("Standardprofil"), QStringLiteral("1000000")},
        {QStringLiteral("Anna"), QStringLiteral("2000000")},
        {QStringLiteral("Bo"), QStringLiteral("3000000")}};

    void startWith(const QByteArray& settingsBytes,
                   const QList<std::pair<QString, QString>>& profiles = kProfiles)
    {
        layOutStore(settingsBytes, profiles);
        ASSERT_TRUE(start());
    }

    void installHost(const char* name = "lexaro.exe")
    {
        dir.write(QString::fromUtf8(name), "host");
    }

    void choose(const QString& name)
    {
        widgets::ChoiceList* list = main().cmbProfiler;
        list->setListIndex(list->findText(name));
    }

    QByteArray live(store::DataFile f) { return dir.read(store::fileName(f).toString()); }
    QByteArray inProfile(const QString& id, store::DataFile f)
    {
        return dir.read(QStringLiteral("profiles/") + id + u'/' + store::fileName(f));
    }
    QByteArray profileContent(const QString& id, store::DataFile f)
    {
        return "profile " + id.toLatin1() + " " + store::fileName(f).toLatin1();
    }

    // The host starts (its marker appears) and the watch notices it.
    session::frmMonitor& hostStarts()
    {
        platform.hostRunning = true;
        main().tmrRun_Timer();
        EXPECT_NE(loadedMonitor(), nullptr);
        return *loadedMonitor();
    }

    // The host writes into its live files and ends; the monitor notices it.
    void hostEnds(const QByteArray& change = "changed by the host")
    {
        for (store::DataFile f : store::ProfileFileSet::listing)
            dir.write(store::fileName(f).toString(), live(f) + change);
        platform.endHost();
        loadedMonitor()->tmrCheck_Timer();
    }
};

} // namespace tuvano::test
