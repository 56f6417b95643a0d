// <windows.h> first, as a program using the core would: none of the core's
// names may be taken over by its macros.
#include <windows.h>

#include <aclapi.h>
#include <doctest/doctest.h>

#include <filesystem>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

#include "store/cipher.h"
#include "store/file_access.h"
#include "store/folder_lock.h"
#include "store/folder_name.h"
#include "store/key_file.h"
#include "store/pair_copy.h"
#include "store/record_store.h"
#include "store/user_sid_windows.h"
#include "tests/store/file_checks.h"
#include "tests/support/book_fixture.h"

// What the file layer does where paths, attributes and errors are Windows
// ones.

namespace fs = std::filesystem;
namespace failure = lockmere::failure;
namespace fixture = lockmere::fixture;
using lockmere::fixture::ReadBytes;
using lockmere::fixture::WriteBytes;
using lockmere::test::EveryByte;
using lockmere::test::Folder;
using lockmere::test::Q;
using lockmere::test::TemporaryFileLeft;

// More than any file of these tests holds.
constexpr std::size_t kLargest = 4096;

namespace {

// The attributes that count. Wine reports the archive bit on every file, and
// "normal" is only ever reported alone.
DWORD Attributes(const fs::path& path) {
    const DWORD attributes = GetFileAttributesW(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) return attributes;
    return attributes & ~static_cast<DWORD>(FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_NORMAL);
}

std::string Key() { return fixture::KeyOf(fixture::Collected()); }

// Holds a file open with no sharing at all, as another program might.
class Locked {
public:
    explicit Locked(const fs::path& path)
        : handle_(CreateFileW(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr)) {
        REQUIRE(handle_ != INVALID_HANDLE_VALUE);
    }
    ~Locked() { CloseHandle(handle_); }
    Locked(const Locked&) = delete;
    Locked& operator=(const Locked&) = delete;

private:
    HANDLE handle_;
};

// A named pipe with a server that never writes: a read from it would wait
// for ever. Two instances, so that two opens each find one free.
class Pipe {
public:
    Pipe() : path_(L"\\\\.\\pipe\\lockmere-test-" + std::to_wstring(GetCurrentProcessId())) {
        for (HANDLE& instance : instances_) {
            instance = CreateNamedPipeW(path_.c_str(), PIPE_ACCESS_DUPLEX, PIPE_TYPE_BYTE, 2, 4096,
                                        4096, 0, nullptr);
            REQUIRE(instance != INVALID_HANDLE_VALUE);
        }
    }
    ~Pipe() {
        for (HANDLE instance : instances_) CloseHandle(instance);
    }
    Pipe(const Pipe&) = delete;
    Pipe& operator=(const Pipe&) = delete;

    fs::path Path() const { return path_; }

private:
    std::wstring path_;
    HANDLE instances_[2] = {INVALID_HANDLE_VALUE, INVALID_HANDLE_VALUE};
};

std::size_t Entries(const fs::path& folder) {
    return static_cast<std::size_t>(
        std::distance(fs::directory_iterator(folder), fs::directory_iterator()));
}

// Makes a symbolic link and tells whether one now stands at link. Wine 8
// answers CreateSymbolicLinkW with success and makes nothing (and refuses
// junctions as not supported), so only the link itself counts.
bool MakeLink(const fs::path& link, const fs::path& target, bool folder) {
    const DWORD flags =
        SYMBOLIC_LINK_FLAG_ALLOW_UNPRIVILEGED_CREATE | (folder ? SYMBOLIC_LINK_FLAG_DIRECTORY : 0);
    CreateSymbolicLinkW(link.c_str(), target.c_str(), flags);
    const DWORD attributes = GetFileAttributesW(link.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT);
}

}  // namespace

TEST_CASE("compose path with a backslash") {
    const struct {
        const char* label;
        std::wstring folder;
        std::string name;
        std::wstring path;
    } rows[] = {
        {"folder and name", L"C:\\Lockmere", "lkdb1.lkd", L"C:\\Lockmere\\lkdb1.lkd"},
        {"drive root: two backslashes", L"D:\\", "lkdb0.lkd", L"D:\\\\lkdb0.lkd"},
        {"name with a leading backslash", L"C:\\me", "\\etc", L"C:\\me\\\\etc"},
        {"nothing normalised", L"C:\\me\\..\\me", ".\\a", L"C:\\me\\..\\me\\.\\a"},
    };
    for (const auto& row : rows)
        SUBCASE(row.label) {
            const auto& [label, folder, name, path] = row;
            CHECK(lockmere::ComposePath(folder, name).native() == path);
        }
}

