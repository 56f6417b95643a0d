#ifdef _WIN32
#include <windows.h>
#endif

#include <doctest/doctest.h>

#include <atomic>
#include <filesystem>
#include <string>
#include <thread>

#include "store/file_access.h"
#include "store/folder_lock.h"
#include "store/pair_copy.h"
#include "tests/backup/backup_books.h"
#include "tests/store/file_checks.h"
#include "tests/support/temp_folder.h"
#include "tests/support/temporaries.h"

using namespace lockmere;
using namespace lockmere::testing;
namespace fs = std::filesystem;

namespace {

// What a folder holds of the two data files; "-" for a missing file.
struct Pair {
    std::string Key = "-";
    std::string Store = "-";
    bool operator==(const Pair&) const = default;
};

Pair Read(const fs::path& folder) {
    Pair pair;
    if (fs::is_regular_file(folder / kKeyFileName))
        pair.Key = fixture::ReadBytes(folder / kKeyFileName);
    if (fs::is_regular_file(folder / kStoreFileName))
        pair.Store = fixture::ReadBytes(folder / kStoreFileName);
    return pair;
}

void Write(const fs::path& folder, const Pair& pair) {
    if (pair.Key != "-") fixture::WriteBytes(folder / kKeyFileName, pair.Key);
    if (pair.Store != "-") fixture::WriteBytes(folder / kStoreFileName, pair.Store);
}

// Nothing but the data files (and what the test put there) is left.
bool NoLeftovers(const fs::path& folder) {
    return !TemporaryLeftBeside(folder / kKeyFileName) &&
           !TemporaryLeftBeside(folder / kStoreFileName) &&
           !fs::exists(folder / kPairMarkerFileName) && !fs::exists(folder / kLockFileName);
}

const Pair kA{BookA().KeyBytes(), BookA().StoreBytes()};
const Pair kB{BookB().KeyBytes(), BookB().StoreBytes()};

}  // namespace

TEST_CASE("backup and restore copy both files") {
    struct Case {
        const char* name;
        bool backingUp;
        bool saved;  // location from the saved path, else the folder list
        bool oldFilesThere;
    };
    const Case cases[] = {
        {"backup, folder list", true, false, false},
        {"backup over older copies", true, false, true},
        {"backup, saved location", true, true, false},
        {"restore, folder list", false, false, true},
        {"restore, saved location", false, true, true},
    };
    for (const Case& c : cases) {
        CAPTURE(c.name);
        TempFolder program, location;
        const fs::path& from = c.backingUp ? program.Path() : location.Path();
        const fs::path& to = c.backingUp ? location.Path() : program.Path();
        Write(from, kA);
        if (c.oldFilesThere) Write(to, kB);

        const auto result =
            CopyDataFiles(program.Path(), c.saved ? location.Path() : fs::path(),
                          c.saved ? fs::path("/nowhere") : location.Path(), c.backingUp);

        CHECK(result.Outcome == CopyOutcome::Copied);
        CHECK(result.Code == 0);
        CHECK(Read(from) == kA);
        CHECK(Read(to) == kA);
        CHECK(NoLeftovers(program.Path()));
        CHECK(NoLeftovers(location.Path()));
        // Copies are owner-only, wherever they land.
        for (const char* name : {kKeyFileName, kStoreFileName})
            CHECK(lockmere::test::OwnerOnly(to / name));
    }
}

