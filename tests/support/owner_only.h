#pragma once

#include <filesystem>

namespace lockmere::test {

// The permission bits of a file, e.g. 0600.
inline unsigned Mode(const std::filesystem::path& path) {
    return static_cast<unsigned>(std::filesystem::status(path).permissions()) & 0777u;
}

// Data files are owner-only where files have POSIX modes. Windows has none
// (a file takes the access list of its folder): there only the file counts.
inline bool OwnerOnly(const std::filesystem::path& path) {
#ifdef _WIN32
    return std::filesystem::is_regular_file(path);
#else
    return Mode(path) == 0600u;
#endif
}

}  // namespace lockmere::test
