// The fault-injection seam of the platform layer, shared by both implementations.
#include "settings/platform.h"

namespace platform {
namespace {

int operationCount = 0;
int failingOperation = 0;

}  // namespace

int FailFileOperation(int n) {
    const int counted = operationCount;
    operationCount = 0;
    failingOperation = n;
    return counted;
}

bool FileOperationMustFail() {
    return ++operationCount == failingOperation;
}

}  // namespace platform
