#include "store/system_file.h"

#include <windows.h>

#include <algorithm>

namespace lockmere::system_file {

// Paths reach the system as wide text (path::c_str() is UTF-16 here), so a
// name with any letter arrives as typed.

namespace {

std::error_code LastError() { return {static_cast<int>(GetLastError()), std::system_category()}; }

HANDLE Native(std::intptr_t native) { return reinterpret_cast<HANDLE>(native); }

std::intptr_t FromNative(HANDLE handle) { return reinterpret_cast<std::intptr_t>(handle); }

// INVALID_HANDLE_VALUE is -1, the empty value of both handle classes.
bool IsOpen(std::intptr_t native) { return Native(native) != INVALID_HANDLE_VALUE; }

// ReadFile and WriteFile count in DWORDs.
constexpr DWORD kChunk = 1 << 20;

// A virus scanner, an indexer or a writer replacing the file may hold it
// for a moment without sharing it: a call refused that way is tried again a
// little later. (Access denied is also what a file being replaced gives.)
template <typename Call>
std::error_code Retrying(Call call) {
    for (int attempt = 0;; ++attempt) {
        if (call()) return {};
        const DWORD error = GetLastError();
        const bool held = error == ERROR_SHARING_VIOLATION || error == ERROR_ACCESS_DENIED;
        if (!held || attempt == 20) return {static_cast<int>(error), std::system_category()};
        Sleep(10);
    }
}

// Readers let others read, write and rename meanwhile, as a plain open does
// elsewhere, so a reader never blocks a safe replace.
constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

}  // namespace

Handle::~Handle() {
    if (IsOpen(native_)) CloseHandle(Native(native_));
}

std::error_code Handle::OpenForRead(const std::filesystem::path& path, bool create) {
    return Retrying([&] {
        const HANDLE file =
            CreateFileW(path.c_str(), GENERIC_READ, kShareAll, nullptr,
                        create ? OPEN_ALWAYS : OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
        native_ = FromNative(file);
        return file != INVALID_HANDLE_VALUE;
    });
}

std::error_code Handle::CreateNew(const std::filesystem::path& path) {
    // Nobody else may open it while it is written.
    const HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                    FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return LastError();
    native_ = FromNative(file);
    return {};
}

std::error_code Handle::ReadAll(std::string& bytes) {
    char buffer[65536];
    for (;;) {
        DWORD got = 0;
        if (!ReadFile(Native(native_), buffer, sizeof buffer, &got, nullptr)) return LastError();
        if (got == 0) return {};
        bytes.append(buffer, got);
    }
}

std::error_code Handle::WriteAll(std::string_view bytes) {
    while (!bytes.empty()) {
        const auto piece = static_cast<DWORD>(std::min<std::size_t>(bytes.size(), kChunk));
        DWORD put = 0;
        if (!WriteFile(Native(native_), bytes.data(), piece, &put, nullptr)) return LastError();
        bytes.remove_prefix(put);
    }
    return {};
}

std::error_code Handle::Sync() {
    return FlushFileBuffers(Native(native_)) ? std::error_code() : LastError();
}

std::error_code Handle::Close() {
    const HANDLE file = Native(native_);
    native_ = -1;
    return CloseHandle(file) ? std::error_code() : LastError();
}

FileLock::~FileLock() {
    if (IsOpen(native_)) CloseHandle(Native(native_));
}

std::error_code FileLock::TryLock(const std::filesystem::path& path) {
    const HANDLE file = CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, kShareAll, nullptr,
                                    OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return LastError();
    OVERLAPPED start{};
    if (!LockFileEx(file, LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, 1, 0, &start)) {
        const std::error_code error = LastError();
        CloseHandle(file);
        return error;
    }
    native_ = FromNative(file);
    return {};
}

bool IsLockBusy(std::error_code error) {
    return error.category() == std::system_category() &&
           (error.value() == ERROR_LOCK_VIOLATION || error.value() == ERROR_SHARING_VIOLATION);
}

std::error_code Remove(const std::filesystem::path& path) {
    return DeleteFileW(path.c_str()) ? std::error_code() : LastError();
}

std::error_code Rename(const std::filesystem::path& from, const std::filesystem::path& to) {
    return Retrying([&] {
        return MoveFileExW(from.c_str(), to.c_str(),
                           MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
    });
}

// The rename itself is written through by the file system.
void SyncFolder(const std::filesystem::path&) {}

std::error_code SetHidden(const std::filesystem::path& path, bool hidden) {
    const DWORD attributes = hidden ? FILE_ATTRIBUTE_HIDDEN : FILE_ATTRIBUTE_NORMAL;
    return SetFileAttributesW(path.c_str(), attributes) ? std::error_code() : LastError();
}

std::optional<ErrorKind> KindOf(std::error_code error) {
    if (error.category() != std::system_category()) return std::nullopt;
    switch (error.value()) {
    case ERROR_FILE_NOT_FOUND:
        return ErrorKind::kFileNotFound;
    case ERROR_PATH_NOT_FOUND:
    case ERROR_BAD_NETPATH:
    case ERROR_BAD_PATHNAME:
    case ERROR_INVALID_NAME:
    case ERROR_DIRECTORY:
        return ErrorKind::kPathNotFound;
    case ERROR_ACCESS_DENIED:
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
    case ERROR_FILE_EXISTS:
    case ERROR_ALREADY_EXISTS:
    case ERROR_WRITE_PROTECT:
    case ERROR_DIR_NOT_EMPTY:
    case ERROR_FILENAME_EXCED_RANGE:
    case ERROR_NOT_SAME_DEVICE:
        return ErrorKind::kAccess;
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
        return ErrorKind::kDiskFull;
    case ERROR_NOT_READY:
    case ERROR_DEV_NOT_EXIST:
    case ERROR_INVALID_DRIVE:
    case ERROR_BAD_UNIT:
    case ERROR_NO_MEDIA_IN_DRIVE:
        return ErrorKind::kDeviceUnavailable;
    default:
        return ErrorKind::kDeviceIo;
    }
}

}  // namespace lockmere::system_file
