#pragma once

#include <filesystem>

namespace lockmere {

class FolderLock;
class MessageBoxes;

// The checks of the start, before any window; each tells the user why the
// program must end and returns false then.

// The hardening of the process (no core dumps) took effect.
bool HardeningHeld(bool hardened, MessageBoxes& boxes);

// This program holds the program folder's lock. Once it does, the folder
// is tidied of what crashed writes left.
bool FolderIsOurs(const FolderLock& lock, const std::filesystem::path& folder, MessageBoxes& boxes);

}  // namespace lockmere
