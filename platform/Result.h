// The one shape of "it failed" above the dataset layer: an operation of the desk, a
// window or a command returns a Result (done, or failed with the reason in the desk's
// language) or a ValueResult<T> (a value, or the reason). Exceptions travel only from the
// engine and are turned into a Result at one place per window and per command
// (`resultOfCall` in platform/ErrorGuard.h).
#pragma once

#include <QString>

#include <optional>
#include <utility>

namespace vornelta {

class [[nodiscard]] Result {
public:
    Result() = default; // done
    static Result failed(QString reason) {
        Result result;
        result.m_failed = true;
        result.m_error = std::move(reason);
        return result;
    }

    bool ok() const { return !m_failed; }
    explicit operator bool() const { return ok(); }
    // Why it failed; empty when it did not.
    const QString& error() const { return m_error; }

private:
    bool m_failed = false;
    QString m_error;
};

template <typename T> class [[nodiscard]] ValueResult {
public:
    ValueResult(T value) : m_value(std::move(value)) {}
    // From a failed Result; a Result that did not fail here is a program error and gives
    // a failure without a reason rather than a value nobody made.
    ValueResult(Result failure)
        : m_failure(failure.ok() ? Result::failed(QString()) : std::move(failure)) {}

    bool ok() const { return m_value.has_value(); }
    explicit operator bool() const { return ok(); }
    const T& value() const& { return *m_value; }
    T& value() & { return *m_value; }
    T&& value() && { return std::move(*m_value); }
    const QString& error() const { return m_failure.error(); }
    // Done, or the failure, without the value.
    Result status() const { return ok() ? Result() : m_failure; }

private:
    std::optional<T> m_value;
    Result m_failure;
};

} // namespace vornelta
