// The few run-time services the portable core needs from the operating system. The Windows
// implementation calls the CRT's wide functions directly; the POSIX one maps wide paths to
// UTF-8 file names with '/' for '\' so the same core code runs in the native test build.
#pragma once

#include <cstdint>
#include <cstdio>
#include <ctime>
#include <memory>
#include <string>

namespace platform {

// Owner of an open stream: closes it when it goes out of scope.
struct FileCloser {
    void operator()(std::FILE* stream) const { std::fclose(stream); }
};
using UniqueFile = std::unique_ptr<std::FILE, FileCloser>;

// Reads an environment variable (_wgetenv). Returns false when it is not set.
bool GetEnvironment(const wchar_t* name, std::wstring& value);

// Opens a file (_wfopen). mode is an ASCII mode such as L"rb".
std::FILE* OpenFile(const wchar_t* path, const wchar_t* mode);

// Creates one folder (_wmkdir). Returns 0 on success, else the errno value (EEXIST included).
int MakeDirectory(const wchar_t* path);

// Deletes a file (_wremove). Returns 0 on success, else the errno value (ENOENT when absent).
int RemoveFile(const wchar_t* path);

// Replaces target by source in one step (MoveFileExW with MOVEFILE_REPLACE_EXISTING / rename).
bool RenameOver(const wchar_t* source, const wchar_t* target);

// Flushes a stream's buffers and asks the system to put the data on disk.
bool FlushToDisk(std::FILE* stream);

// The current time in seconds since 1970 (_time64) and its local calendar form (_localtime64).
std::int64_t CurrentTime();
bool LocalTime(std::int64_t time, std::tm& out);

// UTF-8 <-> wide conversion at the system boundary (WideCharToMultiByte / MultiByteToWideChar
// with code page 65001 on Windows). Both return false when the input is not valid.
bool WideToUtf8(const wchar_t* text, std::string& out);
bool Utf8ToWide(const char* text, std::wstring& out);

}  // namespace platform
