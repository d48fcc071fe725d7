// The License-model notice: terms of use, a donation link, the licensing page and "Do not show
// again". Showing it records the version it was shown for.
#pragma once

#include "ui/dialog.h"

class dlgLicense : public UIDialog {
public:
    explicit dlgLicense(std::uint32_t templateResourceId);
    ~dlgLicense() override;

    void OnInitDialog() override;

private:
    void ConfirmAndClose();
};
