#include <doctest/doctest.h>

#include <filesystem>
#include <optional>
#include <system_error>

#include "store/file_access.h"
#include "tests/store/file_checks.h"
#include "tests/support/blocked_write.h"
#include "tests/support/book_fixture.h"

namespace fs = std::filesystem;
namespace failure = lockmere::failure;
using lockmere::fixture::ReadBytes;
using lockmere::fixture::WriteBytes;
using lockmere::test::BlockedWrite;
using lockmere::test::EveryByte;
using lockmere::test::Folder;
using lockmere::test::OwnerOnly;
using lockmere::test::Q;
using lockmere::test::TemporaryFileLeft;

// More than any file of these tests holds.
constexpr std::size_t kLargest = 4096;

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
    for (const auto& row : rows)
        SUBCASE(row.label) {
            const auto& [label, kind, code, bytes] = row;
            Folder folder;
            fs::path path = folder.Path() / "lkdb1.lkd";
            if (kind == "file") WriteBytes(path, bytes);
            if (kind == "folder") fs::create_directory(path);
            if (kind == "no-parent") path = folder.Path() / "gone" / "lkdb1.lkd";

            const lockmere::ReadResult result = lockmere::ReadWholeFile(path, kLargest);
            CHECK_EQ(result.Code, code);
            CHECK_EQ(Q(result.Bytes), Q(bytes));
            if (kind == "missing") {
                CHECK(fs::is_regular_file(path));
                CHECK_EQ(fs::file_size(path), 0u);
                CHECK(OwnerOnly(path));
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
    for (const auto& row : rows)
        SUBCASE(row.label) {
            const auto& [label, exists, old, bytes] = row;
            Folder folder;
            const fs::path path = folder.Path() / "lkdb1.lkd";
            if (exists) {
                WriteBytes(path, old);
                fs::permissions(path, fs::perms(0644));  // narrowed where modes exist
            }

            CHECK_EQ(lockmere::ReplaceWholeFile(path, bytes), failure::kNone);
            CHECK_EQ(Q(ReadBytes(path)), Q(bytes));
            CHECK(OwnerOnly(path));
            CHECK(!TemporaryFileLeft(path));
        }
}

TEST_CASE("replace failure keeps the old file") {
    const struct {
        const char* label;
        std::string obstacle;
        int code;
    } rows[] = {
        {"a write the system refuses", "refused", BlockedWrite::kCode},
        {"a folder where the file goes", "target", failure::kPathFileAccess},
        {"missing folder", "no-parent", failure::kPathNotFound},
    };
    for (const auto& row : rows)
        SUBCASE(row.label) {
            const auto& [label, obstacle, code] = row;
            Folder folder;
            fs::path path = folder.Path() / "lkdb1.lkd";
            const std::string old = "old store bytes";
            if (obstacle == "refused") WriteBytes(path, old);
            std::optional<BlockedWrite> blocked;
            if (obstacle == "refused") blocked.emplace(path);
            if (obstacle == "target") fs::create_directory(path);
            if (obstacle == "no-parent") path = folder.Path() / "gone" / "lkdb1.lkd";

            CHECK_EQ(lockmere::ReplaceWholeFile(path, "new bytes"), code);
            blocked.reset();
            CHECK(!TemporaryFileLeft(path));
            if (obstacle == "refused") CHECK_EQ(Q(ReadBytes(path)), Q(old));
            if (obstacle == "target") CHECK(fs::is_directory(path));
            if (obstacle == "no-parent") CHECK(!fs::exists(path.parent_path()));
        }
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
        {"at the start keeps a longer tail", true, "0123456789", 1, "ab", failure::kNone,
         "ab23456789"},
        {"reaching past the end", true, "abc", 3, "XYZ", failure::kNone, "abXYZ"},
        {"beyond the end leaves zero bytes", true, "abc", 6, "Z", failure::kNone,
         std::string("abc\0\0Z", 6)},
        {"missing file is created", false, "", 1, "hi", failure::kNone, "hi"},
        {"position 0 is refused", true, "abc", 0, "Z", failure::kBadPosition, "abc"},
    };
    for (const auto& row : rows)
        SUBCASE(row.label) {
            const auto& [label, exists, old, position, bytes, code, result] = row;
            Folder folder;
            const fs::path path = folder.Path() / "lkdb0.lkd";
            if (exists) WriteBytes(path, old);

            CHECK_EQ(lockmere::WriteAt(path, static_cast<std::size_t>(position), bytes, kLargest),
                     code);
            CHECK_EQ(Q(ReadBytes(path)), Q(result));
            if (code == failure::kNone) CHECK(OwnerOnly(path));
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
        {"longer than any such file", true, "/mnt/usb\n" + std::string(kLargest, 'x'),
         failure::kPathFileAccess, ""},
    };
    for (const auto& row : rows)
        SUBCASE(row.label) {
            const auto& [label, exists, content, code, line] = row;
            Folder folder;
            const fs::path path = folder.Path() / "BackupLocation.inf";
            if (exists) WriteBytes(path, content);

            const lockmere::ReadResult result = lockmere::ReadFirstLine(path, kLargest);
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
    CHECK(OwnerOnly(path));
}

TEST_CASE("attributes of a missing file") {
    const struct {
        const char* label;
        bool hidden;
        bool parentExists;
        int code;
    } rows[] = {
        {"hidden: missing file", true, true, failure::kFileNotFound},
        {"normal: missing file", false, true, failure::kFileNotFound},
        {"hidden: missing folder", true, false, failure::kPathNotFound},
        {"normal: missing folder", false, false, failure::kPathNotFound},
    };
    for (const auto& row : rows)
        SUBCASE(row.label) {
            const auto& [label, hidden, parentExists, code] = row;
            Folder folder;
            const fs::path path =
                parentExists ? folder.Path() / "lkdb0.lkd" : folder.Path() / "gone" / "lkdb0.lkd";
            CHECK_EQ(
                hidden ? lockmere::SetAttributesHidden(path) : lockmere::SetAttributesNormal(path),
                code);
            CHECK(!fs::exists(path));
        }
}

TEST_CASE("a composed path's parent is the folder the name leads into") {
    Folder folder;
    const fs::path composed = lockmere::ComposePath(folder.Path(), fs::path("sub") / "leaf");
    CHECK(composed.parent_path() == folder.Path() / "sub");
}
