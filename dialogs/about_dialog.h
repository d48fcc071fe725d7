// The About dialog: product, version, author, web site and support address.
#pragma once

#include "ui/dialog.h"

class dlgAbout : public UIDialog {
public:
    explicit dlgAbout(std::uint32_t templateResourceId);
    ~dlgAbout() override;

    void OnInitDialog() override;
};
