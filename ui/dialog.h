// The base of the program's modal dialogs. Each dialog's layout is a dialog template in the
// resources; UIDialog runs it over the main window, gives it the main window's icon, its DPI
// scale, accessors for its items, centring and one painted picture, dispatches button clicks to
// callbacks, ends on OK and Cancel, and opens the web links of its SysLink controls.
//
// Use: construct a derived dialog as a local object and call RunDialog, which returns when the
// dialog has ended; the object goes when it leaves scope.
#pragma once

#include <windows.h>

#include <cstdint>
#include <memory>
#include <string>

#include "ui/dialog_controls.h"
#include "ui/handles.h"
#include "ui/ui_base.h"

class UIDialog : private UIBase {
public:
    explicit UIDialog(std::uint32_t templateResourceId);
    virtual ~UIDialog();
    UIDialog(const UIDialog&) = delete;
    UIDialog& operator=(const UIDialog&) = delete;

    // Runs after the dialog's icon, scale, controls and first centring are in place; derived
    // dialogs set up their items here.
    virtual void OnInitDialog();

    // Runs the template modally, owned by the main window. Returns the end code: 1 for OK or a
    // click with SetCloseOnClick, 2 for Cancel, Escape and the close box, -1 when the dialog
    // could not be created.
    INT_PTR RunDialog();

    // A left click in the client area ends the dialog with 1.
    void SetCloseOnClick();

    // The one picture the dialog paints (set before RunDialog): an image file drawn with GDI+ at
    // its own size, which also sizes the dialog's client area to it; a bitmap resource copied to
    // the client area; or an icon resource drawn at (20, 20) in width x height design units.
    void SetPaintImageFile(const std::wstring& path);
    // Whether the file is a picture GDI+ can read, so that SetPaintImageFile would show it.
    static bool CanPaintImageFile(const std::wstring& path);
    void SetPaintBitmap(std::uint32_t resourceId);
    void SetPaintIcon(std::uint32_t resourceId, std::uint32_t width, std::uint32_t height);

    // Draws the picture into hdc; the dialog procedure calls it on every WM_PAINT.
    void PaintDialog(HDC hdc);
    // Places the dialog centred over its owner with the given outer size (0 x 0: its current
    // size). Only the first two calls place it; later ones return false and do nothing.
    bool CenterOnParent(HWND dialog, int width, int height);

    HWND Handle() const { return hwnd; }
    HINSTANCE Instance() const { return instance; }
    // The dialog's item accessors; null until the dialog is initialised.
    UIDialogControls* Controls() const { return controls.get(); }

    // The callback runs when the item with that id reports a click (notification code 0).
    using UIBase::DpiScale;
    using UIBase::OnCommand;

private:
    static INT_PTR CALLBACK DialogProcedure(HWND dialog, UINT message, WPARAM wParam,
                                            LPARAM lParam);
    INT_PTR HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
    void OnInit(HWND dialog);
    void MeasureDesign();
    void OnDpiChanged(WPARAM wParam, const RECT& suggested);
    void OnCommandMessage(WPARAM wParam);
    void PaintImageFile(HDC hdc);
    void PaintBitmap(HDC hdc);
    void PaintIcon(HDC hdc);

    // The one picture the dialog paints, if any.
    enum class PaintMode { Nothing, ImageFile, BitmapResource, IconResource };

    std::unique_ptr<UIDialogControls> controls;
    HINSTANCE instance;
    HWND hwnd;  // not owned: the system destroys the dialog when it ends
    std::uint32_t templateId;
    bool closeOnClick;
    PaintMode paintMode;
    std::wstring paintImagePath;
    std::uint32_t paintResourceId;
    std::uint32_t paintIconWidth;
    std::uint32_t paintIconHeight;
    std::uint32_t centerCount;
    ui::IconHandle icon;  // shown by the dialog, so kept until the object goes after it ended
    // For laying the dialog out again at another DPI: the base units its items are placed with
    // now, and the template's font.
    SIZE baseUnits{};
    LOGFONTW designFont{};
    int designFontPoints = 0;
    ui::FontHandle scaledFont;  // the items' font after a change of DPI; the dialog's own before
};
