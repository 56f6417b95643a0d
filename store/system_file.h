#pragma once

// The few calls file_access needs from the system. Each platform has a file
// of its own (system_file_posix.cpp, system_file_windows.cpp), chosen by the
// build. Each call returns a system error; an empty one means success.

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <system_error>

namespace lockmere::system_file {

// An open file, closed on scope exit unless Close() was called.
class Handle {
public:
    Handle() = default;
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;
    ~Handle();

    // Opens for reading, creating a missing file empty and owner-only
    // when create is set. Never shortens the file.
    std::error_code OpenForRead(const std::filesystem::path& path, bool create);
    // Creates a new owner-only file for writing; fails when anything
    // already stands at path.
    std::error_code CreateNew(const std::filesystem::path& path);

    std::error_code ReadAll(std::string& bytes);
    std::error_code WriteAll(std::string_view bytes);
    // Flushes the file's bytes to the disk.
    std::error_code Sync();
    std::error_code Close();

private:
    std::intptr_t native_ = -1;  // a file descriptor or a Windows handle
};

// An exclusive OS lock on a file, held until the object goes or the process
// ends (a crash never leaves it held).
class FileLock {
public:
    FileLock() = default;
    FileLock(const FileLock&) = delete;
    FileLock& operator=(const FileLock&) = delete;
    ~FileLock();

    // Opens path, creating it owner-only when missing, and locks it without
    // waiting. IsLockBusy tells a lock held elsewhere from other failures.
    std::error_code TryLock(const std::filesystem::path& path);

private:
    std::intptr_t native_ = -1;
};

bool IsLockBusy(std::error_code error);

std::error_code Remove(const std::filesystem::path& path);

// Renames from over to, replacing the file there in one step.
std::error_code Rename(const std::filesystem::path& from, const std::filesystem::path& to);

// Makes the rename of an entry in folder durable, where the system needs it.
void SyncFolder(const std::filesystem::path& folder);

// Linux keeps data files owner-only and never widens that; Windows sets the
// hidden attribute alone, or no attribute.
std::error_code SetHidden(const std::filesystem::path& path, bool hidden);

// What an error of this system means to the user, where the portable
// conditions of std::errc cannot tell (drive not ready, quota, and on
// Windows its own error numbers); nothing when they can.
enum class ErrorKind {
    kFileNotFound,
    kPathNotFound,
    kAccess,
    kDiskFull,
    kDeviceUnavailable,
    kDeviceIo
};
std::optional<ErrorKind> KindOf(std::error_code error);

}  // namespace lockmere::system_file
