#pragma once

// Small helpers shared by the store tests: what is on disk.

#include <doctest/doctest.h>

#include <cwctype>
#include <filesystem>
#include <string>

#include "store/file_access.h"
#include "tests/support/book_fixture.h"
#include "tests/support/byte_text.h"
#include "tests/support/owner_only.h"
#include "tests/support/temp_folder.h"
#include "tests/support/temporaries.h"

namespace lockmere::test {

using Folder = lockmere::testing::TempFolder;

// The same folder under a second name: a link to it where links can be
// made, its path in capitals on Windows, whose names ignore letter case.
inline std::filesystem::path SecondName(const std::filesystem::path& folder,
                                        const std::filesystem::path& link) {
#ifdef _WIN32
    static_cast<void>(link);
    std::wstring upper = folder.native();
    for (wchar_t& c : upper) c = static_cast<wchar_t>(std::towupper(c));
    return upper;
#else
    std::filesystem::create_directory_symlink(folder, link);
    return link;
#endif
}

// Whatever a failed safe replace might have left beside path.
inline bool TemporaryFileLeft(const std::filesystem::path& path) {
    return lockmere::testing::TemporaryLeftBeside(path);
}

}  // namespace lockmere::test
