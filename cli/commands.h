#pragma once

#include <filesystem>
#include <string_view>

#include "cli/answers.h"
#include "cli/arguments.h"
#include "cli/book_files.h"

namespace lockmere::cli {

// What every command works on: a program folder (or a backup folder) and
// the source of its answers. Each command returns the process's exit code.
struct Session {
    std::filesystem::path Folder;
    Answers& Input;
};

[[nodiscard]] int RunList(Session& session, bool json);
[[nodiscard]] int RunSearch(Session& session, std::string_view text, bool json);
[[nodiscard]] int RunShow(Session& session, const Arguments& options);
[[nodiscard]] int RunAdd(Session& session, bool generate);
[[nodiscard]] int RunImport(Session& session, const Arguments& options);
[[nodiscard]] int RunExport(Session& session, const std::filesystem::path& file, bool force);
[[nodiscard]] int RunVerify(Session& session, bool login, FolderRole role);
// Needs no program folder.
[[nodiscard]] int RunGenerate(int length);

}  // namespace lockmere::cli
