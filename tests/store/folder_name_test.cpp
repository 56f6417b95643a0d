#include "store/folder_name.h"

#include <doctest/doctest.h>

#include <string>

#include "store/file_access.h"

using lockmere::FolderNameFailure;
namespace failure = lockmere::failure;

TEST_CASE("a new folder's name is refused where a Windows file system refuses it") {
    struct Case {
        std::string name;
        int code;
    };
    const Case cases[] = {
        {"Backups", failure::kNone},
        {"My Backups 2024", failure::kNone},
        {".hidden", failure::kNone},
        {"a.b", failure::kNone},
        {"CONSOLE", failure::kNone},
        {"COM0", failure::kNone},
        {"LPT10", failure::kNone},
        {"xCON", failure::kNone},
        {"caf\xe9", failure::kNone},  // Windows-1252 letters are fine
        {"a\\b", failure::kPathNotFound},
        {"a/b", failure::kPathNotFound},
        {"\\", failure::kPathNotFound},
        {"a:b", failure::kBadFileName},
        {"a*", failure::kBadFileName},
        {"a?", failure::kBadFileName},
        {"say \"hi\"", failure::kBadFileName},
        {"<a>", failure::kBadFileName},
        {"a|b", failure::kBadFileName},
        {"tab\there", failure::kBadFileName},
        {std::string("a\x01", 2), failure::kBadFileName},
        {std::string("a\x1f", 2), failure::kBadFileName},
        {"CON", failure::kBadFileName},
        {"con", failure::kBadFileName},
        {"Prn", failure::kBadFileName},
        {"AUX.txt", failure::kBadFileName},
        {"nul.tar.gz", failure::kBadFileName},
        {"NUL .txt", failure::kBadFileName},
        {"COM1", failure::kBadFileName},
        {"com9.log", failure::kBadFileName},
        {"LPT1", failure::kBadFileName},
        {"lpt9", failure::kBadFileName},
        {"name.", failure::kBadFileName},
        {".", failure::kBadFileName},
        {"..", failure::kBadFileName},
    };
    for (const Case& c : cases) {
        CAPTURE(c.name);
        CHECK(FolderNameFailure(c.name) == c.code);
    }
}
