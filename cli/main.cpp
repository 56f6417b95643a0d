#include <iostream>

#include "cli/answers.h"
#include "cli/arguments.h"
#include "cli/commands.h"
#include "cli/console.h"
#include "cli/exit_codes.h"
#include "cli/report.h"
#include "cli/wiped_streams.h"
#include "store/freed_memory.h"
#include "store/harden.h"
#include "store/secret_text.h"

using namespace lockmere::cli;

namespace {

[[nodiscard]] int Run(const Arguments& args) {
    switch (args.Which) {
    case Command::Help:
        std::cout << HelpText();
        return kDone;
    case Command::Version:
        std::cout << "lockmere-cli " LOCKMERE_VERSION "\n";
        return kDone;
    case Command::Generate:
        return RunGenerate(args.Length);
    default:
        break;
    }
    const std::filesystem::path folder =
        args.Folder ? PathFromText(*args.Folder) : ExecutableFolder();
    if (folder.empty())
        return Fail(kUsage,
                    "ERROR: The program folder is not known here; give it with --folder DIR.");
    Answers answers;
    Session session{folder, answers};
    switch (args.Which) {
    case Command::List:
        return RunList(session, args.Json);
    case Command::Search:
        return RunSearch(session, args.Name, args.Json);
    case Command::Show:
        return RunShow(session, args);
    case Command::Add:
        return RunAdd(session, args.Generate);
    case Command::Import:
        return RunImport(session, args);
    case Command::Export:
        return RunExport(session, PathFromText(args.CsvFile), args.Force);
    case Command::Verify:
        return RunVerify(session, args.Login,
                         args.BackupFolder ? FolderRole::Backup : FolderRole::Program);
    default:
        return kDone;
    }
}

// Never inlined: its frame, and those of the command below it, must lie
// below main's, where the scrub reaches.
[[nodiscard, gnu::noinline]] int RunCommandLine(int argc, char* argv[]) {
    PrepareConsole();
    const ParseResult parse = ParseArguments(Utf8Arguments(argc, argv));
    if (!parse.Parsed) return Fail(kUsage, "ERROR: " + parse.Error + ". Try lockmere-cli --help.");
    const int code = Run(*parse.Parsed);
    // Output lost (a full disk, a closed pipe) is a failure, not "done".
    if (!std::cout.flush() && code == kDone)
        return Fail(kFileTrouble, "ERROR: The output could not be written.");
    return code;
}

}  // namespace

int main(int argc, char* argv[]) {
#ifdef LOCKMERE_HARDEN
    // Before anything holds a password.
    if (!lockmere::HardenProcess())
        return Fail(kRefused,
                    "ERROR: lockmere-cli could not stop the system from writing its "
                    "memory to disk when it crashes, so it reads nothing.");
#endif
    lockmere::ClearFreedMemory();
    int code = kDone;
    {
        const WipedStreams streams;
        code = RunCommandLine(argc, argv);
    }
    // The command's frames lie below this one now, with what they held.
    lockmere::ScrubUnusedStack();
    return code;
}
