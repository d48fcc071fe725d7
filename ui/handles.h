// Owners of Win32 handles: one movable, non-copyable template with one alias per handle kind, and
// scope guards that undo a selection into a DC or a BeginPaint. Every window, font, icon, bitmap,
// menu, image list, accelerator table and DC the toolkit makes is held by one of these.
#pragma once

#include <windows.h>

#include <commctrl.h>

namespace ui {

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
    explicit operator bool() const { return handle_ != Handle{}; }

    // Gives up ownership without releasing (for a handle the system has already destroyed).
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

private:
    Handle handle_{};
};

struct WindowTraits {
    using Handle = HWND;
    static void Close(HWND handle) { DestroyWindow(handle); }
};

template <typename GdiHandle>
struct GdiObjectTraits {
    using Handle = GdiHandle;
    static void Close(GdiHandle handle) { DeleteObject(handle); }
};

struct IconTraits {
    using Handle = HICON;
    static void Close(HICON handle) { DestroyIcon(handle); }
};

struct MenuTraits {
    using Handle = HMENU;
    static void Close(HMENU handle) { DestroyMenu(handle); }
};

struct ImageListTraits {
    using Handle = HIMAGELIST;
    static void Close(HIMAGELIST handle) { ImageList_Destroy(handle); }
};

struct AcceleratorTraits {
    using Handle = HACCEL;
    static void Close(HACCEL handle) { DestroyAcceleratorTable(handle); }
};

struct MemoryDcTraits {
    using Handle = HDC;
    static void Close(HDC handle) { DeleteDC(handle); }
};

using WindowHandle = UniqueHandle<WindowTraits>;
using FontHandle = UniqueHandle<GdiObjectTraits<HFONT>>;
using BitmapHandle = UniqueHandle<GdiObjectTraits<HBITMAP>>;
using BrushHandle = UniqueHandle<GdiObjectTraits<HBRUSH>>;
using IconHandle = UniqueHandle<IconTraits>;
using MenuHandle = UniqueHandle<MenuTraits>;
using ImageListHandle = UniqueHandle<ImageListTraits>;
using MemoryDcHandle = UniqueHandle<MemoryDcTraits>;
using AcceleratorHandle = UniqueHandle<AcceleratorTraits>;

// Selects an object into a DC and puts the previous one back when it goes out of scope.
class SelectGuard {
public:
    SelectGuard(HDC dc, HGDIOBJ object) : dc_(dc), previous_(SelectObject(dc, object)) {}
    ~SelectGuard() {
        if (previous_ != nullptr && previous_ != HGDI_ERROR) {
            SelectObject(dc_, previous_);
        }
    }
    SelectGuard(const SelectGuard&) = delete;
    SelectGuard& operator=(const SelectGuard&) = delete;

    bool Selected() const { return previous_ != nullptr && previous_ != HGDI_ERROR; }

private:
    HDC dc_;            // not owned
    HGDIOBJ previous_;  // not owned: the DC's own object
};

// BeginPaint on construction, EndPaint on destruction.
class PaintGuard {
public:
    explicit PaintGuard(HWND window) : window_(window), paint_{} { BeginPaint(window_, &paint_); }
    ~PaintGuard() { EndPaint(window_, &paint_); }
    PaintGuard(const PaintGuard&) = delete;
    PaintGuard& operator=(const PaintGuard&) = delete;

    HDC Dc() const { return paint_.hdc; }

private:
    HWND window_;  // not owned
    PAINTSTRUCT paint_;
};

}  // namespace ui
