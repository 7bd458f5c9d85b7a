#pragma once

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QMap>
#include <QString>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace tuvano::test {

// A fresh program folder for one test, with helpers to lay out and inspect
// its files as raw bytes.
class TempFolder {
public:
    TempFolder() { EXPECT_TRUE(m_dir.isValid()); }
    // The folder sub inside a fresh temporary one, with room beside it.
    explicit TempFolder(const QString& sub) : m_sub(sub)
    {
        EXPECT_TRUE(m_dir.isValid());
        QDir(m_dir.path()).mkpath(sub);
    }

    QString path() const { return m_sub.isEmpty() ? m_dir.path() : m_dir.filePath(m_sub); }
    // The temporary folder that holds path (path itself without a sub).
    QString root() const { return m_dir.path(); }
    QString file(const QString& name) const { return path() + u'/' + name; }
    // The file as messages name it to the user: in the system's own way of
    // writing a path.
    QString shown(const QString& name) const { return QDir::toNativeSeparators(file(name)); }

    void write(const QString& name, const QByteArray& bytes) const
    {
        const QString path = file(name);
        QDir().mkpath(QFileInfo(path).absolutePath());
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate)) << name.toStdString();
        ASSERT_EQ(f.write(bytes), bytes.size());
    }

    QByteArray read(const QString& name) const
    {
        QFile f(file(name));
        if (!f.open(QIODevice::ReadOnly))
            return QByteArray("<missing>");
        return f.readAll();
    }

    bool exists(const QString& name) const { return QFileInfo::exists(file(name)); }
    void remove(const QString& name) const { QFile::remove(file(name)); }

    // Every entry below the folder, relative, sorted: for "nothing else was
    // left behind" checks.
    QStringList entries() const
    {
        QStringList all;
        collect(path(), all);
        all.sort();
        return all;
    }

    // Every file below the folder with its bytes: for "nothing was
    // written" checks.
    QMap<QString, QByteArray> snapshot() const
    {
        QMap<QString, QByteArray> files;
        for (const QString& name : entries()) {
            if (QFileInfo(file(name)).isFile())
                files.insert(name, read(name));
        }
        return files;
    }

private:
    void collect(const QString& dir, QStringList& out) const
    {
        const QDir d(dir);
        const auto infos = d.entryInfoList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden);
        for (const QFileInfo& info : infos) {
            out << QDir(path()).relativeFilePath(info.filePath());
            if (info.isDir())
                collect(info.filePath(), out);
        }
    }

    QTemporaryDir m_dir;
    QString m_sub;
};

inline QString qs(const char* utf8) { return QString::fromUtf8(utf8); }

// A symbolic link at link that leads to target (relative to link's folder,
// or absolute). Windows makes them only with a privilege that users do not
// have (Qt makes shortcuts there instead), so a test that needs one skips
// there; the caller returns when IsSkipped().
inline void makeSymbolicLink(const QString& target, const QString& link)
{
#ifdef Q_OS_WIN
    Q_UNUSED(target);
    Q_UNUSED(link);
    GTEST_SKIP() << "symbolic links need a privilege on Windows";
#else
    QFile::remove(link);
    QDir().mkpath(QFileInfo(link).path());
    ASSERT_TRUE(QFile::link(target, link)) << link.toStdString();
#endif
}

} // namespace tuvano::test

// Readable failures for Qt strings in gtest output.
QT_BEGIN_NAMESPACE
inline void PrintTo(const QString& s, std::ostream* os) { *os << '"' << s.toStdString() << '"'; }
inline void PrintTo(const QByteArray& b, std::ostream* os)
{
    static const char hex[] = "0123456789abcdef";
    *os << '"';
    for (unsigned char c : b) {
        if (c >= 0x20 && c < 0x7f && c != '\\')
            *os << char(c);
        else
            *os << "\\x" << hex[c >> 4] << hex[c & 15];
    }
    *os << '"';
}
QT_END_NAMESPACE
