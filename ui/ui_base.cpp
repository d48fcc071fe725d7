// Command table and DPI scale shared by windows and dialogs.
#include "ui/ui_base.h"

#include <utility>

#include "ui/dpi.h"

UIBase::UIBase() : commandHandlers(8) {
    commandHandlers.max_load_factor(1.0f);
}

void UIBase::OnCommand(const ControlHandle& control, CommandCallback callback) {
    if (control.hwnd == nullptr || control.id == 0 || !callback) {
        return;
    }
    Insert(control.id, control.hwnd, std::move(callback));
}

void UIBase::OnCommand(std::uint64_t id, CommandCallback callback) {
    Insert(id, nullptr, std::move(callback));
}

void UIBase::Insert(std::uint64_t key, HWND source, CommandCallback callback) {
    commandHandlers.try_emplace(key, CommandHandler{source, std::move(callback)});
}

void UIBase::DispatchCommand(HWND source, WPARAM wParam) {
    if (wParam == 0) {
        return;
    }
    const auto found = commandHandlers.find(static_cast<std::uint64_t>(wParam));
    if (found == commandHandlers.end()) {
        return;
    }
    if (!found->second.callback || found->second.source != source) {
        return;
    }
    // Run a copy: the callback may end the object that holds the table.
    const CommandCallback callback = found->second.callback;
    callback();
}

void UIBase::UpdateDpiScale(HWND hwnd) {
    dpiScale = DpiScaleOf(hwnd);
}
