// Helpers for the toolkit tests: the DPI the run expects, message pumping, a window that counts
// its hooks, a hook that makes window creations fail, actions run from inside modal loops, and a
// memory canvas whose pixels can be read.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

#include "ui/ui_core.h"

namespace uitest {

HINSTANCE Module();

// Wine's ntdll exports wine_get_version; Windows' does not.
bool RunningUnderWine();

// The DPI of the Wine prefix the run uses (QUORVANE_TEST_DPI, 96 when unset) and its scale.
unsigned ExpectedDpi();
double ExpectedScale();

// Dispatches every message that is waiting.
void PumpMessages();
// Removes a pending WM_QUIT; true when there was one.
bool DrainQuit();

// A main window (916 x 640 design units, icon 100) that counts OnShown and OnDestroy.
class TestWindow : public UICore {
public:
    TestWindow(int width = 916, int height = 640);
    ~TestWindow() override;

    void OnShown() override { ++shownCount; }
    void OnDestroy() override { ++destroyCount; }

    int shownCount = 0;
    int destroyCount = 0;
};

// While it lives, creating a window of the class fails on this thread.
class CreationBlocker {
public:
    explicit CreationBlocker(const wchar_t* className);
    ~CreationBlocker();
    CreationBlocker(const CreationBlocker&) = delete;
    CreationBlocker& operator=(const CreationBlocker&) = delete;

private:
    HHOOK hook_;
};

// Runs the action once after delayMs from a thread timer, that is from whichever message loop
// runs then: a dialog's, a menu's or a message box's.
void RunLater(UINT delayMs, std::function<void()> action);

// A 32-bit top-down DIB selected into a memory DC, filled with one colour.
class PixelCanvas {
public:
    PixelCanvas(int width, int height, COLORREF fill);
    ~PixelCanvas();
    PixelCanvas(const PixelCanvas&) = delete;
    PixelCanvas& operator=(const PixelCanvas&) = delete;

    HDC Dc() const { return dc_; }
    COLORREF At(int x, int y) const;
    // The smallest rectangle holding every pixel that is no longer the fill colour; empty when
    // nothing was drawn.
    RECT Changed() const;

private:
    int width_;
    int height_;
    COLORREF fill_;
    HDC dc_;
    HBITMAP bitmap_;
    HGDIOBJ previous_;
    const std::uint32_t* bits_;
};

// A child window's rectangle in its parent's client area.
RECT ClientRectOf(HWND control);
LOGFONTW FontOf(HWND control);
// A file of tests/ui/data as the program sees it.
std::wstring DataFile(const char* name);

}  // namespace uitest