TEST_CASE("hidden and normal attributes") {
    const struct {
        const char* label;
        DWORD before;
        bool hidden;
        DWORD after;
    } rows[] = {
        {"hidden on a plain file", 0, true, FILE_ATTRIBUTE_HIDDEN},
        {"hidden alone: read-only and system go", FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_SYSTEM,
         true, FILE_ATTRIBUTE_HIDDEN},
        {"normal on a hidden file", FILE_ATTRIBUTE_HIDDEN, false, 0},
        {"normal clears every attribute",
         FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_SYSTEM, false, 0},
    };
    for (const auto& row : rows)
        SUBCASE(row.label) {
            const auto& [label, before, hidden, after] = row;
            Folder folder;
            const fs::path path = folder.Path() / "lkdb0.lkd";
            fixture::WriteBytes(path, "key");
            REQUIRE(SetFileAttributesW(path.c_str(), before == 0 ? FILE_ATTRIBUTE_NORMAL : before));

            CHECK_EQ(
                hidden ? lockmere::SetAttributesHidden(path) : lockmere::SetAttributesNormal(path),
                failure::kNone);
            CHECK_EQ(Attributes(path), after);
            SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
        }
}

TEST_CASE("data files in the program folder are hidden after every write") {
    const struct {
        const char* label;
        std::string write;
    } rows[] = {
        {"the generator's write of the key file", "collected"},
        {"the master account's write of the key file", "credentials"},
        {"a save of the record store", "save"},
        {"an append to the record store", "append"},
    };
    for (const auto& row : rows)
        SUBCASE(row.label) {
            const auto& [label, write] = row;
            Folder folder;
            const fs::path keyFile = folder.Path() / "lkdb0.lkd";
            lockmere::RecordStore book(folder.Path());
            fixture::WriteBytes(book.Path(), fixture::StoreBytes({{"a", "b", "c", "d"}}, Key()));
            fs::path written = book.Path();
            if (write == "collected") {
                CHECK_EQ(lockmere::WriteCollectedString(folder.Path(), fixture::Collected()),
                         failure::kNone);
                written = keyFile;
            }
            if (write == "credentials") {
                // Each write replaces the hidden file by a new one, which must be
                // hidden again.
                REQUIRE_EQ(lockmere::WriteCollectedString(folder.Path(), fixture::Collected()),
                           failure::kNone);
                CHECK_EQ(
                    lockmere::WriteCredentials(folder.Path(), Key(), "admin", "Secret1").Outcome,
                    lockmere::CredentialsWrite::Written);
                CHECK_EQ(Q(fixture::ReadBytes(keyFile)),
                         Q(fixture::KeyFileBytes(fixture::Collected(), "admin", "Secret1")));
                written = keyFile;
            }
            if (write == "save") {
                REQUIRE(book.Load(Key()).Complete());
                CHECK_EQ(book.Save(Key(), {"x\ty\tz\tw"}).Outcome, lockmere::StoreWrite::Written);
            }
            if (write == "append") {
                CHECK_EQ(book.Append(Key(), {"e", "f", "g", "h"}).Outcome,
                         lockmere::StoreWrite::Written);
            }

            CHECK_EQ(Attributes(written), static_cast<DWORD>(FILE_ATTRIBUTE_HIDDEN));
            SetFileAttributesW(written.c_str(), FILE_ATTRIBUTE_NORMAL);
        }
}

// Everybody's identity (Everyone), as access lists name it.
std::vector<unsigned char> Everybody() {
    std::vector<unsigned char> sid(SECURITY_MAX_SID_SIZE);
    DWORD size = static_cast<DWORD>(sid.size());
    REQUIRE(CreateWellKnownSid(WinWorldSid, nullptr, sid.data(), &size));
    return sid;
}

