#pragma once

#include <QDir>
#include <QString>

#include <optional>
#include <utility>
#include <variant>

namespace Puckdex {

// Why an operation on a game file failed, in words a user can act on.
struct FileError
{
    QString filePath; // the file concerned, as it was opened
    QString reason;   // what went wrong, without the file name

    // "key.db: No such file or directory", the file shown by its name only;
    // fullMessage() adds the folder.
    QString message() const
    {
        return QStringLiteral("%1: %2").arg(QDir(filePath).dirName(), reason);
    }
    QString fullMessage() const
    {
        return QStringLiteral("%1: %2").arg(QDir::toNativeSeparators(filePath), reason);
    }
};

// The outcome of an operation that yields a value: the value, or why not.
template <typename T, typename E = FileError>
class Result
{
public:
    Result(T value) : m_state(std::move(value)) {}
    Result(E error) : m_state(std::move(error)) {}

    bool ok() const { return std::holds_alternative<T>(m_state); }
    explicit operator bool() const { return ok(); }

    const T &value() const & { return std::get<T>(m_state); }
    T &value() & { return std::get<T>(m_state); }
    T &&value() && { return std::get<T>(std::move(m_state)); }
    const T &operator*() const & { return value(); }
    T &operator*() & { return value(); }
    const T *operator->() const { return &value(); }
    T *operator->() { return &value(); }

    const E &error() const { return std::get<E>(m_state); }

private:
    std::variant<T, E> m_state;
};

// The outcome of an operation that yields nothing: done, or why not.
class Status
{
public:
    Status() = default;
    Status(FileError error) : m_error(std::move(error)) {}

    bool ok() const { return !m_error.has_value(); }
    explicit operator bool() const { return ok(); }
    const FileError &error() const { return *m_error; }

private:
    std::optional<FileError> m_error;
};

} // namespace Puckdex
