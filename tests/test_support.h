// Helpers for tests: private temporary folders, environment variables and whole-file access.
#pragma once

#include <filesystem>
#include <map>
#include <string>

namespace test {

// A fresh empty folder below the system's temporary folder, deleted with everything in it when
// the object goes out of scope.
class TempFolder {
public:
    TempFolder();
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const std::filesystem::path& Path() const { return path_; }

private:
    std::filesystem::path path_;
};

// A fresh pair of per-user application-data folders, "roaming" and "local" below a TempFolder,
// named by APPDATA and LOCALAPPDATA from construction on; both go with the object.
class UserFolders {
public:
    UserFolders();

    const std::filesystem::path& Path() const { return folder_.Path(); }
    std::filesystem::path Roaming() const { return folder_.Path() / "roaming"; }
    std::filesystem::path Local() const { return folder_.Path() / "local"; }

private:
    TempFolder folder_;
};

// Sets or removes an environment variable for the rest of the test.
void SetEnvironment(const std::string& name, const std::wstring& value);
void UnsetEnvironment(const std::string& name);

// Turns a path into the wide, backslash-separated form the program builds its paths in.
std::wstring ToProgramPath(const std::filesystem::path& path);

std::string ReadFileBytes(const std::filesystem::path& path);
void WriteFileBytes(const std::filesystem::path& path, const std::string& bytes);

// Every file below a folder with its bytes, by its path relative to the folder ('/' separators);
// none for a folder that does not exist.
using FileTree = std::map<std::string, std::string>;
FileTree ReadFileTree(const std::filesystem::path& folder);
// Makes the files below folder exactly these (folders stay).
void WriteFileTree(const std::filesystem::path& folder, const FileTree& files);

}  // namespace test
