#include "cli/arguments.h"

#include <algorithm>
#include <array>
#include <string_view>

#include "cli/import_layouts.h"

namespace lockmere::cli {

namespace {

struct CommandName {
    std::string_view Text;
    Command Which;
};
constexpr std::array<CommandName, 8> kCommands{{
    {"list", Command::List},
    {"search", Command::Search},
    {"show", Command::Show},
    {"add", Command::Add},
    {"import", Command::Import},
    {"export", Command::Export},
    {"verify", Command::Verify},
    {"generate", Command::Generate},
}};

// The options that belong to some commands only, and those commands.
struct CommandOption {
    std::string_view Text;
    std::vector<Command> Owners;
};
const std::vector<CommandOption>& CommandOptions() {
    static const std::vector<CommandOption> options{
        {"--password", {Command::Show}},
        {"--field", {Command::Show}},
        {"--json", {Command::List, Command::Search, Command::Show}},
        {"--generate", {Command::Add}},
        {"--csv", {Command::Import, Command::Export}},
        {"--format", {Command::Import}},
        {"--dry-run", {Command::Import}},
        {"--skip-refused", {Command::Import}},
        {"--keep-duplicates", {Command::Import}},
        {"--force", {Command::Export}},
        {"--login", {Command::Verify}},
        {"--length", {Command::Generate}},
    };
    return options;
}

constexpr std::array<std::string_view, 5> kValueOptions{"--folder", "--csv", "--format", "--field",
                                                        "--length"};

std::optional<Command> CommandNamed(std::string_view text) {
    for (const CommandName& c : kCommands)
        if (c.Text == text) return c.Which;
    return std::nullopt;
}

std::string_view NameOf(Command which) {
    for (const CommandName& c : kCommands)
        if (c.Which == which) return c.Text;
    return {};
}

// "the export command", "the import and export commands".
std::string OwnersText(const std::vector<Command>& owners) {
    std::string text = "the ";
    for (std::size_t i = 0; i < owners.size(); ++i) {
        if (i > 0) text += i + 1 == owners.size() ? " and " : ", ";
        text += NameOf(owners[i]);
    }
    return text + (owners.size() == 1 ? " command" : " commands");
}

std::optional<Field> FieldNamed(std::string_view text) {
    if (text == "name") return Field::Name;
    if (text == "url") return Field::Url;
    if (text == "username") return Field::UserName;
    if (text == "password") return Field::Password;
    return std::nullopt;
}

std::optional<int> GeneratedLength(std::string_view text) {
    int length = 0;
    if (text.empty() || text.size() > 2) return std::nullopt;
    for (const char c : text) {
        if (c < '0' || c > '9') return std::nullopt;
        length = length * 10 + (c - '0');
    }
    if (length < kShortestGenerated || length > kLongestGenerated) return std::nullopt;
    return length;
}

ParseResult Refuse(std::string error) { return {std::nullopt, std::move(error)}; }

ParseResult Only(Command which) {
    Arguments parsed;
    parsed.Which = which;
    return {parsed, {}};
}

}  // namespace

ParseResult ParseArguments(const std::vector<std::string>& args) {
    Arguments parsed;
    std::optional<Command> command;
    std::vector<std::string> positional;
    std::vector<std::string_view> commandOptions;
    std::optional<std::string> csv;
    bool optionsEnded = false;

    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (optionsEnded || arg.empty() || arg[0] != '-' || arg == "-") {
            if (!command) {
                command = CommandNamed(arg);
                if (!command) return Refuse("unknown command \"" + arg + "\"");
            } else {
                positional.push_back(arg);
            }
            continue;
        }
        if (arg == "--") {
            optionsEnded = true;
            continue;
        }
        if (arg == "--help" || arg == "-h") return Only(Command::Help);
        if (arg == "--version") return Only(Command::Version);

        // --name VALUE or --name=VALUE for the options that take a value.
        std::string_view name = arg;
        std::optional<std::string> value;
        if (const auto equals = name.find('='); equals != std::string_view::npos) {
            value = arg.substr(equals + 1);
            name = name.substr(0, equals);
        }
        const bool takesValue =
            std::find(kValueOptions.begin(), kValueOptions.end(), name) != kValueOptions.end();
        if (!takesValue && value) return Refuse("option " + std::string(name) + " takes no value");
        if (takesValue && !value) {
            if (i + 1 == args.size()) return Refuse("option " + arg + " needs a value");
            value = args[++i];
        }

        const auto owned = std::find_if(CommandOptions().begin(), CommandOptions().end(),
                                        [&](const CommandOption& o) { return o.Text == name; });
        if (owned != CommandOptions().end()) commandOptions.push_back(owned->Text);
        if (name == "--folder") {
            if (parsed.Folder) return Refuse("--folder is given twice");
            if (value->empty()) return Refuse("--folder needs a folder name");
            parsed.Folder = *value;
        } else if (name == "--csv") {
            if (csv) return Refuse("--csv is given twice");
            if (value->empty()) return Refuse("--csv needs a file name");
            csv = *value;
        } else if (name == "--field") {
            parsed.OneField = FieldNamed(*value);
            if (!parsed.OneField) return Refuse("--field takes name, url, username or password");
        } else if (name == "--format") {
            if (!LayoutNamed(*value))
                return Refuse("--format takes " + LayoutNames() + ", not \"" + *value + "\"");
            parsed.Format = *value;
        } else if (name == "--length") {
            const std::optional<int> length = GeneratedLength(*value);
            if (!length)
                return Refuse("--length takes a number from " + std::to_string(kShortestGenerated) +
                              " to " + std::to_string(kLongestGenerated));
            parsed.Length = *length;
        } else if (name == "--password") {
            parsed.ShowPassword = true;
        } else if (name == "--json") {
            parsed.Json = true;
        } else if (name == "--generate") {
            parsed.Generate = true;
        } else if (name == "--dry-run") {
            parsed.DryRun = true;
        } else if (name == "--skip-refused") {
            parsed.SkipRefused = true;
        } else if (name == "--keep-duplicates") {
            parsed.KeepDuplicates = true;
        } else if (name == "--force") {
            parsed.Force = true;
        } else if (name == "--login") {
            parsed.Login = true;
        } else {
            return Refuse("unknown option " + std::string(name));
        }
    }

