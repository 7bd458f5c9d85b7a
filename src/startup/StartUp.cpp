#include "StartUp.h"

#include "shared/StatusTexts.h"
#include "store/ErrorText.h"
#include "store/ProfileList.h"

#include <QDir>
#include <QFileInfo>
#include <QStringList>

using namespace Qt::StringLiterals;

namespace tuvano::startup {

using platform::Answer;
using platform::Buttons;
using platform::Icon;

namespace {

QString fileList()
{
    QStringList names;
    for (store::DataFile file : store::ProfileFileSet::listing)
        names << store::fileName(file).toString();
    return names.join(u", "_s);
}

QString native(const QString& path) { return QDir::toNativeSeparators(path); }

std::optional<store::Settings> endWith(platform::Platform& platform, const QString& text)
{
    platform.fatalError(text);
    return std::nullopt;
}

// What a first run leaves when it was cut short: no settings, no list, and in
// "profiles" nothing but the standard profile's folder. Whatever that folder
// already holds is kept: the first run only adds the copies still missing.
bool isInterruptedFirstRun(const store::ProgramFolder& folder)
{
    if (QFileInfo::exists(folder.file(store::kProfileListFile)))
        return false;
    const QStringList ids = QDir(folder.profilesFolder())
                                .entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden);
    return ids.isEmpty() || ids == QStringList{store::kStandardProfileId.toString()};
}

std::optional<store::Settings> restoreDefaults(platform::Platform& platform,
                                               const store::SettingsFile& file,
                                               const store::StoreError& damage)
{
    const QString question = store::errorText(damage) +
                             u"\n\nVill Du återställa standardinställningarna? Den skadade filen "
                             u"sparas då som tuvano.ini.bak.\n\nSvarar Du Nej avslutas "
                             u"Lexaro Tuvano! utan att något ändras.";
    if (platform.message(question, u"Skadad inställningsfil"_s, Icon::Exclamation,
                         Buttons::YesNo) != Answer::Yes) {
        platform.endProgram();
        return std::nullopt;
    }
    store::FileOps& ops = platform.fileOps();
    store::Status kept = store::replaceByCopy(ops, file.path(), file.path() + u".bak");
    if (kept)
        kept = file.createWithDefaults();
    if (!kept)
        return endWith(platform, store::errorText(kept.error()) + u"\n\nLexaro Tuvano! avslutas.");
    return store::Settings::firstRun();
}

} // namespace

QString firstRunMessage()
{
    return u"Detta är första gången Du använder Tuvano! Därför kommer en kort "
           u"initieringsprocess att starta."
           u"\n\n"
           u"Följande inställningar kommer att ställas in: "
           u"\nAutoRun = False\nDefault = None"
           u"\n\n"
           u"Följande filer kommer att omfattas av profilhantering:"
           u"\n" +
           fileList() +
           u"\n\n"
           u"För att påbörja initiering, klicka på 'Ok'.";
}

store::Status initialiseProgramFolder(const store::ProgramFolder& folder)
{
    store::FileOps& ops = folder.ops();
    const QString standard = folder.profileFolder(store::kStandardProfileId);
    for (const QString& path : {folder.profilesFolder(), standard}) {
        if (QFileInfo(path).isDir())
            continue;
        if (auto s = ops.makeFolder(path); !s)
            return s;
    }
    for (store::DataFile file : store::ProfileFileSet::firstRunCopy) {
        // A copy made by an earlier, interrupted first run is whole: keep it.
        const QString target = store::dataFilePath(standard, file);
        if (QFileInfo::exists(target))
            continue;
        if (auto s = store::replaceByCopy(ops, folder.liveFile(file), target); !s)
            return s;
    }
    if (auto s = store::ProfileList(folder).createWithStandard(); !s)
        return s;
    return store::SettingsFile(folder).createWithDefaults();
}

StartFiles readStartFiles(const store::ProgramFolder& folder)
{
    StartFiles files;
    const store::SettingsFile settings(folder);
    if (!settings.exists())
        return files;
    files.settings = settings.read();
    files.list = store::ProfileList(folder).read();
    return files;
}

std::optional<store::Settings> obtainSettings(platform::Platform& platform,
                                              const store::ProgramFolder& folder,
                                              std::optional<store::Result<store::Settings>> readAhead)
{
    const store::SettingsFile file(folder);
    if (!readAhead && !file.exists()) {
        if (!folder.hasProfileStore() || isInterruptedFirstRun(folder)) {
            platform.message(firstRunMessage(), u"Initieringsprocess"_s, Icon::Exclamation);
            if (store::Status done = initialiseProgramFolder(folder); !done)
                return endWith(platform, u"Initieringen kunde inte slutföras.\n\n" +
                                             store::errorText(done.error()) +
                                             u"\n\nLexaro Tuvano! avslutas.");
        } else {
            platform.message(u"Inställningsfilen saknas:\n" + native(file.path()) +
                                 u"\n\nProfilerna finns kvar och lämnas orörda. En ny "
                                 u"inställningsfil skapas med standardinställningarna.",
                             shared::texts::kProgramTitle.toString(), Icon::Exclamation);
            if (store::Status made = file.createWithDefaults(); !made)
                return endWith(platform,
                               store::errorText(made.error()) + u"\n\nLexaro Tuvano! avslutas.");
        }
    }
    auto settings = readAhead ? std::move(*readAhead) : file.read();
    if (settings)
        return *settings;
    if (settings.error().kind == store::ErrorKind::Damaged)
        return restoreDefaults(platform, file, settings.error());
    return endWith(platform, store::errorText(settings.error()) +
                                 u"\n\nLexaro Tuvano! avslutas utan att något har ändrats.");
}

} // namespace tuvano::startup
