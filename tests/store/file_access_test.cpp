#include <doctest/doctest.h>

#include <cerrno>
#include <filesystem>
#include <system_error>

#include "store/file_access.h"
#include "tests/store/file_checks.h"
#include "tests/support/book_fixture.h"

namespace fs = std::filesystem;
namespace failure = lockmere::failure;
using lockmere::test::Folder;
using lockmere::test::Mode;
using lockmere::test::Q;
using lockmere::test::TemporaryFileLeft;
using lockmere::fixture::ReadBytes;
using lockmere::fixture::WriteBytes;

namespace {

// All 256 byte values: nothing may be translated on the way.
std::string EveryByte() {
    std::string bytes;
    for (int code = 0; code < 256; ++code) bytes.push_back(static_cast<char>(code));
    return bytes;
}

}  // namespace

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
    for (const auto& row : rows) SUBCASE(row.label) {
        const auto& [label, folder, name, path] = row;
        const fs::path composed = lockmere::ComposePath(fs::path(folder), name);
        CHECK_EQ(composed.string(), path);
    }
}

TEST_CASE("read whole file") {
    const struct {
        const char* label;
        std::string kind;
        int code;
        std::string bytes;
    } rows[] = {
        {"every byte value", "file", failure::kNone, EveryByte()},
        {"missing file is created empty", "missing", failure::kNone, ""},
        {"missing folder", "no-parent", failure::kPathNotFound, ""},
        {"a folder", "folder", failure::kPathFileAccess, ""},
    };
    for (const auto& row : rows) SUBCASE(row.label) {
        const auto& [label, kind, code, bytes] = row;
        Folder folder;
        fs::path path = folder.Path() / "lkdb1.lkd";
        if (kind == "file") WriteBytes(path, bytes);
        if (kind == "folder") fs::create_directory(path);
        if (kind == "no-parent") path = folder.Path() / "gone" / "lkdb1.lkd";

        const lockmere::ReadResult result = lockmere::ReadWholeFile(path);
        CHECK_EQ(result.Code, code);
        CHECK_EQ(Q(result.Bytes), Q(bytes));
        if (kind == "missing") {
            CHECK(fs::is_regular_file(path));
            CHECK_EQ(fs::file_size(path), 0u);
            CHECK_EQ(Mode(path), 0600u);
        }
        if (kind == "no-parent") CHECK(!fs::exists(path.parent_path()));
    }
}

TEST_CASE("replace") {
    const struct {
        const char* label;
        bool exists;
        std::string old;
        std::string bytes;
    } rows[] = {
        {"new file", false, "", EveryByte()},
        {"shorter than the old file", true, "0123456789", "ab"},
        {"longer than the old file", true, "ab", EveryByte()},
        {"empty", true, "0123456789", ""},
    };
    for (const auto& row : rows) SUBCASE(row.label) {
        const auto& [label, exists, old, bytes] = row;
        Folder folder;
        const fs::path path = folder.Path() / "lkdb1.lkd";
        if (exists) {
            WriteBytes(path, old);
            fs::permissions(path, fs::perms(0644));
        }

        CHECK_EQ(lockmere::ReplaceFile(path, bytes), failure::kNone);
        CHECK_EQ(Q(ReadBytes(path)), Q(bytes));
        CHECK_EQ(Mode(path), 0600u);
        CHECK(!fs::exists(lockmere::TemporaryPathFor(path)));
    }
}

