// The one owner of every handle kind: a value, the call that gives it back,
// and the value that means "none". Closing happens here and nowhere else, so
// an early return or an exception never leaks a handle. The platform's kinds
// (descriptors, HKEY, HANDLE, ...) are aliases beside their adapters.
#pragma once

#include <cstdio>
#include <type_traits>
#include <utility>

namespace torva {

// `Close` is called with the value; `Invalid` is the "none" value, or a
// function giving it where it is not a constant (INVALID_HANDLE_VALUE).
template <typename T, auto Close, auto Invalid = nullptr>
class UniqueAny {
public:
    UniqueAny() noexcept = default;
    explicit UniqueAny(T value) noexcept : value_(value) {}
    UniqueAny(UniqueAny&& other) noexcept : value_(other.Release()) {}
    UniqueAny& operator=(UniqueAny&& other) noexcept {
        if (this != &other) Reset(other.Release());
        return *this;
    }
    UniqueAny(const UniqueAny&) = delete;
    UniqueAny& operator=(const UniqueAny&) = delete;
    ~UniqueAny() { Reset(); }

    static T None() noexcept {
        if constexpr (std::is_invocable_v<decltype(Invalid)>) {
            return Invalid();
        } else {
            return T(Invalid);
        }
    }

    T Get() const noexcept { return value_; }
    bool Valid() const noexcept { return value_ != None(); }
    explicit operator bool() const noexcept { return Valid(); }

    // Closes what is held and takes `value`.
    void Reset(T value = None()) noexcept {
        const T old = std::exchange(value_, value);
        if (old != None()) Close(old);
    }
    // Hands the value over; nothing is closed.
    [[nodiscard]] T Release() noexcept { return std::exchange(value_, None()); }
    // For a call that writes a new handle through a pointer: what was held is
    // closed first.
    T* Put() noexcept {
        Reset();
        return &value_;
    }

private:
    T value_ = None();
};

inline void CloseFile(std::FILE* file) noexcept { std::fclose(file); }
using UniqueFile = UniqueAny<std::FILE*, &CloseFile>;

}  // namespace torva
