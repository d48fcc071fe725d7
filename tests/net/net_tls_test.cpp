// The program's default configuration, https, through nginx terminating TLS in front of the real
// service (fixtures NetTls and NetService): trusted only once the test CA is in the current
// user's root store; then the version check and the usage report reach the database, and an
// answer other than 200 leaves the settings alone.
#include <windows.h>

#include <wincrypt.h>

#include <gtest/gtest.h>

#include <string>

#include "net/net_client.h"
#include "settings/product.h"
#include "settings/settings_store.h"
#include "tests/net/live_service.h"
#include "tests/test_support.h"

namespace {

// A forced update check in a new run of the program: its result, then LastCheckDay (set or -),
// and LastCheckResult after it, e.g. "2 - -1".
std::string CheckOutcome() {
    UpdateCheckState state;
    const int result = CheckForUpdate(kRequestedCheck, state);
    return std::to_string(result) +
           (ReadSettingInt("LastCheckDay", -1, kPrimaryRoot) == -1 ? " - " : " set ") +
           std::to_string(ReadSettingInt("LastCheckResult", -1, kPrimaryRoot));
}

// The test CA in the current user's root store for as long as the object lives.
class TrustedTestCa {
public:
    TrustedTestCa()
        : store_(CertOpenStore(CERT_STORE_PROV_SYSTEM_W, 0, 0, CERT_SYSTEM_STORE_CURRENT_USER,
                               L"Root")) {
        const std::string der = test::ReadFileBytes(QUORVANE_TEST_CA_FILE);
        CertAddEncodedCertificateToStore(
            store_, X509_ASN_ENCODING, reinterpret_cast<const BYTE*>(der.data()),
            static_cast<DWORD>(der.size()), CERT_STORE_ADD_REPLACE_EXISTING, &added_);
        CertControlStore(store_, 0, CERT_STORE_CTRL_COMMIT, nullptr);  // where WinINet reads it
    }
    ~TrustedTestCa() {
        if (added_ != nullptr) {
            CertDeleteCertificateFromStore(added_);  // frees the context too
            CertControlStore(store_, 0, CERT_STORE_CTRL_COMMIT, nullptr);
        }
        CertCloseStore(store_, 0);
    }
    TrustedTestCa(const TrustedTestCa&) = delete;
    TrustedTestCa& operator=(const TrustedTestCa&) = delete;

private:
    HCERTSTORE store_;
    PCCERT_CONTEXT added_ = nullptr;
};

// Run in a process of its own: Wine reads the root store once per process.
TEST(HttpsUntrusted, UnknownCaGivesNoAnswer) {
    const test::UserFolders folder;
    EXPECT_EQ(CheckOutcome(), "2 - -1");  // nothing remembered
}

TEST(Https, CheckAndReportGoThroughNginxOnceTheCaIsTrusted) {
    const TrustedTestCa trusted;
    const test::UserFolders folder;
    WriteSettingText("InstalledVersion", "1.0.0", kSecondaryRoot);
    const std::string fresh = R"("fresh":1)";
    const std::string usage =
        R"("build":)" + std::to_string(ReadRegistryNumber()) + R"(,"usage":6)";
    const ServiceInspection before;
    PublishRelease(nullptr);  // the service answers 503
    EXPECT_EQ(CheckOutcome(), "2 - -1");
    PublishRelease("9999.0.0");
    EXPECT_EQ(CheckOutcome(), "1 set 800009");
    PublishRelease(kProductVersion);
    EXPECT_EQ(CheckOutcome(), "0 set 800008");
    ReportUsage({false, true, true, false}, false);
    EXPECT_EQ(SendUsageReport("16"), kUsageSent);  // sent; the service refuses it
    const ServiceInspection after;
    const auto added = [&](const char* table, const std::string& fields) {
        return std::to_string(after.Count(table, fields) - before.Count(table, fields));
    };
    // Two checks, the first still fresh after the 503, and one report.
    EXPECT_EQ(added("checks", "") + added("checks", fresh) + added("reports", "") +
                  added("reports", usage),
              "2111");
}

}  // namespace
