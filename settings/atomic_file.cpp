// Atomic replacement of a file: temporary file in the same folder, flush, rename over.
#include "settings/atomic_file.h"

#include "settings/platform.h"
#include "settings/text_util.h"

#include <utility>

namespace {

constexpr std::size_t kPathCapacity = 260;
constexpr wchar_t kTemporarySuffix[] = L".tmp";

bool WriteFlushAndClose(platform::UniqueFile stream, const char* data, std::size_t size) {
    if (size > 0 && std::fwrite(data, 1, size, stream.get()) != size) {
        return false;
    }
    if (!platform::FlushToDisk(stream.get())) {
        return false;
    }
    return std::fclose(stream.release()) == 0;
}

}  // namespace

bool WriteFileAtomically(const wchar_t* path, const char* data, std::size_t size) {
    wchar_t temporary[kPathCapacity];
    if (BoundedCopyWide(temporary, path, kPathCapacity) >= kPathCapacity ||
        BoundedAppendWide(temporary, kTemporarySuffix, kPathCapacity) >= kPathCapacity) {
        return false;
    }
    platform::UniqueFile stream(platform::OpenFile(temporary, L"wb"));
    if (!stream) {
        return false;  // nothing was created, so there is nothing to clean up
    }
    const bool replaced =
        WriteFlushAndClose(std::move(stream), data, size) && platform::RenameOver(temporary, path);
    if (!replaced) {
        platform::RemoveFile(temporary);
    }
    return replaced;
}