TEST_CASE("replace failure keeps the old file") {
    const struct {
        const char* label;
        std::string obstacle;
        int code;
    } rows[] = {
        {"a folder where the temporary file goes", "temporary", failure::kPathFileAccess},
        {"a folder where the file goes", "target", failure::kPathFileAccess},
        {"missing folder", "no-parent", failure::kPathNotFound},
    };
    for (const auto& row : rows) SUBCASE(row.label) {
        const auto& [label, obstacle, code] = row;
        Folder folder;
        fs::path path = folder.Path() / "lkdb1.lkd";
        const std::string old = "old store bytes";
        if (obstacle == "temporary") {
            WriteBytes(path, old);
            fs::create_directory(lockmere::TemporaryPathFor(path));
        }
        if (obstacle == "target") fs::create_directory(path);
        if (obstacle == "no-parent") path = folder.Path() / "gone" / "lkdb1.lkd";

        CHECK_EQ(lockmere::ReplaceFile(path, "new bytes"), code);
        CHECK(!TemporaryFileLeft(path));
        if (obstacle == "temporary") CHECK_EQ(Q(ReadBytes(path)), Q(old));
        if (obstacle == "target") CHECK(fs::is_directory(path));
        if (obstacle == "no-parent") CHECK(!fs::exists(path.parent_path()));
    }
}

TEST_CASE("replace through a link") {
    // A data file kept elsewhere through a link stays there.
    Folder folder;
    const fs::path target = folder.Path() / "elsewhere.lkd";
    const fs::path link = folder.Path() / "lkdb1.lkd";
    WriteBytes(target, "old");
    fs::create_symlink(target, link);

    CHECK_EQ(lockmere::ReplaceFile(link, "new"), failure::kNone);
    CHECK(fs::is_symlink(link));
    CHECK_EQ(Q(ReadBytes(target)), "new");
}

TEST_CASE("write at") {
    const struct {
        const char* label;
        bool exists;
        std::string old;
        int position;
        std::string bytes;
        int code;
        std::string result;
    } rows[] = {
        {"inside", true, "abcdef", 3, "XY", failure::kNone, "abXYef"},
        {"at the start keeps a longer tail", true, "0123456789", 1, "ab", failure::kNone, "ab23456789"},
        {"reaching past the end", true, "abc", 3, "XYZ", failure::kNone, "abXYZ"},
        {"beyond the end leaves zero bytes", true, "abc", 6, "Z", failure::kNone, std::string("abc\0\0Z", 6)},
        {"missing file is created", false, "", 1, "hi", failure::kNone, "hi"},
        {"position 0 is refused", true, "abc", 0, "Z", failure::kBadPosition, "abc"},
    };
    for (const auto& row : rows) SUBCASE(row.label) {
        const auto& [label, exists, old, position, bytes, code, result] = row;
        Folder folder;
        const fs::path path = folder.Path() / "lkdb0.lkd";
        if (exists) WriteBytes(path, old);

        CHECK_EQ(lockmere::WriteAt(path, static_cast<std::size_t>(position), bytes), code);
        CHECK_EQ(Q(ReadBytes(path)), Q(result));
        if (code == failure::kNone) CHECK_EQ(Mode(path), 0600u);
    }
}

TEST_CASE("read first line") {
    const struct {
        const char* label;
        bool exists;
        std::string content;
        int code;
        std::string line;
    } rows[] = {
        {"CR LF", true, "D:\\Backup\r\nnext\r\n", failure::kNone, "D:\\Backup"},
        {"LF", true, "/mnt/usb\nnext", failure::kNone, "/mnt/usb"},
        {"CR", true, "a b\rnext", failure::kNone, "a b"},
        {"no line end", true, "only", failure::kNone, "only"},
        {"empty line", true, "\r\nnext", failure::kNone, ""},
        {"empty file", true, "", failure::kNone, ""},
        {"missing file", false, "", failure::kFileNotFound, ""},
    };
    for (const auto& row : rows) SUBCASE(row.label) {
        const auto& [label, exists, content, code, line] = row;
        Folder folder;
        const fs::path path = folder.Path() / "BackupLocation.inf";
        if (exists) WriteBytes(path, content);

        const lockmere::ReadResult result = lockmere::ReadFirstLine(path);
        CHECK_EQ(result.Code, code);
        CHECK_EQ(Q(result.Bytes), Q(line));
        CHECK_EQ(fs::exists(path), exists);
    }
}

