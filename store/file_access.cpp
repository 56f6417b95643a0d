#include "store/file_access.h"

#include <cerrno>
#include <cstdint>
#include <cstring>
#include <random>

#include "store/pair_copy.h"
#include "store/system_file.h"

namespace lockmere {

namespace fs = std::filesystem;

namespace {

bool Is(std::error_code error, std::errc condition) { return error == condition; }

bool ParentFolderExists(const fs::path& path) {
    const fs::path parent = path.parent_path();
    std::error_code error;
    return fs::is_directory(parent.empty() ? fs::path(".") : parent, error);
}

[[nodiscard]] ReadResult ReadFile(const fs::path& path, bool create, Links links,
                                  std::size_t largest) {
    ReadResult result;
    system_file::Handle file;
    std::error_code error = file.OpenForRead(path, create, links);
    if (!error) error = file.ReadAll(result.Bytes, largest);
    if (!error) result.OwnedByUser = file.OwnedByUser();
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
[[nodiscard]] std::error_code FillNewFile(system_file::Handle& file, std::string_view bytes) {
    std::error_code error = file.WriteAll(bytes);
    if (!error) error = file.Sync();
    if (const std::error_code closed = file.Close(); !error) error = closed;
    return error;
}

[[nodiscard]] int Hidden(const fs::path& path, bool hidden) {
    return FailureCodeFor(system_file::SetHidden(path, hidden), path);
}

// The last part of a path as UTF-8: a name the narrow code page cannot
// hold must not throw.
std::string Utf8Name(const fs::path& path) {
    const std::u8string utf8 = path.filename().u8string();
    return std::string(reinterpret_cast<const char*>(utf8.data()), utf8.size());
}

// A tidy-up of the temporaries in folder that `chosen` names, when they are
// regular files of the user's: one that will not go is tried again next time.
template <class Chosen>
void RemoveTemporaries(const fs::path& folder, Chosen chosen) {
    std::error_code error;
    for (fs::directory_iterator entry(folder.empty() ? fs::path(".") : folder, error), end;
         !error && entry != end; entry.increment(error)) {
        if (chosen(Utf8Name(entry->path())) && system_file::IsOwnRegularFile(entry->path()))
            static_cast<void>(system_file::Remove(entry->path()));
    }
}

}  // namespace

int FailureCodeFor(std::error_code error, const fs::path& path) {
    if (!error) return failure::kNone;
    if (system_file::IsNotARegularFile(error)) return failure::kPathFileAccess;
    using Kind = system_file::ErrorKind;
    if (const std::optional<Kind> kind = system_file::KindOf(error)) {
        switch (*kind) {
        case Kind::kFileNotFound:
            return failure::kFileNotFound;
        case Kind::kPathNotFound:
            return failure::kPathNotFound;
        case Kind::kAccess:
            return failure::kPathFileAccess;
        case Kind::kDiskFull:
            return failure::kDiskFull;
        case Kind::kDeviceUnavailable:
            return failure::kDeviceUnavailable;
        case Kind::kDeviceIo:
            return failure::kDeviceIo;
        }
    }
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

fs::path ComposePath(const fs::path& folder, const fs::path& name) {
    // Plain concatenation: operator/ would let a name with a leading
    // separator replace the folder, and a typed folder name land elsewhere.
    fs::path composed = folder;
    composed += fs::path::preferred_separator;
    // Concatenated as text: this library appends one path to another with a
    // wrong list of parts, which parent_path() then reads.
    composed += name.native();
    return composed;
}

ReadResult ReadWholeFile(const fs::path& path, std::size_t largest) {
    return ReadFile(path, true, Links::Follow, largest);
}

ReadResult ReadExistingFile(const fs::path& path, std::size_t largest, Links links) {
    return ReadFile(path, false, links, largest);
}

bool IsTemporaryOf(std::string_view fileName, std::string_view entry) {
    constexpr std::string_view suffix = kTemporarySuffix;
    if (!entry.starts_with(fileName) || !entry.ends_with(suffix)) return false;
    // "F.tmp" alone is what earlier versions left.
    if (entry.size() == fileName.size() + suffix.size()) return true;
    const std::string_view middle =
        entry.substr(fileName.size(), entry.size() - fileName.size() - suffix.size());
    return middle.size() == kTemporaryDigits + 1 && middle[0] == '.' &&
           middle.find_first_not_of("0123456789abcdef", 1) == std::string_view::npos;
}

int WriteTemporaryBeside(const fs::path& path, std::string_view bytes, fs::path& temporary,
                         Readers readers) {
    // Each write makes a name of its own and creates it exclusively, so two
    // writers never share a temporary and a stale one is never reused.
    thread_local std::mt19937_64 generator{std::random_device{}()};
    static constexpr char kDigits[] = "0123456789abcdef";
    system_file::Handle file;
    std::error_code error;
    for (int attempt = 0; attempt < 64; ++attempt) {
        std::string name = ".";
        std::uint64_t bits = generator();
        for (std::size_t digit = 0; digit < kTemporaryDigits; ++digit, bits >>= 4)
            name += kDigits[bits & 15];
        name += kTemporarySuffix;
        // Built on the path itself, so that the name is never converted.
        temporary = path;
        temporary += name;
        error = file.CreateNew(temporary, readers);
        if (error != std::errc::file_exists) break;
    }
    if (error) {
        temporary.clear();
        return FailureCodeFor(error, path);
    }
    error = FillNewFile(file, bytes);
    if (error) {
        // The write's failure is the one to tell; a temporary that will not
        // go harms no file, and a data file's goes at the next start.
        static_cast<void>(system_file::Remove(temporary));
        temporary.clear();
        return FailureCodeFor(error, path);
    }
    return failure::kNone;
}

int PlaceTemporary(const fs::path& temporary, const fs::path& path, Existing existing) {
    const std::error_code error = existing == Existing::Replace
                                      ? system_file::Rename(temporary, path)
                                      : system_file::RenameNoReplace(temporary, path);
    if (error) {
        // As above: the rename's failure is the one to tell.
        DiscardTemporary(temporary);
        return FailureCodeFor(error, path);
    }
    system_file::SyncFolder(path.parent_path());
    return failure::kNone;
}

void DiscardTemporary(const fs::path& temporary) {
    // A temporary that will not go harms no file; a data file's goes at
    // the next start, an export's at the next export there.
    static_cast<void>(system_file::Remove(temporary));
}

int ReplaceWholeFile(const fs::path& path, std::string_view bytes, Readers readers) {
    fs::path temporary;
    if (const int code = WriteTemporaryBeside(path, bytes, temporary, readers);
        code != failure::kNone)
        return code;
    return PlaceTemporary(temporary, path, Existing::Replace);
}

int ReplaceDataFile(const fs::path& path, std::string_view bytes) {
    return ReplaceWholeFile(FollowLink(path), bytes);
}

void RemoveStaleTemporaries(const fs::path& folder) {
    RemoveTemporaries(folder, [](std::string_view entry) {
        for (const char* file :
             {kKeyFileName, kStoreFileName, kBackupLocationFileName, kPairMarkerFileName})
            if (IsTemporaryOf(file, entry)) return true;
        return false;
    });
}

void RemoveStaleTemporariesOf(const fs::path& path) {
    const std::string file = Utf8Name(path);
    RemoveTemporaries(path.parent_path(), [&file](std::string_view entry) {
        // Only this program's own kind: a "F.tmp" there may be anybody's.
        return IsTemporaryOf(file, entry) &&
               entry.size() == file.size() + 1 + kTemporaryDigits + std::strlen(kTemporarySuffix);
    });
}

int WriteAt(const fs::path& path, std::size_t position, std::string_view bytes,
            std::size_t largest) {
    if (position == 0) return failure::kBadPosition;
    ReadResult current = ReadWholeFile(path, largest);
    if (!current.Ok()) return current.Code;
    if (current.Bytes.size() > largest) return failure::kPathFileAccess;
    std::string& content = current.Bytes;
    const std::size_t offset = position - 1;
    // Past the end the file grows; a gap reads as zero bytes, as on disk.
    if (content.size() < offset + bytes.size()) content.resize(offset + bytes.size(), '\0');
    content.replace(offset, bytes.size(), bytes);
    return ReplaceDataFile(path, content);
}

ReadResult ReadFirstLine(const fs::path& path, std::size_t largest) {
    ReadResult result = ReadFile(path, false, Links::Refuse, largest);
    if (result.Bytes.size() > largest) return {{}, failure::kPathFileAccess};
    if (const auto end = result.Bytes.find_first_of("\r\n"); end != std::string::npos)
        result.Bytes.resize(end);
    return result;
}

int WriteLineFile(const fs::path& path, std::string_view line) {
    std::string text(line);
    text += "\r\n";
    return ReplaceWholeFile(path, text);
}

bool OthersMayWriteIn(const fs::path& folder) { return system_file::OthersMayWriteIn(folder); }

int SetAttributesNormal(const fs::path& path) { return Hidden(path, false); }

int SetAttributesHidden(const fs::path& path) { return Hidden(path, true); }

}  // namespace lockmere
