// A guided tour of the real program for the documentation's screenshots: starts Quorvane.exe on
// a prepared profile, brings up each section and dialog in turn and, for each view, writes the
// screen rectangles to photograph into WORK\<view>.txt, then waits for WORK\<view>.done.
//   docs_tour.exe PROGRAM WORK
#include <windows.h>

#include <cstdio>
#include <fstream>
#include <string>

#include "settings/settings_store.h"
#include "settings/text_util.h"
#include "tests/app/program_driver.h"
#include "tests/test_support.h"

namespace {

namespace fs = std::filesystem;

constexpr int kPrivacyButton = 201;
constexpr int kRestoreButton = 202;
constexpr int kAboutButton = 203;
constexpr int kGeolocationOption = 218;
constexpr int kWebRtcInfo = 215;
constexpr int kSettingsIcon = 225;
constexpr int kSettingsItem = 1;
constexpr int kNoticeOk = 3007;

class Tour {
public:
    Tour(const std::wstring& program, fs::path work) : program_(program), work_(std::move(work)) {}

    bool Run() {
        PrepareProfile();
        if (!program_.Start()) {
            return Fail("the program did not start");
        }
        const HWND notice = program_.WaitForDialog(L"License model");
        if (notice == nullptr || program_.WaitForMainWindow() == nullptr) {
            return Fail("no notice or no main window");
        }
        Photograph("license", notice);
        ProgramDriver::Press(notice, kNoticeOk);
        program_.WaitUntilClosed(notice);

        Photograph("section-options");
        program_.ClickToolbarButton(kPrivacyButton);
        WaitUntil([&] { return program_.IsVisible(kGeolocationOption); });
        Photograph("section-privacy");
        program_.Click(kWebRtcInfo);
        if (!ShowDialog(L"Info - Disable WebRTC", "preview", IDOK)) {
            return false;
        }
        program_.ClickToolbarButton(kRestoreButton);
        WaitUntil([&] { return !program_.IsVisible(kGeolocationOption); });
        Photograph("section-restore");
        program_.ClickToolbarButton(kAboutButton);
        if (!ShowDialog(L"About", "about", IDOK)) {
            return false;
        }
        program_.ChooseMenuItem(kSettingsIcon, kSettingsItem);
        if (!ShowDialog(L"Settings", "settings", IDCANCEL)) {
            return false;
        }
        program_.CloseMainWindow();
        return program_.WaitForExit() == 0 || Fail("the program did not end");
    }

private:
    // A profile with a few options already set, so the sections show ticked boxes.
    void PrepareProfile() {
        const fs::path firefox = folder_.Roaming() / "Mozilla" / "Firefox";
        test::WriteFileBytes(firefox / "profiles.ini",
                             "[Profile0]\r\nName=default\r\nIsRelative=1\r\n"
                             "Path=Profiles/tour.default\r\nDefault=1\r\n");
        test::WriteFileBytes(firefox / "Profiles" / "tour.default" / "prefs.js",
                             "user_pref(\"browser.search.openintab\", true);\n"
                             "user_pref(\"geo.enabled\", false);\n"
                             "user_pref(\"view_source.editor.external\", true);\n"
                             "user_pref(\"view_source.editor.path\", "
                             "\"C:\\\\Program Files\\\\Notepad++\\\\notepad++.exe\");\n");
        WriteSettingInt("UpdateCheckEnabled", 0, kPrimaryRoot);
    }

    bool ShowDialog(const wchar_t* caption, const char* view, int closeButton) {
        const HWND dialog = program_.WaitForDialog(caption);
        if (dialog == nullptr) {
            return Fail(view);
        }
        Photograph(view, dialog);
        ProgramDriver::Press(dialog, closeButton);
        return program_.WaitUntilClosed(dialog) || Fail(view);
    }

    // Hands the view's rectangles to the photographer and waits until it is done.
    void Photograph(const char* view, HWND dialog = nullptr) {
        Sleep(300);  // let the last paint reach the screen
        std::ofstream report(work_ / (std::string(view) + ".txt"));
        for (HWND window : {program_.MainWindow(), dialog}) {
            RECT rect{};
            if (window != nullptr && GetWindowRect(window, &rect)) {
                report << rect.left << ' ' << rect.top << ' ' << rect.right << ' ' << rect.bottom
                       << '\n';
            }
        }
        report.close();
        const fs::path done = work_ / (std::string(view) + ".done");
        WaitUntil([&] { return fs::exists(done); }, std::chrono::seconds(30));
    }

    static bool Fail(const char* what) {
        std::fprintf(stderr, "docs tour: %s\n", what);
        return false;
    }

    test::UserFolders folder_;
    ProgramDriver program_;
    fs::path work_;
};

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: docs_tour PROGRAM WORK\n");
        return 2;
    }
    Tour tour(Utf8ToUtf16(argv[1]), fs::path(Utf8ToUtf16(argv[2])));
    return tour.Run() ? 0 : 1;
}
