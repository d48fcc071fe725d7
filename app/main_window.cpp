// The main window's life: the start-up sequence, the first showing and the closing report.
#include "app/main_window.h"

#include <cstring>

#include "app/control_names.h"
#include "dialogs/license_dialog.h"
#include "dialogs/notice_settings.h"
#include "net/net_client.h"
#include "net/update_message.h"
#include "net/web_site.h"
#include "prefs/profile_locator.h"
#include "res/resource_ids.h"
#include "settings/product.h"
#include "settings/settings_store.h"
#include "settings/text_util.h"
#include "ui/message_box.h"

namespace {

constexpr auto kShellVerb = Scramble("open");

// NoticeVersion is read into this many bytes: the version and room to tell a longer one apart.
constexpr std::size_t kNoticeVersionCapacity = 8;
static_assert(sizeof(kProductVersion) < kNoticeVersionCapacity,
              "a stored NoticeVersion must be able to differ from the version after its end");

std::wstring ProductName() {
    return Utf8ToUtf16(kProductName);
}

}  // namespace

MainWindow::MainWindow(HINSTANCE moduleInstance, const std::wstring& title, int width, int height,
                       std::uint32_t classIconId, std::uint32_t smallIconId)
    : UICore(moduleInstance, title, width, height, classIconId, smallIconId),
      scrambledConstants{kNoticeSuppressedKey, kNoticeVersionKey, kShellVerb, kDonationPage} {
    if (Controls() == nullptr) {
        return;  // no window could be made: the program ends without one
    }
    firefoxInstalled = IsFirefoxInstalled();
    if (!firefoxInstalled) {
        Tell(L"Firefox is not installed or not found. Even without, installed Firefox can be " +
             ProductName() + L" used to save selected preferences.");
    }
    BuildLayout();
    LoadOptionValues();
    OfferDownload(CheckForUpdate(kAutomaticCheck, updateState), kAutomaticCheck);
}

MainWindow::~MainWindow() = default;

int MainWindow::Tell(const std::wstring& text, unsigned type) const {
    return ShowMessage(*this, ProductName(), text, type);
}

// Shows what an update check found; a newer version may end the program so it can be installed.
void MainWindow::OfferDownload(int updateResult, int force) {
    const UpdateMessage message = MessageForUpdateResult(updateResult, force);
    if (!message.show) {
        return;
    }
    const int answer = Tell(message.text, message.type);
    if (message.offersDownload && answer == kAnswerYes) {
        OpenDownloadPage();
        Close();
    }
}

void MainWindow::OnShown() {
    UIControls* registry = Controls();
    if (registry == nullptr || shown) {
        return;
    }
    shown = true;
    if (!firefoxInstalled) {
        if (UIStatic* label = registry->FindStatic(controls::kRestoreTitle)) {
            label->SetText(L"This options is available only when Firefox is installed.");
        }
        if (UIButton* restore = registry->FindPushButton(controls::kRestoreButton)) {
            restore->Enable(false);
        }
    }
    const SettingKeyText noticeVersion(scrambledConstants.noticeVersionKey);
    const SettingKeyText noticeSuppressed(scrambledConstants.noticeSuppressedKey);
    char stored[kNoticeVersionCapacity] = {};
    ReadSettingText(stored, sizeof stored, noticeVersion.text, "", kPrimaryRoot);
    if (std::strcmp(stored, kProductVersion) != 0) {
        noticeVersionChanged = true;
        WriteSettingInt(noticeSuppressed.text, 0, kPrimaryRoot);
    } else if (ReadSettingInt(noticeSuppressed.text, 0, kPrimaryRoot) != 0) {
        return;
    }
    ShowLicenseNotice();
}

void MainWindow::ShowLicenseNotice() {
    dlgLicense notice(IDD_LICENSE);
    notice.RunDialog();
    usageNoticeShown = true;
}

void MainWindow::OnDestroy() {
    const UIControls* registry = Controls();
    const UsageFlags flags{usageNoticeShown, registry != nullptr && registry->SectionWasOpened(),
                           usageInfoOpened, usageApplied};
    ReportUsage(flags, noticeVersionChanged);
}
