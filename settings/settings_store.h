// The program's own settings: key=value lines in one small file below a per-user folder.
// Every call opens the file, works on the whole text in memory and closes it again.
#pragma once

#include <cstddef>
#include <cstdint>

#include "settings/platform.h"
#include "settings/scrambled_text.h"

// Which per-user folder holds the settings file.
using SettingsRoot = int;
constexpr SettingsRoot kSecondaryRoot = 0;  // the local (non-roaming) application-data folder
constexpr SettingsRoot kPrimaryRoot = 1;    // the roaming application-data folder

// Status codes of WriteSettingInt and WriteSettingText.
enum SettingsWriteStatus : int {
    kSettingWritten = 0,
    kSettingMissingArgument = 1,
    kSettingBadKeyLength = 2,
    kSettingFileTooLarge = 3,
    kSettingNoMemory = 4,
    kSettingCannotWrite = 5,
};

// Limits of the file format.
// Keys are found through a fixed buffer of the key and '='; ours are under 20 bytes.
constexpr std::size_t kMaxSettingKeyLength = 152;
// Every call reads the whole file into one heap buffer; the file holds a few short lines, so a
// larger one is not ours and is not read.
constexpr std::size_t kMaxSettingsBufferSize = 52428;

// The stored mode texts OpenSettingsFile accepts.
extern const ScrambledText kSettingsReadMode;
extern const ScrambledText kSettingsWriteMode;

// A key name held scrambled, in clear text for the calls below: SettingKeyText(kKey).text.
struct SettingKeyText {
    char text[kUnscrambledCapacity];
    explicit SettingKeyText(ScrambledText stored) { Unscramble(text, stored); }
};

// Opens the settings file named fileName below the given root, creating the company and product
// folders on the way. No stream when the root is unknown, its variable is unset, the path would
// not fit 259 characters, or the file cannot be opened; error, when given, says why.
platform::UniqueFile OpenSettingsFile(ScrambledText fileName, ScrambledText mode, SettingsRoot root,
                                      platform::FileError* error = nullptr);

// Reads an integer setting; every problem yields defaultValue.
std::int32_t ReadSettingInt(const char* key, std::int32_t defaultValue, SettingsRoot root);

// Reads a quoted text setting into out (capacity bytes). Returns the number of characters read
// from the file, or 0 when the default was copied instead.
std::size_t ReadSettingText(char* out, std::size_t capacity, const char* key,
                            const char* defaultText, SettingsRoot root);

// Write an integer or a text setting; return a SettingsWriteStatus. A failed write leaves the
// file exactly as it was. A file that exists but cannot be read, and a write after which the
// file would be too large to be read, give kSettingCannotWrite.
int WriteSettingInt(const char* key, std::int32_t value, SettingsRoot root);
int WriteSettingText(const char* key, const char* text, SettingsRoot root);
