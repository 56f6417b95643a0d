#include "store/folder_name.h"

#include <doctest/doctest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "store/file_access.h"
#include "tests/store/file_checks.h"

using lockmere::CreateNamedFolder;
using lockmere::WindowsFolderNameFailure;
using lockmere::test::Folder;
namespace failure = lockmere::failure;
namespace fs = std::filesystem;

namespace {

constexpr bool kWindows = fs::path::preferred_separator == '\\';

// Every folder and file below root, as relative paths in "/" form.
std::vector<std::string> Tree(const fs::path& root) {
    std::vector<std::string> names;
    for (const auto& entry : fs::recursive_directory_iterator(root))
        names.push_back(fs::relative(entry.path(), root).generic_string());
    std::sort(names.begin(), names.end());
    return names;
}

}  // namespace

TEST_CASE("a folder name the Windows file system refuses") {
    struct Case {
        std::u32string name;
        int code;
    };
    const Case cases[] = {
        {U"Backups", failure::kNone},
        {U"My Backups 2024", failure::kNone},
        {U".hidden", failure::kNone},
        {U"a.b", failure::kNone},
        {U"CONSOLE", failure::kNone},
        {U"COM0", failure::kNone},
        {U"LPT10", failure::kNone},
        {U"xCON", failure::kNone},
        {U"caf\u00e9", failure::kNone},
        {U"a:b", failure::kBadFileName},
        {U"a*", failure::kBadFileName},
        {U"a?", failure::kBadFileName},
        {U"say \"hi\"", failure::kBadFileName},
        {U"<a>", failure::kBadFileName},
        {U"a|b", failure::kBadFileName},
        {U"tab\there", failure::kBadFileName},
        {U"a\x01", failure::kBadFileName},
        {U"a\x1f", failure::kBadFileName},
        {U"CON", failure::kBadFileName},
        {U"con", failure::kBadFileName},
        {U"Prn", failure::kBadFileName},
        {U"AUX.txt", failure::kBadFileName},
        {U"nul.tar.gz", failure::kBadFileName},
        {U"NUL .txt", failure::kBadFileName},
        {U"COM1", failure::kBadFileName},
        {U"com9.log", failure::kBadFileName},
        {U"LPT1", failure::kBadFileName},
        {U"lpt9", failure::kBadFileName},
        {U"name.", failure::kBadFileName},
        {U"name ", failure::kBadFileName},
        {U"name. ", failure::kBadFileName},
    };
    for (const Case& c : cases) {
        CAPTURE(std::string(c.name.begin(), c.name.end()));
        CHECK(WindowsFolderNameFailure(c.name) == c.code);
    }
}

TEST_CASE("a typed folder name is made inside the current folder, by this system's rules") {
    const struct {
        const char* label;
        const char* name;
        const char* present;  // made first: a folder, or a file when it ends in "~"
        int code;
        const char* made;  // the folder made, when the code is kNone
    } rows[] = {
        {"a new folder", "Backups", "", failure::kNone, "Backups"},
        {"blanks inside stay", "My Backups", "", failure::kNone, "My Backups"},
        {"an existing folder", "Backups", "Backups", failure::kPathFileAccess, ""},
        {"a file of that name", "Backups", "Backups~", failure::kPathFileAccess, ""},
        {"into a folder that is there", "newf/sub", "newf", failure::kNone, "newf/sub"},
        {"into a folder that is not", "newf/sub", "", failure::kPathNotFound, ""},
        {"into a file", "newf/sub", "newf~", failure::kPathNotFound, ""},
        {"a trailing separator", "newf/", "", failure::kNone, "newf"},
        {"a leading separator stays inside", "/newf", "", failure::kNone, "newf"},
        {"out of the folder", "../out", "", failure::kPathNotFound, ""},
        {"out and back in", "newf/../sub", "newf", failure::kPathNotFound, ""},
        {"the folder itself", ".", "", failure::kPathFileAccess, ""},
        // Only "/" separates here; Windows has its own rules on names.
        {"a colon", "x:y", "", kWindows ? failure::kBadFileName : failure::kNone, "x:y"},
        {"a backslash", "a\\b", "", kWindows ? failure::kPathNotFound : failure::kNone, "a\\b"},
        {"a backslash into a folder that is there", "a\\b", "a", failure::kNone,
         kWindows ? "a/b" : "a\\b"},
        {"a reserved device name", "CON", "", kWindows ? failure::kBadFileName : failure::kNone,
         "CON"},
    };
    for (const auto& row : rows) {
        CAPTURE(std::string(row.label));
        Folder folder;
        const fs::path current = folder.Path() / "current";
        fs::create_directory(current);
        const std::string present = row.present;
        if (present.ends_with('~'))
            lockmere::fixture::WriteBytes(current / present.substr(0, present.size() - 1), "x");
        else if (!present.empty())
            fs::create_directory(current / present);
        const std::vector<std::string> before = Tree(folder.Path());

        CHECK(CreateNamedFolder(current, fs::path(row.name)) == row.code);
        std::vector<std::string> expected = before;
        if (row.code == failure::kNone) {
            expected.push_back("current/" + std::string(row.made));
            std::sort(expected.begin(), expected.end());
        }
        CHECK(Tree(folder.Path()) == expected);
    }
}

TEST_CASE("a new folder's way never passes through a link") {
    if (kWindows) return;  // the links a test can make there are none (Wine)
    Folder folder;
    const fs::path current = folder.Path() / "current";
    const fs::path elsewhere = folder.Path() / "elsewhere";
    fs::create_directory(current);
    fs::create_directory(elsewhere);
    fs::create_directory_symlink(elsewhere, current / "link");

    CHECK(CreateNamedFolder(current, "link/sub") == failure::kPathNotFound);
    CHECK(fs::is_empty(elsewhere));
    // A link at the new name itself stands there already.
    CHECK(CreateNamedFolder(current, "link") == failure::kPathFileAccess);
}
