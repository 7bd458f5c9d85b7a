// The program at work, without end, for the kill soak: starts a profile (start
// button, quick start or countdown), plays the host (writes the live files,
// then ends), lets the write-back run, creates, removes and sets. Everything
// goes through the program's own windows and handlers on a scripted platform.
//
// Usage: soak_child <program folder> <seed>
//
// The host is soak_host, a process of its own, so that it goes on and ends
// normally when the program is killed, as the real host does.
//
// Each step is announced on stdout ("op <step>" before, "done <step>" after)
// without buffering, so that whoever kills this process can tell where the
// kill landed.

#include "SoakContent.h"
#include "admin/frmAdd.h"
#include "admin/frmProfiles.h"
#include "platform/Platform.h"
#include "session/frmMonitor.h"
#include "settings/frmSettings.h"
#include "shell/Forms.h"
#include "shell/frmMain.h"
#include "store/HostContract.h"
#include "store/ProfileList.h"
#include "support/Say.h"
#include "widgets/ChoiceList.h"

#include <QApplication>
#include <QCheckBox>
#include <QFile>
#include <QListWidget>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QRandomGenerator>
#include <QTimer>

#include <cstdlib>

// Where the build put the host (tests/campaign/CMakeLists.txt).
extern const char kSoakHost[];

using namespace tuvano;
using namespace Qt::StringLiterals;

namespace {

// Says yes to every question and never blocks; an end is reported on stdout.
class SoakPlatform : public platform::Platform {
public:
    SoakPlatform(QString folder, QRandomGenerator& random)
        : m_folder(std::move(folder)), m_random(random)
    {}

    bool ended = false;

    QString programFolder() const override { return m_folder; }
    QStringList markerPaths() const override { return {marker()}; }

    platform::Answer message(const QString& text, const QString& title, platform::Icon,
                             platform::Buttons buttons) override
    {
        say("box " + title.toUtf8() + ": " + text.left(160).toUtf8().replace('\n', ' '));
        return buttons == platform::Buttons::Ok ? platform::Answer::Ok : platform::Answer::Yes;
    }
    QString inputBox(const QString&, const QString&, const QString&) override { return {}; }
    platform::Launch launch(const QString&) override { return platform::Launch::of(1); }
    // The host is soak_host, which the soak starts itself.
    bool processRunning(qint64) override { return false; }
    std::vector<qint64> runningHosts() override { return {}; }
    bool canOpen(const QString& path) override
    {
        QFile file(path);
        return file.open(QIODevice::ReadOnly);
    }
    void reseedRandom() override {}
    float randomFraction() override { return float(m_random.bounded(1 << 24)) / float(1 << 24); }
    void stayOnTop(QWidget*, bool) override {}
    void endProgram() override
    {
        say("end");
        ended = true;
    }
    void fatalError(const QString& text) override
    {
        say("fatal " + text.toUtf8().replace('\n', ' '));
        ended = true;
    }

private:
    QString marker() const { return m_folder + u"/lx98temp.tmp"; }

    QString m_folder;
    QRandomGenerator& m_random;
};

class Soak {
public:
    Soak(const QString& folder, quint32 seed)
        : m_random(seed), m_seed(seed), m_platform(folder, m_random), m_forms(m_platform)
    {}

    int run()
    {
        say("op startup");
        if (!m_forms.loadMain())
            return 3;
        m_forms.main().show();
        // The start-up window must come back after each session.
        m_forms.state().fShutdown = shared::kFalse;
        say("done startup");
        for (;;) {
            QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
            const int profiles = m_forms.main().cmbProfiler->count();
            const int pick = int(m_random.bounded(100));
            if (profiles <= 2 && pick < 25)
                create();
            else if (profiles >= 7 && pick < 35)
                remove();
            else if (pick < 50)
                session();
            else if (pick < 70)
                create();
            else if (pick < 88)
                remove();
            else
                settings();
            if (m_platform.ended)
                return 3;
        }
    }

private:
    shell::frmMain& main() { return m_forms.main(); }

    QString generation()
    {
        return QString::number(m_seed) + u'.' + QString::number(++m_generation);
    }

