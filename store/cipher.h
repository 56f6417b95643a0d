#pragma once

#include <string>
#include <string_view>

#include "store/secret_text.h"

namespace lockmere {

// Texts of this many characters or more overflow the cipher's 16-bit
// position counter.
inline constexpr std::size_t kCipherTextLimit = 32767;

enum class CipherFailure {
    None,
    OutOfRange,   // a shifted code left 0-255
    KeyTooShort,  // the key ran out before the position reached
    TooLong,      // 32,767 characters or more
};

struct CipherResult {
    // The whole text on success; on failure the characters produced before it.
    SecretText Output;
    CipherFailure Failure = CipherFailure::None;
    // The last computed code (p + k or c - k); 0 when none was computed.
    int LastValue = 0;

    bool Ok() const { return Failure == CipherFailure::None; }
};

// Per-position shift by the key's characters; the key position starts at 1
// for every run and cycles every 32 characters. No wrap-around.
[[nodiscard]] CipherResult Encrypt(std::string_view input, std::string_view key);
[[nodiscard]] CipherResult Decrypt(std::string_view input, std::string_view key);

// The text of the box a window shows after a failed Decrypt: the last
// value in decimal, "-" for negative values, a leading space otherwise.
std::string DecryptFailureText(const CipherResult& result);

}  // namespace lockmere
