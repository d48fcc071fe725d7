// Filter texts of the file dialogs, turned into file types.
#include "prefs/file_dialogs.h"

namespace {

constexpr wchar_t kAllFiles[] = L"*.*";

FileTypeFilter MakeFileType(std::wstring_view entry) {
    FileTypeFilter type{std::wstring(entry), kAllFiles};
    const std::size_t marker = entry.find_last_of(L"(*.");
    if (marker != std::wstring_view::npos && marker >= 1 && entry.size() >= 2) {
        const std::size_t start = marker - 1;
        const std::size_t end = entry.size() - 1;
        if (start < end) {
            type.pattern = std::wstring(entry.substr(start, end - start));
        }
    }
    return type;
}

}  // namespace

std::vector<FileTypeFilter> SplitFileFilter(std::wstring_view filter) {
    std::vector<FileTypeFilter> types;
    while (!filter.empty()) {
        const std::size_t bar = filter.find(L'|');
        const std::wstring_view entry = filter.substr(0, bar);
        if (!entry.empty()) {
            types.push_back(MakeFileType(entry));
        }
        filter.remove_prefix(bar == std::wstring_view::npos ? filter.size() : bar + 1);
    }
    return types;
}
