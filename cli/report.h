#pragma once

#include <cstddef>
#include <filesystem>
#include <string>
#include <string_view>

namespace lockmere::cli {

// Writes the message and a line end to standard error; gives back the exit
// code, so that a command can end with `return Fail(kRefused, "...")`.
[[nodiscard]] int Fail(int exitCode, std::string_view message);

// "1 record", "2 records".
std::string CountOf(std::size_t n, std::string_view thing);

// A path as the UTF-8 text the terminal shows.
std::string PathText(const std::filesystem::path& path);
std::filesystem::path PathFromText(std::string_view utf8);

// "lkdb1.lkd is missing from FOLDER." and the like, for a failed read of
// one of the files of a folder.
std::string ReadFailureText(std::string_view fileName, const std::filesystem::path& folder,
                            int code);

// A field read from the book as UTF-8 for the terminal. Control characters
// (a damaged or foreign store may hold them) are shown as "?", so that a
// field can neither break its line nor send the terminal commands.
std::string ShownText(std::string_view ansi);

// Characters from outside the book (a command line, a CSV file) as UTF-8
// for the terminal, control characters shown as "?" as above.
std::string ShownCharacters(std::u32string_view text);

// What a failure code means, in a few words.
std::string_view FailureMeaning(int code);

}  // namespace lockmere::cli
