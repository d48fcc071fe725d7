// Names of the settings that govern the License-model notice, shared by the main window, the
// notice itself and the Settings dialog. Turn them into keys with Unscramble.
#pragma once

#include "settings/scrambled_text.h"

extern const ScrambledText kNoticeSuppressedKey;  // integer, root 1; nonzero = do not show
extern const ScrambledText kNoticeVersionKey;     // text, root 1; version the notice was shown for
