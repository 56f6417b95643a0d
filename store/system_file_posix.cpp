#include "store/system_file.h"

#include <fcntl.h>
#include <stdio.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

namespace lockmere::system_file {

namespace {

std::error_code LastError() { return {errno, std::generic_category()}; }

int Fd(std::intptr_t native) { return static_cast<int>(native); }

// Reads and writes go in pieces small enough for every count type.
constexpr std::size_t kChunk = 1 << 20;

// Keeps fd only when it is a regular file; closes it otherwise.
[[nodiscard]] std::error_code CheckRegular(std::intptr_t& native) {
    struct stat status {};
    std::error_code error;
    if (::fstat(Fd(native), &status) != 0)
        error = LastError();
    else if (S_ISREG(status.st_mode))
        return {};
    else
        error = NotARegularFile();
    ::close(Fd(native));
    native = -1;
    return error;
}

}  // namespace

Handle::~Handle() {
    if (native_ >= 0) ::close(Fd(native_));
}

std::error_code Handle::OpenForRead(const std::filesystem::path& path, bool create, Links links) {
    // O_NONBLOCK: a pipe at the name must not hold the program up.
    const int flags = O_RDONLY | O_CLOEXEC | O_NONBLOCK | (links == Links::Refuse ? O_NOFOLLOW : 0);
    native_ = ::open(path.c_str(), flags);
    if (native_ < 0 && errno == ENOENT && create) {
        // O_EXCL never follows a link: a dangling one creates nothing
        // at its target.
        native_ = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_CREAT | O_EXCL, S_IRUSR | S_IWUSR);
    }
    if (native_ < 0) return errno == ELOOP ? NotARegularFile() : LastError();
    return CheckRegular(native_);
}

std::error_code Handle::CreateNew(const std::filesystem::path& path, Readers) {
    // Owner-only from the first byte, whoever reads; O_EXCL never follows a
    // link.
    native_ = ::open(path.c_str(), O_WRONLY | O_CLOEXEC | O_CREAT | O_EXCL, S_IRUSR | S_IWUSR);
    return native_ >= 0 ? std::error_code() : LastError();
}

std::error_code Handle::ReadAll(std::string& bytes, std::size_t largest) {
    char buffer[65536];
    while (bytes.size() <= largest) {
        const std::size_t want = std::min(sizeof buffer, largest + 1 - bytes.size());
        const ssize_t got = ::read(Fd(native_), buffer, want);
        if (got < 0) {
            if (errno == EINTR) continue;
            return LastError();
        }
        if (got == 0) return {};
        bytes.append(buffer, static_cast<std::size_t>(got));
    }
    return {};
}

bool Handle::OwnedByUser() const {
    struct stat status {};
    return ::fstat(Fd(native_), &status) == 0 && status.st_uid == ::geteuid();
}

std::error_code Handle::WriteAll(std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t put = ::write(Fd(native_), bytes.data(), std::min(bytes.size(), kChunk));
        if (put < 0) {
            if (errno == EINTR) continue;
            return LastError();
        }
        bytes.remove_prefix(static_cast<std::size_t>(put));
    }
    return {};
}

std::error_code Handle::Sync() {
    return ::fsync(Fd(native_)) == 0 ? std::error_code() : LastError();
}

std::error_code Handle::Close() {
    const int fd = Fd(native_);
    native_ = -1;
    return ::close(fd) == 0 ? std::error_code() : LastError();
}

FileLock::~FileLock() {
    if (native_ < 0) return;
    // Removed while still held: the file at the name is this lock's, since
    // every holder removes only its own, and one that opened it meanwhile
    // finds it gone (TryLock).
    if (!removed_.empty()) ::unlink(removed_.c_str());
    ::close(Fd(native_));
}

