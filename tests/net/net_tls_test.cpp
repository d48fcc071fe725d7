// The program's default configuration, https, through nginx terminating TLS in front of the real
// service (fixtures NetTls and NetService): trusted only once the test CA is in the current
// user's root store; then the version check and the usage report reach the database, and an
// answer other than 200 leaves the settings alone.
#include <windows.h>

#include <wincrypt.h>

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "tests/net/live_service.h"
#include "tests/test_support.h"

namespace {

// The test CA in the current user's root store for as long as the object lives.
class TrustedTestCa {
public:
    TrustedTestCa()
        : store_(CertOpenStore(CERT_STORE_PROV_SYSTEM_W, 0, 0, CERT_SYSTEM_STORE_CURRENT_USER,
                               L"Root")) {
        std::ifstream file(QUORVANE_TEST_CA_FILE, std::ios::binary);
        const std::vector<BYTE> der((std::istreambuf_iterator<char>(file)),
                                    std::istreambuf_iterator<char>());
        CertAddEncodedCertificateToStore(store_, X509_ASN_ENCODING, der.data(),
                                         static_cast<DWORD>(der.size()),
                                         CERT_STORE_ADD_REPLACE_EXISTING, &added_);
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
    bool Added() const { return added_ != nullptr; }

private:
    HCERTSTORE store_;
    PCCERT_CONTEXT added_ = nullptr;
};

// Run in a process of its own: Wine reads the root store once per process.
TEST(HttpsUntrusted, UnknownCaGivesNoAnswer) {
    const test::UserFolders folder;
    WriteSettingText("InstalledVersion", "1.0.0", kSecondaryRoot);
    EXPECT_EQ(CheckOutcome(), "2 - -1 1.0.0");
}

TEST(Https, CheckAndReportGoThroughNginxOnceTheCaIsTrusted) {
    const TrustedTestCa trusted;
    const test::UserFolders folder;
    WriteSettingText("InstalledVersion", "1.0.0", kSecondaryRoot);
    ASSERT_TRUE(trusted.Added());
    const std::string fresh = R"("fresh":1)";
    const std::string usage =
        R"("build":)" + std::to_string(ReadRegistryNumber()) + R"(,"usage":6)";
    const ServiceInspection before;
    PublishRelease(nullptr);  // the service answers 503
    EXPECT_EQ(CheckOutcome(), "2 - -1 1.0.0");
    PublishRelease("1.0.2");
    EXPECT_EQ(CheckOutcome(), "1 set 800009 1.0.1");
    PublishRelease("1.0.1");
    EXPECT_EQ(CheckOutcome(), "0 set 800008 1.0.1");
    ReportUsage({false, true, true, false}, false);
    EXPECT_EQ(SendUsageReport("16"), kUsageSent);  // sent; the service refuses it
    const ServiceInspection after;
    EXPECT_EQ(after.Count("checks") - before.Count("checks"), 2) << after.Body();
    EXPECT_EQ(after.Count("checks", fresh) - before.Count("checks", fresh),
              1);  // fresh after the 503
    EXPECT_EQ(after.Count("reports") - before.Count("reports"), 1);
    EXPECT_EQ(after.Count("reports", usage) - before.Count("reports", usage), 1);
    // Only the program's two requests pass nginx.
    const std::wstring site = L"https://localhost:" + std::to_wstring(QUORVANE_TEST_TLS_PORT);
    EXPECT_EQ(HttpGet(site + L"/v1/version?product=5&version=100001&edition=1&fresh=0"),
              R"({"update":0,"latest":"1.0.1"})");
    EXPECT_EQ(HttpGet(site + L"/v1/inspect").find("storageFailures"), std::string::npos);
}

}  // namespace
