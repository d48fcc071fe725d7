// The option preview: a picture from infos\<name>.png beside the program, or the built-in
// bitmap when that file cannot be opened.
#pragma once

#include <string>

#include "ui/dialog.h"

class dlgInfo : public UIDialog {
public:
    dlgInfo(std::uint32_t templateResourceId, const std::string& imageName,
            std::wstring titleSuffix);
    ~dlgInfo() override;

    void OnInitDialog() override;

private:
    std::wstring titleSuffix;
};
