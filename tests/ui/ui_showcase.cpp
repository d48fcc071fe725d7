// Test build of the toolkit: shows the empty main window of class "KESTROVAN_ZEL" at its scaled
// size, or that window with one of the four dialog templates over it.
//
//   ui_showcase [window|about|settings|license|preview] [--report FILE] [--close-after MS]
//   ui_showcase --self-test
//
// --report writes the window's (and the dialog's) outer rectangle as "left top right bottom"
// lines once everything is shown and painted; --close-after then ends the program after MS
// milliseconds. --self-test runs every dialog template once, closes each by itself and exits 0
// when all of them ran.
#include <windows.h>

#include <shellapi.h>

#include <cstdio>
#include <cstdlib>
#include <cwchar>
#include <string>

#include "res/resource_ids.h"
#include "ui/dialog.h"
#include "ui/ui_core.h"

namespace {

constexpr UINT kReportDelayMs = 1500;
constexpr UINT kSelfTestCloseMs = 300;

struct Options {
    std::wstring view = L"window";
    std::wstring reportFile;
    UINT closeAfterMs = 0;
    bool selfTest = false;
};

// The example address shown in the License-model notice's donation link.
constexpr wchar_t kDonationText[] =
    L"If you like this software, please consider <A HREF=\"https://kestrovan.example/donate\">"
    L"DONATING</A>";

// A dialog template with the set-up its dialog will get: fonts, texts and its picture.
class ShowcaseDialog : public UIDialog {
public:
    explicit ShowcaseDialog(std::uint32_t dialogTemplate) : UIDialog(dialogTemplate) {
        if (dialogTemplate == IDD_ABOUT) {
            SetPaintIcon(IDI_ABOUT, 48, 48);
        } else if (dialogTemplate == IDD_PREVIEW) {
            SetPaintBitmap(IDB_NO_PREVIEW);
        }
    }

    void OnInitDialog() override {
        UIDialogControls* items = Controls();
        if (items == nullptr) {
            return;
        }
        const UIFontSpec large(-22, false, L"Segoe UI");
        const UIFontSpec medium(-14, false, L"Segoe UI");
        const UIFontSpec bold(-12, true, L"Segoe UI");
        const UIFontSpec mediumBold(-14, true, L"Segoe UI");
        if (UIStatic* product = items->FindStatic(IDC_ABOUT_PRODUCT)) {
            product->SetFont(large);
        }
        if (UIStatic* version = items->FindStatic(IDC_ABOUT_VERSION)) {
            version->SetFont(medium);
        }
        for (int label : {IDC_ABOUT_AUTHOR_LABEL, IDC_ABOUT_WEB_LABEL, IDC_ABOUT_EMAIL_LABEL}) {
            if (UIStatic* item = items->FindStatic(label)) {
                item->SetFont(bold);
            }
        }
        if (UIFontControl* email = items->FindEdit(IDC_ABOUT_EMAIL)) {
            email->SetText(L"support@kestrovan.example");
        }
        if (UIStatic* terms = items->FindStatic(IDC_LICENSE_TERMS)) {
            terms->SetText(L"Quorvane is free for personal and non-commercial use.");
            terms->SetFont(medium);
        }
        if (UIFontControl* donate = items->FindLink(IDC_LICENSE_DONATE_LINK)) {
            donate->SetText(kDonationText);
            donate->SetFont(mediumBold);
        }
        if (UIStatic* text = items->FindStatic(IDC_LICENSE_TEXT)) {
            text->SetText(L"Using it in a company requires a license.");
            text->SetFont(medium);
        }
        if (UIStatic* more = items->FindStatic(IDC_LICENSE_MORE_LABEL)) {
            more->SetFont(medium);
        }
        if (UIFontControl* more = items->FindLink(IDC_LICENSE_MORE_LINK)) {
            more->SetFont(medium);
        }
    }
};

struct View {
    const wchar_t* name;
    std::uint32_t templateId;  // 0: the empty window alone
};

constexpr View kViews[] = {
    {L"window", 0},
    {L"about", IDD_ABOUT},
    {L"settings", IDD_SETTINGS},
    {L"license", IDD_LICENSE},
    {L"preview", IDD_PREVIEW},
};

std::uint32_t TemplateOf(const std::wstring& view, bool& known) {
    for (const View& entry : kViews) {
        if (view == entry.name) {
            known = true;
            return entry.templateId;
        }
    }
    known = false;
    return 0;
}

Options* currentOptions = nullptr;
HWND currentDialog = nullptr;

void WriteRectangle(std::FILE* file, HWND window) {
    RECT rect{};
    if (window != nullptr && GetWindowRect(window, &rect)) {
        std::fprintf(file, "%ld %ld %ld %ld\n", rect.left, rect.top, rect.right, rect.bottom);
    }
}

// Thread timers (no window) get ids of the system's choosing, so each purpose has its own
// procedure.
void CALLBACK OnCloseTimer(HWND, UINT, UINT_PTR timer, DWORD) {
    KillTimer(nullptr, timer);
    if (currentDialog != nullptr) {
        SendMessageW(currentDialog, WM_CLOSE, 0, 0);
    } else if (MainWindowHandle != nullptr) {
        SendMessageW(MainWindowHandle, WM_CLOSE, 0, 0);
    }
}

void CALLBACK OnReportTimer(HWND, UINT, UINT_PTR timer, DWORD) {
    KillTimer(nullptr, timer);
    if (currentOptions == nullptr || currentOptions->reportFile.empty()) {
        return;
    }
    std::FILE* file = _wfopen(currentOptions->reportFile.c_str(), L"w");
    if (file != nullptr) {
        WriteRectangle(file, MainWindowHandle);
        WriteRectangle(file, currentDialog);
        std::fclose(file);
    }
    if (currentOptions->closeAfterMs != 0) {
        SetTimer(nullptr, 0, currentOptions->closeAfterMs, OnCloseTimer);
    }
}

// Remembers the running dialog so the timers can report and close it; in the self-test it also
// closes itself shortly after it appeared.
class TrackedDialog : public ShowcaseDialog {
public:
    TrackedDialog(std::uint32_t dialogTemplate, bool closeSoon)
        : ShowcaseDialog(dialogTemplate), closeSoon_(closeSoon) {}

