#include "store/pair_copy.h"

#include <optional>
#include <string>
#include <string_view>
#include <tuple>
#include <vector>

#include "store/file_access.h"
#include "store/folder_lock.h"
#include "store/key_file.h"
#include "store/record_store.h"
#include "store/system_file.h"

namespace lockmere {

namespace fs = std::filesystem;

namespace {

// The marker's text, one item per line: "forward", the new key file's
// temporary and the new store's. Earlier versions could also leave "back",
// the temporary holding the old key file, and an empty line.
constexpr std::string_view kForward = "forward";
constexpr std::string_view kBack = "back";

std::string MarkerText(const fs::path& key, const fs::path& store) {
    std::string text(kForward);
    for (const fs::path* name : {&key, &store}) {
        text += '\n';
        text += name->filename().string();
    }
    text += '\n';
    return text;
}

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    for (std::size_t end; (end = text.find('\n', start)) != std::string::npos; start = end + 1)
        lines.push_back(text.substr(start, end - start));
    return lines;
}

// The failure code of renaming from over to.
[[nodiscard]] int Rename(const fs::path& from, const fs::path& to) {
    return FailureCodeFor(system_file::Rename(from, to), to);
}

// One rename a marker asks for: a temporary over its data file.
struct Move {
    std::string Temporary;
    const char* Name;
};

// The moves of a marker this program wrote: each name a bare temporary of
// its data file that is still the user's regular file, or already moved.
// Nothing for any other text.
std::optional<std::vector<Move>> MovesOf(const fs::path& folder, const std::string& text) {
    const std::vector<std::string> lines = Lines(text);
    std::vector<Move> moves;
    if (lines.size() == 3 && lines[0] == kForward)
        moves = {{lines[1], kKeyFileName}, {lines[2], kStoreFileName}};
    else if (lines.size() == 3 && lines[0] == kBack && lines[2].empty())
        moves = {{lines[1], kKeyFileName}};
    else
        return std::nullopt;
    for (const Move& move : moves) {
        // The pattern admits no separator, no ".." and no empty name.
        if (!IsTemporaryOf(move.Name, move.Temporary)) return std::nullopt;
        const fs::path path = ComposePath(folder, move.Temporary);
        std::error_code error;
        const bool gone = fs::symlink_status(path, error).type() == fs::file_type::not_found;
        if (!gone && !system_file::IsOwnRegularFile(path)) return std::nullopt;
    }
    return moves;
}

// The marker's text when it can be one of this program's: a regular file
// of the user's, not reached through a link, and short. present tells
// whether anything stands at its name.
[[nodiscard]] std::optional<std::string> ReadOwnMarker(const fs::path& marker, bool& present) {
    system_file::Handle file;
    const std::error_code error = file.OpenForRead(marker, false, Links::Refuse);
    const int code = FailureCodeFor(error, marker);
    present = code != failure::kFileNotFound && code != failure::kPathNotFound;
    std::string text;
    if (error || !file.OwnedByUser() || file.ReadAll(text, kPairMarkerLargest) ||
        text.size() > kPairMarkerLargest)
        return std::nullopt;
    return text;
}

[[nodiscard]] BackupCopyResult Failed(int code) { return {CopyOutcome::Failed, code, {}}; }

// Reads both files whole; a file longer than the program writes it is
// damaged and is not copied. In a backup folder no link is followed and,
// where other users may write into the folder, no file of theirs is taken:
// it could be anybody's book.
[[nodiscard]] BackupCopyResult ReadPair(const fs::path& folder, Links links, DataPair& pair) {
    const bool ownOnly = links == Links::Refuse && OthersMayWriteIn(folder);
    for (auto [name, bytes, largest] : {std::tuple{kKeyFileName, &pair.KeyFile, kKeyFileLargest},
                                        {kStoreFileName, &pair.Store, kStoreTextLimit}}) {
        const fs::path path = ComposePath(folder, name);
        ReadResult file = ReadExistingFile(path, largest, links);
        if (!file.Ok()) return {CopyOutcome::Failed, file.Code, path};
        if (ownOnly && !file.OwnedByUser) return {CopyOutcome::ForeignFile, failure::kNone, path};
        const bool damaged = file.Bytes.size() > largest;
        *bytes = std::move(file.Bytes);
        if (damaged) return {CopyOutcome::Damaged, failure::kNone, path};
    }
    return {};
}

// Takes the new key file out again after the new store could not be put in
// place, and puts the old one back (or none, when there was none). The
// forward marker stands meanwhile, so that a crash finishes the move
// instead; a step that fails leaves it standing with its temporaries.
[[nodiscard]] bool PutOldKeyBack(const fs::path& folder, const ReadResult& oldKey,
                                 const fs::path& newKey, Readers readers) {
    const fs::path key = ComposePath(folder, kKeyFileName);
    fs::path saved;
    if (oldKey.Ok() && WriteTemporaryBeside(key, oldKey.Bytes, saved, readers) != failure::kNone)
        return false;
    if (Rename(key, newKey) != failure::kNone) return false;
    return !oldKey.Ok() || Rename(saved, key) == failure::kNone;
}

// Moves the source pair into folder: both new files are whole on disk as
// temporaries before the first is put in place. oldKey is the key file the
// folder held (kFileNotFound when none), for putting back. The new files
// are read by `readers`.
[[nodiscard]] int MovePairInto(const fs::path& folder, const DataPair& pair,
                               const ReadResult& oldKey, Readers readers) {
    const fs::path key = ComposePath(folder, kKeyFileName);
    const fs::path store = ComposePath(folder, kStoreFileName);
    const fs::path marker = ComposePath(folder, kPairMarkerFileName);
    fs::path newKey, newStore;
    int code = WriteTemporaryBeside(key, pair.KeyFile, newKey, readers);
    if (code == failure::kNone) code = WriteTemporaryBeside(store, pair.Store, newStore, readers);
    if (code == failure::kNone) code = ReplaceWholeFile(marker, MarkerText(newKey, newStore));
    if (code == failure::kNone) {
        // The old pair stands again: a marker that will not go names only
        // the temporaries removed below, and moves nothing.
        if (code = Rename(newKey, key); code != failure::kNone) {
            static_cast<void>(system_file::Remove(marker));
        } else if (code = Rename(newStore, store); code != failure::kNone) {
            if (!PutOldKeyBack(folder, oldKey, newKey, readers)) return code;
            static_cast<void>(system_file::Remove(marker));
        } else {
            // Both new files are in place: a marker left here only asks the
            // next recovery to finish what is finished.
            static_cast<void>(system_file::Remove(marker));
            system_file::SyncFolder(folder);
            return failure::kNone;
        }
    }
    // The failure is told; a temporary that stays goes at the next tidy-up.
    for (const fs::path* temporary : {&newKey, &newStore})
        if (!temporary->empty()) static_cast<void>(system_file::Remove(*temporary));
    return code;
}

}  // namespace

