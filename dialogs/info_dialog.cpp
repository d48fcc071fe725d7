// The option preview: chooses its picture and sets its title.
#include "dialogs/info_dialog.h"

#include <utility>

#include "res/resource_ids.h"
#include "settings/platform.h"
#include "settings/text_util.h"

dlgInfo::dlgInfo(std::uint32_t templateResourceId, const std::string& imageName,
                 std::wstring suffix)
    : UIDialog(templateResourceId), titleSuffix(std::move(suffix)) {
    const std::wstring path = L"infos\\" + Utf8ToUtf16(imageName.c_str()) + L".png";
    if (platform::UniqueFile(platform::OpenFile(path.c_str(), L"rb"))) {
        SetPaintImageFile(path);
    } else {
        SetPaintBitmap(IDB_NO_PREVIEW);
    }
}

dlgInfo::~dlgInfo() = default;

void dlgInfo::OnInitDialog() {
    SetWindowTextW(Handle(), (L"Info" + titleSuffix).c_str());
}
