#pragma once

#include <optional>
#include <string>
#include <vector>

#include "cli/generate.h"

namespace lockmere::cli {

enum class Command { Help, Version, List, Search, Show, Add, Import, Export, Verify, Generate };

// The one value show --field prints; in the order of the record's fields.
enum class Field { Name, Url, UserName, Password };

// The command line, as UTF-8 texts.
struct Arguments {
    Command Which = Command::Help;
    std::optional<std::string> Folder;  // --folder, or verify's DIR
    bool BackupFolder = false;          // verify DIR: read as a restore reads it
    std::string Name;                   // show NAME, search TEXT
    std::string CsvFile;                // export and import --csv FILE
    bool ShowPassword = false;          // show --password
    std::optional<Field> OneField;      // show --field
    bool Json = false;                  // list, search, show --json
    bool Force = false;                 // export --force
    bool Login = false;                 // verify --login
    std::optional<std::string> Format;  // import --format, a layout's name
    bool DryRun = false;                // import --dry-run
    bool SkipRefused = false;           // import --skip-refused
    bool KeepDuplicates = false;        // import --keep-duplicates
    bool Generate = false;              // add --generate
    int Length = kLongestGenerated;     // generate --length
};

struct ParseResult {
    std::optional<Arguments> Parsed;
    std::string Error;  // why the command line was refused
};

// args excludes the program's name.
[[nodiscard]] ParseResult ParseArguments(const std::vector<std::string>& args);

std::string HelpText();

}  // namespace lockmere::cli
