// The three reactions to an update check's result, as data.
#include "net/update_message.h"

#include "net/update_check.h"
#include "settings/product.h"
#include "settings/text_util.h"

namespace {

constexpr wchar_t kNewVersionText[] = L"New version available. Would you like to download it.";
constexpr wchar_t kLatestVersionText[] = L"You are using the latest version of ";
constexpr wchar_t kUnavailableText[] = L"Service is currently unavailable.";

}  // namespace

UpdateMessage MessageForUpdateResult(int result, int force) {
    UpdateMessage message;
    if (result == kNewVersionAvailable) {
        message.show = true;
        message.text = kNewVersionText;
        message.type = kMessageYesNo;
        message.offersDownload = true;
    } else if (force != kAutomaticCheck && result == kUpToDate) {
        message.show = true;
        message.text = std::wstring(kLatestVersionText) + Utf8ToUtf16(kProductName);
    } else if (force != kAutomaticCheck && result == kServiceUnavailable) {
        message.show = true;
        message.text = kUnavailableText;
    }
    return message;
}
