// The fault seam of the platform layer, linked into tests in place of platform_no_faults.cpp: it
// sees every file operation and makes a chosen one fail.
#pragma once

#include <string>
#include <vector>

#include "settings/platform.h"

namespace platform {

// One file operation as the seam saw it. A write or a flush names the file last opened or
// created, which is the one its stream writes to.
struct FileOperationRecord {
    FileOperation operation;
    std::wstring path;
};

// The n-th file operation from now on (counted from 1) fails; 0 fails none. Returns the file
// operations since the previous call, in order.
std::vector<FileOperationRecord> FailFileOperation(int n);

}  // namespace platform
