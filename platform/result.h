#pragma once

#include <cstdio>
#include <cstdlib>
#include <optional>
#include <system_error>
#include <utility>

namespace sorvik::platform {

// A value or the reason it could not be had. Operations with nothing to return give a plain
// std::error_code instead (empty on success), so every failure names its cause. Reading the value
// of a failed result is a programming error that stops the program in every build, rather than
// reading whatever the memory holds.
template <class T>
class [[nodiscard]] Result {
  public:
    Result(T value) : value_(std::move(value)) {}
    Result(std::error_code error) : error_(error) {}

    bool ok() const { return !error_; }
    explicit operator bool() const { return ok(); }
    std::error_code error() const { return error_; }

    T& value() & { return (requireValue(), *value_); }
    const T& value() const& { return (requireValue(), *value_); }
    T&& value() && { return (requireValue(), std::move(*value_)); }
    T* operator->() { return &value(); }
    const T* operator->() const { return &value(); }
    T& operator*() & { return value(); }
    const T& operator*() const& { return value(); }

  private:
    void requireValue() const {
        if (!value_) {
            std::fprintf(stderr, "Sorvik: the value of a failed result was read: %s\n",
                         error_.message().c_str());
            std::abort();
        }
    }

    std::optional<T> value_;
    std::error_code error_;
};

inline std::error_code lastSystemError(int errnoValue) {
    return {errnoValue, std::system_category()};
}

}  // namespace sorvik::platform
