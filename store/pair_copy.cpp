#include "store/pair_copy.h"

#include <string>
#include <string_view>
#include <vector>

#include "store/file_access.h"
#include "store/folder_lock.h"
#include "store/system_file.h"

namespace lockmere {

namespace fs = std::filesystem;

namespace {

// The marker's text, one item per line: "forward" with the new key file's
// and the new store's temporaries; or "back" with the temporary that holds
// the old key file (empty when there was none).
constexpr std::string_view kForward = "forward";
constexpr std::string_view kBack = "back";

std::string MarkerText(std::string_view mode, const fs::path& first, const fs::path& second) {
    std::string text(mode);
    for (const fs::path* name : {&first, &second}) {
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

std::error_code Rename(const fs::path& from, const fs::path& to) {
    return system_file::Rename(from, to);
}

// Renames a temporary named in the marker over its file, when it is still
// there (an earlier recovery may have moved it already).
void PutInPlace(const fs::path& folder, const std::string& temporary, const char* name) {
    if (temporary.empty()) return;
    const fs::path from = ComposePath(folder, temporary);
    std::error_code error;
    if (fs::is_regular_file(from, error)) Rename(from, ComposePath(folder, name));
}

struct Pair {
    std::string Key;
    std::string Store;
};

int ReadPair(const fs::path& folder, Pair& pair) {
    for (auto [name, bytes] : {std::pair{kKeyFileName, &pair.Key}, {kStoreFileName, &pair.Store}}) {
        ReadResult file = ReadExistingFile(ComposePath(folder, name));
        if (!file.Ok()) return file.Code;
        *bytes = std::move(file.Bytes);
    }
    return failure::kNone;
}

// The old key file goes back after the new store could not be put in place.
// The marker turns to "back" first, so that a crash from here on undoes the
// move instead of finishing it.
void PutOldKeyBack(const fs::path& folder, const ReadResult& oldKey, const fs::path& marker) {
    const fs::path key = ComposePath(folder, kKeyFileName);
    fs::path saved;
    if (oldKey.Ok() && WriteTemporaryBeside(key, oldKey.Bytes, saved) != failure::kNone) return;
    if (ReplaceWholeFile(marker, MarkerText(kBack, saved, {})) != failure::kNone) return;
    if (oldKey.Ok() ? Rename(saved, key) : system_file::Remove(key)) return;
    system_file::Remove(marker);
}

// Moves the source pair into folder: both new files are whole on disk as
// temporaries before the first is put in place.
int MovePairInto(const fs::path& folder, const Pair& pair) {
    const fs::path key = ComposePath(folder, kKeyFileName);
    const fs::path store = ComposePath(folder, kStoreFileName);
    const fs::path marker = ComposePath(folder, kPairMarkerFileName);
    // Kept in memory so that the key file can be put back.
    const ReadResult oldKey = ReadExistingFile(key);
    if (!oldKey.Ok() && oldKey.Code != failure::kFileNotFound) return oldKey.Code;

    fs::path newKey, newStore;
    int code = WriteTemporaryBeside(key, pair.Key, newKey);
    if (code == failure::kNone) code = WriteTemporaryBeside(store, pair.Store, newStore);
    if (code == failure::kNone)
        code = ReplaceWholeFile(marker, MarkerText(kForward, newKey, newStore));
    if (code == failure::kNone) {
        if (const std::error_code error = Rename(newKey, key)) {
            code = FailureCodeFor(error, key);
            system_file::Remove(marker);
        } else if (const std::error_code second = Rename(newStore, store)) {
            code = FailureCodeFor(second, store);
            PutOldKeyBack(folder, oldKey, marker);
        } else {
            // Both new files are in place: a marker left here only asks the
            // next recovery to finish what is finished.
            system_file::Remove(marker);
            system_file::SyncFolder(folder);
            return failure::kNone;
        }
    }
    for (const fs::path* temporary : {&newKey, &newStore})
        if (!temporary->empty()) system_file::Remove(*temporary);
    return code;
}

}  // namespace

void RecoverPairMove(const fs::path& folder) {
    const fs::path marker = ComposePath(folder, kPairMarkerFileName);
    const ReadResult text = ReadExistingFile(marker);
    const std::vector<std::string> lines =
        text.Ok() ? Lines(text.Bytes) : std::vector<std::string>{};
    // A marker is written whole or not at all; anything else is not ours.
    if (lines.size() == 3 && lines[0] == kForward) {
        PutInPlace(folder, lines[1], kKeyFileName);
        PutInPlace(folder, lines[2], kStoreFileName);
    } else if (lines.size() == 3 && lines[0] == kBack) {
        if (lines[1].empty())
            system_file::Remove(ComposePath(folder, kKeyFileName));
        else
            PutInPlace(folder, lines[1], kKeyFileName);
    }
    if (text.Ok()) system_file::Remove(marker);
    RemoveStaleTemporaries(folder);
}

BackupCopyResult CopyDataFiles(const fs::path& programFolder, const fs::path& savedLocation,
                               const fs::path& folderListFolder, bool backingUp) {
    const bool saved = !savedLocation.empty();
    const auto& location = saved ? savedLocation : folderListFolder;
    // Only the path text is compared; the same folder under another text is
    // caught below, before any file is touched.
    if (!saved && ComposePath(programFolder, kKeyFileName).native() ==
                      ComposePath(location, kKeyFileName).native()) {
        return {CopyOutcome::SameFolder, 0};
    }
    // Another copy may work on the same location at once (two machines, one
    // shared folder): one at a time. A location where no lock file can be
    // made (a read-only medium) is still read.
    const FolderLock locationLock(location);
    if (locationLock.Result() == FolderLock::Outcome::Busy)
        return {CopyOutcome::Failed, failure::kPathFileAccess};
    for (const char* name : {kKeyFileName, kStoreFileName}) {
        if (int code = SetAttributesNormal(ComposePath(programFolder, name)))
            return {CopyOutcome::Failed, code};
    }
    const fs::path& from = backingUp ? programFolder : location;
    const fs::path& to = backingUp ? location : programFolder;
    for (const char* name : {kKeyFileName, kStoreFileName}) {
        std::error_code error;
        if (fs::equivalent(ComposePath(from, name), ComposePath(to, name), error))
            return {CopyOutcome::Failed, failure::kPathFileAccess};
    }
    Pair pair;
    if (int code = ReadPair(from, pair)) return {CopyOutcome::Failed, code};
    // A move an earlier crash cut short in the destination goes first.
    RecoverPairMove(to);
    if (int code = MovePairInto(to, pair)) return {CopyOutcome::Failed, code};
    // The bytes are in place: an attribute that does not follow is no
    // failure of the copy.
    for (const char* name : {kKeyFileName, kStoreFileName})
        SetAttributesHidden(ComposePath(programFolder, name));
    return {};
}

}  // namespace lockmere
