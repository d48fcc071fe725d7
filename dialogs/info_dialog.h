// The option preview: a picture from infos\<name>.png in the working folder or beside the
// program, or the built-in bitmap when neither is a picture.
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