TEST_CASE("a copy onto the same file never damages it") {
    struct Case {
        const char* how;
        CopyOutcome outcome;
        int code;
    };
    const Case cases[] = {
        {"list", CopyOutcome::SameFolder, 0},
        {"saved", CopyOutcome::Failed, failure::kPathFileAccess},
        {"link", CopyOutcome::Failed, failure::kPathFileAccess},
        {"dotdot", CopyOutcome::Failed, failure::kPathFileAccess},
        {"dot", CopyOutcome::Failed, failure::kPathFileAccess},
        {"saved dotdot", CopyOutcome::Failed, failure::kPathFileAccess},
        {"saved dot", CopyOutcome::Failed, failure::kPathFileAccess},
#ifdef _WIN32
        // Windows names ignore letter case and take either slash.
        {"letter case", CopyOutcome::Failed, failure::kPathFileAccess},
        {"forward slashes", CopyOutcome::Failed, failure::kPathFileAccess},
        {"all of them", CopyOutcome::Failed, failure::kPathFileAccess},
#endif
    };
    for (bool backingUp : {true, false}) {
        for (const Case& c : cases) {
            CAPTURE(backingUp);
            CAPTURE(std::string(c.how));
            TempFolder outer;
            const fs::path program = outer.Path() / "program";
            fs::create_directory(program);
            Write(program, kA);
            // As in the program, which holds its folder.
            const FolderLock held(program);
            const std::string how = c.how;
            fs::path saved, list;
            if (how == "saved") saved = program;
            if (how == "list") list = program;
            if (how == "link") list = lockmere::test::SecondName(program, outer.Path() / "link");
            if (how == "dotdot") list = program / ".." / "program";
            if (how == "dot") list = program / ".";
            if (how == "saved dotdot") saved = program / ".." / "program";
            if (how == "saved dot") saved = program / ".";
#ifdef _WIN32
            std::wstring other = program.native();
            if (how == "letter case" || how == "all of them") CharUpperW(other.data());
            if (how == "forward slashes" || how == "all of them")
                for (wchar_t& c : other) c = c == L'\\' ? L'/' : c;
            if (how == "all of them") other += L"/../PROGRAM";
            if (other != program.native()) saved = fs::path(other);
#endif

            const auto result = CopyDataFiles(program, saved, list, backingUp);

            CHECK(result.Outcome == c.outcome);
            CHECK(result.Code == c.code);
            CHECK(Read(program) == kA);
            // The data files and the lock file, nothing more.
            CHECK(std::distance(fs::directory_iterator(program), fs::directory_iterator()) == 3);
        }
    }
}

#ifdef _WIN32
TEST_CASE("the copies in a backup folder are not hidden") {
    TempFolder program, location;
    Write(program.Path(), kA);
    const auto result = CopyDataFiles(program.Path(), location.Path(), {}, true);

    REQUIRE(result.Outcome == CopyOutcome::Copied);
    CHECK(Read(location.Path()) == kA);
    for (const char* name : {kKeyFileName, kStoreFileName}) {
        const DWORD copy = GetFileAttributesW((location.Path() / name).c_str());
        CHECK((copy & FILE_ATTRIBUTE_HIDDEN) == 0);
        const DWORD kept = GetFileAttributesW((program.Path() / name).c_str());
        CHECK((kept & FILE_ATTRIBUTE_HIDDEN) != 0);
        SetFileAttributesW((program.Path() / name).c_str(), FILE_ATTRIBUTE_NORMAL);
    }
}
#endif

#ifndef _WIN32
TEST_CASE("data files in the location that are the program's own by a second name stay whole") {
    for (bool backingUp : {true, false}) {
        for (const std::string way : {"symlink", "hardlink"}) {
            CAPTURE(backingUp);
            CAPTURE(way);
            TempFolder program, location;
            Write(program.Path(), kA);
            for (const char* name : {kKeyFileName, kStoreFileName}) {
                if (way == "symlink")
                    fs::create_symlink(program.Path() / name, location.Path() / name);
                if (way == "hardlink")
                    fs::create_hard_link(program.Path() / name, location.Path() / name);
            }

            const auto result = CopyDataFiles(program.Path(), location.Path(), {}, backingUp);

            CAPTURE(static_cast<int>(result.Outcome));
            CHECK(Read(program.Path()) == kA);
            CHECK(NoLeftovers(program.Path()));
            CHECK(NoLeftovers(location.Path()));
        }
    }
}
#endif

