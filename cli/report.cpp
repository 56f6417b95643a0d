#include "cli/report.h"

#include <iostream>
#include <optional>

#include "store/ansi_codec.h"
#include "store/file_access.h"

namespace lockmere::cli {

namespace {

// What a terminal would act on, or draw as nothing, rather than show:
// controls (Unicode category Cc), format characters such as the
// bidirectional overrides and the zero-width ones (Cf), and the line and
// paragraph separators (Zl, Zp). The format characters as of Unicode 15.
bool ActsOnTheTerminal(char32_t c) {
    if (IsControlCharacter(c) || c == 0x2028 || c == 0x2029) return true;
    struct Range {
        char32_t First, Last;
    };
    static constexpr Range kFormat[] = {
        {0x00AD, 0x00AD},   {0x0600, 0x0605},   {0x061C, 0x061C},   {0x06DD, 0x06DD},
        {0x070F, 0x070F},   {0x0890, 0x0891},   {0x08E2, 0x08E2},   {0x180E, 0x180E},
        {0x200B, 0x200F},   {0x202A, 0x202E},   {0x2060, 0x2064},   {0x2066, 0x206F},
        {0xFEFF, 0xFEFF},   {0xFFF9, 0xFFFB},   {0x110BD, 0x110BD}, {0x110CD, 0x110CD},
        {0x13430, 0x1343F}, {0x1BCA0, 0x1BCA3}, {0x1D173, 0x1D17A}, {0xE0001, 0xE0001},
        {0xE0020, 0xE007F},
    };
    for (const Range& range : kFormat)
        if (c >= range.First && c <= range.Last) return true;
    return false;
}

}  // namespace

int Fail(int exitCode, std::string_view message) {
    std::cout.flush();
    std::cerr << message << '\n';
    std::cerr.flush();
    return exitCode;
}

std::string CountOf(std::size_t n, std::string_view thing) {
    return std::to_string(n) + " " + std::string(thing) + (n == 1 ? "" : "s");
}

std::string PathText(const std::filesystem::path& path) {
    const std::u8string utf8 = path.u8string();
    const std::string_view text(reinterpret_cast<const char*>(utf8.data()), utf8.size());
    if (const std::optional<std::u32string> characters = Utf8ToCodePoints(text))
        return ShownCharacters(*characters);
    // A name that is no UTF-8: its ASCII as it is, any other byte as "?".
    std::u32string shown;
    for (const char byte : text)
        shown.push_back(static_cast<unsigned char>(byte) < 0x80 ? static_cast<char32_t>(byte)
                                                                : U'?');
    return ShownCharacters(shown);
}

std::filesystem::path PathFromText(std::string_view utf8) {
    return std::filesystem::path(std::u8string(utf8.begin(), utf8.end()));
}

std::string ReadFailureText(std::string_view fileName, const std::filesystem::path& folder,
                            int code) {
    const std::string where = PathText(folder);
    if (code == failure::kFileNotFound)
        return "ERROR: " + std::string(fileName) + " is missing from " + where + ".";
    if (code == failure::kPathNotFound) return "ERROR: The folder " + where + " cannot be found.";
    return "ERROR: " + std::string(fileName) + " in " + where +
           " could not be read (failure code " + std::to_string(code) + ": " +
           std::string(FailureMeaning(code)) + ").";
}

std::string ShownText(std::string_view ansi) {
    std::u32string characters;
    for (const char byte : ansi) characters.push_back(CodePointOfAnsi(byte));
    return ShownCharacters(characters);
}

std::string ShownCharacters(std::u32string_view text) {
    std::u32string shown(text);
    for (char32_t& c : shown)
        if (ActsOnTheTerminal(c)) c = U'?';
    return CodePointsToUtf8(shown);
}

std::string_view FailureMeaning(int code) {
    switch (code) {
    case failure::kFileNotFound:
        return "file not found";
    case failure::kDiskFull:
        return "disk full";
    case failure::kDeviceUnavailable:
        return "device not available";
    case failure::kPathFileAccess:
        return "access refused, or not a file";
    case failure::kPathNotFound:
        return "path not found";
    default:
        return "input/output error";
    }
}

}  // namespace lockmere::cli
