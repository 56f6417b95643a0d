#include "store/folder_name.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <string>

#include "store/file_access.h"

namespace lockmere {

namespace {

bool IsReservedDeviceName(std::string_view name) {
    // The device is reserved whatever follows its first dot, and blanks
    // before that dot are ignored.
    std::string_view base = name.substr(0, name.find('.'));
    while (!base.empty() && base.back() == ' ') base.remove_suffix(1);
    std::string upper(base);
    std::transform(upper.begin(), upper.end(), upper.begin(),
                   [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    static constexpr std::array<std::string_view, 4> kDevices = {"CON", "PRN", "AUX", "NUL"};
    if (std::find(kDevices.begin(), kDevices.end(), upper) != kDevices.end()) return true;
    return upper.size() == 4 && (upper.starts_with("COM") || upper.starts_with("LPT")) &&
           upper[3] >= '1' && upper[3] <= '9';
}

}  // namespace

int FolderNameFailure(std::string_view name) {
    if (name.find_first_of("\\/") != std::string_view::npos) return failure::kPathNotFound;
    const bool badCharacter = std::any_of(name.begin(), name.end(), [](char c) {
        const auto code = static_cast<unsigned char>(c);
        return code < 32 || std::string_view(":*?\"<>|").find(c) != std::string_view::npos;
    });
    if (badCharacter || IsReservedDeviceName(name) || (!name.empty() && name.back() == '.'))
        return failure::kBadFileName;
    return failure::kNone;
}

}  // namespace lockmere
