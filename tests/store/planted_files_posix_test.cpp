#include <doctest/doctest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <map>
#include <string>

#include "store/file_access.h"
#include "store/folder_lock.h"
#include "store/pair_copy.h"
#include "tests/backup/backup_books.h"
#include "tests/support/temp_folder.h"

// What the program does with things someone else planted in a folder it
// works in: links, pipes, folders, files of another user, crafted markers.

using namespace lockmere;
using namespace lockmere::testing;
namespace fs = std::filesystem;

namespace {

const std::string kKeyTemp = "lkdb0.lkd.00000000000000aa.tmp";
const std::string kStoreTemp = "lkdb1.lkd.00000000000000bb.tmp";
const std::string kLinkTemp = "lkdb0.lkd.00000000000000dd.tmp";
constexpr uid_t kOtherUser = 4242;

// Every regular file under folder (links not followed), with its bytes.
std::map<std::string, std::string> Contents(const fs::path& folder) {
    std::map<std::string, std::string> files;
    for (const auto& entry : fs::recursive_directory_iterator(folder)) {
        if (entry.is_symlink())
            files[entry.path().string()] = "-> " + fs::read_symlink(entry.path()).string();
        else if (entry.is_regular_file())
            files[entry.path().string()] = fixture::ReadBytes(entry.path());
        else
            files[entry.path().string()] = "(other)";
    }
    return files;
}

// A backup location holding book B, the temporaries of an unfinished move
// of book A, and a folder elsewhere with a document of the user's.
struct Scene {
    TempFolder outer;
    fs::path location = outer.Path() / "location";
    fs::path elsewhere = outer.Path() / "elsewhere";
    fs::path document = elsewhere / "notes.txt";

    Scene() {
        fs::create_directory(location);
        fs::create_directory(elsewhere);
        BookB().WriteTo(location);
        fixture::WriteBytes(document, "the user's own words\n");
        fixture::WriteBytes(location / kKeyTemp, BookA().KeyBytes());
        fixture::WriteBytes(location / kStoreTemp, BookA().StoreBytes());
    }
    fs::path Marker() const { return location / kPairMarkerFileName; }
    void WriteMarker(const std::string& text) const { fixture::WriteBytes(Marker(), text); }
};

std::string Forward(const std::string& key, const std::string& store) {
    return "forward\n" + key + "\n" + store + "\n";
}

}  // namespace

TEST_CASE("a marker that is not the program's moves, renames and deletes nothing") {
    const bool root = geteuid() == 0;
    const struct {
        const char* label;
        std::string kind;
        int code;  // of the recovery; the copy after it fails with it too
    } rows[] = {
        {"a name leading out of the folder", "dotdot", failure::kNone},
        {"an absolute name", "absolute", failure::kNone},
        {"a name of a data file", "data file", failure::kNone},
        {"empty names", "empty", failure::kNone},
        {"garbage", "garbage", failure::kNone},
        {"longer than a marker can be", "huge", failure::kNone},
        {"a temporary that is a link", "link temporary", failure::kNone},
        {"the marker a link to a genuine one", "link marker", failure::kNone},
        {"the marker a pipe", "fifo", failure::kNone},
        {"the marker a folder, which cannot be taken away", "folder", failure::kPathFileAccess},
        {"another user's marker", "other user", failure::kNone},
    };
    for (const auto& row : rows)
        SUBCASE(row.label) {
            const auto& [label, kind, code] = row;
            if (kind == "other user" && !root) {
                MESSAGE("needs root to make another user's file: skipped");
                continue;
            }
            Scene scene;
            const fs::path& folder = scene.location;
            if (kind == "dotdot") scene.WriteMarker(Forward("../elsewhere/notes.txt", kStoreTemp));
            if (kind == "absolute") scene.WriteMarker(Forward(scene.document.string(), kStoreTemp));
            if (kind == "data file") scene.WriteMarker(Forward(kStoreFileName, kStoreTemp));
            if (kind == "empty") scene.WriteMarker("back\n\n\n");
            if (kind == "garbage") scene.WriteMarker(std::string("\x7f\xff\0ours?\n", 9));
            if (kind == "huge")
                scene.WriteMarker(Forward(kKeyTemp, kStoreTemp) + std::string(5000, '\n'));
            if (kind == "link temporary") {
                fs::create_symlink(scene.document, folder / kLinkTemp);
                scene.WriteMarker(Forward(kLinkTemp, kStoreTemp));
            }
            if (kind == "link marker") {
                fixture::WriteBytes(scene.elsewhere / "genuine", Forward(kKeyTemp, kStoreTemp));
                fs::create_symlink(scene.elsewhere / "genuine", scene.Marker());
            }
            if (kind == "fifo") REQUIRE(mkfifo(scene.Marker().c_str(), 0600) == 0);
            if (kind == "folder") fs::create_directory(scene.Marker());
            if (kind == "other user") {
                scene.WriteMarker(Forward(kKeyTemp, kStoreTemp));
                REQUIRE(chown(scene.Marker().c_str(), kOtherUser, kOtherUser) == 0);
            }
            const auto elsewhere = Contents(scene.elsewhere);

            CHECK_EQ(RecoverPairMove(folder), code);

            CHECK(fixture::ReadBytes(folder / kKeyFileName) == BookB().KeyBytes());
            CHECK(fixture::ReadBytes(folder / kStoreFileName) == BookB().StoreBytes());
            CHECK(Contents(scene.elsewhere) == elsewhere);
            // Taken away where it can be; what cannot be stays, and then so
            // does everything else.
            CHECK_EQ(fs::exists(fs::symlink_status(scene.Marker())), code != failure::kNone);
            CHECK_EQ(fs::exists(folder / kKeyTemp), code != failure::kNone);
            // A link named like a temporary is nobody's temporary.
            if (kind == "link temporary") CHECK(fs::is_symlink(folder / kLinkTemp));

            TempFolder program;
            BookA().WriteTo(program.Path());
            const BackupCopyResult copy = CopyDataFiles(program.Path(), folder, {}, true);
            CHECK_EQ(copy.Code, code);
            CHECK(fixture::ReadBytes(folder / kKeyFileName) ==
                  (code ? BookB() : BookA()).KeyBytes());
            CHECK(Contents(scene.elsewhere) == elsewhere);
        }
}

