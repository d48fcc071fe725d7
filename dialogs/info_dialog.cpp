// The option preview: chooses its picture and sets its title.
#include "dialogs/info_dialog.h"

#include <utility>

#include "res/resource_ids.h"
#include "settings/text_util.h"

namespace {

// The folder of the running program with a trailing backslash, or "" when it cannot be told.
std::wstring ProgramFolder() {
    std::wstring path(32768, L'\0');
    path.resize(GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size())));
    return path.substr(0, path.find_last_of(L"\\/") + 1);
}

}  // namespace

dlgInfo::dlgInfo(std::uint32_t templateResourceId, const std::string& imageName,
                 std::wstring suffix)
    : UIDialog(templateResourceId), titleSuffix(std::move(suffix)) {
    const std::wstring picture = L"infos\\" + Utf8ToUtf16(imageName.c_str()) + L".png";
    // The working folder first; then beside the program, so that a start from a shortcut or a
    // command prompt elsewhere still finds the pictures. A file that is no picture counts as
    // missing.
    for (const std::wstring& path : {picture, ProgramFolder() + picture}) {
        if (CanPaintImageFile(path)) {
            SetPaintImageFile(path);
            return;
        }
    }
    SetPaintBitmap(IDB_NO_PREVIEW);
}

dlgInfo::~dlgInfo() = default;

void dlgInfo::OnInitDialog() {
    SetWindowTextW(Handle(), (L"Info" + titleSuffix).c_str());
}
