// The GDI+ flat API and owners for its objects. GDI+ is used only by dialog painting, so its
// headers stay out of the toolkit's other files.
#pragma once

#include <algorithm>

#include <windows.h>

#include <objidl.h>

// The GDI+ headers use unqualified min and max, which NOMINMAX removes.
namespace Gdiplus {
using std::max;
using std::min;
}  // namespace Gdiplus
#include <gdiplus.h>

#include "ui/handles.h"

namespace ui {

struct GdiplusBitmapTraits {
    using Handle = Gdiplus::GpBitmap*;
    static void Close(Handle handle) { Gdiplus::DllExports::GdipDisposeImage(handle); }
};

struct GdiplusGraphicsTraits {
    using Handle = Gdiplus::GpGraphics*;
    static void Close(Handle handle) { Gdiplus::DllExports::GdipDeleteGraphics(handle); }
};

struct GdiplusCachedBitmapTraits {
    using Handle = Gdiplus::GpCachedBitmap*;
    static void Close(Handle handle) { Gdiplus::DllExports::GdipDeleteCachedBitmap(handle); }
};

using GdiplusBitmap = UniqueHandle<GdiplusBitmapTraits>;
using GdiplusGraphics = UniqueHandle<GdiplusGraphicsTraits>;
using GdiplusCachedBitmap = UniqueHandle<GdiplusCachedBitmapTraits>;

// GdiplusStartup on construction, GdiplusShutdown on destruction when the start-up succeeded.
class GdiplusSession {
public:
    GdiplusSession() {
        Gdiplus::GdiplusStartupInput input;  // version 1, no callback, background thread
        started_ = Gdiplus::GdiplusStartup(&token_, &input, nullptr) == Gdiplus::Ok;
    }
    ~GdiplusSession() {
        if (started_) {
            Gdiplus::GdiplusShutdown(token_);
        }
    }
    GdiplusSession(const GdiplusSession&) = delete;
    GdiplusSession& operator=(const GdiplusSession&) = delete;

    bool Started() const { return started_; }

private:
    ULONG_PTR token_ = 0;
    bool started_ = false;
};

}  // namespace ui