// Whether the file's access list lets everybody read it, as a folder of
// the system's hands down to what is made in it. (Wine keeps a file's
// access list as the Unix mode alone, so what it reads back for a file made
// the user's alone is the user's and the group's entries, without
// everybody's: the whole list as built is seen on Windows only.)
bool EverybodyMayRead(const fs::path& path) {
    PACL dacl = nullptr;
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    REQUIRE_EQ(GetNamedSecurityInfoW(path.c_str(), SE_FILE_OBJECT, DACL_SECURITY_INFORMATION,
                                     nullptr, nullptr, &dacl, nullptr, &descriptor),
               DWORD(ERROR_SUCCESS));
    std::vector<unsigned char> everybody = Everybody();
    bool may = dacl == nullptr;  // no list at all: everybody may
    for (DWORD i = 0; dacl != nullptr && i < dacl->AceCount; ++i) {
        void* entry = nullptr;
        REQUIRE(GetAce(dacl, i, &entry));
        const auto* allowed = static_cast<const ACCESS_ALLOWED_ACE*>(entry);
        may = may || (allowed->Header.AceType == ACCESS_ALLOWED_ACE_TYPE &&
                      (allowed->Mask & FILE_READ_DATA) != 0 &&
                      EqualSid(const_cast<DWORD*>(&allowed->SidStart), everybody.data()));
    }
    LocalFree(descriptor);
    return may;
}

TEST_CASE("every file the program makes is the user's alone; a backup takes its folder's") {
    Folder program, backup;
    const fs::path key = program.Path() / "lkdb0.lkd";
    const fs::path store = program.Path() / "lkdb1.lkd";
    lockmere::RecordStore book(program.Path());
    REQUIRE(book.Load(Key()).Code == failure::kNone);  // makes the missing store
    CHECK(!EverybodyMayRead(store));
    REQUIRE_EQ(lockmere::WriteCollectedString(program.Path(), fixture::Collected()),
               failure::kNone);
    CHECK(!EverybodyMayRead(key));
    REQUIRE_EQ(lockmere::WriteCredentials(program.Path(), Key(), "admin", "Secret1").Outcome,
               lockmere::CredentialsWrite::Written);
    CHECK(!EverybodyMayRead(key));
    REQUIRE(book.Load(Key()).Complete());
    REQUIRE_EQ(book.Save(Key(), {"x\ty\tz\tw"}).Outcome, lockmere::StoreWrite::Written);
    CHECK(!EverybodyMayRead(store));
    REQUIRE_EQ(lockmere::WriteLineFile(program.Path() / "BackupLocation.inf", "C:\\"),
               failure::kNone);
    CHECK(!EverybodyMayRead(program.Path() / "BackupLocation.inf"));
    {
        const lockmere::FolderLock lock(program.Path());
        CHECK(!EverybodyMayRead(program.Path() / "lkdb.lock"));
    }

    // Backed up: the copies take what the folder hands down; restored: the
    // program folder's are the user's alone again.
    for (const fs::path& file : {key, store})
        SetFileAttributesW(file.c_str(), FILE_ATTRIBUTE_NORMAL);
    REQUIRE_EQ(lockmere::CopyDataFiles(program.Path(), {}, backup.Path(), true).Outcome,
               lockmere::CopyOutcome::Copied);
    CHECK(EverybodyMayRead(backup.Path() / "lkdb0.lkd"));
    CHECK(EverybodyMayRead(backup.Path() / "lkdb1.lkd"));
    for (const fs::path& file : {key, store}) {
        fs::remove(file);
        fixture::WriteBytes(file, "made elsewhere");
    }
    REQUIRE(EverybodyMayRead(key));
    REQUIRE_EQ(lockmere::CopyDataFiles(program.Path(), {}, backup.Path(), false).Outcome,
               lockmere::CopyOutcome::Copied);
    CHECK(!EverybodyMayRead(key));
    CHECK(!EverybodyMayRead(store));
}

// Lets everybody add and remove files in folder, as a shared folder does,
// besides the user's own full control.
void ShareForWriting(const fs::path& folder) {
    std::vector<unsigned char> user = lockmere::CurrentUserSid();
    std::vector<unsigned char> everybody = Everybody();
    std::vector<unsigned char> acl(1024);
    auto* list = reinterpret_cast<PACL>(acl.data());
    REQUIRE(InitializeAcl(list, static_cast<DWORD>(acl.size()), ACL_REVISION));
    REQUIRE(AddAccessAllowedAce(list, ACL_REVISION, FILE_ALL_ACCESS, user.data()));
    REQUIRE(AddAccessAllowedAce(
        list, ACL_REVISION,
        FILE_GENERIC_READ | FILE_GENERIC_WRITE | FILE_TRAVERSE | FILE_DELETE_CHILD,
        everybody.data()));
    REQUIRE_EQ(SetNamedSecurityInfoW(const_cast<wchar_t*>(folder.c_str()), SE_FILE_OBJECT,
                                     DACL_SECURITY_INFORMATION, nullptr, nullptr, list, nullptr),
               DWORD(ERROR_SUCCESS));
}

