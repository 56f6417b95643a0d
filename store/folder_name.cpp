#include "store/folder_name.h"

#include <algorithm>
#include <array>
#include <string>
#include <system_error>
#include <vector>

#include "store/file_access.h"
#include "store/system_file.h"

namespace lockmere {

namespace fs = std::filesystem;

namespace {

constexpr bool kWindowsFileNames = fs::path::preferred_separator == '\\';

bool IsReservedDeviceName(std::u32string_view name) {
    // The device is reserved whatever follows its first dot, and blanks
    // before that dot are ignored.
    std::u32string_view base = name.substr(0, name.find(U'.'));
    while (!base.empty() && base.back() == U' ') base.remove_suffix(1);
    std::u32string upper(base);
    std::transform(upper.begin(), upper.end(), upper.begin(),
                   [](char32_t c) { return c >= U'a' && c <= U'z' ? c - U'a' + U'A' : c; });
    static constexpr std::array<std::u32string_view, 4> kDevices = {U"CON", U"PRN", U"AUX", U"NUL"};
    if (std::find(kDevices.begin(), kDevices.end(), upper) != kDevices.end()) return true;
    return upper.size() == 4 && (upper.starts_with(U"COM") || upper.starts_with(U"LPT")) &&
           upper[3] >= U'1' && upper[3] <= U'9';
}

// The errors of a way into the folder that does not lead there.
bool WayBlocked(std::error_code error) {
    return error == std::errc::no_such_file_or_directory || error == std::errc::not_a_directory ||
           error == std::errc::too_many_symbolic_link_levels;
}

}  // namespace

int WindowsFolderNameFailure(std::u32string_view name) {
    const bool badCharacter = std::any_of(name.begin(), name.end(), [](char32_t c) {
        return c < 32 || std::u32string_view(U":*?\"<>|").find(c) != std::u32string_view::npos;
    });
    // Windows drops a trailing dot or blank: the folder made would not be
    // the one named.
    const bool trailing = !name.empty() && (name.back() == U'.' || name.back() == U' ');
    if (badCharacter || IsReservedDeviceName(name) || trailing) return failure::kBadFileName;
    return failure::kNone;
}

int CreateNamedFolder(const fs::path& folder, const fs::path& name) {
    if (kWindowsFileNames && name.has_root_name()) return failure::kBadFileName;
    std::vector<fs::path> parts;
    // The path's own parts: split where this platform separates names.
    for (const fs::path& part : name) {
        if (part.empty() || part.has_root_directory() || part == ".") continue;
        if (part == "..") return failure::kPathNotFound;
        if (kWindowsFileNames)
            if (const int code = WindowsFolderNameFailure(part.u32string()); code != failure::kNone)
                return code;
        parts.push_back(part);
    }
    // Nothing but separators and dots names the folder itself.
    if (parts.empty()) return failure::kPathFileAccess;
    const std::error_code error = system_file::MakeFolderBelow(folder, parts);
    if (!error) return failure::kNone;
    // A folder on the way (or the current folder) missing, a link or no
    // folder at all: the path is not found.
    return WayBlocked(error) ? failure::kPathNotFound
                             : FailureCodeFor(error, ComposePath(folder, name));
}

}  // namespace lockmere
