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

// A path as the UTF-8 text the terminal shows, filtered as ShownCharacters.
std::string PathText(const std::filesystem::path& path);
std::filesystem::path PathFromText(std::string_view utf8);

// "lkdb1.lkd is missing from FOLDER." and the like, for a failed read of
// one of the files of a folder.
std::string ReadFailureText(std::string_view fileName, const std::filesystem::path& folder,
                            int code);

// Unicode's control characters (category Cc): C0, DEL and C1.
inline bool IsControlCharacter(char32_t c) { return c < 0x20 || (c >= 0x7F && c <= 0x9F); }

// Text from outside the program (a command line, a file, a file's name)
// as UTF-8 for the terminal. The characters a terminal acts on or hides
// (Unicode's controls, format characters such as the bidirectional and
// zero-width ones, line and paragraph separators) are shown as "?", so that
// a text can neither break its line, send the terminal commands, nor show
// itself as other than it is.
std::string ShownCharacters(std::u32string_view text);

// A field read from the book (Windows-1252), filtered as above: a damaged
// or foreign store may hold such characters.
std::string ShownText(std::string_view ansi);

// What a failure code means, in a few words.
std::string_view FailureMeaning(int code);

}  // namespace lockmere::cli
