#include <doctest/doctest.h>

#include <atomic>
#include <filesystem>
#include <string>
#include <thread>

#ifndef _WIN32
#include <csignal>
#include <sys/wait.h>
#include <unistd.h>
#endif

#include "store/file_access.h"
#include "store/folder_lock.h"
#include "store/record_store.h"
#include "tests/support/book_fixture.h"
#include "tests/support/temp_folder.h"
#include "tests/support/temporaries.h"

using namespace lockmere;
using lockmere::testing::TempFolder;
namespace fs = std::filesystem;

TEST_CASE("one program per folder: a second lock is refused until the first goes") {
    TempFolder folder;
    TempFolder other;
    {
        FolderLock first(folder.Path());
        REQUIRE(first.Result() == FolderLock::Outcome::Taken);
        CHECK(FolderLock(folder.Path()).Result() == FolderLock::Outcome::Busy);
        // Another folder is another program's.
        CHECK(FolderLock(other.Path()).Result() == FolderLock::Outcome::Taken);
    }
    CHECK(FolderLock(folder.Path()).Result() == FolderLock::Outcome::Taken);
}

TEST_CASE("a copy's lock file goes with the lock; the program's stays") {
    using system_file::LockFileAfter;
    const struct {
        const char* label;
        LockFileAfter after;
        bool stale;  // a file left by a killed copy is there first
        bool left;
    } rows[] = {
        {"the program's", LockFileAfter::Kept, false, true},
        {"a copy's", LockFileAfter::Removed, false, false},
        {"a copy's, over a stale one", LockFileAfter::Removed, true, false},
    };
    for (const auto& row : rows) {
        CAPTURE(std::string(row.label));
        TempFolder folder;
        if (row.stale) fixture::WriteBytes(folder.File(kLockFileName), "");
        {
            FolderLock first(folder.Path(), row.after);
            REQUIRE(first.Result() == FolderLock::Outcome::Taken);
            CHECK(FolderLock(folder.Path(), row.after).Result() == FolderLock::Outcome::Busy);
        }
        CHECK(fs::exists(folder.File(kLockFileName)) == row.left);
    }
}

TEST_CASE("copies that take and remove the lock file hold it one at a time") {
    // A copy that opened the file just before its holder removed it must not
    // count as holding the lock: it would run beside the next one.
    TempFolder folder;
    std::atomic<int> holders{0}, overlaps{0}, taken{0};
    auto copy = [&] {
        for (int round = 0; round < 2000; ++round) {
            const FolderLock lock(folder.Path(), system_file::LockFileAfter::Removed);
            if (lock.Result() != FolderLock::Outcome::Taken) continue;
            ++taken;
            if (++holders != 1) ++overlaps;
            std::this_thread::yield();
            --holders;
        }
    };
    std::thread copies[] = {std::thread(copy), std::thread(copy), std::thread(copy),
                            std::thread(copy)};
    for (std::thread& running : copies) running.join();
    CHECK(overlaps == 0);
    CHECK(taken > 0);
    CHECK(!fs::exists(folder.File(kLockFileName)));
}

TEST_CASE("a folder that cannot hold the lock file fails with a code, not as busy") {
    TempFolder folder;
    const FolderLock lock(folder.Path() / "gone");
    CHECK(lock.Result() == FolderLock::Outcome::Failed);
    CHECK(lock.Code() == failure::kPathNotFound);
}

#ifndef _WIN32
TEST_CASE("the lock dies with a killed process") {
    TempFolder folder;
    int ready[2];
    REQUIRE(pipe(ready) == 0);
    const pid_t child = fork();
    REQUIRE(child >= 0);
    if (child == 0) {
        const FolderLock lock(folder.Path());
        const char taken = lock.Result() == FolderLock::Outcome::Taken ? 'y' : 'n';
        if (write(ready[1], &taken, 1) != 1) _exit(2);
        pause();
        _exit(0);
    }
    char taken = 0;
    REQUIRE(read(ready[0], &taken, 1) == 1);
    CHECK(taken == 'y');
    CHECK(FolderLock(folder.Path()).Result() == FolderLock::Outcome::Busy);
    kill(child, SIGKILL);
    waitpid(child, nullptr, 0);
    close(ready[0]);
    close(ready[1]);
    CHECK(FolderLock(folder.Path()).Result() == FolderLock::Outcome::Taken);
}
#endif

TEST_CASE("the start removes the temporaries crashed writes left, and nothing else") {
    TempFolder folder;
    const std::string stale[] = {"lkdb0.lkd.0123456789abcdef.tmp", "lkdb1.lkd.fedcba9876543210.tmp",
                                 "BackupLocation.inf.00000000000000ff.tmp", "lkdb1.lkd.tmp"};
    const std::string kept[] = {"lkdb0.lkd", "lkdb1.lkd", "notes.txt.0123456789abcdef.tmp",
                                "lkdb1.lkd.bak", "lkdb1.lkdx.0123456789abcdef.tmp"};
    for (const auto& name : stale) fixture::WriteBytes(folder.File(name), "half");
    for (const auto& name : kept) fixture::WriteBytes(folder.File(name), "keep");
    fs::create_directory(folder.File("lkdb0.lkd.1111111111111111.tmp"));

    TidyProgramFolder(folder.Path());

    for (const auto& name : stale) CHECK_MESSAGE(!fs::exists(folder.File(name)), name);
    for (const auto& name : kept) CHECK(fixture::ReadBytes(folder.File(name)) == "keep");
    CHECK(fs::is_directory(folder.File("lkdb0.lkd.1111111111111111.tmp")));
}

TEST_CASE("a write never touches a temporary that is not its own") {
    TempFolder folder;
    const fs::path store = folder.File("lkdb1.lkd");
    fixture::WriteBytes(store, "old");
    // Another writer's temporary, half written, or one a crash left.
    const fs::path foreign = folder.File("lkdb1.lkd.0123456789abcdef.tmp");
    fixture::WriteBytes(foreign, "theirs");

    CHECK(ReplaceWholeFile(store, "mine") == failure::kNone);

    CHECK(fixture::ReadBytes(store) == "mine");
    CHECK(fixture::ReadBytes(foreign) == "theirs");
    fs::remove(foreign);
    CHECK(!lockmere::testing::TemporaryLeftBeside(store));
}

TEST_CASE("two writers on one file: each write lands whole and says so truly") {
    TempFolder folder;
    const fs::path store = folder.File("lkdb1.lkd");
    fixture::WriteBytes(store, "start");
    const std::string contents[] = {std::string(4096, 'a'), std::string(3000, 'b')};
    std::atomic<int> failures{0};
    auto writer = [&](const std::string& bytes) {
        for (int round = 0; round < 300; ++round) {
            if (ReplaceWholeFile(store, bytes) != failure::kNone) ++failures;
            // Whatever is there is one writer's whole file, never an empty one.
            const ReadResult now = ReadExistingFile(store, kStoreTextLimit, Links::Follow);
            if (now.Bytes != contents[0] && now.Bytes != contents[1]) ++failures;
        }
    };
    std::thread first(writer, contents[0]);
    std::thread second(writer, contents[1]);
    first.join();
    second.join();

    CHECK(failures == 0);
    CHECK(!lockmere::testing::TemporaryLeftBeside(store));
}
