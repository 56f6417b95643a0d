// Runs one write operation of the core on a prepared folder pair, for the
// fault-injection runner: "prepare OP DIR" lays out the old files, "OP DIR"
// runs the operation as the program would (under the folder lock), "tidy
// DIR" does what the next start and the next copy do first. The exit status
// is 0 when the operation reported success, 1 when it reported failure.

#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <string_view>

#include "store/backup_location.h"
#include "store/file_access.h"
#include "store/folder_lock.h"
#include "store/key_file.h"
#include "store/pair_copy.h"
#include "store/record_line.h"
#include "store/record_store.h"

using namespace lockmere;
namespace fs = std::filesystem;

namespace {

std::string Collected(int first) {
    std::string collected;
    for (int code = first; collected.size() < kCollectedLength; ++code)
        collected.push_back(static_cast<char>(code));
    return collected;
}

const std::string kCollectedA = Collected(40);
const std::string kCollectedB = Collected(31);

bool WriteBook(const fs::path& folder, const std::string& collected, const char* password,
               std::initializer_list<const char*> lines) {
    const std::string key = KeyFromCollected(collected);
    if (WriteCollectedString(folder, collected) != failure::kNone) return false;
    if (WriteCredentials(folder, key, "owner", password).Outcome != CredentialsWrite::Written)
        return false;
    RecordStore store(folder);
    WriteAt(store.Path(), 1, "", kStoreTextLimit);  // an empty store loads complete
    if (!store.Load(key).Complete()) return false;
    return store.Save(key, std::vector<std::string>(lines.begin(), lines.end())).Outcome ==
           StoreWrite::Written;
}

bool Prepare(std::string_view operation, const fs::path& dir) {
    const fs::path program = dir / "program", location = dir / "location";
    fs::create_directories(program);
    fs::create_directories(location);
    if (WriteBackupLocation(program, "/old/place") != 0) return false;
    if (!WriteBook(location, kCollectedB, "bravo", {"Forum\tf\tbob\tb1"})) return false;
    bool ready = false;
    if (operation == "generator")
        ready = WriteAt(ComposePath(program, kKeyFileName), 1, "", kKeyFileLargest) == 0;
    else if (operation == "master")
        ready = WriteCollectedString(program, kCollectedA) == 0;
    else
        ready = WriteBook(program, kCollectedA, "alpha", {"Mail\tm\tann\ta1", "Bank\tb\tann\ta2"});
    // Files an older version left readable to others: the attribute steps
    // then have work to do, and can fail.
    for (const char* name : {kKeyFileName, kStoreFileName}) {
        std::error_code ignored;
        fs::permissions(ComposePath(program, name), fs::perms(0644), ignored);
    }
    return ready;
}

bool Run(std::string_view operation, const fs::path& dir) {
    const fs::path program = dir / "program", location = dir / "location";
    const std::string key = KeyFromCollected(kCollectedA);
    if (operation == "save") {
        RecordStore store(program);
        store.Load(key);
        return store.Save(key, {"Shop\ts\tcat\tc3", "Mail\tm\tann\ta1"}).Outcome ==
               StoreWrite::Written;
    }
    if (operation == "append")
        return RecordStore(program).Append(key, {"Shop", "s", "cat", "c3"}).Outcome ==
               StoreWrite::Written;
    if (operation == "generator") return WriteCollectedString(program, kCollectedA) == 0;
    if (operation == "master")
        return WriteCredentials(program, key, "owner", "alpha").Outcome ==
               CredentialsWrite::Written;
    if (operation == "backup" || operation == "restore")
        return CopyDataFiles(program, location, {}, operation == "backup").Outcome ==
               CopyOutcome::Copied;
    if (operation == "location") return WriteBackupLocation(program, "/mnt/backup") == 0;
    if (operation == "tidy") {
        TidyProgramFolder(program);
        RecoverPairMove(location);
        return true;
    }
    std::fprintf(stderr, "unknown operation %.*s\n", static_cast<int>(operation.size()),
                 operation.data());
    return false;
}

}  // namespace

int main(int argc, char* argv[]) {
    if (argc == 4 && std::string_view(argv[1]) == "prepare")
        return Prepare(argv[2], argv[3]) ? 0 : 2;
    if (argc != 3) {
        std::fprintf(stderr, "usage: fault_driver prepare OP DIR | OP DIR\n");
        return 2;
    }
    // Marks where the operation begins: the runner injects nothing before it.
    getppid();
    const fs::path dir = argv[2];
    const FolderLock lock(dir / "program");
    if (lock.Result() != FolderLock::Outcome::Taken) return 1;
    return Run(argv[1], dir) ? 0 : 1;
}
