// Runs one operation of the core on a prepared folder pair, for the
// fault-injection and hostile-folder runners: "prepare OP DIR" lays out the
// old files, "OP DIR" runs the operation as the program would (under the
// folder lock), "tidy DIR" does what the next start and the next copy do
// first. The exit status is 0 when the operation reported success, 1 when it
// reported failure. With --report first, one line on standard output says
// what it reported: a word and a failure code ("ok 0", "failed 75",
// "damaged 0"...); without it the driver writes nothing, so that the fault
// runner meets the operation's own calls alone. "login DIR [bravo]" opens
// the program folder's book with the password of the book prepared there
// (or, with bravo, of the location's, after a restore) and reports the
// Application Names of its records.

#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <iostream>
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
    // An empty store loads complete.
    if (WriteAt(store.Path(), 1, "", kStoreTextLimit) != failure::kNone) return false;
    if (!store.Load(key).Complete()) return false;
    return store.Save(key, std::vector<SecretText>(lines.begin(), lines.end())).Outcome ==
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

// What the operation reported: a word, a failure code, and for a read
// what it found.
struct Report {
    std::string Word = "ok";
    int Code = 0;
    std::string Detail;
    bool Ok() const { return Word == "ok"; }
};

Report FromCode(int code) { return code == failure::kNone ? Report{} : Report{"failed", code, {}}; }

const char* StoreWriteWord(StoreWrite outcome) {
    switch (outcome) {
    case StoreWrite::Written:
        return "ok";
    case StoreWrite::NotAuthoritative:
        return "notauth";
    case StoreWrite::DecryptFailed:
        return "decrypt";
    case StoreWrite::TooLong:
        return "toolong";
    case StoreWrite::EncryptFailed:
        return "encrypt";
    case StoreWrite::ReadFailed:
        return "readfailed";
    case StoreWrite::WriteFailed:
        break;
    }
    return "failed";
}

Report Copied(const BackupCopyResult& result) {
    switch (result.Outcome) {
    case CopyOutcome::Copied:
        return {};
    case CopyOutcome::SameFolder:
        return {"samefolder", 0, {}};
    case CopyOutcome::Damaged:
        return {"damaged", 0, result.File.filename().string()};
    case CopyOutcome::ForeignFile:
        return {"foreign", 0, result.File.filename().string()};
    case CopyOutcome::Failed:
        break;
    }
    return {"failed", result.Code, {}};
}

// CheckLogin and the load that follows a match, as the main window does.
Report Login(const fs::path& program, const std::string& password) {
    const std::string key = KeyFromCollected(password == "bravo" ? kCollectedB : kCollectedA);
    const LoginCheck check = CheckLogin(program, key, password);
    switch (check.Outcome) {
    case LoginOutcome::Match:
        break;
    case LoginOutcome::NoMatch:
        return {"nomatch", 0, {}};
    case LoginOutcome::NoMasterAccount:
        return {"noaccount", 0, {}};
    case LoginOutcome::Damaged:
        return {"damaged", 0, {}};
    case LoginOutcome::ReadFailed:
        return {"failed", check.Code, {}};
    }
    RecordStore store(program);
    const LoadResult loaded = store.Load(key);
    if (loaded.Code != failure::kNone) return {"storefailed", loaded.Code, {}};
    if (!loaded.Complete()) return {"incomplete", 0, {}};
    Report report;
    for (const std::string& line : loaded.Lines)
        report.Detail += (report.Detail.empty() ? "" : ",") + line.substr(0, line.find('\t'));
    return report;
}

Report Run(std::string_view operation, const fs::path& dir, const std::string& password) {
    const fs::path program = dir / "program", location = dir / "location";
    const std::string key = KeyFromCollected(kCollectedA);
    if (operation == "save") {
        RecordStore store(program);
        const LoadResult loaded = store.Load(key);
        const StoreWriteResult saved = store.Save(key, {"Shop\ts\tcat\tc3", "Mail\tm\tann\ta1"});
        // A save refused for want of a complete load tells what the load met.
        return {StoreWriteWord(saved.Outcome),
                saved.Outcome == StoreWrite::NotAuthoritative ? loaded.Code : saved.Code,
                {}};
    }
    if (operation == "append") {
        const StoreWriteResult appended =
            RecordStore(program).Append(key, {"Shop", "s", "cat", "c3"});
        return {StoreWriteWord(appended.Outcome), appended.Code, {}};
    }
    if (operation == "generator") return FromCode(WriteCollectedString(program, kCollectedA));
    if (operation == "master") {
        const CredentialsWriteResult written = WriteCredentials(program, key, "owner", "alpha");
        if (written.Outcome == CredentialsWrite::Written) return {};
        return {"failed", written.Code, {}};
    }
    if (operation == "backup" || operation == "restore")
        return Copied(CopyDataFiles(program, location, {}, operation == "backup"));
    if (operation == "location") return FromCode(WriteBackupLocation(program, "/mnt/backup"));
    if (operation == "location-read") {
        const ReadResult read = ReadBackupLocation(program);
        Report report = FromCode(read.Code);
        report.Detail = read.Bytes;
        return report;
    }
    if (operation == "start") {
        // The lock is already taken: what follows it in main() and the main
        // window's first steps.
        TidyProgramFolder(program);
        const KeyFileStart start = ReadKeyFileAtStart(program);
        if (start.Code != failure::kNone) return FromCode(start.Code);
        return {start.From == StartFrom::Login ? "ok" : "firstrun", 0, {}};
    }
    if (operation == "login") return Login(program, password);
    if (operation == "recover") return FromCode(RecoverPairMove(location));
    if (operation == "tidy") {
        TidyProgramFolder(program);
        // The caller judges what is left by the files alone.
        static_cast<void>(RecoverPairMove(location));
        return {};
    }
    std::fprintf(stderr, "unknown operation %.*s\n", static_cast<int>(operation.size()),
                 operation.data());
    return {"unknown", 0, {}};
}

Report LockRefusal(const FolderLock& lock) {
    switch (lock.Result()) {
    case FolderLock::Outcome::Taken:
        return {};
    case FolderLock::Outcome::Busy:
        return {"busy", 0, {}};
    case FolderLock::Outcome::NotAFile:
        return {"notafile", lock.Code(), {}};
    case FolderLock::Outcome::Failed:
        break;
    }
    return {"lockfailed", lock.Code(), {}};
}

}  // namespace

int main(int argc, char* argv[]) {
    const bool report = argc > 1 && std::string_view(argv[1]) == "--report";
    if (report) {
        --argc;
        ++argv;
    }
    if (argc == 4 && std::string_view(argv[1]) == "prepare")
        return Prepare(argv[2], argv[3]) ? 0 : 2;
    if (argc != 3 && !(argc == 4 && std::string_view(argv[1]) == "login")) {
        std::fprintf(stderr,
                     "usage: fault_driver prepare OP DIR | [--report] OP DIR | [--report] login "
                     "DIR [PASSWORD]\n");
        return 2;
    }
    // Marks where the operation begins: the runner injects nothing before it.
    getppid();
    const fs::path dir = argv[2];
    const FolderLock lock(dir / "program");
    Report outcome = LockRefusal(lock);
    if (outcome.Ok()) outcome = Run(argv[1], dir, argc == 4 ? argv[3] : "alpha");
    if (report) {
        std::cout << outcome.Word << ' ' << outcome.Code;
        if (!outcome.Detail.empty()) std::cout << ' ' << outcome.Detail;
        std::cout << std::endl;
    }
    return outcome.Ok() || outcome.Word == "firstrun" ? 0 : 1;
}
