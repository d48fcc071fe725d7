// The fault seam of the platform layer (platform_faults.h); only tests link it.
#include "settings/platform_faults.h"

#include <utility>

namespace platform {
namespace {

std::vector<FileOperationRecord> operations;
std::wstring streamFile;
int failingOperation = 0;

}  // namespace

std::vector<FileOperationRecord> FailFileOperation(int n) {
    failingOperation = n;
    return std::exchange(operations, {});
}

bool FileOperationMustFail(FileOperation operation, const wchar_t* path) {
    if (operation == FileOperation::kOpen || operation == FileOperation::kCreate) {
        streamFile = path;
    }
    operations.push_back({operation, path != nullptr ? path : streamFile});
    return static_cast<int>(operations.size()) == failingOperation;
}

}  // namespace platform
