#include "store/system_file.h"

#include <windows.h>

#include <aclapi.h>

#include <algorithm>
#include <vector>

#include "store/user_sid_windows.h"

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
[[nodiscard]] std::error_code Retrying(Call call) {
    for (int attempt = 0;; ++attempt) {
        if (call()) return {};
        const DWORD error = GetLastError();
        const bool held = error == ERROR_SHARING_VIOLATION || error == ERROR_ACCESS_DENIED;
        if (!held || attempt == 20) return {static_cast<int>(error), std::system_category()};
        Sleep(10);
    }
}

// The user's alone: an access list that grants the user full control and
// nobody else, protected from what the folder would hand down, so that it
// stays with the file when a rename puts it in place. Built once; null (the
// folder's list) when the system will not tell who the user is.
class UserAloneSecurity {
public:
    UserAloneSecurity() : user_(CurrentUserSid()) {
        if (user_.empty()) return;
        const DWORD size =
            sizeof(ACL) + sizeof(ACCESS_ALLOWED_ACE) - sizeof(DWORD) + GetLengthSid(user_.data());
        acl_.resize(size);
        auto* list = reinterpret_cast<PACL>(acl_.data());
        ready_ = InitializeAcl(list, size, ACL_REVISION) &&
                 AddAccessAllowedAce(list, ACL_REVISION, FILE_ALL_ACCESS, user_.data()) &&
                 InitializeSecurityDescriptor(&descriptor_, SECURITY_DESCRIPTOR_REVISION) &&
                 SetSecurityDescriptorDacl(&descriptor_, TRUE, list, FALSE) &&
                 SetSecurityDescriptorControl(&descriptor_, SE_DACL_PROTECTED, SE_DACL_PROTECTED);
        attributes_ = {sizeof attributes_, &descriptor_, FALSE};
    }
    UserAloneSecurity(const UserAloneSecurity&) = delete;
    UserAloneSecurity& operator=(const UserAloneSecurity&) = delete;

    SECURITY_ATTRIBUTES* Attributes() { return ready_ ? &attributes_ : nullptr; }

private:
    std::vector<unsigned char> user_;
    std::vector<unsigned char> acl_;
    SECURITY_DESCRIPTOR descriptor_{};
    SECURITY_ATTRIBUTES attributes_{};
    bool ready_ = false;
};

SECURITY_ATTRIBUTES* UserAlone() {
    static UserAloneSecurity security;
    return security.Attributes();
}

// Readers let others read, write and rename meanwhile, as a plain open does
// elsewhere, so a reader never blocks a safe replace.
constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

// Keeps the handle only when it is a file on a disk: a pipe, a console or
// another device, a folder, and a link opened as itself are closed and
// refused before anything could wait on them or read them. A followed link
// is the system's: what it reached is checked.
[[nodiscard]] std::error_code CheckRegular(std::intptr_t& native, Links links) {
    const HANDLE file = Native(native);
    const DWORD refused = FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_DEVICE |
                          (links == Links::Refuse ? FILE_ATTRIBUTE_REPARSE_POINT : 0);
    BY_HANDLE_FILE_INFORMATION information{};
    std::error_code error;
    if (GetFileType(file) != FILE_TYPE_DISK)
        error = NotARegularFile();
    else if (!GetFileInformationByHandle(file, &information))
        error = LastError();
    else if ((information.dwFileAttributes & refused) != 0)
        error = NotARegularFile();
    else
        return {};
    CloseHandle(file);
    native = -1;
    return error;
}

bool IsFolderOrLink(const std::filesystem::path& path) {
    // The attributes of a link itself, not of its target.
    const DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES &&
           (attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)) != 0;
}

}  // namespace

Handle::~Handle() {
    if (IsOpen(native_)) CloseHandle(Native(native_));
}

