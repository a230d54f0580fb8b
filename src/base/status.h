#pragma once
// The result of a call that can fail for reasons outside the program: a broad code that callers
// branch on, plus detail and the path involved for the message a person reads.

#include <optional>
#include <string>
#include <utility>

namespace base {

enum class ErrorCode {
    Ok,
    NotFound,
    AccessDenied,
    IoError,
    Corrupt,
    Unsupported,
    InvalidArgument,
    Cancelled,
    DiskFull,
};

class Status {
public:
    Status() = default;
    static Status success() { return {}; }
    static Status error(ErrorCode code, std::string detail, std::string path = {})
    {
        Status s;
        s.m_code = code;
        s.m_detail = std::move(detail);
        s.m_path = std::move(path);
        return s;
    }

    // The question; there is no conversion to bool, whose sense a variable's name could invert.
    bool ok() const { return m_code == ErrorCode::Ok; }
    ErrorCode code() const { return m_code; }
    const std::string& detail() const { return m_detail; }
    const std::string& path() const { return m_path; }

private:
    ErrorCode m_code = ErrorCode::Ok;
    std::string m_detail;
    std::string m_path;
};

// A value or the Status that explains why there is none.
template <typename T> class Result {
public:
    Result(T value) : m_value(std::move(value)) {}
    Result(Status status) : m_status(std::move(status)) {}

    bool ok() const { return m_value.has_value(); }
    const Status& status() const { return m_status; }
    T& value() { return *m_value; }
    const T& value() const { return *m_value; }
    T* operator->() { return &*m_value; }
    const T* operator->() const { return &*m_value; }
    T& operator*() { return *m_value; }
    const T& operator*() const { return *m_value; }

private:
    std::optional<T> m_value;
    Status m_status;
};

} // namespace base
