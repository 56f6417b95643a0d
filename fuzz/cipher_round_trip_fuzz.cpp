#include "fuzz/fuzz_input.h"
#include "store/cipher.h"

using namespace lockmere;

// The cipher against a plain model of it: character i moves by the key's
// character i mod 32, and every result must stay within 0-255.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::Input input(data, size);
    const std::string_view key = input.Piece();
    const std::string_view plain = input.Rest();

    const CipherResult enciphered = Encrypt(plain, key);
    bool fits = plain.size() < kCipherTextLimit;
    std::string expected;
    for (std::size_t i = 0; fits && i < plain.size(); ++i) {
        if (i % 32 >= key.size()) {
            fits = false;
            break;
        }
        const int code =
            static_cast<unsigned char>(plain[i]) + static_cast<unsigned char>(key[i % 32]);
        if (code > 255) fits = false;
        expected.push_back(static_cast<char>(code));
    }
    fuzz::Expect(enciphered.Ok() == fits);
    if (!fits) {
        // What came out before the failure is the model's prefix.
        fuzz::Expect(expected.compare(0, enciphered.Output.size(), enciphered.Output) == 0 ||
                     plain.size() >= kCipherTextLimit);
        return 0;
    }
    fuzz::Expect(enciphered.Output == expected);
    const CipherResult back = Decrypt(enciphered.Output, key);
    fuzz::Expect(back.Ok() && back.Output == plain);
    return 0;
}