TEST_CASE("write line file") {
    Folder folder;
    const fs::path path = folder.Path() / "BackupLocation.inf";
    WriteBytes(path, "/a/much/longer/old/location\r\n");
    CHECK_EQ(lockmere::WriteLineFile(path, "/mnt/usb"), failure::kNone);
    CHECK_EQ(Q(ReadBytes(path)), "/mnt/usb\r\n");
    CHECK_EQ(Mode(path), 0600u);
}

TEST_CASE("delete file") {
    const struct {
        const char* label;
        std::string kind;
        int code;
    } rows[] = {
        {"file", "file", failure::kNone},
        {"missing file", "missing", failure::kFileNotFound},
        {"missing folder", "no-parent", failure::kPathNotFound},
        {"a folder", "folder", failure::kPathFileAccess},
    };
    for (const auto& row : rows) SUBCASE(row.label) {
        const auto& [label, kind, code] = row;
        Folder folder;
        fs::path path = folder.Path() / "lkdb1.lkd";
        if (kind == "file") WriteBytes(path, "x");
        if (kind == "folder") fs::create_directory(path);
        if (kind == "no-parent") path = folder.Path() / "gone" / "lkdb1.lkd";

        CHECK_EQ(lockmere::DeleteFile(path), code);
        CHECK_EQ(fs::exists(path), kind == "folder");
    }
}

TEST_CASE("copy") {
    const struct {
        const char* label;
        std::string kind;
        int code;
    } rows[] = {
        {"to a new file", "new", failure::kNone},
        {"over a longer file", "longer", failure::kNone},
        {"missing source", "no-source", failure::kFileNotFound},
        {"missing destination folder", "no-folder", failure::kPathNotFound},
        {"a folder in the destination's place", "folder", failure::kPathFileAccess},
    };
    for (const auto& row : rows) SUBCASE(row.label) {
        const auto& [label, kind, code] = row;
        Folder folder;
        const fs::path source = folder.Path() / "lkdb1.lkd";
        fs::path destination = folder.Path() / "backup" / "lkdb1.lkd";
        fs::create_directory(folder.Path() / "backup");
        const std::string bytes = EveryByte();
        const std::string old = bytes + bytes + "old";
        if (kind != "no-source") WriteBytes(source, bytes);
        if (kind == "longer" || kind == "no-source") WriteBytes(destination, old);
        if (kind == "folder") fs::create_directory(destination);
        if (kind == "no-folder") destination = folder.Path() / "gone" / "lkdb1.lkd";

        CHECK_EQ(lockmere::CopyFileOver(source, destination), code);
        CHECK(!TemporaryFileLeft(destination));
        if (code == failure::kNone) {
            CHECK_EQ(Q(ReadBytes(destination)), Q(bytes));
            CHECK_EQ(Mode(destination), 0600u);
        }
        if (kind == "no-source") CHECK_EQ(Q(ReadBytes(destination)), Q(old));
        if (kind == "folder") CHECK(fs::is_directory(destination));
    }
}

