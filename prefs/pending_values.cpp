// From the window's boxes and editor path to the values Apply writes.
#include "prefs/pending_values.h"

#include <cstring>

#include "settings/text_util.h"

namespace {

constexpr std::size_t IndexOf(const PrefOption& option) {
    return static_cast<std::size_t>(&option - kPrefCatalogue);
}

}  // namespace

ShownOptions ShownAfterReading(const PrefSection& misc, const PrefSection& privacy) {
    ShownOptions shown;
    for (const PrefOption& option : kPrefCatalogue) {
        const PrefRecord& record = RecordOf(option, misc, privacy);
        shown.checked[IndexOf(option)] = record.current.flag != 0;
        if (option.kind == PrefKind::Text) {
            shown.editorPath = Utf8ToUtf16(record.current.text);
        }
    }
    return shown;
}

EditorPathCheck TakePendingValues(const ShownOptions& shown, PrefSection& misc,
                                  PrefSection& privacy) {
    const PrefRecord& pathRecord = RecordOf(kEditorPathOption, misc, privacy);
    const bool asRead = shown.editorPath == Utf8ToUtf16(pathRecord.current.text);
    const std::string path =
        asRead ? pathRecord.current.text : Utf16ToUtf8(shown.editorPath.c_str());
    const EditorPathCheck pathCheck =
        asRead ? EditorPathCheck::kSafe : CheckEditorPath(path.c_str());
    const bool pathIsSafe = pathCheck == EditorPathCheck::kSafe;
    if (!pathIsSafe && shown.checked[IndexOf(kEditorSwitchOption)]) {
        return pathCheck;
    }
    for (const PrefOption& option : kPrefCatalogue) {
        PrefRecord& record = RecordOf(option, misc, privacy);
        if (option.kind != PrefKind::Text) {
            SetPendingFlag(record, shown.checked[IndexOf(option)] ? 1 : 0);
        } else if (!path.empty() && pathIsSafe) {
            SetPendingText(record, path.c_str());
        }
    }
    return EditorPathCheck::kSafe;
}
