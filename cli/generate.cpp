#include "cli/generate.h"

#include <array>
#include <bitset>
#include <iostream>

#include "cli/commands.h"
#include "cli/exit_codes.h"
#include "cli/random_source.h"
#include "cli/report.h"

namespace lockmere::cli {

namespace {

constexpr char kFirst = '!';  // the blank's successor
constexpr char kLast = '~';
constexpr unsigned kAlphabet = kLast - kFirst + 1;  // 94
// Bytes at or above the largest multiple of the alphabet are drawn again,
// so that every character is equally likely.
constexpr unsigned kTaken = 256 / kAlphabet * kAlphabet;

// Lower-case letter, upper-case letter, digit, other character.
std::size_t ClassOf(char c) {
    if (c >= 'a' && c <= 'z') return 0;
    if (c >= 'A' && c <= 'Z') return 1;
    if (c >= '0' && c <= '9') return 2;
    return 3;
}

bool HasEveryClass(const std::string& password) {
    std::bitset<4> seen;
    for (const char c : password) seen.set(ClassOf(c));
    return seen.all();
}

}  // namespace

std::optional<std::string> GeneratePassword(int length) {
    std::array<unsigned char, 64> pool{};
    std::size_t used = pool.size();
    // A password missing a class is drawn again whole: what is left is
    // uniform over the passwords that have them all.
    for (;;) {
        std::string password;
        while (password.size() < static_cast<std::size_t>(length)) {
            if (used == pool.size()) {
                if (!SystemRandomBytes(pool)) return std::nullopt;
                used = 0;
            }
            const unsigned byte = pool[used];
            pool[used++] = 0;
            if (byte < kTaken) password.push_back(static_cast<char>(kFirst + byte % kAlphabet));
        }
        if (HasEveryClass(password)) return password;
    }
}

int RunGenerate(int length) {
    const std::optional<std::string> password = GeneratePassword(length);
    if (!password)
        return Fail(kFileTrouble, "ERROR: The system's random source gave no random bytes.");
    std::cout << *password << '\n';
    return kDone;
}

}  // namespace lockmere::cli