    void OnInitDialog() override {
        currentDialog = Handle();
        ShowcaseDialog::OnInitDialog();
        if (closeSoon_) {
            SetTimer(nullptr, 0, kSelfTestCloseMs, OnCloseTimer);
        }
    }

private:
    bool closeSoon_;
};

// Opens the chosen dialog once, after the window is on screen.
class ShowcaseWindow : public UICore {
public:
    ShowcaseWindow(HINSTANCE moduleInstance, std::uint32_t dialogTemplate)
        : UICore(moduleInstance, L"Quorvane", 916, 640, IDI_APPLICATION_MARK, IDI_APPLICATION_MARK),
          templateId_(dialogTemplate) {}

    void OnShown() override {
        if (shown_) {
            return;
        }
        shown_ = true;
        SetTimer(nullptr, 0, kReportDelayMs, OnReportTimer);
        if (templateId_ == 0) {
            return;
        }
        TrackedDialog dialog(templateId_, false);
        dialog.RunDialog();
        currentDialog = nullptr;
        Close();
    }

private:
    std::uint32_t templateId_;
    bool shown_ = false;
};

// Runs every template over the window; each closes itself from a timer.
int SelfTest(HINSTANCE instance) {
    UICore window(instance, L"Quorvane", 916, 640, IDI_APPLICATION_MARK, IDI_APPLICATION_MARK);
    if (window.Handle() == nullptr) {
        return 1;
    }
    int failures = 0;
    for (const View& view : kViews) {
        if (view.templateId == 0) {
            continue;
        }
        TrackedDialog dialog(view.templateId, true);
        const INT_PTR result = dialog.RunDialog();
        currentDialog = nullptr;
        std::printf("%ls: %s\n", view.name, result == IDCANCEL ? "ran" : "did not run");
        failures += result == IDCANCEL ? 0 : 1;
    }
    window.Close();
    return failures == 0 ? 0 : 1;
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    Options options;
    int count = 0;
    LPWSTR* arguments = CommandLineToArgvW(GetCommandLineW(), &count);
    for (int i = 1; arguments != nullptr && i < count; ++i) {
        const std::wstring argument = arguments[i];
        if (argument == L"--report" && i + 1 < count) {
            options.reportFile = arguments[++i];
        } else if (argument == L"--close-after" && i + 1 < count) {
            options.closeAfterMs = static_cast<UINT>(std::wcstoul(arguments[++i], nullptr, 10));
        } else if (argument == L"--self-test") {
            options.selfTest = true;
        } else {
            options.view = argument;
        }
    }
    LocalFree(arguments);
    if (options.selfTest) {
        return SelfTest(instance);
    }
    bool known = false;
    const std::uint32_t templateId = TemplateOf(options.view, known);
    if (!known) {
        MessageBoxW(nullptr, L"usage: ui_showcase [window|about|settings|license|preview]",
                    L"Quorvane", MB_OK);
        return 2;
    }
    currentOptions = &options;
    ShowcaseWindow window(instance, templateId);
    window.Show(SW_SHOWNORMAL);
    return window.RunMessageLoop();
}
