// What the user is told after an update check. The update check itself shows nothing; its
// caller asks MessageForUpdateResult and shows the message box it describes.
#pragma once

#include <string>

// Message-box types and the answer that accepts the download offer.
constexpr unsigned kMessageOk = 0;     // MB_OK
constexpr unsigned kMessageYesNo = 4;  // MB_YESNO
constexpr int kAnswerYes = 6;          // IDYES

struct UpdateMessage {
    bool show = false;            // false: the result is silent
    std::wstring text;            // the message; the caption is the product name
    unsigned type = kMessageOk;   // kMessageOk or kMessageYesNo
    bool offersDownload = false;  // on kAnswerYes: open the download page, then close the window
};

// The message for a check's result. The automatic check (force kAutomaticCheck) shows only a
// newer version; the user's check shows every result. Unknown results show nothing.
UpdateMessage MessageForUpdateResult(int result, int force);
