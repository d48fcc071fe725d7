// The resources linked into the program: the version block, the manifest and what it does to the
// process, every icon at every size the program loads it in, the bitmap, and the items of the
// four dialog templates.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "res/resource_ids.h"
#include "tests/ui/ui_test_support.h"
#include "ui/dialog.h"

namespace {

std::wstring VersionString(const std::vector<BYTE>& block, const wchar_t* name) {
    void* value = nullptr;
    UINT length = 0;
    const std::wstring path = std::wstring(L"\\StringFileInfo\\040904b0\\") + name;
    if (!VerQueryValueW(block.data(), path.c_str(), &value, &length) || length == 0) {
        return std::wstring();
    }
    return std::wstring(static_cast<const wchar_t*>(value));
}

TEST(Resources, TheVersionBlockNamesProductCompanyAndVersion) {
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    DWORD ignored = 0;
    const DWORD size = GetFileVersionInfoSizeW(path, &ignored);
    ASSERT_GT(size, 0u);
    std::vector<BYTE> block(size);
    ASSERT_TRUE(GetFileVersionInfoW(path, 0, size, block.data()));
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    ASSERT_TRUE(VerQueryValueW(block.data(), L"\\", reinterpret_cast<void**>(&fixed), &length));
    EXPECT_EQ(fixed->dwFileVersionMS, MAKELONG(0, 1));
    EXPECT_EQ(fixed->dwFileVersionLS, MAKELONG(0, 1));
    EXPECT_EQ(fixed->dwProductVersionMS, MAKELONG(0, 1));
    EXPECT_EQ(fixed->dwProductVersionLS, MAKELONG(0, 1));
    EXPECT_EQ(VersionString(block, L"ProductName"), L"Quorvane");
    EXPECT_EQ(VersionString(block, L"CompanyName"), L"Kestrovan");
    EXPECT_EQ(VersionString(block, L"FileVersion"), L"1.0.1.0");
    EXPECT_EQ(VersionString(block, L"ProductVersion"), L"1.0.1.0");
}

std::string ManifestText() {
    HRSRC found = FindResourceW(nullptr, MAKEINTRESOURCEW(1), MAKEINTRESOURCEW(24));
    if (found == nullptr) {
        return std::string();
    }
    HGLOBAL loaded = LoadResource(nullptr, found);
    const auto* bytes = static_cast<const char*>(LockResource(loaded));
    return std::string(bytes, SizeofResource(nullptr, found));
}

TEST(Resources, TheManifestAsksForCommonControls6PerMonitorDpiAndNoElevation) {
    const std::string manifest = ManifestText();
    ASSERT_FALSE(manifest.empty());
    for (const char* part : {
             "name=\"Kestrovan.Quorvane\"", "version=\"1.0.1.0\"",
             "name=\"Microsoft.Windows.Common-Controls\" version=\"6.0.0.0\"",
             "<dpiAware "
             "xmlns=\"http://schemas.microsoft.com/SMI/2005/WindowsSettings\">true/pm</dpiAware>",
             "<dpiAwareness "
             "xmlns=\"http://schemas.microsoft.com/SMI/2016/WindowsSettings\">PerMonitor</"
             "dpiAwareness>",
             "level=\"asInvoker\"",
             "{e2011457-1546-43c5-a5fe-008deee3d3f0}",  // Vista
             "{35138b9a-5d96-4fbd-8e2d-a2440225f93a}",  // 7
             "{4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38}",  // 8
             "{1f676c76-80e1-4239-95bb-83d0f6d0da78}",  // 8.1
             "{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}",  // 10
         }) {
        EXPECT_NE(manifest.find(part), std::string::npos) << part;
    }
}

TEST(Resources, TheManifestMakesTheProcessDpiAwareWithVersion6Controls) {
    EXPECT_TRUE(IsProcessDPIAware());
    // SysLink exists only in version 6 of the common controls.
    uitest::TestWindow window;
    const HWND link = CreateWindowExW(0, L"SysLink", L"<A>x</A>", WS_CHILD, 0, 0, 50, 20,
                                      window.Handle(), nullptr, uitest::Module(), nullptr);
    EXPECT_NE(link, nullptr);
}

struct IconCase {
    int id;
    int width;
    int height;
};

TEST(Resources, EveryIconLoadsAtEachSizeTheProgramAsksFor) {
    std::vector<IconCase> cases;
    for (int id :
         {IDI_SECTION_OPTIONS, IDI_SECTION_PRIVACY, IDI_SECTION_RESTORE, IDI_SECTION_ABOUT}) {
        for (int size : {96, 120, 144, 192}) {
            cases.push_back({id, size, size});
        }
    }
    for (int size : {48, 60, 72, 96}) {
        cases.push_back({IDI_SETTINGS, size, size});
        cases.push_back({IDI_ABOUT, size, size});
    }
    for (const auto& [w, h] :
         std::vector<std::pair<int, int>>{{72, 40}, {90, 50}, {108, 60}, {144, 80}}) {
        cases.push_back({IDI_DONATE, w, h});
    }
    for (int size : {16, 20, 24, 32, 40, 48, 64, 256}) {
        cases.push_back({IDI_APPLICATION_MARK, size, size});
    }
    for (const IconCase& c : cases) {
        const auto icon = static_cast<HICON>(
            LoadImageW(uitest::Module(), MAKEINTRESOURCEW(c.id), IMAGE_ICON, c.width, c.height, 0));
        ASSERT_NE(icon, nullptr) << c.id << " at " << c.width << "x" << c.height;
        ICONINFO info{};
        ASSERT_TRUE(GetIconInfo(icon, &info));
        BITMAP colour{};
        GetObjectW(info.hbmColor, sizeof(colour), &colour);
        EXPECT_EQ(colour.bmWidth, c.width) << c.id;
        EXPECT_EQ(colour.bmHeight, c.height) << c.id;
        EXPECT_EQ(colour.bmBitsPixel, 32) << c.id << ": drawn with an alpha channel";
        DeleteObject(info.hbmColor);
        DeleteObject(info.hbmMask);
        DestroyIcon(icon);
    }
}

TEST(Resources, TheMissingPreviewBitmapLoads) {
    const auto bitmap = static_cast<HBITMAP>(
        LoadImageW(uitest::Module(), MAKEINTRESOURCEW(IDB_NO_PREVIEW), IMAGE_BITMAP, 0, 0, 0));
    ASSERT_NE(bitmap, nullptr);
    BITMAP info{};
    GetObjectW(bitmap, sizeof(info), &info);
    EXPECT_EQ(info.bmWidth, 640);
    EXPECT_EQ(info.bmHeight, 480);
    DeleteObject(bitmap);
}

struct TemplateItem {
    int id;
    const wchar_t* className;
    const wchar_t* text;  // null: not compared
};

struct TemplateCase {
    std::uint32_t id;
    const wchar_t* title;
    std::vector<TemplateItem> items;
};

class ItemsProbe : public UIDialog {
public:
    ItemsProbe(const TemplateCase& c) : UIDialog(c.id), case_(c) {}

