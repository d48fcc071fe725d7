// The handle owners: one release per handle, moves that transfer it, and each alias releasing
// its own kind of handle; the DC selection and paint guards.
#include "ui/handles.h"

#include <gtest/gtest.h>

#include <type_traits>
#include <utility>

#include "tests/ui/ui_test_support.h"
#include "ui/gdiplus_handles.h"

namespace {

// Counts releases in the int the handle points to.
struct CountingTraits {
    using Handle = int*;
    static void Close(int* handle) { ++*handle; }
};
using CountingHandle = ui::UniqueHandle<CountingTraits>;

static_assert(!std::is_copy_constructible_v<CountingHandle>);
static_assert(!std::is_copy_assignable_v<CountingHandle>);
static_assert(std::is_nothrow_move_constructible_v<CountingHandle>);
static_assert(!std::is_copy_constructible_v<ui::FontHandle>);
static_assert(!std::is_copy_constructible_v<ui::GdiplusBitmap>);

TEST(UniqueHandle, ReleasesOnceWhenItGoesOutOfScope) {
    int releases = 0;
    { CountingHandle handle(&releases); }
    EXPECT_EQ(releases, 1);
}

TEST(UniqueHandle, MoveTransfersOwnership) {
    int releases = 0;
    {
        CountingHandle first(&releases);
        CountingHandle second(std::move(first));
        EXPECT_FALSE(first);
        EXPECT_EQ(second.Get(), &releases);
        CountingHandle third;
        third = std::move(second);
        EXPECT_FALSE(second);
        EXPECT_EQ(releases, 0);
    }
    EXPECT_EQ(releases, 1);
}

TEST(UniqueHandle, MoveAssignmentReleasesTheOldHandle) {
    int oldReleases = 0;
    int newReleases = 0;
    CountingHandle target(&oldReleases);
    target = CountingHandle(&newReleases);
    EXPECT_EQ(oldReleases, 1);
    EXPECT_EQ(newReleases, 0);
}

TEST(UniqueHandle, ReleaseGivesUpAndResetToTheSameHandleKeepsIt) {
    int releases = 0;
    CountingHandle handle(&releases);
    handle.Reset(&releases);
    EXPECT_EQ(releases, 0) << "resetting to the handle it holds releases nothing";
    EXPECT_EQ(handle.Release(), &releases);
    EXPECT_FALSE(handle);
    handle.Reset();
    EXPECT_EQ(releases, 0);
}

TEST(HandleAliases, EachReleasesItsKind) {
    HFONT font = CreateFontW(-12, 0, 0, 0, 400, 0, 0, 0, 0, 0, 0, 0, 0, L"Tahoma");
    HBITMAP bitmap = CreateBitmap(4, 4, 1, 32, nullptr);
    HBRUSH brush = CreateSolidBrush(RGB(1, 2, 3));
    HDC dc = CreateCompatibleDC(nullptr);
    HMENU menu = CreatePopupMenu();
    HICON icon = static_cast<HICON>(
        LoadImageW(uitest::Module(), MAKEINTRESOURCEW(100), IMAGE_ICON, 32, 32, 0));
    HWND window = CreateWindowExW(0, L"Static", L"", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                                  uitest::Module(), nullptr);
    ASSERT_TRUE(font && bitmap && brush && dc && menu && icon && window);
    {
        const ui::FontHandle ownedFont(font);
        const ui::BitmapHandle ownedBitmap(bitmap);
        const ui::BrushHandle ownedBrush(brush);
        const ui::MemoryDcHandle ownedDc(dc);
        const ui::MenuHandle ownedMenu(menu);
        const ui::IconHandle ownedIcon(icon);
        const ui::WindowHandle ownedWindow(window);
        EXPECT_NE(GetObjectType(font), 0u);
        EXPECT_TRUE(IsMenu(menu));
        EXPECT_TRUE(IsWindow(window));
    }
    EXPECT_EQ(GetObjectType(font), 0u);
    EXPECT_EQ(GetObjectType(bitmap), 0u);
    EXPECT_EQ(GetObjectType(brush), 0u);
    EXPECT_EQ(GetObjectType(dc), 0u);
    EXPECT_FALSE(IsMenu(menu));
    EXPECT_FALSE(IsWindow(window));
    ICONINFO info{};
    EXPECT_FALSE(GetIconInfo(icon, &info)) << "the icon was destroyed";
}

TEST(HandleAliases, ImageListMovesWithItsOwner) {
    ui::ImageListHandle first(ImageList_Create(16, 16, ILC_COLOR32, 1, 0));
    ASSERT_TRUE(first);
    const HIMAGELIST list = first.Get();
    ui::ImageListHandle second(std::move(first));
    EXPECT_FALSE(first);
    EXPECT_EQ(second.Get(), list);
    EXPECT_EQ(ImageList_GetImageCount(second.Get()), 0);
}

TEST(HandleAliases, GdiplusObjectsBelongToTheirSession) {
    const ui::GdiplusSession session;
    ASSERT_TRUE(session.Started());
    Gdiplus::GpBitmap* raw = nullptr;
    ASSERT_EQ(Gdiplus::DllExports::GdipCreateBitmapFromScan0(8, 4, 0, PixelFormat32bppARGB, nullptr,
                                                             &raw),
              Gdiplus::Ok);
    const ui::GdiplusBitmap bitmap(raw);
    UINT width = 0;
    EXPECT_EQ(Gdiplus::DllExports::GdipGetImageWidth(bitmap.Get(), &width), Gdiplus::Ok);
    EXPECT_EQ(width, 8u);
}

TEST(SelectGuard, PutsThePreviousObjectBack) {
    const ui::MemoryDcHandle dc(CreateCompatibleDC(nullptr));
    const ui::FontHandle font(CreateFontW(-20, 0, 0, 0, 700, 0, 0, 0, 0, 0, 0, 0, 0, L"Tahoma"));
    const HGDIOBJ original = GetCurrentObject(dc.Get(), OBJ_FONT);
    {
        const ui::SelectGuard selected(dc.Get(), font.Get());
        EXPECT_TRUE(selected.Selected());
        EXPECT_EQ(GetCurrentObject(dc.Get(), OBJ_FONT), font.Get());
    }
    EXPECT_EQ(GetCurrentObject(dc.Get(), OBJ_FONT), original);
}

TEST(PaintGuard, ValidatesWhatItPainted) {
    uitest::TestWindow window;
    window.Show(SW_SHOWNORMAL);  // a hidden window has nothing to paint
    InvalidateRect(window.Handle(), nullptr, FALSE);
    ASSERT_TRUE(GetUpdateRect(window.Handle(), nullptr, FALSE));
    {
        const ui::PaintGuard paint(window.Handle());
        EXPECT_NE(paint.Dc(), nullptr);
    }
    EXPECT_FALSE(GetUpdateRect(window.Handle(), nullptr, FALSE));
}

}  // namespace
