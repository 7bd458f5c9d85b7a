#pragma once

#include "store/FileOps.h"

#include <functional>
#include <stdexcept>

namespace tuvano::test {

// Thrown by FaultyFileOps to stop an operation as a crash would: whatever was
// done before stays on disk, nothing after it runs.
struct SimulatedCrash : std::runtime_error {
    SimulatedCrash() : std::runtime_error("simulated crash") {}
};

// The real file operations, except that the one numbered failAt (1-based,
// counting every operation) fails as a full disk would, and the one numbered
// crashAt is not carried out and throws SimulatedCrash instead.
class FaultyFileOps : public store::FileOps {
public:
    int failAt = 0;
    int crashAt = 0;
    int count = 0;

    store::Result<QByteArray> readAll(const QString& path) override
    {
        return step(path, [&] { return store::FileOps::real().readAll(path); });
    }
    store::Status writeNew(const QString& path, const QByteArray& bytes) override
    {
        return step(path, [&] { return store::FileOps::real().writeNew(path, bytes); });
    }
    store::Status copyNew(const QString& source, const QString& target) override
    {
        return step(target, [&] { return store::FileOps::real().copyNew(source, target); });
    }
    store::Status rename(const QString& from, const QString& to) override
    {
        return step(to, [&] { return store::FileOps::real().rename(from, to); });
    }
    store::Status remove(const QString& path) override
    {
        return step(path, [&] { return store::FileOps::real().remove(path); });
    }
    store::Status makeFolder(const QString& path) override
    {
        return step(path, [&] { return store::FileOps::real().makeFolder(path); });
    }
    store::Status removeFolder(const QString& path) override
    {
        return step(path, [&] { return store::FileOps::real().removeFolder(path); });
    }

private:
    template <class Op>
    auto step(const QString& path, Op op) -> decltype(op())
    {
        ++count;
        if (count == crashAt)
            throw SimulatedCrash();
        if (count == failAt)
            return store::StoreError{store::ErrorKind::WriteFailed, path, 0, store::Flaw::None,
                                     QStringLiteral("No space left on device")};
        return op();
    }
};

} // namespace tuvano::test
