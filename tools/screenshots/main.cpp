// Draws the program's windows into PNG files for the documentation, at 100 %
// and 200 % scaling, from a sample program folder:
//   screenshots <folder>
#include "admin/frmAdd.h"
#include "admin/frmProfiles.h"
#include "platform/Platform.h"
#include "session/frmMonitor.h"
#include "settings/frmOm.h"
#include "settings/frmSettings.h"
#include "startup/Forms.h"
#include "startup/frmMain.h"
#include "store/HostContract.h"
#include "widgets/ChoiceList.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
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

void layOutSample(const QString& folder)
{
    QDir(folder).mkpath(u"profiles"_s);
    const QList<QPair<QByteArray, QByteArray>> profiles{{"Standardprofil", "1000000"},
                                                        {"Anna", "4718204"},
                                                        {"Bj\xf6rn", "10337561"},
                                                        {"Klassrum 3B", "2286519"}};
    QByteArray list;
    for (const auto& [name, id] : profiles) {
        list += '"' + name + "\",\"" + id + "\"\r\n";
        QDir(folder).mkpath(u"profiles/"_s + QString::fromLatin1(id));
    }
    write(folder + u"/profiles.map"_s, list);
    write(folder + u"/tuvano.ini"_s, "#FALSE#\r\n10\r\n\"Anna\"\r\n#TRUE#\r\n#TRUE#\r\n");
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
    const bool doubled = argc > 2 && qstrcmp(argv[2], "2x") == 0;
    if (doubled)
        qputenv("QT_SCALE_FACTOR", "2");
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const QString suffix = doubled ? u"@2x.png"_s : u".png"_s;

    QTemporaryDir folder;
    layOutSample(folder.path());
    QuietPlatform platform(folder.path());
    startup::Forms forms(platform);
    if (!forms.loadMain())
        return 1;
    save(forms.main(), out + u"/main-window"_s + suffix);

    forms.showProfiles();
    save(*forms.profiles(), out + u"/profiles-window"_s + suffix);
    forms.profiles()->cmdAdd_Click();
    save(*forms.add(), out + u"/new-profile-dialog"_s + suffix);
    forms.unloadAdd();
    forms.unloadProfiles();

    forms.showSettingsAfresh();
    save(*forms.settingsWindow(), out + u"/settings-dialog"_s + suffix);
    forms.unloadSettings();

    settings::frmOm about(forms);
    about.Form_Load();
    save(about, out + u"/about-window"_s + suffix);

    forms.main().cmbProfiler->setCurrentIndex(1);
    save(forms.loadMonitor(), out + u"/monitor-window"_s + suffix);
    return 0;
}