TEST_CASE("a folder others may write into is told from one of the user's own") {
    Folder own, shared;
    ShareForWriting(shared.Path());
    CHECK(!lockmere::OthersMayWriteIn(own.Path()));
    CHECK(lockmere::OthersMayWriteIn(shared.Path()));
    // The user's own file reads as the user's there too. (Wine gives every
    // file the user's identity, whatever it is told: a file of somebody
    // else's is seen on Windows only.)
    fixture::WriteBytes(shared.Path() / "lkdb0.lkd", "key");
    CHECK(lockmere::ReadExistingFile(shared.Path() / "lkdb0.lkd", kLargest, lockmere::Links::Refuse)
              .OwnedByUser);
}

TEST_CASE("failure codes from Windows errors") {
    const struct {
        const char* label;
        int error;
        int code;
    } rows[] = {
        {"file not found", ERROR_FILE_NOT_FOUND, failure::kFileNotFound},
        {"path not found", ERROR_PATH_NOT_FOUND, failure::kPathNotFound},
        {"bad network path", ERROR_BAD_NETPATH, failure::kPathNotFound},
        {"invalid name", ERROR_INVALID_NAME, failure::kPathNotFound},
        {"access denied", ERROR_ACCESS_DENIED, failure::kPathFileAccess},
        {"sharing violation", ERROR_SHARING_VIOLATION, failure::kPathFileAccess},
        {"lock violation", ERROR_LOCK_VIOLATION, failure::kPathFileAccess},
        {"file exists", ERROR_FILE_EXISTS, failure::kPathFileAccess},
        {"already exists", ERROR_ALREADY_EXISTS, failure::kPathFileAccess},
        {"write-protected medium", ERROR_WRITE_PROTECT, failure::kPathFileAccess},
        {"disk full", ERROR_DISK_FULL, failure::kDiskFull},
        {"handle disk full", ERROR_HANDLE_DISK_FULL, failure::kDiskFull},
        {"drive not ready", ERROR_NOT_READY, failure::kDeviceUnavailable},
        {"device gone", ERROR_DEV_NOT_EXIST, failure::kDeviceUnavailable},
        {"no such drive", ERROR_INVALID_DRIVE, failure::kDeviceUnavailable},
        {"data error", ERROR_CRC, failure::kDeviceIo},
        {"anything else", ERROR_GEN_FAILURE, failure::kDeviceIo},
        {"none", ERROR_SUCCESS, failure::kNone},
    };
    for (const auto& row : rows)
        SUBCASE(row.label) {
            const auto& [label, error, code] = row;
            Folder folder;
            const fs::path path = folder.Path() / "file";
            CHECK_EQ(lockmere::FailureCodeFor(std::error_code(error, std::system_category()), path),
                     code);
        }
}

TEST_CASE("failures met on disk") {
    Folder folder;
    const fs::path path = folder.Path() / "lkdb1.lkd";

    SUBCASE("a missing file and a missing folder") {
        CHECK_EQ(lockmere::SetAttributesHidden(path), failure::kFileNotFound);
        CHECK_EQ(lockmere::SetAttributesNormal(path), failure::kFileNotFound);
        CHECK_EQ(lockmere::SetAttributesHidden(folder.Path() / "gone" / "lkdb1.lkd"),
                 failure::kPathNotFound);
        CHECK_EQ(lockmere::ReadFirstLine(path, kLargest).Code, failure::kFileNotFound);
        CHECK_EQ(lockmere::ReadWholeFile(folder.Path() / "gone" / "lkdb1.lkd", kLargest).Code,
                 failure::kPathNotFound);
    }
    SUBCASE("a file another program holds: the safe replace keeps the old file") {
        fixture::WriteBytes(path, "old store bytes");
        {
            const Locked held(path);
            CHECK_EQ(lockmere::ReplaceWholeFile(path, "new bytes"), failure::kPathFileAccess);
        }
        CHECK_EQ(Q(fixture::ReadBytes(path)), Q("old store bytes"));
        CHECK(!TemporaryFileLeft(path));
    }
}