int RecoverPairMove(const fs::path& folder) {
    const fs::path marker = ComposePath(folder, kPairMarkerFileName);
    bool present = false;
    const std::optional<std::string> text = ReadOwnMarker(marker, present);
    if (present) {
        const auto moves = text ? MovesOf(folder, *text) : std::nullopt;
        for (const Move& move : moves.value_or(std::vector<Move>{})) {
            // An earlier recovery may have moved it already. A move that
            // fails keeps the marker and its temporaries for the next try:
            // without them half the pair would be gone.
            const fs::path from = ComposePath(folder, move.Temporary);
            if (!system_file::IsOwnRegularFile(from)) continue;
            if (const int code = Rename(from, ComposePath(folder, move.Name));
                code != failure::kNone)
                return code;
        }
        // Anything else is not followed, only taken away; where the user
        // may not take it away, nothing here is touched.
        if (system_file::Remove(marker) && !moves) return failure::kPathFileAccess;
    }
    RemoveStaleTemporaries(folder);
    return failure::kNone;
}

bool PairMarkerStands(const fs::path& folder) {
    std::error_code error;
    return fs::symlink_status(ComposePath(folder, kPairMarkerFileName), error).type() !=
           fs::file_type::not_found;
}

BackupCopyResult ReadBackupPair(const fs::path& folder, DataPair& pair) {
    return ReadPair(folder, Links::Refuse, pair);
}

BackupCopyResult CopyDataFiles(const fs::path& programFolder, const fs::path& savedLocation,
                               const fs::path& folderListFolder, bool backingUp) {
    const bool saved = !savedLocation.empty();
    const auto& location = saved ? savedLocation : folderListFolder;
    // Only the path text is compared; the same folder under another text is
    // caught below, before any file is touched.
    if (!saved && ComposePath(programFolder, kKeyFileName).native() ==
                      ComposePath(location, kKeyFileName).native()) {
        return {CopyOutcome::SameFolder, failure::kNone, {}};
    }
    // Another copy may work on the same location at once (two machines, one
    // shared folder): one at a time. A location where no lock file can be
    // made (a read-only medium) is still read; one where something else
    // stands at the lock file's name is not used.
    const FolderLock locationLock(location, system_file::LockFileAfter::Removed);
    if (locationLock.Result() == FolderLock::Outcome::Busy ||
        locationLock.Result() == FolderLock::Outcome::NotAFile)
        return Failed(failure::kPathFileAccess);
    for (const char* name : {kKeyFileName, kStoreFileName}) {
        if (const int code = SetAttributesNormal(ComposePath(programFolder, name));
            code != failure::kNone)
            return Failed(code);
    }
    const fs::path& from = backingUp ? programFolder : location;
    const fs::path& to = backingUp ? location : programFolder;
    for (const char* name : {kKeyFileName, kStoreFileName}) {
        std::error_code error;
        if (fs::equivalent(ComposePath(from, name), ComposePath(to, name), error))
            return Failed(failure::kPathFileAccess);
    }
    // The data files in the program folder may be the user's links; in the
    // location a link is read and written through by nobody.
    const Links fromLinks = backingUp ? Links::Follow : Links::Refuse;
    const Links toLinks = backingUp ? Links::Refuse : Links::Follow;
    DataPair pair;
    if (BackupCopyResult read = ReadPair(from, fromLinks, pair);
        read.Outcome != CopyOutcome::Copied)
        return read;
    // A move an earlier crash cut short in the destination goes first.
    if (const int code = RecoverPairMove(to); code != failure::kNone) return Failed(code);
    const fs::path key = ComposePath(to, kKeyFileName);
    const ReadResult oldKey = ReadExistingFile(key, kKeyFileLargest, toLinks);
    if (!oldKey.Ok() && oldKey.Code != failure::kFileNotFound) return Failed(oldKey.Code);
    if (oldKey.Bytes.size() > kKeyFileLargest) return {CopyOutcome::Damaged, failure::kNone, key};
    // A backup must open again where the same person is another user to
    // the system; the program folder's files are the user's alone.
    const Readers readers = backingUp ? Readers::AsFolder : Readers::UserAlone;
    if (const int code = MovePairInto(to, pair, oldKey, readers); code != failure::kNone)
        return Failed(code);
    // The bytes are in place: an attribute that does not follow is no
    // failure of the copy.
    for (const char* name : {kKeyFileName, kStoreFileName})
        static_cast<void>(SetAttributesHidden(ComposePath(programFolder, name)));
    return {};
}

}  // namespace lockmere
