// Detecting a running Firefox through its profile lock file.
#include "app/profile_in_use.h"

#include <windows.h>

#include "ui/handles.h"

bool IsProfileInUse(const ProfileFolder& profile) {
    wchar_t path[kPathCapacity];
    if (profile.FilePath(path, kPathCapacity, kProfileLockFileName) == nullptr) {
        return false;
    }
    const HANDLE file = CreateFileW(path, GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                                    FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        const DWORD error = GetLastError();
        return error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION;
    }
    ui::KernelHandle owner(file);
    return false;
}
