// An owning handle: holds one handle and gives it back when it goes, unless
// released first. Its traits say what the handle is (Type), which value
// means none (None()) and how it is given back (Close); they may carry what
// giving it back needs, such as the interface that handed it out. Portable.
#pragma once

#include <utility>

namespace kalvex {

template <typename Traits>
class UniqueHandle {
public:
    using Type = typename Traits::Type;

    UniqueHandle() = default;
    explicit UniqueHandle(Type handle, Traits traits = Traits()) : mTraits(traits), mHandle(handle) {}
    ~UniqueHandle() { Reset(); }

    UniqueHandle(const UniqueHandle&) = delete;
    UniqueHandle& operator=(const UniqueHandle&) = delete;
    UniqueHandle(UniqueHandle&& other) noexcept : mTraits(other.mTraits), mHandle(other.Release()) {}
    UniqueHandle& operator=(UniqueHandle&& other) noexcept {
        if (this != &other) {
            Reset(other.Release());
            mTraits = other.mTraits;
        }
        return *this;
    }

    Type Get() const { return mHandle; }
    explicit operator bool() const { return mHandle != Traits::None(); }

    // Lets go of the handle without giving it back.
    Type Release() { return std::exchange(mHandle, Traits::None()); }

    void Reset(Type handle = Traits::None()) {
        if (mHandle != Traits::None()) mTraits.Close(mHandle);
        mHandle = handle;
    }

private:
    Traits mTraits{};
    Type mHandle = Traits::None();
};

}  // namespace kalvex
