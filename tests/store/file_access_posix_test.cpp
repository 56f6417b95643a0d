#include <doctest/doctest.h>
#include <sys/stat.h>

#include <cerrno>
#include <filesystem>
#include <string>
#include <system_error>

#include "store/cipher.h"
#include "store/file_access.h"
#include "tests/store/file_checks.h"
#include "tests/support/book_fixture.h"

// What the file layer does where paths, links and modes are POSIX ones.

namespace fs = std::filesystem;
namespace failure = lockmere::failure;
using lockmere::fixture::ReadBytes;
using lockmere::fixture::WriteBytes;
using lockmere::test::Folder;
using lockmere::test::Mode;
using lockmere::test::Q;

TEST_CASE("compose path") {
    const struct {
        const char* label;
        std::string folder;
        std::string name;
        std::string path;
    } rows[] = {
        {"folder and name", "/home/me/Lockmere", "lkdb1.lkd", "/home/me/Lockmere/lkdb1.lkd"},
        {"root: two separators", "/", "lkdb0.lkd", "//lkdb0.lkd"},
        // A typed name never replaces the folder it is meant to go under.
        {"name with a leading separator", "/home/me", "/etc", "/home/me//etc"},
        {"nothing normalised", "/home/me/../me", "./a", "/home/me/../me/./a"},
    };
    for (const auto& row : rows)
        SUBCASE(row.label) {
            const auto& [label, folder, name, path] = row;
            const fs::path composed = lockmere::ComposePath(fs::path(folder), name);
            CHECK_EQ(composed.string(), path);
        }
}

TEST_CASE("replace at a link") {
    // A data file the user keeps elsewhere through a link stays there; any
    // other write replaces the link and leaves its target alone.
    for (const bool dataFile : {true, false}) {
        CAPTURE(dataFile);
        Folder folder;
        fs::create_directory(folder.Path() / "elsewhere");
        const fs::path target = folder.Path() / "elsewhere" / "file";
        const fs::path link = folder.Path() / "lkdb1.lkd";
        WriteBytes(target, "old");
        fs::create_symlink(target, link);

        CHECK_EQ(dataFile ? lockmere::ReplaceDataFile(link, "new")
                          : lockmere::ReplaceWholeFile(link, "new"),
                 failure::kNone);
        CHECK_EQ(fs::is_symlink(link), dataFile);
        CHECK_EQ(Q(ReadBytes(target)), dataFile ? "new" : "old");
        CHECK_EQ(Q(ReadBytes(link)), "new");
        // Nothing beside the target but the target.
        CHECK(std::distance(fs::directory_iterator(target.parent_path()),
                            fs::directory_iterator()) == 1);
    }
}

TEST_CASE("reads take bounded regular files only, and never block") {
    // What may stand at a name the program reads; a hang fails the test by
    // its time limit.
    constexpr std::size_t kLargest = 299;
    const std::string kOutside = "a file of the user's\n";
    const struct {
        const char* label;
        std::string kind;
        int followCode;  // a data file of the program folder, created when missing
        int refuseCode;  // any other file
        std::size_t size;
    } rows[] = {
        {"a link to a file", "link", failure::kNone, failure::kPathFileAccess, kOutside.size()},
        {"a dangling link", "dangling", failure::kPathFileAccess, failure::kPathFileAccess, 0},
        {"a pipe", "fifo", failure::kPathFileAccess, failure::kPathFileAccess, 0},
        {"a link to a device", "device", failure::kPathFileAccess, failure::kPathFileAccess, 0},
        {"a folder", "folder", failure::kPathFileAccess, failure::kPathFileAccess, 0},
        {"a huge sparse file", "sparse", failure::kNone, failure::kNone, kLargest + 1},
    };
    for (const auto& row : rows)
        SUBCASE(row.label) {
            const auto& [label, kind, followCode, refuseCode, size] = row;
            Folder folder;
            const fs::path path = folder.Path() / "lkdb0.lkd";
            const fs::path outside = folder.Path() / "outside";
            WriteBytes(outside, kOutside);
            if (kind == "link") fs::create_symlink(outside, path);
            if (kind == "dangling") fs::create_symlink(folder.Path() / "made", path);
            if (kind == "fifo") REQUIRE(mkfifo(path.c_str(), 0600) == 0);
            if (kind == "device") fs::create_symlink("/dev/zero", path);
            if (kind == "folder") fs::create_directory(path);
            if (kind == "sparse") {
                WriteBytes(path, "");
                fs::resize_file(path, 3ull << 30);
            }

            const lockmere::ReadResult follow = lockmere::ReadWholeFile(path, kLargest);
            CHECK_EQ(follow.Code, followCode);
            CHECK_EQ(follow.Bytes.size(), followCode == failure::kNone ? size : 0);
            const lockmere::ReadResult refuse =
                lockmere::ReadExistingFile(path, kLargest, lockmere::Links::Refuse);
            CHECK_EQ(refuse.Code, refuseCode);
            CHECK_EQ(refuse.Bytes.size(), refuseCode == failure::kNone ? size : 0);
            // Nothing was made at a link's target, nothing outside changed.
            CHECK(!fs::exists(folder.Path() / "made"));
            CHECK_EQ(Q(ReadBytes(outside)), Q(kOutside));
        }
}

