#pragma once

#include <QString>

#include <optional>
#include <utility>
#include <variant>

namespace tuvano::store {

// What went wrong with a file of the program folder. The windows turn these
// into Swedish messages (ErrorText.h); the store itself never shows anything.
enum class ErrorKind {
    Missing,       // the file or folder does not exist
    ReadFailed,    // it exists but could not be opened or read
    WriteFailed,   // it could not be created, written, flushed to disk or put in place
    DeleteFailed,  // it could not be deleted
    FolderFailed,  // a folder could not be made or removed
    Damaged,       // its content does not follow the file's format (see Flaw)
    NotStorable,   // a text the file format cannot carry
    NoSuchProfile, // no record of the list carries the name
    ReadOnly,      // the file is write-protected, so it is left as it is
    ForeignLink,   // a link that leads into another profile's folder or out of "profiles"
    ReplaceFailed, // one file of a set replaced as one could not be replaced
};

// Why a record of a text file could not be read.
enum class Flaw {
    None,
    MissingRecord,     // the file ends before all records were read
    WrongType,         // a value of another type than the record needs
    UnterminatedQuote, // a quoted field without its closing quote
    MissingField,      // a record with fewer fields than it needs
    ExtraText,         // text after the last field of a record
    BadIdentifier,     // an identifier that is not all decimal digits
    BadCharacter,      // a character the format cannot carry (quote, control character)
    BadEncoding,       // a byte that is neither Windows-1252 nor part of valid UTF-8
};

// Why the system refused, in kinds the program puts in words of its own:
// the system's own texts are in its language, not the user's.
enum class Cause {
    None,           // no reason given
    AccessDenied,   // no permission, or write-protected
    DiskFull,       // no room left on the disk (or over its quota)
    InUse,          // another program holds the file
    IsFolder,       // a folder where a file was meant
    NotFolder,      // a file where a folder of the path was meant
    NotFound,       // the file or a folder of its path does not exist
    Exists,         // something of that name is there already
    ReadOnlyVolume, // the drive can only be read
    LinkLoop,       // links that lead round in a circle
    NameTooLong,    // the path or a name in it is too long
    NotPlainFile,   // a pipe, a device or another special file
    TooLarge,       // larger than such a file can ever be
    DeviceError,    // the disk, or the connection to it, failed
    Other,          // a reason the program has no words for
};

struct StoreError {
    ErrorKind kind = ErrorKind::ReadFailed;
    QString path; // the file or folder concerned
    int line = 0; // 1-based line of a damaged record, else 0
    Flaw flaw = Flaw::None;
    QString detail; // the offending text, or the place a link leads to
    Cause cause = Cause::None;
    // A failed replacement left the earlier file as it was (there was one).
    bool previousKept = false;

    friend bool operator==(const StoreError&, const StoreError&) = default;
};

// The value of an operation, or why it failed.
template <class T> class [[nodiscard]] Result {
public:
    Result(T value) : m_v(std::move(value)) {}
    Result(StoreError error) : m_v(std::move(error)) {}

    bool ok() const { return m_v.index() == 0; }
    explicit operator bool() const { return ok(); }

    T& value() & { return std::get<0>(m_v); }
    const T& value() const& { return std::get<0>(m_v); }
    T&& value() && { return std::get<0>(std::move(m_v)); }
    T* operator->() { return &value(); }
    const T* operator->() const { return &value(); }
    T& operator*() & { return value(); }
    const T& operator*() const& { return value(); }

    const StoreError& error() const { return std::get<1>(m_v); }

private:
    std::variant<T, StoreError> m_v;
};

template <> class [[nodiscard]] Result<void> {
public:
    Result() = default;
    Result(StoreError error) : m_error(std::move(error)) {}

    bool ok() const { return !m_error.has_value(); }
    explicit operator bool() const { return ok(); }
    const StoreError& error() const { return *m_error; }

private:
    std::optional<StoreError> m_error;
};

using Status = Result<void>;

} // namespace tuvano::store
