// Test helpers; the only place outside the platform layer that tells the two systems apart, and
// only for setting environment variables.
#include "tests/test_support.h"

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <random>

#include "settings/text_util.h"

namespace test {

TempFolder::TempFolder() {
    std::random_device random;
    do {
        path_ = std::filesystem::temp_directory_path() /
                ("quorvane-test-" + std::to_string(random()) + "-" + std::to_string(random()));
    } while (!std::filesystem::create_directory(path_));
}

TempFolder::~TempFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
}

UserFolders::UserFolders() {
    std::filesystem::create_directory(Roaming());
    std::filesystem::create_directory(Local());
    SetEnvironment("APPDATA", ToProgramPath(Roaming()));
    SetEnvironment("LOCALAPPDATA", ToProgramPath(Local()));
}

std::wstring ToProgramPath(const std::filesystem::path& path) {
    std::wstring wide = Utf8ToUtf16(reinterpret_cast<const char*>(path.u8string().c_str()));
    std::replace(wide.begin(), wide.end(), L'/', L'\\');
    return wide;
}

void SetEnvironment(const std::string& name, const std::wstring& value) {
#ifdef _WIN32
    _wputenv_s(Utf8ToUtf16(name.c_str()).c_str(), value.c_str());
#else
    setenv(name.c_str(), Utf16ToUtf8(value.c_str()).c_str(), 1);
#endif
}

void UnsetEnvironment(const std::string& name) {
#ifdef _WIN32
    _wputenv_s(Utf8ToUtf16(name.c_str()).c_str(), L"");
#else
    unsetenv(name.c_str());
#endif
}

std::string ReadFileBytes(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void WriteFileBytes(const std::filesystem::path& path, const std::string& bytes) {
    std::filesystem::create_directories(path.parent_path());
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

FileTree ReadFileTree(const std::filesystem::path& folder) {
    FileTree files;
    std::error_code missing;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(folder, missing)) {
        if (entry.is_regular_file()) {
            files[std::filesystem::relative(entry, folder).generic_string()] = ReadFileBytes(entry);
        }
    }
    return files;
}

void WriteFileTree(const std::filesystem::path& folder, const FileTree& files) {
    for (const auto& [path, bytes] : ReadFileTree(folder)) {
        std::filesystem::remove(folder / path);
    }
    for (const auto& [path, bytes] : files) {
        WriteFileBytes(folder / path, bytes);
    }
}

}  // namespace test
