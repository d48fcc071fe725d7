// Web-site addresses, scrambled at compile time from the web-site host build setting.
#include "net/web_site.h"

#ifndef QUORVANE_WEB_HOST
#error "the net library is built through quorvane_add_net_library, which sets the web-site host"
#endif

namespace {

constexpr auto kStoredDownloadPage = Scramble("https://" QUORVANE_WEB_HOST "/download#quorvane");
constexpr auto kStoredDonationPage = Scramble("https://" QUORVANE_WEB_HOST "/donate");
constexpr auto kStoredLicensingPage = Scramble(QUORVANE_WEB_HOST "/licensing-quorvane");
constexpr auto kStoredSupportAddress = Scramble("support@" QUORVANE_WEB_HOST);

}  // namespace

const ScrambledText kDownloadPage = kStoredDownloadPage;
const ScrambledText kDonationPage = kStoredDonationPage;
const ScrambledText kLicensingPage = kStoredLicensingPage;
const ScrambledText kSupportAddress = kStoredSupportAddress;