    if (!command) return Refuse("no command given");
    parsed.Which = *command;
    for (std::string_view option : commandOptions)
        for (const CommandOption& o : CommandOptions())
            if (o.Text == option &&
                std::find(o.Owners.begin(), o.Owners.end(), parsed.Which) == o.Owners.end())
                return Refuse(std::string(option) + " belongs to " + OwnersText(o.Owners));

    const std::string command_text(NameOf(parsed.Which));
    switch (parsed.Which) {
    case Command::Show:
        if (positional.size() != 1) return Refuse("show needs exactly one NAME");
        if (parsed.OneField && parsed.Json)
            return Refuse("--field prints no JSON; give one of them");
        if (parsed.OneField && parsed.ShowPassword)
            return Refuse("--field prints one value; give either --field or --password");
        parsed.Name = positional[0];
        break;
    case Command::Search:
        if (positional.size() != 1) return Refuse("search needs exactly one TEXT");
        parsed.Name = positional[0];
        break;
    case Command::Verify:
        if (positional.size() > 1) return Refuse("verify takes at most one folder");
        if (positional.size() == 1) {
            if (parsed.Folder) return Refuse("give the folder either as DIR or with --folder");
            if (positional[0].empty()) return Refuse("verify needs a folder name");
            parsed.Folder = positional[0];
            parsed.BackupFolder = true;
        }
        break;
    case Command::Import:
    case Command::Export:
        if (!csv) return Refuse(command_text + " needs --csv FILE");
        // Standard input carries the master password.
        if (parsed.Which == Command::Import && *csv == "-")
            return Refuse("import reads a file, not standard input");
        parsed.CsvFile = *csv;
        [[fallthrough]];
    default:
        if (!positional.empty())
            return Refuse(command_text + " takes no argument \"" + positional[0] + "\"");
        break;
    }
    return {parsed, {}};
}

std::string HelpText() {
    return R"(Usage: lockmere-cli [--folder DIR] COMMAND [OPTIONS]

The password book of a Lockmere program folder, from a terminal.

Commands:
  list                  the Application Name of every record, one a line,
                        in the order of the main window's list
  search TEXT           the records whose Application Name, Application URL
                        or User Name holds TEXT, in any case; listed as list
                        lists them
  show NAME             the record(s) whose Application Name is exactly NAME:
                        name, address and user name
      --password        also show the password
      --field FIELD     only that value of the one record of that name:
                        name, url, username or password
  add                   ask for a new record (Application Name, Application
                        URL, User Name, Password, the password again) and
                        add it to the book, as the add window does
      --generate        ask no password: put in a generated one and print it
  import --csv FILE     add the records of another program's CSV export
      --format NAME     read FILE as this layout: keepassxc, bitwarden,
                        chrome, firefox, keepass1 or lockmere (by default
                        the header row tells)
      --dry-run         report what the import would do; write nothing
      --skip-refused    import the accepted rows though others are refused
      --keep-duplicates also import rows whose Application Name and User
                        Name a record has already
  export --csv FILE     write every record to FILE as CSV (UTF-8, header
                        Title,URL,Username,Password); FILE holds every
                        password in plain text
      --force           replace FILE when it exists
  verify [DIR]          check a program folder or a backup folder without
                        the master password: both files whole, every record
                        readable; prints the number of records
      --login           also ask for the master password and check it
  generate              print a random password of printable ASCII
      --length N        N characters, 8 to 15 (default 15)

  --json                with list, search and show: one JSON document (an
                        array of objects with name, url and username, and
                        password with show --password)

Options:
  --folder DIR          the program folder (default: the folder of this
                        program)
  --help                show this help
  --version             show the version

The master password is read from the terminal without echo, or as the first
line of standard input when that is not a terminal; add then reads its five
answers (three with --generate) as the next lines. It is never taken from
the command line.

Exit codes:
  0   done
  1   refused: wrong password, a record the add window would refuse, no
      record found, an existing export file, a refused import, the folder
      in use
  2   a data file, or the file to import, is damaged, missing or cannot
      be read or written, or the book has no master account yet; a field
      show --field cannot write as it is; the system gave no random bytes
  64  the command line is wrong
)";
}

}  // namespace lockmere::cli