    void OnInitDialog() override {
        wchar_t title[64] = {};
        GetWindowTextW(Handle(), title, 64);
        EXPECT_STREQ(title, case_.title);
        int count = 0;
        for (HWND child = GetWindow(Handle(), GW_CHILD); child != nullptr;
             child = GetWindow(child, GW_HWNDNEXT)) {
            ++count;
        }
        EXPECT_EQ(count, static_cast<int>(case_.items.size())) << case_.title;
        for (const TemplateItem& item : case_.items) {
            const HWND control = GetDlgItem(Handle(), item.id);
            ASSERT_NE(control, nullptr) << item.id;
            EXPECT_EQ(ShortClassName(control), item.className) << item.id;
            if (item.text != nullptr) {
                wchar_t text[256] = {};
                GetWindowTextW(control, text, 256);
                EXPECT_STREQ(text, item.text) << item.id;
            }
        }
        PostMessageW(Handle(), WM_COMMAND, IDCANCEL, 0);
    }

private:
    const TemplateCase& case_;
};

TEST(Resources, TheDialogTemplatesHoldTheirItems) {
    uitest::TestWindow window;
    window.Show(SW_SHOWNORMAL);
    const std::wstring host = QUORVANE_WEB_HOST_WIDE;
    const std::wstring aboutLink = L"<A>" + host + L"</A>";
    const std::wstring licensingLink = L"<A>" + host + L"/licensing-quorvane</A>";
    const std::vector<TemplateCase> cases = {
        {IDD_ABOUT,
         L"About",
         {{IDC_ABOUT_PRODUCT, L"Static", L"Quorvane"},
          {IDC_ABOUT_VERSION, L"Static", L"Version 1.0.1 (64-bit)"},
          {IDC_ABOUT_GROUP, L"Button", L"About"},
          {IDC_ABOUT_AUTHOR_LABEL, L"Static", L"Author:"},
          {IDC_ABOUT_AUTHOR, L"Static", L"Kestrovan"},
          {IDC_ABOUT_WEB_LABEL, L"Static", L"Web:"},
          {IDC_ABOUT_WEB_LINK, L"SysLink", aboutLink.c_str()},
          {IDC_ABOUT_EMAIL_LABEL, L"Static", L"Email:"},
          {IDC_ABOUT_EMAIL, L"Edit", L""},
          {IDOK, L"Button", L"OK"}}},
        {IDD_SETTINGS,
         L"Settings",
         {{IDC_SETTINGS_UPDATE_CHECK, L"Button", L"Check for updates"},
          {IDC_SETTINGS_SHOW_NOTICE, L"Button", L"Show donate dialog"},
          {IDC_SETTINGS_OK, L"Button", L"OK"},
          {IDCANCEL, L"Button", L"Cancel"}}},
        {IDD_LICENSE,
         L"License model",
         {{IDC_LICENSE_TERMS, L"Static", L""},
          {IDC_LICENSE_DONATE_LINK, L"SysLink", L""},
          {IDC_LICENSE_TEXT, L"Static", L""},
          {IDC_LICENSE_MORE_LABEL, L"Static", L"For more information, please visit:"},
          {IDC_LICENSE_MORE_LINK, L"SysLink", licensingLink.c_str()},
          {IDC_LICENSE_DO_NOT_SHOW, L"Button", L"Do not show again"},
          {IDC_LICENSE_OK, L"Button", L"OK"}}},
        {IDD_PREVIEW, L"Preview", {}},
    };
    for (const TemplateCase& c : cases) {
        ItemsProbe probe(c);
        EXPECT_EQ(probe.RunDialog(), 2) << c.title;
    }
}

TEST(Resources, TheSettingsDialogsDefaultButtonIsCancel) {
    uitest::TestWindow window;
    class DefaultProbe : public UIDialog {
    public:
        DefaultProbe() : UIDialog(IDD_SETTINGS) {}
        void OnInitDialog() override {
            defaultId = LOWORD(SendMessageW(Handle(), DM_GETDEFID, 0, 0));
            PostMessageW(Handle(), WM_COMMAND, IDCANCEL, 0);
        }
        int defaultId = 0;
    } probe;
    probe.RunDialog();
    EXPECT_EQ(probe.defaultId, IDCANCEL);
}

}  // namespace