std::error_code Handle::OpenForRead(const std::filesystem::path& path, bool create, Links links) {
    // Backup semantics let a folder open too, so that the check below names
    // it; a refused link opens as itself, never its target.
    const DWORD flags =
        FILE_FLAG_BACKUP_SEMANTICS | (links == Links::Refuse ? FILE_FLAG_OPEN_REPARSE_POINT : 0);
    std::error_code error = Retrying([&] {
        native_ = FromNative(CreateFileW(path.c_str(), GENERIC_READ, kShareAll, nullptr,
                                         OPEN_EXISTING, flags, nullptr));
        return IsOpen(native_);
    });
    if (error.value() == ERROR_FILE_NOT_FOUND && create) {
        // CREATE_NEW would follow a dangling link and make its target; as
        // a reparse point the link itself is found and nothing is made. Only
        // the data files are made here: hidden from their first moment, as
        // after every write.
        error = Retrying([&] {
            native_ = FromNative(
                CreateFileW(path.c_str(), GENERIC_READ, kShareAll, UserAlone(), CREATE_NEW,
                            FILE_ATTRIBUTE_HIDDEN | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
            return IsOpen(native_);
        });
    }
    if (error) return error;
    return CheckRegular(native_, links);
}

std::error_code Handle::CreateNew(const std::filesystem::path& path, Readers readers) {
    // Nobody else may open it while it is written.
    const HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0,
                                    readers == Readers::UserAlone ? UserAlone() : nullptr,
                                    CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return LastError();
    native_ = FromNative(file);
    return {};
}

std::error_code Handle::ReadAll(std::string& bytes, std::size_t largest) {
    char buffer[65536];
    while (bytes.size() <= largest) {
        const auto want = static_cast<DWORD>(std::min(sizeof buffer, largest + 1 - bytes.size()));
        DWORD got = 0;
        if (!ReadFile(Native(native_), buffer, want, &got, nullptr)) return LastError();
        if (got == 0) return {};
        bytes.append(buffer, got);
    }
    return {};
}

bool Handle::OwnedByUser() const {
    PSID owner = nullptr;
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    const DWORD result =
        GetSecurityInfo(Native(native_), SE_FILE_OBJECT, OWNER_SECURITY_INFORMATION, &owner,
                        nullptr, nullptr, nullptr, &descriptor);
    // A file system without owners (FAT, exFAT) has nobody else's files.
    if (result == ERROR_NOT_SUPPORTED || result == ERROR_INVALID_FUNCTION) return true;
    if (result != ERROR_SUCCESS) return false;
    std::vector<unsigned char> user = CurrentUserSid();
    const bool own = owner == nullptr || (!user.empty() && EqualSid(owner, user.data()));
    LocalFree(descriptor);
    return own;
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
    if (!IsOpen(native_)) return;
    if (!removed_.empty()) {
        // Shared with nobody, so it goes with this handle: no other copy
        // can take the lock on it in between.
        FILE_DISPOSITION_INFO disposition{TRUE};
        SetFileInformationByHandle(Native(native_), FileDispositionInfo, &disposition,
                                   sizeof disposition);
    }
    CloseHandle(Native(native_));
}

std::error_code FileLock::TryLock(const std::filesystem::path& path, LockFileAfter after) {
    // A lock file removed after use is shared with nobody while it is held:
    // a second copy's open fails as busy.
    const bool removed = after == LockFileAfter::Removed;
    // Never through a link: one at the name opens as itself and is refused.
    HANDLE file = CreateFileW(
        path.c_str(), GENERIC_READ | GENERIC_WRITE | (removed ? DELETE : 0),
        removed ? 0 : kShareAll, UserAlone(), OPEN_ALWAYS,
        FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT | FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        const std::error_code error = LastError();
        // A folder or link the user may not write to is refused as what it
        // is, not as a place where the file cannot be made.
        return error.value() == ERROR_ACCESS_DENIED && IsFolderOrLink(path) ? NotARegularFile()
                                                                            : error;
    }
    std::intptr_t native = FromNative(file);
    if (const std::error_code error = CheckRegular(native, Links::Refuse)) return error;
    OVERLAPPED start{};
    if (!LockFileEx(file, LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, 1, 0, &start)) {
        const std::error_code error = LastError();
        CloseHandle(file);
        return error;
    }
    native_ = native;
    if (removed) removed_ = path;
    return {};
}

bool IsLockBusy(std::error_code error) {
    return error.category() == std::system_category() &&
           (error.value() == ERROR_LOCK_VIOLATION || error.value() == ERROR_SHARING_VIOLATION);
}

bool OthersMayWriteIn(const std::filesystem::path& folder) {
    PACL dacl = nullptr;
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (GetNamedSecurityInfoW(folder.c_str(), SE_FILE_OBJECT, DACL_SECURITY_INFORMATION, nullptr,
                              nullptr, &dacl, nullptr, &descriptor) != ERROR_SUCCESS)
        return false;  // as where POSIX cannot tell
    // Besides the user, those who may write anywhere anyway.
    std::vector<std::vector<unsigned char>> trusted{CurrentUserSid()};
    for (const WELL_KNOWN_SID_TYPE kind :
         {WinLocalSystemSid, WinBuiltinAdministratorsSid, WinCreatorOwnerSid}) {
        std::vector<unsigned char> sid(SECURITY_MAX_SID_SIZE);
        DWORD size = static_cast<DWORD>(sid.size());
        if (CreateWellKnownSid(kind, nullptr, sid.data(), &size)) trusted.push_back(sid);
    }
    constexpr ACCESS_MASK kWrites =
        FILE_ADD_FILE | FILE_ADD_SUBDIRECTORY | FILE_DELETE_CHILD | GENERIC_WRITE | GENERIC_ALL;
    bool others = dacl == nullptr;  // no list at all: everybody may
    for (DWORD i = 0; !others && i < dacl->AceCount; ++i) {
        void* entry = nullptr;
        if (!GetAce(dacl, i, &entry)) continue;
        auto* allowed = static_cast<ACCESS_ALLOWED_ACE*>(entry);
        if (allowed->Header.AceType != ACCESS_ALLOWED_ACE_TYPE || (allowed->Mask & kWrites) == 0)
            continue;
        others = std::none_of(trusted.begin(), trusted.end(), [&](std::vector<unsigned char>& sid) {
            return !sid.empty() && EqualSid(&allowed->SidStart, sid.data());
        });
    }
    LocalFree(descriptor);
    return others;
}

bool IsOwnRegularFile(const std::filesystem::path& path) {
    // Opened for its attributes alone, as itself: the same check as a read.
    std::intptr_t native = FromNative(
        CreateFileW(path.c_str(), FILE_READ_ATTRIBUTES, kShareAll, nullptr, OPEN_EXISTING,
                    FILE_FLAG_OPEN_REPARSE_POINT | FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    if (!IsOpen(native) || CheckRegular(native, Links::Refuse)) return false;
    CloseHandle(Native(native));
    return true;
}

std::error_code MakeFolderBelow(const std::filesystem::path& folder,
                                const std::vector<std::filesystem::path>& parts) {
    std::filesystem::path way = folder;
    for (std::size_t i = 0; i + 1 < parts.size(); ++i) {
        way /= parts[i];
        const DWORD attributes = GetFileAttributesW(way.c_str());
        if (attributes == INVALID_FILE_ATTRIBUTES)
            return std::make_error_code(std::errc::no_such_file_or_directory);
        if ((attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0)
            return std::make_error_code(std::errc::too_many_symbolic_link_levels);
        if ((attributes & FILE_ATTRIBUTE_DIRECTORY) == 0)
            return std::make_error_code(std::errc::not_a_directory);
    }
    return CreateDirectoryW((way / parts.back()).c_str(), nullptr) ? std::error_code()
                                                                   : LastError();
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

std::error_code RenameNoReplace(const std::filesystem::path& from,
                                const std::filesystem::path& to) {
    // Without MOVEFILE_REPLACE_EXISTING anything at the name fails the move.
    if (MoveFileExW(from.c_str(), to.c_str(), MOVEFILE_WRITE_THROUGH)) return {};
    const DWORD error = GetLastError();
    if (error == ERROR_ALREADY_EXISTS || error == ERROR_FILE_EXISTS)
        return std::make_error_code(std::errc::file_exists);
    return {static_cast<int>(error), std::system_category()};
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
