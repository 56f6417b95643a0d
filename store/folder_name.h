#pragma once

#include <string_view>

namespace lockmere {

// The failure code a new folder's name gets where a Windows file system
// would refuse it, so that backup folders stay usable on both systems:
// 76 (path not found) for a name holding "\" or "/", 52 (bad file name)
// for one holding : * ? " < > | or a control character, a reserved device
// name (CON, PRN, AUX, NUL, COM1-COM9, LPT1-LPT9, with or without an
// extension, in any case) or a name ending in a dot; failure::kNone for a
// usable name.
[[nodiscard]] int FolderNameFailure(std::string_view name);

}  // namespace lockmere
