#include "platform/FolderAccess.h"

#include "support/TempFolder.h"

#include <QFile>

#include <gtest/gtest.h>

#ifdef Q_OS_WIN
// sddl.h needs what windows.h declares.
// clang-format off
#include <windows.h>
#include <sddl.h>
// clang-format on
#else
#include <unistd.h>
#endif

using namespace Qt::StringLiterals;
using tuvano::platform::virtualStoreFolder;
using tuvano::platform::writeDenied;

namespace {

// Where Windows keeps a user's copies of a folder's files.
struct Redirection {
    const char* folder;
    const char* localAppData;
    const char* store; // empty: none
};

TEST(FolderAccess, TheVirtualStoreIsTheFoldersPathWithoutItsDrive)
{
    for (const Redirection& row : {
             Redirection{"C:/Program Files (x86)/Lexaro", "C:/Users/Bo/AppData/Local",
                         "C:/Users/Bo/AppData/Local/VirtualStore/Program Files (x86)/Lexaro"},
             Redirection{"c:\\Lexaro\\", "C:\\Users\\Bo\\AppData\\Local",
                         "C:/Users/Bo/AppData/Local/VirtualStore/Lexaro"},
             Redirection{"//server/share/Lexaro", "C:/Users/Bo/AppData/Local", ""},
             Redirection{"C:/Lexaro", "", ""},
         })
        EXPECT_EQ(
            virtualStoreFolder(QString::fromUtf8(row.folder), QString::fromUtf8(row.localAppData)),
            QString::fromUtf8(row.store))
            << row.folder;
}

// The folder as "Program Files" is for an ordinary user: its files may be
// read and run, nothing made. Wine runs every program as an administrator,
// so its rights say what holds for a user without that.
void denyWrites(const QString& folder, bool deny)
{
#ifdef Q_OS_WIN
    const wchar_t* rights =
        deny ? L"D:P(A;OICI;FA;;;SY)(A;OICI;0x1200a9;;;WD)" : L"D:(A;OICI;FA;;;WD)";
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    ASSERT_TRUE(::ConvertStringSecurityDescriptorToSecurityDescriptorW(rights, SDDL_REVISION_1,
                                                                       &descriptor, nullptr));
    const std::wstring path = QString(folder).replace(u'/', u'\\').toStdWString();
    EXPECT_TRUE(::SetFileSecurityW(path.c_str(), DACL_SECURITY_INFORMATION, descriptor));
    ::LocalFree(descriptor);
#else
    ASSERT_TRUE(QFile::setPermissions(folder, deny ? QFile::ReadOwner | QFile::ExeOwner
                                                   : QFile::ReadOwner | QFile::WriteOwner |
                                                         QFile::ExeOwner));
#endif
}

TEST(FolderAccess, OnlyAFolderWhoseRightsForbidWritingIsDenied)
{
    tuvano::test::TempFolder dir(u"Program Files (x86)/Lexaro"_s);
    EXPECT_FALSE(writeDenied(dir.path()));
    EXPECT_FALSE(writeDenied(dir.file(u"missing"_s)));
#ifndef Q_OS_WIN
    if (::geteuid() == 0)
        GTEST_SKIP() << "the superuser may write in any folder";
#endif
    denyWrites(dir.path(), true);
    EXPECT_TRUE(writeDenied(dir.path()));
    denyWrites(dir.path(), false);
    EXPECT_FALSE(writeDenied(dir.path()));
}

} // namespace
