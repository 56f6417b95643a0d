#include "cli/arguments.h"

#include <array>
#include <string_view>

namespace lockmere::cli {

namespace {

struct CommandName {
    std::string_view Text;
    Command Which;
};
constexpr std::array<CommandName, 5> kCommands{{
    {"list", Command::List},
    {"show", Command::Show},
    {"add", Command::Add},
    {"export", Command::Export},
    {"verify", Command::Verify},
}};

// The options that belong to one command only, and that command.
struct CommandOption {
    std::string_view Text;
    Command Owner;
};
constexpr std::array<CommandOption, 4> kCommandOptions{{
    {"--password", Command::Show},
    {"--csv", Command::Export},
    {"--force", Command::Export},
    {"--login", Command::Verify},
}};

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

        // --name VALUE or --name=VALUE for the two options that take a value.
        std::string_view name = arg;
        std::optional<std::string> value;
        if (const auto equals = name.find('='); equals != std::string_view::npos) {
            value = arg.substr(equals + 1);
            name = name.substr(0, equals);
        }
        const bool takesValue = name == "--folder" || name == "--csv";
        if (!takesValue && value) return Refuse("option " + std::string(name) + " takes no value");
        if (takesValue && !value) {
            if (i + 1 == args.size()) return Refuse("option " + arg + " needs a value");
            value = args[++i];
        }

        if (name == "--folder") {
            if (parsed.Folder) return Refuse("--folder is given twice");
            if (value->empty()) return Refuse("--folder needs a folder name");
            parsed.Folder = *value;
        } else if (name == "--csv") {
            if (csv) return Refuse("--csv is given twice");
            if (value->empty()) return Refuse("--csv needs a file name");
            csv = *value;
            commandOptions.push_back("--csv");
        } else if (name == "--password") {
            parsed.ShowPassword = true;
            commandOptions.push_back(name);
        } else if (name == "--force") {
            parsed.Force = true;
            commandOptions.push_back(name);
        } else if (name == "--login") {
            parsed.Login = true;
            commandOptions.push_back(name);
        } else {
            return Refuse("unknown option " + std::string(name));
        }
    }

    if (!command) return Refuse("no command given");
    parsed.Which = *command;
    for (std::string_view option : commandOptions)
        for (const CommandOption& o : kCommandOptions)
            if (o.Text == option && o.Owner != parsed.Which)
                return Refuse(std::string(option) + " belongs to the " +
                              std::string(NameOf(o.Owner)) + " command");

    const std::string command_text(NameOf(parsed.Which));
    switch (parsed.Which) {
    case Command::Show:
        if (positional.size() != 1) return Refuse("show needs exactly one NAME");
        parsed.Name = positional[0];
        break;
    case Command::Verify:
        if (positional.size() > 1) return Refuse("verify takes at most one folder");
        if (positional.size() == 1) {
            if (parsed.Folder) return Refuse("give the folder either as DIR or with --folder");
            if (positional[0].empty()) return Refuse("verify needs a folder name");
            parsed.Folder = positional[0];
        }
        break;
    case Command::Export:
        if (!csv) return Refuse("export needs --csv FILE");
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
  show NAME             the record(s) whose Application Name is exactly NAME:
                        name, address and user name
      --password        also show the password
  add                   ask for a new record (Application Name, Application
                        URL, User Name, Password, the password again) and
                        add it to the book, as the add window does
  export --csv FILE     write every record to FILE as CSV (UTF-8, header
                        Title,URL,Username,Password); FILE holds every
                        password in plain text
      --force           replace FILE when it exists
  verify [DIR]          check a program folder or a backup folder without
                        the master password: both files whole, every record
                        readable; prints the number of records
      --login           also ask for the master password and check it

Options:
  --folder DIR          the program folder (default: the folder of this
                        program)
  --help                show this help
  --version             show the version

The master password is read from the terminal without echo, or as the first
line of standard input when that is not a terminal; add then reads its five
answers as the next five lines. It is never taken from the command line.

Exit codes:
  0   done
  1   refused: wrong password, a record the add window would refuse, no
      record of that name, an existing export file, the folder in use
  2   a data file is damaged, missing or cannot be read or written, or
      the book has no master account yet
  64  the command line is wrong
)";
}

}  // namespace lockmere::cli
