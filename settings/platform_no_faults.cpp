// The program's file-fault hook: no file operation is ever made to fail. Tests link the fault
// seam of platform_faults.cpp in its place.
#include "settings/platform.h"

namespace platform {

bool FileOperationMustFail(FileOperation, const wchar_t*) {
    return false;
}

}  // namespace platform