TEST_CASE("a failed copy leaves both old files as they were") {
    // The program folder holds book A where present; the location book B.
    struct Case {
        const char* name;
        bool backingUp;
        std::string setup;
        int code;
    };
    const Case cases[] = {
        {"backup without a record store", true, "program:key", failure::kFileNotFound},
        {"backup into a missing folder", true, "missing", failure::kPathNotFound},
        {"backup where a folder stands for the key file", true, "blocked:key",
         failure::kPathFileAccess},
        {"backup where a folder stands for the record store", true, "blocked:store",
         failure::kPathFileAccess},
        {"backup where a folder stands for the record store, no key there yet", true,
         "blocked:store-only", failure::kPathFileAccess},
        {"restore from a folder without a key file", false, "location:store",
         failure::kFileNotFound},
        {"restore from a folder with the key file only", false, "location:key",
         failure::kFileNotFound},
        {"restore into a program folder without a record store", false, "program:key",
         failure::kFileNotFound},
    };
    for (const Case& c : cases) {
        CAPTURE(c.name);
        TempFolder program, outer;
        const fs::path location = outer.Path() / "location";
        Pair inProgram = kA, inLocation = kB;
        if (c.setup == "program:key") inProgram.Store = "-";
        if (c.setup == "location:key") inLocation.Store = "-";
        if (c.setup == "location:store") inLocation.Key = "-";
        if (c.setup == "blocked:store-only") inLocation = {};
        if (c.setup != "missing") {
            fs::create_directory(location);
            Write(location, inLocation);
        }
        if (c.setup.starts_with("blocked:")) {
            const char* name = c.setup == "blocked:key" ? kKeyFileName : kStoreFileName;
            fs::remove(location / name);
            fs::create_directory(location / name);
            if (c.setup == "blocked:key")
                inLocation.Key = "-";
            else
                inLocation.Store = "-";
        }
        Write(program.Path(), inProgram);

        const auto result = CopyDataFiles(program.Path(), {}, location, c.backingUp);

        CHECK(result.Outcome == CopyOutcome::Failed);
        CHECK(result.Code == c.code);
        CHECK(Read(program.Path()) == inProgram);
        if (c.setup != "missing") {
            CHECK(Read(location) == inLocation);
            CHECK(NoLeftovers(location));
        }
        CHECK(NoLeftovers(program.Path()));
    }
}

TEST_CASE("a move a crash cut short is finished or undone, never left mixed") {
    // A crash after both temporaries and the marker were written finishes;
    // one before the marker, or after it turned back, undoes.
    struct Case {
        const char* name;
        const char* marker;  // %K and %S stand for the temporaries' names
        bool keyMoved;       // the first rename happened before the crash
        Pair after;
    };
    const Case cases[] = {
        {"no marker: temporaries only", nullptr, false, kB},
        {"marker, nothing renamed", "forward\n%K\n%S\n", false, kA},
        {"marker, key file renamed", "forward\n%K\n%S\n", true, kA},
        {"turned back after the key file moved", "back\n%O\n\n", true, kB},
        {"a marker cut short is not trusted", "forw", false, kB},
    };
    for (const Case& c : cases) {
        CAPTURE(c.name);
        TempFolder folder;
        Write(folder.Path(), kB);
        const std::string keyTemp = "lkdb0.lkd.00000000000000aa.tmp";
        const std::string storeTemp = "lkdb1.lkd.00000000000000bb.tmp";
        const std::string oldKeyTemp = "lkdb0.lkd.00000000000000cc.tmp";
        fixture::WriteBytes(folder.File(keyTemp), kA.Key);
        fixture::WriteBytes(folder.File(storeTemp), kA.Store);
        if (c.keyMoved) {
            fixture::WriteBytes(folder.File(oldKeyTemp), kB.Key);
            fs::rename(folder.File(keyTemp), folder.File(kKeyFileName));
        }
        if (c.marker) {
            std::string text = c.marker;
            for (auto [tag, name] :
                 {std::pair{"%K", keyTemp}, {"%S", storeTemp}, {"%O", oldKeyTemp}})
                if (auto at = text.find(tag); at != std::string::npos) text.replace(at, 2, name);
            fixture::WriteBytes(folder.File(kPairMarkerFileName), text);
        }

        CHECK_EQ(RecoverPairMove(folder.Path()), failure::kNone);

        CHECK(Read(folder.Path()) == c.after);
        CHECK(NoLeftovers(folder.Path()));
        // And the next copy into the folder goes through.
        TempFolder program;
        Write(program.Path(), kA);
        CHECK(CopyDataFiles(program.Path(), {}, folder.Path(), true).Outcome ==
              CopyOutcome::Copied);
        CHECK(Read(folder.Path()) == kA);
    }
}