TEST_CASE("a genuine marker still finishes its move") {
    Scene scene;
    scene.WriteMarker(Forward(kKeyTemp, kStoreTemp));

    CHECK_EQ(RecoverPairMove(scene.location), failure::kNone);

    CHECK(fixture::ReadBytes(scene.location / kKeyFileName) == BookA().KeyBytes());
    CHECK(fixture::ReadBytes(scene.location / kStoreFileName) == BookA().StoreBytes());
    CHECK(!fs::exists(scene.Marker()));
}

TEST_CASE("a lock file that is not a regular file is never used") {
    const struct {
        const char* label;
        std::string kind;
    } rows[] = {
        {"a link to a file of the user's", "link"},
        {"a dangling link", "dangling"},
        {"a link to a device", "device"},
        {"a pipe", "fifo"},
        {"a folder", "folder"},
    };
    for (const auto& row : rows)
        SUBCASE(row.label) {
            const auto& [label, kind] = row;
            Scene scene;
            const fs::path lock = scene.location / kLockFileName;
            if (kind == "link") fs::create_symlink(scene.document, lock);
            if (kind == "dangling") fs::create_symlink(scene.elsewhere / "made", lock);
            if (kind == "device") fs::create_symlink("/dev/zero", lock);
            if (kind == "fifo") REQUIRE(mkfifo(lock.c_str(), 0600) == 0);
            if (kind == "folder") fs::create_directory(lock);
            const auto elsewhere = Contents(scene.elsewhere);

            // In the program folder it ends the start; in a location, the copy.
            const FolderLock held(scene.location);
            CHECK(held.Result() == FolderLock::Outcome::NotAFile);
            CHECK_EQ(held.Code(), failure::kPathFileAccess);
            TempFolder program;
            BookA().WriteTo(program.Path());
            for (const bool backingUp : {true, false}) {
                const BackupCopyResult copy =
                    CopyDataFiles(program.Path(), scene.location, {}, backingUp);
                CHECK(copy.Outcome == CopyOutcome::Failed);
                CHECK_EQ(copy.Code, failure::kPathFileAccess);
            }
            CHECK(fixture::ReadBytes(program.File(kKeyFileName)) == BookA().KeyBytes());
            CHECK(fixture::ReadBytes(scene.location / kKeyFileName) == BookB().KeyBytes());
            CHECK(Contents(scene.elsewhere) == elsewhere);
        }
}

