#include "store/system_file.h"

#include <algorithm>
#include <cerrno>

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#include <share.h>
#include <sys/stat.h>
#include <windows.h>
#else
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace lockmere::system_file {

namespace {

std::error_code LastError() { return {errno, std::generic_category()}; }

// Reads and writes go in pieces small enough for every platform's count type.
constexpr std::size_t kChunk = 1 << 20;

}  // namespace

#ifdef _WIN32

Handle::~Handle() {
    if (fd_ >= 0) _close(fd_);
}

std::error_code Handle::OpenForRead(const std::filesystem::path& path, bool create) {
    const int flags = _O_RDONLY | _O_BINARY | _O_NOINHERIT | (create ? _O_CREAT : 0);
    const errno_t error = _wsopen_s(&fd_, path.c_str(), flags, _SH_DENYNO, _S_IREAD | _S_IWRITE);
    return error ? std::error_code(error, std::generic_category()) : std::error_code();
}

std::error_code Handle::CreateNew(const std::filesystem::path& path) {
    const int flags = _O_WRONLY | _O_BINARY | _O_NOINHERIT | _O_CREAT | _O_EXCL;
    const errno_t error = _wsopen_s(&fd_, path.c_str(), flags, _SH_DENYRW, _S_IREAD | _S_IWRITE);
    return error ? std::error_code(error, std::generic_category()) : std::error_code();
}

std::error_code Handle::ReadAll(std::string& bytes) {
    char buffer[65536];
    for (;;) {
        const int got = _read(fd_, buffer, static_cast<unsigned>(sizeof buffer));
        if (got < 0) return LastError();
        if (got == 0) return {};
        bytes.append(buffer, static_cast<std::size_t>(got));
    }
}

std::error_code Handle::WriteAll(std::string_view bytes) {
    while (!bytes.empty()) {
        const auto piece = static_cast<unsigned>(std::min(bytes.size(), kChunk));
        const int put = _write(fd_, bytes.data(), piece);
        if (put < 0) return LastError();
        bytes.remove_prefix(static_cast<std::size_t>(put));
    }
    return {};
}

std::error_code Handle::Sync() { return _commit(fd_) == 0 ? std::error_code() : LastError(); }

std::error_code Handle::Close() {
    const int fd = fd_;
    fd_ = -1;
    return _close(fd) == 0 ? std::error_code() : LastError();
}

FileLock::~FileLock() {
    if (handle_) CloseHandle(handle_);
}

std::error_code FileLock::TryLock(const std::filesystem::path& path) {
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return {static_cast<int>(GetLastError()), std::system_category()};
    OVERLAPPED start{};
    if (!LockFileEx(file, LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, 1, 0, &start)) {
        const std::error_code error(static_cast<int>(GetLastError()), std::system_category());
        CloseHandle(file);
        return error;
    }
    handle_ = file;
    return {};
}

bool IsLockBusy(std::error_code error) {
    return error.category() == std::system_category() &&
           (error.value() == ERROR_LOCK_VIOLATION || error.value() == ERROR_SHARING_VIOLATION);
}

std::error_code Remove(const std::filesystem::path& path) {
    return _wunlink(path.c_str()) == 0 ? std::error_code() : LastError();
}

void SyncFolder(const std::filesystem::path&) {}

bool IsDeviceUnavailable(std::error_code error) {
    if (error.category() == std::system_category())
        return error.value() == ERROR_NOT_READY || error.value() == ERROR_DEV_NOT_EXIST;
    return error == std::errc::no_such_device || error == std::errc::no_such_device_or_address;
}

std::error_code SetHidden(const std::filesystem::path& path, bool hidden) {
    const DWORD attributes = hidden ? FILE_ATTRIBUTE_HIDDEN : FILE_ATTRIBUTE_NORMAL;
    if (SetFileAttributesW(path.c_str(), attributes)) return {};
    return {static_cast<int>(GetLastError()), std::system_category()};
}

#else

Handle::~Handle() {
    if (fd_ >= 0) ::close(fd_);
}

std::error_code Handle::OpenForRead(const std::filesystem::path& path, bool create) {
    const int flags = O_RDONLY | O_CLOEXEC | (create ? O_CREAT : 0);
    fd_ = ::open(path.c_str(), flags, S_IRUSR | S_IWUSR);
    return fd_ >= 0 ? std::error_code() : LastError();
}

std::error_code Handle::CreateNew(const std::filesystem::path& path) {
    // Owner-only from the first byte; O_EXCL never follows a link.
    fd_ = ::open(path.c_str(), O_WRONLY | O_CLOEXEC | O_CREAT | O_EXCL, S_IRUSR | S_IWUSR);
    return fd_ >= 0 ? std::error_code() : LastError();
}

std::error_code Handle::ReadAll(std::string& bytes) {
    char buffer[65536];
    for (;;) {
        const ssize_t got = ::read(fd_, buffer, sizeof buffer);
        if (got < 0) {
            if (errno == EINTR) continue;
            return LastError();
        }
        if (got == 0) return {};
        bytes.append(buffer, static_cast<std::size_t>(got));
    }
}

std::error_code Handle::WriteAll(std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t put = ::write(fd_, bytes.data(), std::min(bytes.size(), kChunk));
        if (put < 0) {
            if (errno == EINTR) continue;
            return LastError();
        }
        bytes.remove_prefix(static_cast<std::size_t>(put));
    }
    return {};
}

std::error_code Handle::Sync() { return ::fsync(fd_) == 0 ? std::error_code() : LastError(); }

std::error_code Handle::Close() {
    const int fd = fd_;
    fd_ = -1;
    return ::close(fd) == 0 ? std::error_code() : LastError();
}

FileLock::~FileLock() {
    if (fd_ >= 0) ::close(fd_);
}

std::error_code FileLock::TryLock(const std::filesystem::path& path) {
    const int fd = ::open(path.c_str(), O_RDWR | O_CLOEXEC | O_CREAT, S_IRUSR | S_IWUSR);
    if (fd < 0) return LastError();
    // flock belongs to this open file: a second lock on the same folder
    // fails even within one process, and the lock dies with the process.
    while (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        if (errno == EINTR) continue;
        const std::error_code error = LastError();
        ::close(fd);
        return error;
    }
    fd_ = fd;
    return {};
}

bool IsLockBusy(std::error_code error) { return error == std::errc::operation_would_block; }

std::error_code Remove(const std::filesystem::path& path) {
    return ::unlink(path.c_str()) == 0 ? std::error_code() : LastError();
}

void SyncFolder(const std::filesystem::path& folder) {
    // Best effort: the new file is already whole on disk; this only makes
    // its new name survive a power cut.
    const int fd = ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return;
    ::fsync(fd);
    ::close(fd);
}

bool IsDeviceUnavailable(std::error_code error) {
    // Not every number maps to a generic condition; the values are errno's.
    const int value = error.default_error_condition().value();
    return value == ENODEV || value == ENXIO || value == ENOMEDIUM;
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

#endif

}  // namespace lockmere::system_file