TEST_CASE("a recovery whose move fails keeps the marker and the new store for the next one") {
    // The key file moved before the crash; the store's rename now fails (a
    // folder stands at its name). Dropping the marker and the temporaries
    // then would leave the new key beside the old store for good.
    TempFolder folder;
    const std::string keyTemp = "lkdb0.lkd.00000000000000aa.tmp";
    const std::string storeTemp = "lkdb1.lkd.00000000000000bb.tmp";
    Write(folder.Path(), {kA.Key, "-"});
    fs::create_directory(folder.File(kStoreFileName));
    fixture::WriteBytes(folder.File(kStoreFileName) / "keep", "x");
    fixture::WriteBytes(folder.File(storeTemp), kA.Store);
    fixture::WriteBytes(folder.File(kPairMarkerFileName),
                        "forward\n" + keyTemp + "\n" + storeTemp + "\n");

    CHECK_EQ(RecoverPairMove(folder.Path()), failure::kPathFileAccess);

    CHECK(fs::exists(folder.File(kPairMarkerFileName)));
    CHECK(fixture::ReadBytes(folder.File(storeTemp)) == kA.Store);
    // Once the way is clear, the next recovery finishes the move.
    fs::remove_all(folder.File(kStoreFileName));
    CHECK_EQ(RecoverPairMove(folder.Path()), failure::kNone);
    CHECK(Read(folder.Path()) == kA);
    CHECK(NoLeftovers(folder.Path()));
}

TEST_CASE("a restore that cannot put the record store in place puts the key file back") {
    // The key file is moved first; when the store's move then fails, the
    // program folder must not hold the backup's key beside the local store.
    TempFolder program, location;
    Write(program.Path(), kA);
    Write(location.Path(), kB);
    fs::remove(program.File(kStoreFileName));
    fs::create_directory(program.File(kStoreFileName));
    fixture::WriteBytes(program.File(kStoreFileName) / "keep", "x");

    const auto result = CopyDataFiles(program.Path(), {}, location.Path(), false);

    CHECK(result.Outcome == CopyOutcome::Failed);
    CHECK(fixture::ReadBytes(program.File(kKeyFileName)) == kA.Key);
    CHECK(Read(location.Path()) == kB);
    CHECK(NoLeftovers(program.Path()));
}

TEST_CASE("a copy into a folder another copy holds fails at once; a stale lock file is taken") {
    for (const bool backingUp : {true, false}) {
        CAPTURE(backingUp);
        TempFolder program, location;
        Write(program.Path(), kA);
        Write(location.Path(), kB);
        {
            const FolderLock running(location.Path(), system_file::LockFileAfter::Removed);
            REQUIRE(running.Result() == FolderLock::Outcome::Taken);
            const auto refused = CopyDataFiles(program.Path(), location.Path(), {}, backingUp);
            CHECK(refused.Outcome == CopyOutcome::Failed);
            CHECK(refused.Code == failure::kPathFileAccess);
            CHECK(Read(program.Path()) == kA);
            CHECK(Read(location.Path()) == kB);
        }
        CHECK(NoLeftovers(location.Path()));

        // What a killed copy leaves is the next copy's to take and remove.
        fixture::WriteBytes(location.Path() / kLockFileName, "");
        const auto copied = CopyDataFiles(program.Path(), location.Path(), {}, backingUp);
        CHECK(copied.Outcome == CopyOutcome::Copied);
        CHECK(Read(program.Path()) == (backingUp ? kA : kB));
        CHECK(NoLeftovers(location.Path()));
    }
}

TEST_CASE("two programs backing up into one shared folder leave one whole pair") {
    TempFolder first, second, shared;
    Write(first.Path(), kA);
    Write(second.Path(), kB);
    std::atomic<int> untruths{0};
    auto backUp = [&](const fs::path& program) {
        for (int round = 0; round < 60; ++round) {
            const auto result = CopyDataFiles(program, shared.Path(), {}, true);
            // Refused while the other one copies, or done.
            if (result.Outcome == CopyOutcome::Failed && result.Code != failure::kPathFileAccess)
                ++untruths;
        }
    };
    std::thread one(backUp, first.Path());
    std::thread other(backUp, second.Path());
    one.join();
    other.join();

    CHECK(untruths == 0);
    const Pair last = Read(shared.Path());
    CHECK((last == kA || last == kB));
    CHECK(NoLeftovers(shared.Path()));
}
