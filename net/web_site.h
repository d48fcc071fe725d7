// The maker's web pages that the program opens in the user's browser, and its support address.
// All take their host from the one web-site build setting.
#pragma once

#include "settings/scrambled_text.h"

// https://<web host>/download#quorvane: offered when a newer version exists.
extern const ScrambledText kDownloadPage;

// https://<web host>/donate: the donation link of the main window and the License-model notice.
extern const ScrambledText kDonationPage;

// <web host>/licensing-quorvane without a scheme: the text of the licensing link, which the
// link activation turns into an https address.
extern const ScrambledText kLicensingPage;

// support@<web host>.
extern const ScrambledText kSupportAddress;
