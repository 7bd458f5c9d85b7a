// Draws the program's windows into PNG files for the documentation, at 100 %
// and 200 % scaling, from a sample program folder:
//   screenshots <folder> [2x] [names]
// With "names" the profiles carry the names hardest to show (markup, a word
// of 300 letters, 300 letters of words), so one can see that every window
// stays on the screen and shows them whole or cut short with "…".
#include "admin/frmAdd.h"
#include "admin/frmProfiles.h"
#include "platform/DesktopPlatform.h"
#include "platform/Platform.h"
#include "session/frmMonitor.h"
#include "settings/frmOm.h"
#include "settings/frmSettings.h"
#include "shell/Forms.h"
#include "shell/frmMain.h"
#include "store/HostContract.h"
#include "widgets/ChoiceList.h"
#include "widgets/WrapLabel.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QListWidget>
#include <QTemporaryDir>
#include <QTimer>
#include <QWidget>

#include <cstdio>

using namespace Qt::StringLiterals;
using namespace tuvano;

namespace {

// A platform that answers every box with OK and starts nothing.
class QuietPlatform final : public platform::Platform {
public:
    explicit QuietPlatform(QString folder) : m_folder(std::move(folder)) {}
    QString programFolder() const override { return m_folder; }
    QStringList markerPaths() const override { return {m_folder + u"/marker"_s}; }
    platform::Answer message(const QString&, const QString&, platform::Icon,
                             platform::Buttons) override
    {
        return platform::Answer::Ok;
    }
    QString inputBox(const QString&, const QString&, const QString&) override { return {}; }
    platform::Launch launch(const QString&) override { return platform::Launch::failed(u"-"_s); }
    bool processRunning(qint64) override { return false; }
    std::vector<qint64> runningHosts() override { return {}; }
    bool canOpen(const QString&) override { return false; }
    void reseedRandom() override {}
    float randomFraction() override { return 0.42f; }
    void stayOnTop(QWidget*, bool) override {}
    void endProgram() override {}
    void fatalError(const QString& text) override
    {
        std::fprintf(stderr, "%s\n", qPrintable(text));
        std::exit(1);
    }

private:
    QString m_folder;
};

void write(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    if (f.open(QIODevice::WriteOnly))
        f.write(bytes);
}

using Profiles = QList<QPair<QByteArray, QByteArray>>;

const Profiles kSample{{"Standardprofil", "1000000"},
                       {"Anna", "4718204"},
                       {"Bj\xf6rn", "10337561"},
                       {"Klassrum 3B", "2286519"}};

QByteArray longWord() { return QByteArray(300, 'W'); }
QByteArray longWords()
{
    return QByteArray("Klassrum 3B med eftermiddagsgruppen ").repeated(9).left(300);
}

const Profiles kHardNames{{"Standardprofil", "1000000"},
                          {"Bo <b>Ek</b>", "2000000"},
                          {longWords(), "3000000"},
                          {longWord(), "4000000"}};

void layOutSample(const QString& folder, const Profiles& profiles, const QByteArray& defaultName)
{
    QDir(folder).mkpath(u"profiles"_s);
    QByteArray list;
    for (const auto& [name, id] : profiles) {
        list += '"' + name + "\",\"" + id + "\"\r\n";
        QDir(folder).mkpath(u"profiles/"_s + QString::fromLatin1(id));
    }
    write(folder + u"/profiles.map"_s, list);
    write(folder + u"/tuvano.ini"_s,
          "#FALSE#\r\n10\r\n\"" + defaultName + "\"\r\n#TRUE#\r\n#TRUE#\r\n");
}

// The offscreen platform says for every window that it cannot do what only a
// window system can (raise it, pass on its size hints); nothing else is lost.
QtMessageHandler g_standardHandler = nullptr;

void dropPlatformLimits(QtMsgType type, const QMessageLogContext& context, const QString& text)
{
    if (!text.startsWith(u"This plugin does not support"))
        g_standardHandler(type, context, text);
}

void save(QWidget& window, const QString& file)
{
    window.show();
    QApplication::processEvents();
    if (!window.grab().save(file))
        std::fprintf(stderr, "could not write %s\n", qPrintable(file));
}

} // namespace

int main(int argc, char* argv[])
{
    const QString out = argc > 1 ? QString::fromLocal8Bit(argv[1]) : u"."_s;
    bool doubled = false;
    bool names = false;
    for (int i = 2; i < argc; ++i) {
        doubled = doubled || qstrcmp(argv[i], "2x") == 0;
        names = names || qstrcmp(argv[i], "names") == 0;
    }
    if (doubled)
        qputenv("QT_SCALE_FACTOR", "2");
    qputenv("QT_QPA_PLATFORM", "offscreen");
    g_standardHandler = qInstallMessageHandler(dropPlatformLimits);
    QApplication app(argc, argv);
    const QString suffix = doubled ? u"@2x.png"_s : u".png"_s;
    const QString prefix = out + (names ? u"/names-"_s : u"/"_s);

    QTemporaryDir folder;
    if (names)
        layOutSample(folder.path(), kHardNames, longWord());
    else
        layOutSample(folder.path(), kSample, "Anna");
    QuietPlatform platform(folder.path());
    shell::Forms forms(platform);
    if (!forms.loadMain())
        return 1;
    save(forms.main(), prefix + u"main-window"_s + suffix);
    if (names) {
        forms.main().stopCountdown(); // the longest text of the countdown line
        save(forms.main(), prefix + u"main-window-stopped"_s + suffix);
    }

    forms.showProfiles();
    forms.profiles()->lstProfiles->setCurrentRow(1);
    save(*forms.profiles(), prefix + u"profiles-window"_s + suffix);
    forms.profiles()->cmdAdd_Click();
    if (names)
        forms.add()->lblNamn->setText(QString::fromLatin1(longWords()));
    save(*forms.add(), prefix + u"new-profile-dialog"_s + suffix);
    forms.unloadAdd();
    forms.unloadProfiles();

    forms.showSettingsAfresh();
    save(*forms.settingsWindow(), prefix + u"settings-dialog"_s + suffix);
    forms.unloadSettings();

    settings::frmOm about(forms.context());
    about.Form_Load();
    save(about, prefix + u"about-window"_s + suffix);

    forms.main().cmbProfiler->setCurrentIndex(names ? 2 : 1);
    save(session::loadMonitor(forms.context()), prefix + u"monitor-window"_s + suffix);

    if (names) {
        // The waits, with the longest name where the window names one.
        forms.main().showWait(u"Lexaro Tuvano! väntar på att Lexaro ska starta med profilen "_s +
                                  QString::fromLatin1(longWords()) +
                                  u". Programmet som startades har avslutats, men Lexaro kan "
                                  u"ännu vara på väg."_s,
                              true);
        save(forms.main(), prefix + u"main-window-waiting"_s + suffix);
        forms.main().showWait({}, false);
        session::loadMonitor(forms.context()).offerWayOut();
        save(session::loadMonitor(forms.context()), prefix + u"monitor-way-out"_s + suffix);
    }

    if (names) {
        // A real message box naming a profile, drawn while it is open.
        QTimer::singleShot(0, [&] {
            QWidget* box = QApplication::activeModalWidget();
            save(*box, prefix + u"message-box"_s + suffix);
            box->close();
        });
        platform::DesktopPlatform().message(u"Är Du säker på att Du vill ta bort profilen "_s +
                                                QString::fromLatin1(longWord()) + u'?',
                                            u"Bekräfta borttagning"_s, platform::Icon::Question,
                                            platform::Buttons::YesNo);
    }
    return 0;
}