TEST_CASE("names beyond ASCII reach the file system intact") {
    const struct {
        const char* label;
        const char8_t* name;
    } rows[] = {
        {"Windows-1252 letters",
         u8"Sicherung-\u00e9\u00e0\u00fc\u00df\u00c6\u00d8\u0152\u0161\u017e\u0178\u20ac"},
        {"a letter outside Windows-1252", u8"Sicherung-\u00e9\u4e2d"},
        {"Greek and Cyrillic", u8"\u03a9\u043c\u044f"},
    };
    for (const auto& row : rows)
        SUBCASE(row.label) {
            const fs::path name(row.name);
            Folder folder;
            const fs::path created = lockmere::ComposePath(folder.Path(), name);

            CHECK_EQ(lockmere::CreateNamedFolder(folder.Path(), name), failure::kNone);
            int entries = 0;
            for (const fs::directory_entry& entry : fs::directory_iterator(folder.Path())) {
                CHECK(entry.path().filename().native() == name.native());
                ++entries;
            }
            CHECK_EQ(entries, 1);

            // Every operation on a file in that folder.
            const fs::path file = lockmere::ComposePath(created, name);
            CHECK_EQ(lockmere::ReplaceWholeFile(file, EveryByte()), failure::kNone);
            CHECK_EQ(Q(lockmere::ReadWholeFile(file, kLargest).Bytes), Q(EveryByte()));
            CHECK_EQ(lockmere::WriteAt(file, 2, "xy", kLargest), failure::kNone);
            CHECK_EQ(lockmere::SetAttributesHidden(file), failure::kNone);
            CHECK_EQ(Attributes(file), static_cast<DWORD>(FILE_ATTRIBUTE_HIDDEN));
            CHECK_EQ(lockmere::SetAttributesNormal(file), failure::kNone);
            CHECK_EQ(lockmere::WriteLineFile(file, "D:\\Backup"), failure::kNone);
            CHECK_EQ(Q(lockmere::ReadFirstLine(file, kLargest).Bytes), Q("D:\\Backup"));
        }
}

TEST_CASE("reads take bounded plain disk files only, and never block") {
    // What may stand at a name the program reads, met through a data file's
    // read (created when missing, links followed) and any other read; a
    // hang fails the test by its time limit. The bound spans several reads.
    constexpr std::size_t largest = (64u << 10) * 2 + 7;
    const struct {
        const char* label;
        std::string kind;
        int code;
        std::size_t size;
    } rows[] = {
        {"a folder", "folder", failure::kPathFileAccess, 0},
        {"a reserved device name", "NUL", failure::kPathFileAccess, 0},
        {"a device path", "\\\\.\\NUL", failure::kPathFileAccess, 0},
        {"a named pipe whose server never writes", "pipe", failure::kPathFileAccess, 0},
        {"a file of the largest size", "largest", failure::kNone, largest},
        {"a file longer than the largest size", "longer", failure::kNone, largest + 1},
    };
    for (const auto& row : rows)
        SUBCASE(row.label) {
            const auto& [label, kind, code, size] = row;
            Folder folder;
            const Pipe pipe;
            fs::path path = folder.Path() / "lkdb0.lkd";
            std::string bytes;
            for (std::size_t i = 0; i < largest + 5000; ++i)
                bytes += static_cast<char>('a' + i % 26);
            if (kind == "folder") fs::create_directory(path);
            if (kind == "NUL") path = folder.Path() / "NUL";
            if (kind.starts_with("\\")) path = kind;
            if (kind == "pipe") path = pipe.Path();
            if (kind == "largest") bytes.resize(largest);
            if (kind == "largest" || kind == "longer") WriteBytes(path, bytes);
            const std::size_t entries = Entries(folder.Path());

            for (const bool dataFile : {true, false}) {
                CAPTURE(dataFile);
                const lockmere::ReadResult read =
                    dataFile ? lockmere::ReadWholeFile(path, largest)
                             : lockmere::ReadExistingFile(path, largest, lockmere::Links::Refuse);
                CHECK_EQ(read.Code, code);
                CHECK_EQ(read.Bytes.size(), size);
                CHECK(read.Bytes == bytes.substr(0, size));
            }
            // Nothing was made, not even a file named after the device.
            CHECK_EQ(Entries(folder.Path()), entries);
        }
}