    void session()
    {
        shell::frmMain& w = main();
        const int count = w.cmbProfiler->count();
        if (count == 0)
            return;
        const int index = int(m_random.bounded(count));
        const QString name = w.cmbProfiler->itemText(index);
        shared::ProgramState& state = m_forms.state();
        switch (m_random.bounded(3)) {
        case 0:
            say("op start-button");
            state.fQuickStart = shared::kFalse;
            w.cmbProfiler->setListIndex(index);
            w.cmdGo_Click();
            break;
        case 1:
            say("op quick-start");
            state.fQuickStart = shared::kTrue;
            w.cmbProfiler->setListIndex(index); // the choice itself starts it
            break;
        default:
            say("op countdown");
            state.fQuickStart = shared::kFalse;
            w.cmbProfiler->setListIndex(index);
            state.sDefaultProfile = name;
            state.nAutoSelectDelay = 1;
            w.Counter = 1;
            w.tmrDefault_Timer();
            break;
        }
        if (m_platform.ended || w.cmdGo->isEnabled()) {
            say("refused");
            return;
        }
        say("done start");

        say("op host");
        const auto list = store::ProfileList(m_forms.context().folder).read();
        const auto id = list ? store::lastIdOf(*list, name) : std::nullopt;
        QFile marker(m_platform.markerPaths().constFirst());
        if (marker.open(QIODevice::WriteOnly))
            marker.close();
        w.tmrRun_Timer();
        // The host writes its files in place and ends.
        QProcess::execute(QString::fromUtf8(kSoakHost),
                          {m_forms.context().folder.path(), id.value_or(u"0"_s), generation(),
                           QString::number(m_random.generate())});
        say("done host");

        say("op write-back");
        if (session::frmMonitor* monitor = session::monitor(m_forms.context()))
            monitor->tmrCheck_Timer();
        say("done write-back");
    }

    void create()
    {
        say("op create");
        m_forms.showProfiles();
        if (admin::frmProfiles* profiles = m_forms.profiles()) {
            profiles->cmdAdd_Click();
            if (admin::frmAdd* add = m_forms.add()) {
                if (add->cmbProfiles->count() > 0)
                    add->cmbProfiles->setListIndex(
                        int(m_random.bounded(add->cmbProfiles->count())));
                add->cmdDo_Click();
            }
        }
        m_forms.unloadAdd();
        m_forms.unloadProfiles();
        say("done create");
    }

    void remove()
    {
        m_forms.showProfiles();
        admin::frmProfiles* profiles = m_forms.profiles();
        if (!profiles)
            return;
        QList<QListWidgetItem*> removable;
        for (int i = 0; i < profiles->lstProfiles->count(); ++i) {
            if (profiles->lstProfiles->item(i)->text() != store::kStandardProfileName)
                removable << profiles->lstProfiles->item(i);
        }
        if (!removable.isEmpty()) {
            say("op remove");
            profiles->lstProfiles->setCurrentItem(
                removable[int(m_random.bounded(int(removable.size())))]);
            profiles->cmdDel_Click();
            say("done remove");
        }
        m_forms.unloadProfiles();
    }

    void settings()
    {
        say("op settings");
        m_forms.showSettingsAfresh();
        if (settings::frmSettings* d = m_forms.settingsWindow()) {
            d->chkAutoval->setChecked(m_random.bounded(2) == 1);
            QRadioButton* options[] = {d->optIngen, d->opt3, d->opt10, d->opt30};
            options[m_random.bounded(4)]->setChecked(true);
            if (d->cmbProfiles->count() > 0)
                d->cmbProfiles->setListIndex(int(m_random.bounded(d->cmbProfiles->count())));
            d->chkShow->setChecked(m_random.bounded(2) == 1);
            d->chkShutdown->setChecked(false);
            d->cmdDo_Click();
        }
        m_forms.unloadSettings();
        say("done settings");
    }

    QRandomGenerator m_random;
    quint32 m_seed;
    quint64 m_generation = 0;
    SoakPlatform m_platform;
    shell::Forms m_forms;
};

} // namespace

int main(int argc, char* argv[])
{
    if (argc != 3) {
        std::fputs("usage: soak_child <program folder> <seed>\n", stderr);
        return 2;
    }
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const QString folder = QString::fromLocal8Bit(argv[1]);
    const quint32 seed = quint32(std::strtoul(argv[2], nullptr, 10));
    say("up");
    Soak soak(folder, seed);
    return soak.run();
}
