// Dialog pictures: an image file through GDI+, a bitmap resource through BitBlt, an icon resource
// through DrawIconEx; and placing a dialog over its owner. Nothing of a paint outlives it.
#include "ui/dialog.h"
#include "ui/dpi.h"
#include "ui/gdiplus_handles.h"

namespace {

constexpr int kIconPosition = 20;  // pixels from the client area's top left corner
constexpr std::uint32_t kCenterLimit = 2;

}  // namespace

void UIDialog::PaintDialog(HDC hdc) {
    switch (paintMode) {
        case PaintMode::ImageFile:
            PaintImageFile(hdc);
            break;
        case PaintMode::BitmapResource:
            PaintBitmap(hdc);
            break;
        case PaintMode::IconResource:
            PaintIcon(hdc);
            break;
        case PaintMode::Nothing:
            break;
    }
}

void UIDialog::PaintImageFile(HDC hdc) {
    using namespace Gdiplus::DllExports;
    UINT width = 0;
    UINT height = 0;
    {
        const ui::GdiplusSession session;
        if (!session.Started()) {
            return;
        }
        // A failing step leaves its object empty; the steps after it then draw nothing, and the
        // dialog is still sized to what was measured (its bare frame for an unreadable file,
        // which is why the preview hands over only files it could read).
        Gdiplus::GpBitmap* rawBitmap = nullptr;
        GdipCreateBitmapFromFile(paintImagePath.c_str(), &rawBitmap);
        const ui::GdiplusBitmap bitmap(rawBitmap);
        if (bitmap && GdipGetImageWidth(bitmap.Get(), &width) != Gdiplus::Ok) {
            width = 0;
        }
        if (bitmap && GdipGetImageHeight(bitmap.Get(), &height) != Gdiplus::Ok) {
            height = 0;
        }
        Gdiplus::GpGraphics* rawGraphics = nullptr;
        GdipCreateFromHDC(hdc, &rawGraphics);
        const ui::GdiplusGraphics graphics(rawGraphics);
        if (graphics) {
            GdipSetCompositingMode(graphics.Get(), Gdiplus::CompositingModeSourceCopy);
            GdipSetCompositingQuality(graphics.Get(), Gdiplus::CompositingQualityHighSpeed);
            GdipSetPixelOffsetMode(graphics.Get(), Gdiplus::PixelOffsetModeNone);
            GdipSetSmoothingMode(graphics.Get(), Gdiplus::SmoothingModeNone);
            GdipSetInterpolationMode(graphics.Get(), Gdiplus::InterpolationModeDefault);
        }
        Gdiplus::GpCachedBitmap* rawCached = nullptr;
        if (bitmap && graphics) {
            GdipCreateCachedBitmap(bitmap.Get(), graphics.Get(), &rawCached);
        }
        const ui::GdiplusCachedBitmap cached(rawCached);
        if (cached) {
            GdipDrawCachedBitmap(graphics.Get(), cached.Get(), 0, 0);
        }
    }  // cached bitmap, graphics and bitmap are released, then GDI+ shuts down
    const SIZE outer = WindowSizeForClient(hwnd, static_cast<int>(width), static_cast<int>(height));
    if (CenterOnParent(hwnd, outer.cx, outer.cy)) {
        UpdateWindow(hwnd);
    }
}

bool UIDialog::CanPaintImageFile(const std::wstring& path) {
    using namespace Gdiplus::DllExports;
    const ui::GdiplusSession session;
    Gdiplus::GpBitmap* rawBitmap = nullptr;
    if (!session.Started() || GdipCreateBitmapFromFile(path.c_str(), &rawBitmap) != Gdiplus::Ok) {
        return false;
    }
    const ui::GdiplusBitmap bitmap(rawBitmap);
    UINT width = 0;
    UINT height = 0;
    return GdipGetImageWidth(bitmap.Get(), &width) == Gdiplus::Ok &&
           GdipGetImageHeight(bitmap.Get(), &height) == Gdiplus::Ok && width > 0 && height > 0;
}

void UIDialog::PaintBitmap(HDC hdc) {
    RECT client{};
    GetClientRect(hwnd, &client);
    const ui::MemoryDcHandle memory(CreateCompatibleDC(hdc));
    const ui::BitmapHandle bitmap(static_cast<HBITMAP>(
        LoadImageW(instance, MAKEINTRESOURCEW(paintResourceId), IMAGE_BITMAP, 0, 0, 0)));
    if (!memory || !bitmap) {
        return;
    }
    const ui::SelectGuard selected(memory.Get(), bitmap.Get());
    BitBlt(hdc, 0, 0, client.right, client.bottom, memory.Get(), 0, 0, SRCCOPY);
}

void UIDialog::PaintIcon(HDC hdc) {
    const int width = ScaleValue(static_cast<int>(paintIconWidth), DpiScale());
    const int height = ScaleValue(static_cast<int>(paintIconHeight), DpiScale());
    // Loaded at the size it is drawn in, so each DPI gets the picture drawn for it.
    const ui::IconHandle picture(
        static_cast<HICON>(LoadImageW(instance, MAKEINTRESOURCEW(paintResourceId), IMAGE_ICON,
                                      width, height, LR_LOADTRANSPARENT)));
    if (!picture) {
        return;
    }
    DrawIconEx(hdc, kIconPosition, kIconPosition, picture.Get(), width, height, 0, nullptr,
               DI_NORMAL);
}

bool UIDialog::CenterOnParent(HWND dialog, int width, int height) {
    if (++centerCount > kCenterLimit) {
        return false;
    }
    RECT owner{};
    if (!GetWindowRect(GetParent(dialog), &owner)) {
        // A dialog without an owner is centred on the work area instead.
        SystemParametersInfoW(SPI_GETWORKAREA, 0, &owner, 0);
    }
    if (width == 0 && height == 0) {
        RECT current{};
        GetWindowRect(dialog, &current);
        width = current.right - current.left;
        height = current.bottom - current.top;
    }
    const int ownerWidth = owner.right - owner.left;
    const int ownerHeight = owner.bottom - owner.top;
    SetWindowPos(dialog, HWND_NOTOPMOST, owner.left + (ownerWidth - width) / 2,
                 owner.top + (ownerHeight - height) / 2, width, height,
                 SWP_NOZORDER | SWP_SHOWWINDOW);
    return true;
}
