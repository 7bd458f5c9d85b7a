#pragma once

#include "store/FileOps.h"

#include <QFile>
#include <QFileInfo>
#include <QStringList>

#include <chrono>
#include <functional>
#include <optional>
#include <stdexcept>

namespace tuvano::test {

// Thrown by FaultyFileOps to stop an operation as a crash would: whatever was
// done before stays on disk, nothing after it runs.
struct SimulatedCrash : std::runtime_error {
    SimulatedCrash() : std::runtime_error("simulated crash") {}
};

// The real file operations, except that the one numbered failAt (1-based,
// counting every operation) fails as a full disk would (or as fault says),
// and the one numbered crashAt is not carried out and throws SimulatedCrash
// instead (with tornCrash, a write leaves half its bytes first). A file can
// be held, as another program holds it open; the pauses before another try
// are only counted, never waited.
class FaultyFileOps : public store::FileOps {
public:
    // How the operation at failAt fails. A full disk is told as a failed write
    // whatever the operation; the others as the operation's own kind of error.
    enum class Fault { DiskFull, IoError, AccessDenied };

    // The operation that failAt or crashAt hit.
    struct Injection {
        int at = 0;
        const char* operation = "";
        QString path;
    };

    int failAt = 0;
    int crashAt = 0;
    int count = 0;
    Fault fault = Fault::DiskFull;
    // A crash in the middle of a write: the target holds the first half of
    // what was to be written, as after a power cut.
    bool tornCrash = false;
    std::optional<Injection> injected;
    // Every operation asked for, as "operation path" (a rename names its
    // target as "from -> to"), in order.
    QStringList calls;
    // Runs as the fault is injected, before the failure is returned or the
    // crash thrown.
    std::function<void(const Injection&)> onFault;
    // The file another program holds open for reading, sharing only reads
    // with others, as a backup or a virus scanner does (the whole path, links
    // followed): every change to it is refused as in use until the pauses
    // have added up to heldFor, or for good when it is negative.
    QString held;
    std::chrono::milliseconds heldFor{-1};
    std::chrono::milliseconds waited{0};
    int pauses = 0;

    store::Result<QByteArray> readOnce(const QString& path) override
    {
        return step("readAll", store::ErrorKind::ReadFailed, path,
                    [&] { return store::FileOps::readOnce(path); });
    }
    store::Status writeNewOnce(const QString& path, const QByteArray& bytes) override
    {
        return step(
            "writeNew", store::ErrorKind::WriteFailed, path,
            [&] { return store::FileOps::writeNewOnce(path, bytes); }, [&] { tear(path, bytes); });
    }
    store::Status copyNewOnce(const QString& source, const QString& target) override
    {
        return step(
            "copyNew", store::ErrorKind::WriteFailed, target,
            [&] { return store::FileOps::copyNewOnce(source, target); },
            [&] { tear(target, readOrEmpty(source)); });
    }
    store::Status flushOnce(const QString& path) override
    {
        return step("flush", store::ErrorKind::WriteFailed, path,
                    [&] { return store::FileOps::flushOnce(path); });
    }
    store::Status renameOnce(const QString& from, const QString& to) override
    {
        calls << QStringLiteral("rename ") + from + QStringLiteral(" -> ") + to;
        if (isHeld(from))
            return inUse(store::ErrorKind::WriteFailed, to);
        return step("rename", store::ErrorKind::WriteFailed, to,
                    [&] { return store::FileOps::renameOnce(from, to); });
    }
    store::Status linkOnce(const QString& existing, const QString& name) override
    {
        calls << QStringLiteral("link ") + existing + QStringLiteral(" -> ") + name;
        return step("link", store::ErrorKind::WriteFailed, name,
                    [&] { return store::FileOps::linkOnce(existing, name); });
    }
    store::Status flushFolderOnce(const QString& folder) override
    {
        return step("flushFolder", store::ErrorKind::WriteFailed, folder,
                    [&] { return store::FileOps::flushFolderOnce(folder); });
    }
    store::Status removeOnce(const QString& path) override
    {
        return step("remove", store::ErrorKind::DeleteFailed, path,
                    [&] { return store::FileOps::removeOnce(path); });
    }
    store::Status makeFolderOnce(const QString& path) override
    {
        return step("makeFolder", store::ErrorKind::FolderFailed, path,
                    [&] { return store::FileOps::makeFolderOnce(path); });
    }
    store::Status removeFolderOnce(const QString& path) override
    {
        return step("removeFolder", store::ErrorKind::FolderFailed, path,
                    [&] { return store::FileOps::removeFolderOnce(path); });
    }

    static const char* faultName(Fault f)
    {
        switch (f) {
        case Fault::DiskFull:
            return "disk full";
        case Fault::IoError:
            return "I/O error";
        case Fault::AccessDenied:
            return "access denied";
        }
        return "?";
    }

protected:
    void pause(std::chrono::milliseconds length) override
    {
        waited += length;
        ++pauses;
    }

private:
    bool isHeld(const QString& path) const
    {
        return !held.isEmpty() && QFileInfo(path).canonicalFilePath() == held &&
               (heldFor.count() < 0 || waited < heldFor);
    }
    static store::StoreError inUse(store::ErrorKind kind, const QString& path)
    {
        return {kind, path, 0, store::Flaw::None, {}, store::Cause::InUse};
    }

    static QByteArray readOrEmpty(const QString& path)
    {
        QFile f(path);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }

    static void tear(const QString& path, const QByteArray& bytes)
    {
        QFile f(path);
        if (f.open(QIODevice::WriteOnly | QIODevice::Truncate))
            f.write(bytes.left(bytes.size() / 2));
    }

    store::StoreError failure(store::ErrorKind ownKind, const QString& path) const
    {
        switch (fault) {
        case Fault::DiskFull:
            break;
        case Fault::IoError:
            return {ownKind, path, 0, store::Flaw::None, {}, store::Cause::DeviceError};
        case Fault::AccessDenied:
            return {ownKind, path, 0, store::Flaw::None, {}, store::Cause::AccessDenied};
        }
        return {store::ErrorKind::WriteFailed, path, 0, store::Flaw::None, {},
                store::Cause::DiskFull};
    }

    void record(const char* operation, const QString& path)
    {
        injected = Injection{count, operation, path};
        if (onFault)
            onFault(*injected);
    }

    template <class Op, class Torn = void (*)()>
    auto step(
        const char* operation, store::ErrorKind kind, const QString& path, Op op, Torn torn = [] {})
        -> decltype(op())
    {
        if (QLatin1StringView(operation) != QLatin1StringView("rename") &&
            QLatin1StringView(operation) != QLatin1StringView("link"))
            calls << QString::fromLatin1(operation) + u' ' + path;
        ++count;
        if (count == crashAt) {
            record(operation, path);
            if (tornCrash)
                torn();
            throw SimulatedCrash();
        }
        if (count == failAt) {
            record(operation, path);
            return failure(kind, path);
        }
        if (kind != store::ErrorKind::ReadFailed && isHeld(path))
            return inUse(kind, path);
        return op();
    }
};

} // namespace tuvano::test
