#include "store/file_access.h"

#include <cerrno>
#include <random>

#include "store/pair_copy.h"
#include "store/system_file.h"

namespace lockmere {

namespace fs = std::filesystem;

namespace {

bool Is(std::error_code error, std::errc condition) { return error == condition; }

// For the numbers that have no portable name. Outside Windows the system's
// codes are errno values too, and not all of them map to the generic ones.
[[maybe_unused]] bool IsErrno(std::error_code error, int value) {
    const std::error_condition condition = error.default_error_condition();
#ifndef _WIN32
    if (condition.category() == std::system_category()) return condition.value() == value;
#endif
    return condition == std::error_condition(value, std::generic_category());
}

bool ParentFolderExists(const fs::path& path) {
    const fs::path parent = path.parent_path();
    std::error_code error;
    return fs::is_directory(parent.empty() ? fs::path(".") : parent, error);
}

ReadResult ReadFile(const fs::path& path, bool create) {
    ReadResult result;
    system_file::Handle file;
    std::error_code error = file.OpenForRead(path, create);
    if (!error) error = file.ReadAll(result.Bytes);
    if (error) {
        result.Bytes.clear();
        result.Code = FailureCodeFor(error, path);
    }
    return result;
}

// Writes land in the file a link points at, as any copy would; the link
// itself stays.
fs::path FollowLink(const fs::path& path) {
    std::error_code error;
    if (!fs::is_symlink(path, error)) return path;
    fs::path target = fs::canonical(path, error);
    return error ? path : target;
}

// Writes the bytes to a file just created, flushes them to disk, closes it.
std::error_code FillNewFile(system_file::Handle& file, std::string_view bytes) {
    std::error_code error = file.WriteAll(bytes);
    if (!error) error = file.Sync();
    if (const std::error_code closed = file.Close(); !error) error = closed;
    return error;
}

int Hidden(const fs::path& path, bool hidden) {
    return FailureCodeFor(system_file::SetHidden(path, hidden), path);
}

}  // namespace

int FailureCodeFor(std::error_code error, const fs::path& path) {
    if (!error) return failure::kNone;
    if (system_file::IsDeviceUnavailable(error)) return failure::kDeviceUnavailable;
#ifdef EDQUOT
    if (IsErrno(error, EDQUOT)) return failure::kDiskFull;
#endif
    using std::errc;
    if (Is(error, errc::no_such_file_or_directory))
        return ParentFolderExists(path) ? failure::kFileNotFound : failure::kPathNotFound;
    if (Is(error, errc::not_a_directory)) return failure::kPathNotFound;
    if (Is(error, errc::no_space_on_device) || Is(error, errc::file_too_large))
        return failure::kDiskFull;
    if (Is(error, errc::permission_denied) || Is(error, errc::operation_not_permitted) ||
        Is(error, errc::file_exists) || Is(error, errc::read_only_file_system) ||
        Is(error, errc::is_a_directory) || Is(error, errc::directory_not_empty) ||
        Is(error, errc::text_file_busy) || Is(error, errc::device_or_resource_busy) ||
        Is(error, errc::too_many_symbolic_link_levels) || Is(error, errc::filename_too_long) ||
        Is(error, errc::cross_device_link))
        return failure::kPathFileAccess;
    return failure::kDeviceIo;
}

fs::path ComposePath(const fs::path& folder, std::string_view name) {
    // Plain concatenation: operator/ would let a name with a leading
    // separator replace the folder, and a typed folder name land elsewhere.
    fs::path composed = folder;
    composed += fs::path::preferred_separator;
    composed += name;
    return composed;
}

ReadResult ReadWholeFile(const fs::path& path) { return ReadFile(path, true); }

ReadResult ReadExistingFile(const fs::path& path) { return ReadFile(path, false); }

bool IsTemporaryOf(std::string_view fileName, std::string_view entry) {
    constexpr std::string_view suffix = kTemporarySuffix;
    // "F.tmp" alone is what earlier versions left.
    return entry.size() >= fileName.size() + suffix.size() && entry.starts_with(fileName) &&
           entry[fileName.size()] == '.' && entry.ends_with(suffix);
}

int WriteTemporaryBeside(const fs::path& path, std::string_view bytes, fs::path& temporary) {
    // Each write makes a name of its own and creates it exclusively, so two
    // writers never share a temporary and a stale one is never reused.
    thread_local std::mt19937_64 random{std::random_device{}()};
    static constexpr char kDigits[] = "0123456789abcdef";
    system_file::Handle file;
    std::error_code error;
    for (int attempt = 0; attempt < 64; ++attempt) {
        std::string name = path.filename().string() + '.';
        std::uint64_t bits = random();
        for (int digit = 0; digit < 16; ++digit, bits >>= 4) name += kDigits[bits & 15];
        name += kTemporarySuffix;
        temporary = path.parent_path() / name;
        error = file.CreateNew(temporary);
        if (error != std::errc::file_exists) break;
    }
    if (error) {
        temporary.clear();
        return FailureCodeFor(error, path);
    }
    error = FillNewFile(file, bytes);
    if (error) {
        system_file::Remove(temporary);
        temporary.clear();
        return FailureCodeFor(error, path);
    }
    return failure::kNone;
}

int ReplaceFile(const fs::path& path, std::string_view bytes) {
    const fs::path target = FollowLink(path);
    fs::path temporary;
    if (const int code = WriteTemporaryBeside(target, bytes, temporary)) return code;
    std::error_code error;
    fs::rename(temporary, target, error);
    if (error) {
        system_file::Remove(temporary);
        return FailureCodeFor(error, target);
    }
    system_file::SyncFolder(target.parent_path());
    return failure::kNone;
}

void RemoveStaleTemporaries(const fs::path& folder) {
    std::error_code error;
    for (fs::directory_iterator entry(folder, error), end; !error && entry != end;
         entry.increment(error)) {
        const std::string name = entry->path().filename().string();
        for (const char* file :
             {kKeyFileName, kStoreFileName, kBackupLocationFileName, kPairMarkerFileName}) {
            std::error_code ignored;
            if (IsTemporaryOf(file, name) && entry->is_regular_file(ignored))
                system_file::Remove(entry->path());
        }
    }
}

int WriteAt(const fs::path& path, std::size_t position, std::string_view bytes) {
    if (position == 0) return failure::kBadPosition;
    ReadResult current = ReadWholeFile(path);
    if (!current.Ok()) return current.Code;
    std::string& content = current.Bytes;
    const std::size_t offset = position - 1;
    // Past the end the file grows; a gap reads as zero bytes, as on disk.
    if (content.size() < offset + bytes.size()) content.resize(offset + bytes.size(), '\0');
    content.replace(offset, bytes.size(), bytes);
    return ReplaceFile(path, content);
}

ReadResult ReadFirstLine(const fs::path& path) {
    ReadResult result = ReadFile(path, false);
    if (const auto end = result.Bytes.find_first_of("\r\n"); end != std::string::npos)
        result.Bytes.resize(end);
    return result;
}

int CreateNewFile(const fs::path& path, std::string_view bytes) {
    system_file::Handle file;
    std::error_code error = file.CreateNew(path);
    if (error) return FailureCodeFor(error, path);
    error = FillNewFile(file, bytes);
    if (error) system_file::Remove(path);
    return FailureCodeFor(error, path);
}

int WriteLineFile(const fs::path& path, std::string_view line) {
    std::string text(line);
    text += "\r\n";
    return ReplaceFile(path, text);
}

int DeleteFile(const fs::path& path) { return FailureCodeFor(system_file::Remove(path), path); }

int CopyFileOver(const fs::path& source, const fs::path& destination) {
    std::error_code error;
    if (fs::equivalent(source, destination, error)) return failure::kPathFileAccess;
    const ReadResult original = ReadFile(source, false);
    if (!original.Ok()) return original.Code;
    return ReplaceFile(destination, original.Bytes);
}

int SetAttributesNormal(const fs::path& path) { return Hidden(path, false); }

int SetAttributesHidden(const fs::path& path) { return Hidden(path, true); }

int CreateFolder(const fs::path& path) {
    std::error_code error;
    if (fs::create_directory(path, error)) return failure::kNone;
    return error ? FailureCodeFor(error, path) : failure::kPathFileAccess;
}

}  // namespace lockmere
