// Owners of Win32 handles: one alias of the program's one owner template per handle kind, and
// scope guards that undo a selection into a DC or a BeginPaint. Every window, font, icon, bitmap,
// menu, image list, accelerator table, DC, kernel file and COM interface the program makes is
// held by one of these (GDI+ objects: ui/gdiplus_handles.h).
#pragma once

#include <windows.h>

#include <commctrl.h>

#include "settings/unique_handle.h"

namespace ui {

// The owner template is the portable core's (settings/unique_handle.h); these are its Win32, GDI
// and COM kinds.
using ::UniqueHandle;

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

struct KernelTraits {
    using Handle = HANDLE;
    static void Close(HANDLE handle) { CloseHandle(handle); }
};

template <typename Interface>
struct ComTraits {
    using Handle = Interface*;
    static void Close(Interface* pointer) { pointer->Release(); }
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
// A kernel object: a file from CreateFileW once it succeeded, a process.
using KernelHandle = UniqueHandle<KernelTraits>;
template <typename Interface>
using ComPointer = UniqueHandle<ComTraits<Interface>>;

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
