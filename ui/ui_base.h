// The part shared by the main window and the dialogs: the command table that maps command ids to
// callbacks, and the DPI scale of the window.
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <unordered_map>

#include "ui/control_handle.h"

using CommandCallback = std::function<void()>;

struct CommandHandler {
    HWND source = nullptr;  // not owned: the control that must have sent the command; null for
                            // dialog commands
    CommandCallback callback;
};

class UIBase {
public:
    UIBase();

    // Window form: ignored for a null window, an id of 0 or an empty callback. The first entry
    // for a command id stays; a later one is dropped.
    void OnCommand(const ControlHandle& control, CommandCallback callback);
    // Dialog form: the entry has no source, so only commands dispatched without a source (from a
    // dialog) reach it. The first entry for an id stays.
    void OnCommand(std::uint64_t id, CommandCallback callback);

    // Runs the callback registered under the full wParam (id in the low word, notification code
    // in the high word) when its source matches. wParam 0 is a dismissed popup menu: nothing.
    void DispatchCommand(HWND source, WPARAM wParam);

    // dpiScale = DPI of the window / 96.
    void UpdateDpiScale(HWND hwnd);
    double DpiScale() const { return dpiScale; }

private:
    void Insert(std::uint64_t key, HWND source, CommandCallback callback);

    std::unordered_map<std::uint64_t, CommandHandler> commandHandlers;
    double dpiScale = 1.0;
};
