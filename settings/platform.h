// The few run-time services the portable core needs from the operating system. The Windows
// implementation calls the CRT's wide functions directly; the POSIX one maps wide paths to
// UTF-8 file names with '/' for '\' so the same core code runs in the native test build.
#pragma once

#include <cstdint>
#include <cstdio>
#include <ctime>
#include <string>

#include "settings/unique_handle.h"

// Room for the longest path the program builds, its terminating zero included: Windows' MAX_PATH.
inline constexpr std::size_t kPathCapacity = 260;

namespace platform {

// Owner of an open stream: closes it when it goes out of scope.
struct StreamTraits {
    using Handle = std::FILE*;
    static void Close(std::FILE* stream) { std::fclose(stream); }
};
using UniqueFile = UniqueHandle<StreamTraits>;

// Why a file operation failed. Only kMissing says that the file (or a folder on its path) does
// not exist; access denied, a sharing violation and every other refusal are kFailed, so a file
// that is there but cannot be read is never taken for an absent one.
enum class FileError { kNone, kMissing, kExists, kFailed };

// Reads an environment variable (_wgetenv). Returns false when it is not set.
bool GetEnvironment(const wchar_t* name, std::wstring& value);

// Opens a file (_wfopen). mode is an ASCII mode such as L"rb"; error, when given, says why not.
std::FILE* OpenFile(const wchar_t* path, const wchar_t* mode, FileError* error = nullptr);

// Creates a file for writing that must not exist yet (CREATE_NEW / O_EXCL); kExists when it does.
std::FILE* CreateNewFile(const wchar_t* path, FileError& error);

// Writes all size bytes (fwrite); false when fewer were written.
bool WriteBytes(std::FILE* stream, const char* data, std::size_t size);

// Flushes a stream's buffers and asks the system to put the data on disk.
bool FlushToDisk(std::FILE* stream);

// Creates one folder (_wmkdir). Returns 0 on success, else the errno value (EEXIST included).
int MakeDirectory(const wchar_t* path);

// The time a file was last written, in the system's own units (only comparisons mean anything);
// false when it cannot be had, which includes a file that does not exist.
bool FileWriteTime(const wchar_t* path, std::int64_t& time);

// Deletes a file (_wremove).
FileError RemoveFile(const wchar_t* path);

// Renames source to target in one step: replacing a target that exists (MOVEFILE_REPLACE_EXISTING
// / rename), or only when there is none (kExists otherwise).
enum class RenameMode { kReplace, kCreateNew };
FileError RenameFile(const wchar_t* source, const wchar_t* target, RenameMode mode);

// The current time in seconds since 1970 (_time64) and its local calendar form (_localtime64).
std::int64_t CurrentTime();
bool LocalTime(std::int64_t time, std::tm& out);

// UTF-8 <-> wide conversion at the system boundary (WideCharToMultiByte / MultiByteToWideChar
// with code page 65001 on Windows). Both return false when the input is not valid.
bool WideToUtf8(const wchar_t* text, std::string& out);
bool Utf8ToWide(const char* text, std::wstring& out);

// The file operations above, as the fault hook below sees them.
enum class FileOperation { kOpen, kCreate, kWrite, kFlush, kRename, kRemove };

// Asked by every file operation above before it starts; true makes it fail as a refusal by the
// system would. path names the file opened, created, renamed (its old name) or removed, and is
// null for a write or a flush. The program links the hook of platform_no_faults.cpp, which never
// fails; tests link the fault seam of platform_faults.h in its place.
bool FileOperationMustFail(FileOperation operation, const wchar_t* path);

}  // namespace platform
