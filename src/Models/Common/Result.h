#pragma once

#include <QString>

#include <optional>
#include <utility>
#include <variant>

// A failure that carries the sentence shown to the user and, where one exists, the
// system's own error text.
struct Error
{
    // What the failure was, where the user can do something about it.
    enum class Kind {
        Other,
        // The disk (or the file's own size limit) has no room for what was written.
        DiskFull,
    };

    QString message;
    QString detail;
    Kind kind = Kind::Other;

    // The user-facing description: the message, then the system's text when there is one.
    QString description() const { return detail.isEmpty() ? message : message + QStringLiteral(" ") + detail; }
};

// The value of an operation that can fail. Errors are values; nothing throws across layers.
template <typename T> class [[nodiscard]] Result
{
public:
    Result(T value)
        : m_state(std::move(value))
    {
    } // NOLINT: implicit by design
    Result(Error error)
        : m_state(std::move(error))
    {
    } // NOLINT: implicit by design

    bool ok() const { return std::holds_alternative<T>(m_state); }
    explicit operator bool() const { return ok(); }

    const T &value() const & { return std::get<T>(m_state); }
    T &&value() && { return std::get<T>(std::move(m_state)); }
    const Error &error() const { return std::get<Error>(m_state); }

private:
    std::variant<T, Error> m_state;
};

// For operations that return nothing but can fail.
class [[nodiscard]] Status
{
public:
    Status() = default;
    Status(Error error)
        : m_error(std::move(error))
    {
    } // NOLINT: implicit by design

    bool ok() const { return !m_error.has_value(); }
    explicit operator bool() const { return ok(); }
    const Error &error() const { return *m_error; }

private:
    std::optional<Error> m_error;
};
