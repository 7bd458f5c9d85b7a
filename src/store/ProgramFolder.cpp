#include "ProgramFolder.h"

#include <QDir>
#include <QFileInfo>

#include <algorithm>

namespace tuvano::store {

namespace {

void removeIfPresent(FileOps& ops, const QString& path)
{
    if (QFileInfo(path).isFile())
        (void)ops.remove(path);
}

bool isInside(const QString& path, const QString& folder) { return path.startsWith(folder + u'/'); }

// The temporary file of a write to path, and the one beside the link's
// target when path is a link.
void removeTempsOf(FileOps& ops, const QString& path)
{
    removeIfPresent(ops, tempPathFor(path));
    if (QFileInfo(path).isSymLink())
        removeIfPresent(ops, tempPathFor(followLinks(path)));
}

// Earlier versions wrote "<name>.new" beside a file; in a profile folder
// such a name can only be the program's own.
QString oldTempPathFor(QStringView folder, DataFile file)
{
    const QString name = fileName(file).toString();
    return folder + u'/' + QFileInfo(name).completeBaseName() + u".new";
}

StoreError foreignLink(const QString& path, const QString& target)
{
    return StoreError{ErrorKind::ForeignLink, path, 0, Flaw::None, target};
}

} // namespace

ProgramFolder::ProgramFolder(QString path, FileOps& ops) : m_path(std::move(path)), m_ops(&ops)
{
    while (m_path.size() > 1 && m_path.endsWith(u'/'))
        m_path.chop(1);
}

QString ProgramFolder::file(QStringView name) const { return m_path + u'/' + name; }

QString ProgramFolder::liveFile(DataFile file) const { return dataFilePath(m_path, file); }

QString ProgramFolder::profilesFolder() const { return file(kProfilesFolder); }

QString ProgramFolder::profileFolder(QStringView id) const { return profilesFolder() + u'/' + id; }

bool ProgramFolder::hasProfileStore() const
{
    return QFileInfo::exists(file(kProfileListFile)) || QFileInfo::exists(profilesFolder());
}

void ProgramFolder::removeLeftovers(bool inProfileFolders) const
{
    removeIfPresent(*m_ops, file(kProfileListTemp));
    removeTempsOf(*m_ops, file(kProfileListFile));
    removeTempsOf(*m_ops, file(kSettingsFile));
    removeTempsOf(*m_ops, file(kSessionFile));
    for (DataFile f : ProfileFileSet::listing) {
        removeTempsOf(*m_ops, liveFile(f));
        // A second name from a start cut short: the live files themselves
        // were always there.
        removeIfPresent(*m_ops, asidePathFor(followLinks(liveFile(f))));
    }
    if (!inProfileFolders)
        return;
    // Staged files are the session record's to finish or drop while there
    // is one.
    const bool sessionRecorded = QFileInfo::exists(file(kSessionFile));
    const QStringList folders = QDir(profilesFolder()).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    for (const QString& id : folders) {
        if (!isProfileIdentifier(id) || !checkOwnFolder(id))
            continue;
        for (DataFile f : ProfileFileSet::listing) {
            const QString path = dataFilePath(profileFolder(id), f);
            removeTempsOf(*m_ops, path);
            removeIfPresent(*m_ops, oldTempPathFor(profileFolder(id), f));
            if (!sessionRecorded)
                removeIfPresent(*m_ops, stagePathFor(followLinks(path)));
            // A second name is needed only while its set is being replaced.
            removeIfPresent(*m_ops, asidePathFor(followLinks(path)));
        }
    }
}

Status ProgramFolder::checkOwnFolder(QStringView id) const
{
    const QString folder = profileFolder(id);
    const QFileInfo info(folder);
    if (info.isSymLink())
        return foreignLink(folder, info.symLinkTarget());
    if (!info.exists())
        return {};
    const QString profiles = QFileInfo(profilesFolder()).canonicalFilePath();
    const QString actual = info.canonicalFilePath();
    if (actual != profiles + u'/' + id)
        return foreignLink(folder, actual);
    return {};
}

Status ProgramFolder::checkPlace(const QString& path, QStringView ownId) const
{
    if (!ownId.isEmpty()) {
        if (Status own = checkOwnFolder(ownId); !own)
            return own;
    }
    const QString profiles = QFileInfo(profilesFolder()).canonicalFilePath();
    if (profiles.isEmpty())
        return {};
    const QString actual = followLinks(path);
    if (!isInside(actual, profiles))
        return {};
    if (!ownId.isEmpty() && isInside(actual, profiles + u'/' + ownId))
        return {};
    return foreignLink(path, actual);
}

bool isProfileIdentifier(QStringView id)
{
    return !id.isEmpty() &&
           std::all_of(id.begin(), id.end(), [](QChar c) { return c >= u'0' && c <= u'9'; });
}

QString dataFilePath(QStringView folder, DataFile file) { return folder + u'/' + fileName(file); }

} // namespace tuvano::store
