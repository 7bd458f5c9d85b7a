#pragma once

#include <QDir>
#include <QProcess>
#include <QString>
#include <QStringList>

#include <gtest/gtest.h>

#ifdef HAS_FILE_HOLDER
extern const char kFileHolder[];
#endif

namespace tuvano::test {

// Another program that holds a file open for a while, as a virus scanner, an
// indexer or a backup does on Windows: the file holder (tools/file-holder)
// as a real process. Only the Windows build has one (HAS_FILE_HOLDER).
class FileHolder {
public:
    FileHolder() = default;
    FileHolder(const FileHolder&) = delete;
    FileHolder& operator=(const FileHolder&) = delete;
    ~FileHolder()
    {
        if (m_process.state() != QProcess::NotRunning && !m_process.waitForFinished(20000))
            m_process.kill();
    }

    // Holds the file with the sharing named ("none", "read", "all",
    // "deleting"; see the tool) for ms milliseconds from now; false, with a
    // failure added, when the hold could not be made.
    bool hold(const char* sharing, const QString& path, int ms)
    {
#ifdef HAS_FILE_HOLDER
        m_process.start(
            QString::fromUtf8(kFileHolder),
            {QString::fromLatin1(sharing), QDir::toNativeSeparators(path), QString::number(ms)});
        QByteArray said;
        while (!said.contains("held") && m_process.waitForReadyRead(20000))
            said += m_process.readAllStandardOutput();
        if (said.contains("held"))
            return true;
        ADD_FAILURE() << "the file holder did not hold " << path.toStdString() << ": "
                      << said.toStdString() << m_process.errorString().toStdString();
#else
        Q_UNUSED(sharing);
        Q_UNUSED(path);
        Q_UNUSED(ms);
        ADD_FAILURE() << "built without the file holder";
#endif
        return false;
    }

    // Waits for the hold to end.
    void release() { m_process.waitForFinished(20000); }

private:
    QProcess m_process;
};

} // namespace tuvano::test
