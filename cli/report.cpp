#include "cli/report.h"

#include <iostream>

#include "store/ansi_codec.h"
#include "store/file_access.h"

namespace lockmere::cli {

namespace {

bool IsControl(char32_t c) { return c < 0x20 || (c >= 0x7F && c <= 0x9F); }

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
    const std::u8string text = path.u8string();
    return std::string(text.begin(), text.end());
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
    std::string shown;
    for (const char byte : ansi) {
        const char32_t c = CodePointOfAnsi(byte);
        shown += IsControl(c) ? std::string("?") : AnsiToUtf8(std::string_view(&byte, 1));
    }
    return shown;
}

std::string ShownCharacters(std::u32string_view text) {
    std::u32string shown(text);
    for (char32_t& c : shown)
        if (IsControl(c)) c = U'?';
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
