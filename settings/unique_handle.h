// The one owner of every handle the program holds: a movable, non-copyable template with one alias
// per handle kind. Traits name the handle's type and how it is closed; the empty handle is the
// value-initialised one. This header stays portable: C files have their alias in platform.h, and
// the Win32, GDI and COM kinds theirs in ui/handles.h.
#pragma once

template <typename Traits>
class UniqueHandle {
public:
    using Handle = typename Traits::Handle;

    UniqueHandle() = default;
    explicit UniqueHandle(Handle handle) : handle_(handle) {}
    ~UniqueHandle() { Reset(); }

    UniqueHandle(const UniqueHandle&) = delete;
    UniqueHandle& operator=(const UniqueHandle&) = delete;
    UniqueHandle(UniqueHandle&& other) noexcept : handle_(other.Release()) {}
    UniqueHandle& operator=(UniqueHandle&& other) noexcept {
        if (this != &other) {
            Reset(other.Release());
        }
        return *this;
    }

    Handle Get() const { return handle_; }
    Handle operator->() const { return handle_; }  // for the pointer kinds (COM interfaces)
    explicit operator bool() const { return handle_ != Handle{}; }

    // Gives up ownership without closing (for a handle the system has already destroyed, or one
    // closed by hand to see its result).
    Handle Release() {
        Handle handle = handle_;
        handle_ = Handle{};
        return handle;
    }

    void Reset(Handle handle = Handle{}) {
        if (handle_ != Handle{} && handle_ != handle) {
            Traits::Close(handle_);
        }
        handle_ = handle;
    }

    // Closes the handle held and lends its place to a call that returns a new one through it.
    Handle* Receive() {
        Reset();
        return &handle_;
    }

private:
    Handle handle_{};
};
