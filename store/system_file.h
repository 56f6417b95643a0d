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
#include <vector>

namespace lockmere::system_file {

// What an open does with a symbolic link (on Windows, a reparse point) at
// the name: the data files in the program folder may be links the user made
// (to keep them on another disk); anything else is never opened through one.
enum class Links { Follow, Refuse };

// Who may read a file the program makes. On POSIX systems the user alone
// either way (mode 0600). On Windows the user alone through an access list
// of the file's own, or what the folder hands down: a backup's copies,
// which must open again on another PC or after a reinstall, where the same
// person is another user to the system.
enum class Readers { UserAlone, AsFolder };

// An open file, closed on scope exit unless Close() was called.
class Handle {
public:
    Handle() = default;
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;
    ~Handle();

    // Opens for reading without blocking and keeps the file open only when
    // it is a regular file (else NotARegularFile()). A missing file is
    // created empty when create is set, never through a link: owner-only,
    // and on Windows hidden, as a data file is kept.
    // Never shortens the file.
    [[nodiscard]] std::error_code OpenForRead(const std::filesystem::path& path, bool create,
                                              Links links);
    // Creates a new file for writing, read by `readers`; fails when
    // anything already stands at path.
    [[nodiscard]] std::error_code CreateNew(const std::filesystem::path& path, Readers readers);

    // Reads to the end, but never more than largest + 1 bytes: a file
    // longer than it may be shows as such without filling the memory.
    [[nodiscard]] std::error_code ReadAll(std::string& bytes, std::size_t largest);
    // Whether the open file belongs to the user running the program (or to
    // nobody: a file system without owners, such as FAT on Windows).
    bool OwnedByUser() const;
    [[nodiscard]] std::error_code WriteAll(std::string_view bytes);
    // Flushes the file's bytes to the disk.
    [[nodiscard]] std::error_code Sync();
    [[nodiscard]] std::error_code Close();

private:
    std::intptr_t native_ = -1;  // a file descriptor or a Windows handle
};

// What becomes of a lock's file when the lock is let go.
enum class LockFileAfter {
    Kept,     // it stays for the next holder
    Removed,  // the holder removes it, when it is the user's
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
    // waiting. IsLockBusy tells a lock held elsewhere from other failures; a
    // link or anything but a regular file at path fails with
    // NotARegularFile(). A file that is removed after its lock is let go
    // is never locked once it is gone: the lock is on the file at the name.
    [[nodiscard]] std::error_code TryLock(const std::filesystem::path& path, LockFileAfter after);

private:
    std::intptr_t native_ = -1;
    std::filesystem::path removed_;  // the file removed at the end, if any
};

bool IsLockBusy(std::error_code error);

// The failure of an open that found a link it must not follow, a folder, a
// pipe, a device or anything else that is not a regular file.
class NotARegularFileCategory final : public std::error_category {
public:
    const char* name() const noexcept override { return "lockmere.file"; }
    std::string message(int) const override { return "not a regular file"; }
};
inline const std::error_category& NotARegularFileKind() {
    static const NotARegularFileCategory category;
    return category;
}
inline std::error_code NotARegularFile() { return {1, NotARegularFileKind()}; }
inline bool IsNotARegularFile(std::error_code error) {
    return error.category() == NotARegularFileKind();
}

// Whether users other than this one may write into folder (POSIX: group or
// others may write; Windows: the folder's access list lets somebody add a
// file who is not the user, the system or the administrators).
bool OthersMayWriteIn(const std::filesystem::path& folder);

// Whether path itself (a link is not followed) is a regular file of the user
// running the program.
bool IsOwnRegularFile(const std::filesystem::path& path);

// Creates the folder folder/parts[0]/.../parts[n-1], the folders on the way
// being there already; none of them is reached through a link. A missing
// one gives no_such_file_or_directory, a link on the way
// too_many_symbolic_link_levels, anything else but a folder not_a_directory.
// Each part is one name, without a separator.
[[nodiscard]] std::error_code MakeFolderBelow(const std::filesystem::path& folder,
                                              const std::vector<std::filesystem::path>& parts);

[[nodiscard]] std::error_code Remove(const std::filesystem::path& path);

// Renames from over to, replacing the file there in one step.
[[nodiscard]] std::error_code Rename(const std::filesystem::path& from,
                                     const std::filesystem::path& to);

// Renames from to a name where nothing stands, in one step; anything at to
// (a link too) fails it with file_exists.
[[nodiscard]] std::error_code RenameNoReplace(const std::filesystem::path& from,
                                              const std::filesystem::path& to);

// Makes the rename of an entry in folder durable, where the system needs it.
void SyncFolder(const std::filesystem::path& folder);

// Linux keeps data files owner-only and never widens that; Windows sets the
// hidden attribute alone, or no attribute.
[[nodiscard]] std::error_code SetHidden(const std::filesystem::path& path, bool hidden);

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
[[nodiscard]] std::optional<ErrorKind> KindOf(std::error_code error);

}  // namespace lockmere::system_file
