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

void removeDataFileLeftovers(FileOps& ops, QStringView folder)
{
    for (DataFile file : ProfileFileSet::listing)
        removeIfPresent(ops, tempPathFor(dataFilePath(folder, file)));
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
    removeIfPresent(*m_ops, tempPathFor(file(kSettingsFile)));
    removeDataFileLeftovers(*m_ops, m_path);
    if (!inProfileFolders)
        return;
    const QStringList folders = QDir(profilesFolder()).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    for (const QString& id : folders) {
        if (isProfileIdentifier(id))
            removeDataFileLeftovers(*m_ops, profileFolder(id));
    }
}

bool isProfileIdentifier(QStringView id)
{
    return !id.isEmpty() &&
           std::all_of(id.begin(), id.end(), [](QChar c) { return c >= u'0' && c <= u'9'; });
}

QString dataFilePath(QStringView folder, DataFile file) { return folder + u'/' + fileName(file); }

} // namespace tuvano::store
