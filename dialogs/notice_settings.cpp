// The notice's settings keys, held scrambled.
#include "dialogs/notice_settings.h"

namespace {
constexpr auto kNoticeSuppressed = Scramble("NoticeSuppressed");
constexpr auto kNoticeVersion = Scramble("NoticeVersion");
}  // namespace

const ScrambledText kNoticeSuppressedKey = kNoticeSuppressed;
const ScrambledText kNoticeVersionKey = kNoticeVersion;
