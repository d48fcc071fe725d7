// What a control creation returns, and the kind codes of controls and their accessors.
#pragma once

#include <windows.h>

#include <cstdint>

// The created control's window and command id; {null, 0} when the creation failed.
struct ControlHandle {
    HWND hwnd = nullptr;  // not owned: controls are destroyed with their parent
    std::uint64_t id = 0;
};

enum class ControlKind : std::int32_t {
    ToolbarButton = 0,
    PushButton = 1,
    CheckBox = 2,
    EditBox = 3,
    StaticControl = 8,
    RichEdit = 9,       // dialog templates only
    DialogButton = 10,  // dialog templates only
    Link = 11,          // dialog templates only
};
