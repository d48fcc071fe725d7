// The Settings dialog: the daily update check and the start-up notice, on or off.
#pragma once

#include "ui/dialog.h"

class dlgSettings : public UIDialog {
public:
    explicit dlgSettings(std::uint32_t templateResourceId);
    ~dlgSettings() override;

    void OnInitDialog() override;

private:
    void SaveAndClose();
};