TEST_CASE("attributes keep data files owner-only") {
    const struct {
        const char* label;
        bool hidden;
        std::string kind;
        unsigned mode;
    } rows[] = {
        {"hidden keeps owner-only", true, "0600", 0600u},
        {"normal keeps owner-only", false, "0600", 0600u},
        {"hidden narrows a shared file", true, "0644", 0600u},
        {"normal never widens a read-only file", false, "0400", 0400u},
    };
    for (const auto& row : rows)
        SUBCASE(row.label) {
            const auto& [label, hidden, kind, mode] = row;
            Folder folder;
            const fs::path path = folder.Path() / "lkdb0.lkd";
            WriteBytes(path, "key");
            fs::permissions(path, fs::perms(std::stoul(kind, nullptr, 8)));

            CHECK_EQ(
                hidden ? lockmere::SetAttributesHidden(path) : lockmere::SetAttributesNormal(path),
                failure::kNone);
            CHECK_EQ(Mode(path), mode);
        }
}

TEST_CASE("failure codes") {
    const struct {
        const char* label;
        int error;
        bool parentExists;
        int code;
    } rows[] = {
        {"no device", ENODEV, true, failure::kDeviceUnavailable},
        {"no such device or address", ENXIO, true, failure::kDeviceUnavailable},
        {"no medium", ENOMEDIUM, true, failure::kDeviceUnavailable},
        {"access refused", EACCES, true, failure::kPathFileAccess},
        {"not permitted", EPERM, true, failure::kPathFileAccess},
        {"already exists", EEXIST, true, failure::kPathFileAccess},
        {"read-only file system", EROFS, true, failure::kPathFileAccess},
        {"is a folder", EISDIR, true, failure::kPathFileAccess},
        {"file missing", ENOENT, true, failure::kFileNotFound},
        {"folder missing", ENOENT, false, failure::kPathNotFound},
        {"a file on the way", ENOTDIR, true, failure::kPathNotFound},
        {"disk full", ENOSPC, true, failure::kDiskFull},
        {"quota", EDQUOT, true, failure::kDiskFull},
        {"input/output error", EIO, true, failure::kDeviceIo},
        {"none", 0, true, failure::kNone},
    };
    for (const auto& row : rows)
        SUBCASE(row.label) {
            const auto& [label, error, parentExists, code] = row;
            Folder folder;
            const fs::path path =
                parentExists ? folder.Path() / "file" : folder.Path() / "gone" / "file";
            // The same number arrives from plain system calls and from std::filesystem.
            CHECK_EQ(
                lockmere::FailureCodeFor(std::error_code(error, std::generic_category()), path),
                code);
            CHECK_EQ(lockmere::FailureCodeFor(std::error_code(error, std::system_category()), path),
                     code);
        }
}
