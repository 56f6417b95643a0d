#include "store/cipher.h"

#include <algorithm>

namespace lockmere {

namespace {

constexpr std::size_t kKeyCycle = 32;

// One run of the shift. The position counter is 16 bits wide: the run
// handles characters 1 to 32,767 and overflows when it steps past the last
// of them, so a text of that length or longer fails after its 32,767th
// character.
CipherResult Shift(std::string_view input, std::string_view key, int sign) {
    CipherResult result;
    const std::size_t handled = std::min(input.size(), kCipherTextLimit);
    result.Output.resize(handled);
    char* out = result.Output.data();
    int last = 0;
    std::size_t i = 0;
    for (std::size_t j = 0; i < handled; ++i, ++j) {
        if (j == kKeyCycle) j = 0;
        if (j >= key.size()) {
            result.Failure = CipherFailure::KeyTooShort;
            break;
        }
        last = static_cast<unsigned char>(input[i]) + sign * static_cast<unsigned char>(key[j]);
        if (last < 0 || last > 255) {
            result.Failure = CipherFailure::OutOfRange;
            break;
        }
        out[i] = static_cast<char>(last);
    }
    result.Output.resize(i);
    result.LastValue = last;
    if (result.Ok() && input.size() >= kCipherTextLimit) result.Failure = CipherFailure::TooLong;
    return result;
}

}  // namespace

CipherResult Encrypt(std::string_view input, std::string_view key) { return Shift(input, key, +1); }

CipherResult Decrypt(std::string_view input, std::string_view key) { return Shift(input, key, -1); }

std::string DecryptFailureText(const CipherResult& result) {
    const std::string digits = std::to_string(result.LastValue);
    return result.LastValue < 0 ? digits : " " + digits;
}

}  // namespace lockmere
