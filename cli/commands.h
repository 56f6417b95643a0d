#pragma once

#include <filesystem>
#include <string_view>

#include "cli/answers.h"
#include "cli/arguments.h"

namespace lockmere::cli {

// What every command works on: a program folder (or a backup folder) and
// the source of its answers. Each command returns the process's exit code.
struct Session {
    std::filesystem::path Folder;
    Answers& Input;
};

int RunList(Session& session, bool json);
int RunSearch(Session& session, std::string_view text, bool json);
int RunShow(Session& session, const Arguments& options);
int RunAdd(Session& session, bool generate);
int RunImport(Session& session, const Arguments& options);
int RunExport(Session& session, const std::filesystem::path& file, bool force);
int RunVerify(Session& session, bool login);
// Needs no program folder.
int RunGenerate(int length);

}  // namespace lockmere::cli
