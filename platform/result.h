#pragma once

#include <optional>
#include <system_error>
#include <utility>

namespace sorvik::platform {

// A value or the reason it could not be had. Operations with nothing to return give a plain
// std::error_code instead (empty on success), so every failure names its cause.
template <class T>
class Result {
  public:
    Result(T value) : value_(std::move(value)) {}
    Result(std::error_code error) : error_(error) {}

    bool ok() const { return !error_; }
    explicit operator bool() const { return ok(); }
    std::error_code error() const { return error_; }

    T& value() & { return *value_; }
    const T& value() const& { return *value_; }
    T&& value() && { return std::move(*value_); }
    T* operator->() { return &*value_; }
    const T* operator->() const { return &*value_; }
    T& operator*() & { return *value_; }
    const T& operator*() const& { return *value_; }

  private:
    std::optional<T> value_;
    std::error_code error_;
};

inline std::error_code lastSystemError(int errnoValue) {
    return {errnoValue, std::system_category()};
}

}  // namespace sorvik::platform