TEST_CASE("copy onto itself") {
    const struct {
        const char* label;
        std::string way;
    } rows[] = {
        {"same path", "same"},
        {"through dir/../dir", "dotdot"},
        {"through ./", "dot"},
        {"a link to the file", "symlink"},
        {"a link to the folder", "folder-link"},
        {"a second name of the file", "hardlink"},
    };
    for (const auto& row : rows) SUBCASE(row.label) {
        const auto& [label, way] = row;
        Folder folder;
        fs::create_directory(folder.Path() / "dir");
        const fs::path source = folder.Path() / "dir" / "lkdb1.lkd";
        const std::string bytes = EveryByte();
        WriteBytes(source, bytes);

        fs::path destination = source;
        if (way == "dotdot") destination = folder.Path() / "dir" / ".." / "dir" / "lkdb1.lkd";
        if (way == "dot") destination = folder.Path() / "dir" / "." / "lkdb1.lkd";
        if (way == "symlink") fs::create_symlink(source, destination = folder.Path() / "link.lkd");
        if (way == "folder-link") {
            fs::create_directory_symlink(folder.Path() / "dir", folder.Path() / "alias");
            destination = folder.Path() / "alias" / "lkdb1.lkd";
        }
        if (way == "hardlink") fs::create_hard_link(source, destination = folder.Path() / "second.lkd");

        CHECK_EQ(lockmere::CopyFileOver(source, destination), failure::kPathFileAccess);
        CHECK_EQ(lockmere::CopyFileOver(destination, source), failure::kPathFileAccess);
        CHECK_EQ(Q(ReadBytes(source)), Q(bytes));
        CHECK(!TemporaryFileLeft(source));
        CHECK(!TemporaryFileLeft(destination));
    }
}

TEST_CASE("attributes") {
    const struct {
        const char* label;
        bool hidden;
        std::string kind;
        int code;
        unsigned mode;
    } rows[] = {
        {"hidden keeps owner-only", true, "0600", failure::kNone, 0600u},
        {"normal keeps owner-only", false, "0600", failure::kNone, 0600u},
        {"hidden narrows a shared file", true, "0644", failure::kNone, 0600u},
        {"normal never widens a read-only file", false, "0400", failure::kNone, 0400u},
        {"hidden: missing file", true, "missing", failure::kFileNotFound, 0u},
        {"normal: missing file", false, "missing", failure::kFileNotFound, 0u},
        {"missing folder", true, "no-parent", failure::kPathNotFound, 0u},
    };
    for (const auto& row : rows) SUBCASE(row.label) {
        const auto& [label, hidden, kind, code, mode] = row;
        Folder folder;
        fs::path path = folder.Path() / "lkdb0.lkd";
        if (kind.starts_with('0')) {
            WriteBytes(path, "key");
            fs::permissions(path, fs::perms(std::stoul(kind, nullptr, 8)));
        }
        if (kind == "no-parent") path = folder.Path() / "gone" / "lkdb0.lkd";

        CHECK_EQ(hidden ? lockmere::SetAttributesHidden(path) : lockmere::SetAttributesNormal(path), code);
        if (code == failure::kNone) CHECK_EQ(Mode(path), mode);
        else CHECK(!fs::exists(path));
    }
}

TEST_CASE("create folder") {
    const struct {
        const char* label;
        std::string kind;
        int code;
    } rows[] = {
        {"new folder", "new", failure::kNone},
        {"folder already exists", "folder", failure::kPathFileAccess},
        {"a file of that name", "file", failure::kPathFileAccess},
        {"missing parent", "no-parent", failure::kPathNotFound},
    };
    for (const auto& row : rows) SUBCASE(row.label) {
        const auto& [label, kind, code] = row;
        Folder folder;
        fs::path path = folder.Path() / "Backups";
        if (kind == "folder") fs::create_directory(path);
        if (kind == "file") WriteBytes(path, "x");
        if (kind == "no-parent") path = folder.Path() / "gone" / "Backups";

        CHECK_EQ(lockmere::CreateFolder(path), code);
        CHECK_EQ(fs::is_directory(path), kind != "file" && kind != "no-parent");
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
    for (const auto& row : rows) SUBCASE(row.label) {
        const auto& [label, error, parentExists, code] = row;
        Folder folder;
        const fs::path path = parentExists ? folder.Path() / "file" : folder.Path() / "gone" / "file";
        // The same number arrives from plain system calls and from std::filesystem.
        CHECK_EQ(lockmere::FailureCodeFor(std::error_code(error, std::generic_category()), path), code);
        CHECK_EQ(lockmere::FailureCodeFor(std::error_code(error, std::system_category()), path), code);
    }
}