TEST_CASE("a copy reads and writes nothing through a link in the location") {
    // Each row plants one thing at a data file's name in the location.
    const struct {
        const char* label;
        const char* name;
        std::string kind;
        bool backingUp;
        CopyOutcome outcome;
    } rows[] = {
        {"backup over a linked key file", kKeyFileName, "link", true, CopyOutcome::Failed},
        {"backup over a linked store: the link is replaced", kStoreFileName, "link", true,
         CopyOutcome::Copied},
        {"backup over a pipe at the store", kStoreFileName, "fifo", true, CopyOutcome::Copied},
        {"backup over a huge key file", kKeyFileName, "sparse", true, CopyOutcome::Damaged},
        {"restore from a linked key file", kKeyFileName, "link", false, CopyOutcome::Failed},
        {"restore from a linked store", kStoreFileName, "link", false, CopyOutcome::Failed},
        {"restore from a pipe", kStoreFileName, "fifo", false, CopyOutcome::Failed},
        {"restore from a huge store", kStoreFileName, "sparse", false, CopyOutcome::Damaged},
    };
    for (const auto& row : rows)
        SUBCASE(row.label) {
            const auto& [label, name, kind, backingUp, outcome] = row;
            Scene scene;
            const fs::path planted = scene.location / name;
            fs::remove(planted);
            if (kind == "link") {
                // A copy of a genuine file, so that only the link can refuse it.
                fixture::WriteBytes(scene.elsewhere / name,
                                    fixture::ReadBytes(scene.location / kKeyTemp));
                fs::create_symlink(scene.elsewhere / name, planted);
            }
            if (kind == "fifo") REQUIRE(mkfifo(planted.c_str(), 0600) == 0);
            if (kind == "sparse") {
                fixture::WriteBytes(planted, "");
                fs::resize_file(planted, 3ull << 30);
            }
            const auto elsewhere = Contents(scene.elsewhere);
            TempFolder program;
            BookA().WriteTo(program.Path());
            const auto before = Contents(program.Path());

            const BackupCopyResult copy =
                CopyDataFiles(program.Path(), scene.location, {}, backingUp);

            CHECK(copy.Outcome == outcome);
            if (outcome == CopyOutcome::Failed) CHECK_EQ(copy.Code, failure::kPathFileAccess);
            if (outcome == CopyOutcome::Damaged) CHECK(copy.File == planted);
            CHECK(Contents(scene.elsewhere) == elsewhere);
            if (!backingUp || outcome != CopyOutcome::Copied)
                CHECK(Contents(program.Path()) == before);
            if (outcome == CopyOutcome::Copied) {
                CHECK(fs::is_regular_file(fs::symlink_status(planted)));
                CHECK(fixture::ReadBytes(scene.location / kStoreFileName) == BookA().StoreBytes());
            }
        }
}

TEST_CASE("a restore from a folder others may write into takes no other user's book") {
    const struct {
        const char* label;
        mode_t folderMode;
        bool othersFiles;
        CopyOutcome outcome;
    } rows[] = {
        {"a folder of the user's alone: a backup made under another user id", 0700, true,
         CopyOutcome::Copied},
        {"group-writable", 0770, true, CopyOutcome::ForeignFile},
        {"world-writable", 0777, true, CopyOutcome::ForeignFile},
        {"world-writable and sticky", 01777, true, CopyOutcome::ForeignFile},
        {"world-writable, the user's own files", 01777, false, CopyOutcome::Copied},
    };
    for (const auto& row : rows) {
        CAPTURE(std::string(row.label));
        TempFolder outer, program;
        const fs::path shared = outer.Path() / "shared";
        fs::create_directory(shared);
        BookB().WriteTo(shared);
        for (const char* name : {kKeyFileName, kStoreFileName}) {
            const fs::path file = shared / name;
            REQUIRE(chmod(file.c_str(), 0644) == 0);
            if (row.othersFiles) REQUIRE(chown(file.c_str(), kOtherUser, kOtherUser) == 0);
        }
        REQUIRE(chmod(shared.c_str(), row.folderMode) == 0);
        BookA().WriteTo(program.Path());

        const BackupCopyResult copy = CopyDataFiles(program.Path(), shared, {}, false);
        CHECK(copy.Outcome == row.outcome);
        const bool restored = row.outcome == CopyOutcome::Copied;
        if (!restored) CHECK(copy.File == shared / kKeyFileName);
        CHECK(fixture::ReadBytes(program.Path() / kKeyFileName) ==
              (restored ? BookB() : BookA()).KeyBytes());
        CHECK(fixture::ReadBytes(program.Path() / kStoreFileName) ==
              (restored ? BookB() : BookA()).StoreBytes());
    }
}
