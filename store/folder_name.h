#pragma once

#include <filesystem>
#include <string_view>

namespace lockmere {

// Creates the folder a typed name names inside `folder`, by the platform's
// rules: the name's separators ("/"; on Windows "\" too) lead into folders
// that must be there already (else 76, path not found). A name that would
// leave `folder` (".." as a part), or pass through a link on its way, fails
// with 76; an existing name with 75. On Windows a part the file system
// refuses (WindowsFolderNameFailure), or a drive or server at the start,
// fails with 52. failure::kNone once the folder is made.
[[nodiscard]] int CreateNamedFolder(const std::filesystem::path& folder,
                                    const std::filesystem::path& name);

// The failure code a Windows file system gives a folder name: 52 (bad file
// name) for one holding : * ? " < > | or a control character, a reserved
// device name (CON, PRN, AUX, NUL, COM1-COM9, LPT1-LPT9, with or without an
// extension, in any case) or a name ending in a dot or a blank;
// failure::kNone for a usable name. The name holds no separator.
[[nodiscard]] int WindowsFolderNameFailure(std::u32string_view name);

}  // namespace lockmere
