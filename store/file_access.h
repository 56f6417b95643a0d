#pragma once

#include <cstddef>
#include <filesystem>
#include <string>
#include <string_view>
#include <system_error>

#include "store/failure_code.h"
#include "store/system_file.h"

namespace lockmere {

using system_file::Links;
using system_file::Readers;

inline constexpr const char* kKeyFileName = "lkdb0.lkd";
inline constexpr const char* kStoreFileName = "lkdb1.lkd";
inline constexpr const char* kBackupLocationFileName = "BackupLocation.inf";

// The failure code of a system error met while working on path. A missing
// file is told apart from a missing folder on its way.
[[nodiscard]] int FailureCodeFor(std::error_code error, const std::filesystem::path& path);

// Folder + separator + name, without normalisation. The name is a path so
// that a typed name reaches the system as typed (wide text on Windows).
std::filesystem::path ComposePath(const std::filesystem::path& folder,
                                  const std::filesystem::path& name);

struct ReadResult {
    std::string Bytes;
    int Code = failure::kNone;
    bool OwnedByUser = false;  // the file read is the user's (or nobody's: FAT)
    bool Ok() const { return Code == failure::kNone; }
};

// Every read opens without blocking, takes a regular file only (else
// kPathFileAccess) and reads at most largest + 1 bytes, the most the file
// may hold plus one: a longer file shows as Bytes.size() > largest.

// Reads a data file of the program folder as raw bytes, through a link the
// user made. A missing file is created empty (owner-only, on Windows hidden,
// never at a link's target) and reads as length 0; an existing file is never
// shortened.
[[nodiscard]] ReadResult ReadWholeFile(const std::filesystem::path& path, std::size_t largest);

// Replaces the whole file safely: the bytes go to a temporary file of this
// write's own in the same folder, are flushed to disk and renamed over the
// name. On any failure the old file stays exactly as it was and no
// temporary of this write is left. The new file is the user's alone, unless
// readers says otherwise. A link at the name is replaced, never written
// through.
[[nodiscard]] int ReplaceWholeFile(const std::filesystem::path& path, std::string_view bytes,
                                   Readers readers = Readers::UserAlone);

// The same for a data file of the program folder: a link there is the
// user's (the file kept on another disk), and the write goes to its target.
[[nodiscard]] int ReplaceDataFile(const std::filesystem::path& path, std::string_view bytes);

// A write's temporary for file name F is named "F.<16 hex digits>.tmp",
// created exclusively beside F ("F.tmp" is an earlier version's). entry is
// a bare name.
inline constexpr const char* kTemporarySuffix = ".tmp";
inline constexpr std::size_t kTemporaryDigits = 16;
bool IsTemporaryOf(std::string_view fileName, std::string_view entry);

// Writes bytes to a new temporary beside path (the user's alone, unless
// readers says otherwise), under a name of its own, and flushes it to
// disk. On failure nothing is left and temporary is empty.
[[nodiscard]] int WriteTemporaryBeside(const std::filesystem::path& path, std::string_view bytes,
                                       std::filesystem::path& temporary,
                                       Readers readers = Readers::UserAlone);

// Puts a temporary of WriteTemporaryBeside at its file's name in one step
// and makes that durable. With Existing::Replace whatever stands at path is
// replaced (a link too, never written through); with Existing::Keep
// anything there fails the move (kPathFileAccess). On failure the temporary
// is removed.
enum class Existing { Replace, Keep };
[[nodiscard]] int PlaceTemporary(const std::filesystem::path& temporary,
                                 const std::filesystem::path& path, Existing existing);

// Removes a temporary of WriteTemporaryBeside that is no longer wanted.
void DiscardTemporary(const std::filesystem::path& temporary);

// Removes the temporaries of the data files that crashed writes left in
// folder: regular files of the user by those names, nothing else. Only for
// a folder whose lock this process holds.
void RemoveStaleTemporaries(const std::filesystem::path& folder);

// Removes what a killed write of path left beside it: its temporaries
// ("F.<16 hex digits>.tmp") that are regular files of the user's.
void RemoveStaleTemporariesOf(const std::filesystem::path& path);

// Writes bytes at a 1-based position of a data file of the program folder,
// extending the file when needed (a gap reads as zero bytes) and keeping
// every other byte; done as read, patch and ReplaceDataFile. Position 0
// fails with kBadPosition; a file longer than largest is not rewritten
// (kPathFileAccess), since it could not be kept whole.
[[nodiscard]] int WriteAt(const std::filesystem::path& path, std::size_t position,
                          std::string_view bytes, std::size_t largest);

// Reads the whole file as raw bytes; a missing file is not created
// (kFileNotFound). A link at the name is followed only with Links::Follow.
[[nodiscard]] ReadResult ReadExistingFile(const std::filesystem::path& path, std::size_t largest,
                                          Links links);

// The first line without its line end (CR LF, LF or CR) of a file no longer
// than largest (else kPathFileAccess); a file without any line gives the
// empty string. A missing file is not created (kFileNotFound); a link at the
// name is not followed.
[[nodiscard]] ReadResult ReadFirstLine(const std::filesystem::path& path, std::size_t largest);

// Whether users other than the one running the program may create, remove
// or replace files in folder (a shared or world-writable folder, sticky or
// not). False where the system cannot tell.
bool OthersMayWriteIn(const std::filesystem::path& folder);

// Creates or replaces a text file holding one line followed by CR LF.
[[nodiscard]] int WriteLineFile(const std::filesystem::path& path, std::string_view line);

// Attributes. There is no hidden attribute on Linux: data files are kept
// owner-only, and "normal" never widens that. On Windows these set the
// hidden attribute alone, or no attribute.
[[nodiscard]] int SetAttributesNormal(const std::filesystem::path& path);
[[nodiscard]] int SetAttributesHidden(const std::filesystem::path& path);

}  // namespace lockmere