TEST_CASE("a folder at the lock file's name is refused as not a file, and stays") {
    Folder folder;
    const fs::path lock = lockmere::ComposePath(folder.Path(), lockmere::kLockFileName);
    fs::create_directory(lock);

    const lockmere::FolderLock taken(folder.Path());
    CHECK(taken.Result() == lockmere::FolderLock::Outcome::NotAFile);
    CHECK_EQ(taken.Code(), failure::kPathFileAccess);
    CHECK(fs::is_directory(lock));
}

TEST_CASE("a missing data file is made empty; any other read finds it missing") {
    Folder folder;
    const fs::path path = folder.Path() / "lkdb0.lkd";

    const lockmere::ReadResult existing =
        lockmere::ReadExistingFile(path, kLargest, lockmere::Links::Refuse);
    CHECK_EQ(existing.Code, failure::kFileNotFound);
    CHECK(!fs::exists(path));

    const lockmere::ReadResult made = lockmere::ReadWholeFile(path, kLargest);
    CHECK_EQ(made.Code, failure::kNone);
    CHECK_EQ(Q(made.Bytes), Q(""));
    CHECK(fs::is_regular_file(path));
    CHECK_EQ(fs::file_size(path), 0u);
    // A data file, hidden as after every write: a first start that ends at
    // its welcome leaves no visible file behind.
    CHECK_EQ(Attributes(path), static_cast<DWORD>(FILE_ATTRIBUTE_HIDDEN));
    SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
}

TEST_CASE("links at a name: a data file's read follows them, nothing else does") {
    Folder folder;
    const fs::path elsewhere = folder.Path() / "elsewhere";
    const fs::path outside = elsewhere / "outside";
    const std::string kOutside = "a file of the user's\n";
    fs::create_directory(elsewhere);
    WriteBytes(outside, kOutside);
    const fs::path probe = folder.Path() / "probe";
    if (!MakeLink(probe, outside, false)) {
        // Wine makes no reparse points: this runs where Windows does.
        MESSAGE("no symbolic link could be made here; links are not tested");
        return;
    }
    DeleteFileW(probe.c_str());
    const struct {
        const char* label;
        std::string kind;
        int followCode;  // a data file of the program folder, created when missing
        int refuseCode;  // any other file
        std::size_t size;
    } rows[] = {
        {"a link to a file", "link", failure::kNone, failure::kPathFileAccess, kOutside.size()},
        {"a dangling link", "dangling", failure::kPathFileAccess, failure::kPathFileAccess, 0},
        {"a link to a folder", "folder", failure::kPathFileAccess, failure::kPathFileAccess, 0},
    };
    for (const auto& row : rows)
        SUBCASE(row.label) {
            const auto& [label, kind, followCode, refuseCode, size] = row;
            const fs::path path = folder.Path() / "lkdb0.lkd";
            const fs::path lock = lockmere::ComposePath(folder.Path(), lockmere::kLockFileName);
            for (const fs::path& link : {path, lock}) {
                if (kind == "link") REQUIRE(MakeLink(link, outside, false));
                if (kind == "dangling") REQUIRE(MakeLink(link, elsewhere / "made", false));
                if (kind == "folder") REQUIRE(MakeLink(link, elsewhere, true));
            }

            const lockmere::ReadResult follow = lockmere::ReadWholeFile(path, kLargest);
            CHECK_EQ(follow.Code, followCode);
            CHECK_EQ(follow.Bytes.size(), followCode == failure::kNone ? size : 0);
            const lockmere::ReadResult refuse =
                lockmere::ReadExistingFile(path, kLargest, lockmere::Links::Refuse);
            CHECK_EQ(refuse.Code, refuseCode);
            CHECK_EQ(refuse.Bytes.size(), 0u);
            CHECK(!lockmere::system_file::IsOwnRegularFile(path));
            // The folder lock is never taken through a link either.
            {
                const lockmere::FolderLock taken(folder.Path());
                CHECK(taken.Result() == lockmere::FolderLock::Outcome::NotAFile);
                CHECK_EQ(taken.Code(), failure::kPathFileAccess);
            }

            // Nothing was made at a link's target, nothing outside changed.
            CHECK(!fs::exists(elsewhere / "made"));
            CHECK_EQ(Q(ReadBytes(outside)), Q(kOutside));
            CHECK_EQ(Entries(elsewhere), 1u);
            // The links go as links, before the folder is emptied.
            for (const fs::path& link : {path, lock})
                CHECK((kind == "folder" ? RemoveDirectoryW(link.c_str())
                                        : DeleteFileW(link.c_str())) != 0);
        }
}