std::error_code FileLock::TryLock(const std::filesystem::path& path, LockFileAfter after) {
    // A file removed by its last holder just after this open is locked in
    // vain: the next round takes the one at the name. Each round follows a
    // holder that let go of it, so a few always do.
    for (int round = 0; round < 100; ++round) {
        // Never through a link, and never held up by a pipe.
        std::intptr_t fd =
            ::open(path.c_str(), O_RDWR | O_CLOEXEC | O_CREAT | O_NOFOLLOW | O_NONBLOCK,
                   S_IRUSR | S_IWUSR);
        if (fd < 0) return errno == ELOOP || errno == EISDIR ? NotARegularFile() : LastError();
        if (const std::error_code error = CheckRegular(fd)) return error;
        // flock belongs to this open file: a second lock on the same folder
        // fails even within one process, and the lock dies with the process.
        while (::flock(Fd(fd), LOCK_EX | LOCK_NB) != 0) {
            if (errno == EINTR) continue;
            const std::error_code error = LastError();
            ::close(Fd(fd));
            return error;
        }
        native_ = fd;
        if (after == LockFileAfter::Kept) return {};
        struct stat held {};
        struct stat named {};
        const bool atTheName = ::fstat(Fd(fd), &held) == 0 && ::lstat(path.c_str(), &named) == 0 &&
                               held.st_dev == named.st_dev && held.st_ino == named.st_ino;
        if (!atTheName) {
            ::close(Fd(fd));
            native_ = -1;
            continue;
        }
        // Another user's file at the name is locked, never removed.
        if (held.st_uid == ::geteuid()) removed_ = path;
        return {};
    }
    return std::make_error_code(std::errc::operation_would_block);
}

bool IsLockBusy(std::error_code error) { return error == std::errc::operation_would_block; }

bool OthersMayWriteIn(const std::filesystem::path& folder) {
    struct stat status {};
    return ::stat(folder.empty() ? "." : folder.c_str(), &status) == 0 &&
           (status.st_mode & (S_IWGRP | S_IWOTH)) != 0;
}

bool IsOwnRegularFile(const std::filesystem::path& path) {
    struct stat status {};
    return ::lstat(path.c_str(), &status) == 0 && S_ISREG(status.st_mode) &&
           status.st_uid == ::geteuid();
}

std::error_code MakeFolderBelow(const std::filesystem::path& folder,
                                const std::vector<std::filesystem::path>& parts) {
    // Folder by folder from an open one, so that nothing swapped in for a
    // folder on the way meanwhile can lead elsewhere.
    int at = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (at < 0) return LastError();
    std::error_code error;
    for (std::size_t i = 0; i + 1 < parts.size() && !error; ++i) {
        const int next =
            ::openat(at, parts[i].c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
        if (next < 0) error = LastError();
        ::close(at);
        at = next;
    }
    if (!error && ::mkdirat(at, parts.back().c_str(), 0777) != 0) error = LastError();
    if (at >= 0) ::close(at);
    return error;
}

std::error_code Remove(const std::filesystem::path& path) {
    return ::unlink(path.c_str()) == 0 ? std::error_code() : LastError();
}

std::error_code Rename(const std::filesystem::path& from, const std::filesystem::path& to) {
    return ::rename(from.c_str(), to.c_str()) == 0 ? std::error_code() : LastError();
}

std::error_code RenameNoReplace(const std::filesystem::path& from,
                                const std::filesystem::path& to) {
    if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) return {};
    if (errno != EINVAL && errno != ENOSYS) return LastError();
    // A file system without it: a second name, made only where none is
    // (never through a link), then the first one goes.
    if (::link(from.c_str(), to.c_str()) != 0) return LastError();
    ::unlink(from.c_str());
    return {};
}

void SyncFolder(const std::filesystem::path& folder) {
    // Best effort: the new file is already whole on disk; this only makes
    // its new name survive a power cut.
    const int fd =
        ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return;
    ::fsync(fd);
    ::close(fd);
}

std::optional<ErrorKind> KindOf(std::error_code error) {
    // The system's numbers are errno values; not all of them have a
    // portable condition.
    const int value = error.default_error_condition().value();
    if (value == ENODEV || value == ENXIO || value == ENOMEDIUM)
        return ErrorKind::kDeviceUnavailable;
    if (value == EDQUOT) return ErrorKind::kDiskFull;
    return std::nullopt;
}

std::error_code SetHidden(const std::filesystem::path& path, bool) {
    struct stat status {};
    if (::stat(path.c_str(), &status) != 0) return LastError();
    // There is no hidden attribute: a data file stays owner-only.
    const mode_t others = S_IRWXG | S_IRWXO;
    if (S_ISREG(status.st_mode) && (status.st_mode & others) != 0 &&
        ::chmod(path.c_str(), status.st_mode & ~others & 07777) != 0)
        return LastError();
    return {};
}

}  // namespace lockmere::system_file
