#pragma once

#include <QString>
#include <optional>
#include <utility>
#include <variant>

// Why something failed, in words a person reads; it converts to any Result.
struct Failure
{
    QString reason;
};

inline Failure failure(QString reason)
{
    return {std::move(reason)};
}

// A value, or the reason there is none: the one shape for everything that
// can fail with a message. Result<> carries no value, only success.
template<typename T = std::monostate>
class [[nodiscard]] Result
{
public:
    Result() requires std::is_same_v<T, std::monostate> : m_value(std::monostate{}) { }
    Result(T value) : m_value(std::move(value)) { }
    Result(Failure failed) : m_error(std::move(failed.reason)) { }

    explicit operator bool() const { return m_value.has_value(); }
    const T &operator*() const { return *m_value; }
    const T *operator->() const { return &*m_value; }
    // Empty when there is a value.
    const QString &error() const { return m_error; }

private:
    std::optional<T> m_value;
    QString m_error;
};
