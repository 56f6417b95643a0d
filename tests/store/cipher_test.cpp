#include <doctest/doctest.h>

#include "store/cipher.h"
#include "tests/store/file_checks.h"
#include "tests/support/book_fixture.h"

using lockmere::CipherFailure;
using lockmere::CipherResult;
using lockmere::test::Q;
namespace fixture = lockmere::fixture;

namespace {

// The fixture's key: codes 90 down to 59, all distinct.
std::string Key() { return fixture::KeyOf(fixture::Collected()); }

// The same key with every code moved by delta.
std::string ShiftedKey(int delta) {
    std::string key = Key();
    for (char& c : key) c = static_cast<char>(static_cast<unsigned char>(c) + delta);
    return key;
}

std::string Text(std::size_t length) {
    std::string text;
    for (std::size_t i = 0; i < length; ++i) text.push_back(static_cast<char>(32 + i * 7 % 95));
    return text;
}

}  // namespace

TEST_CASE("matches the layout") {
    const struct {
        const char* label;
        int length;
    } rows[] = {
        {"empty", 0},
        {"one", 1},
        {"one key cycle", 32},
        {"33rd character", 33},
        {"several cycles", 101},
        {"largest text", 32766},
    };
    for (const auto& row : rows)
        SUBCASE(row.label) {
            const auto& [label, length] = row;
            const std::string plain = Text(static_cast<std::size_t>(length));

            const CipherResult enciphered = lockmere::Encrypt(plain, Key());
            CHECK(enciphered.Ok());
            CHECK_EQ(Q(enciphered.Output), Q(fixture::Encipher(plain, Key())));

            const CipherResult deciphered = lockmere::Decrypt(enciphered.Output, Key());
            CHECK(deciphered.Ok());
            CHECK_EQ(Q(deciphered.Output), Q(plain));
        }
}

TEST_CASE("key position cycles") {
    const std::string key = Key();
    const CipherResult result = lockmere::Encrypt(std::string(34, 'A'), key);
    CHECK(result.Ok());
    CHECK_EQ(int(static_cast<unsigned char>(result.Output[31])), 'A' + int(key[31]));
    CHECK_EQ(int(static_cast<unsigned char>(result.Output[32])), 'A' + int(key[0]));
    CHECK_EQ(int(static_cast<unsigned char>(result.Output[33])), 'A' + int(key[1]));
    // Each run starts again at key character 1.
    CHECK_EQ(lockmere::Encrypt("A", key).Output, result.Output.substr(0, 1));
}

TEST_CASE("failures") {
    const struct {
        const char* label;
        bool encrypt;
        std::string input;
        std::string key;
        CipherFailure failure;
        std::string output;
        int lastValue;
    } rows[] = {
        {"empty input, empty key: encrypt", true, "", "", CipherFailure::None, "", 0},
        {"empty input, empty key: decrypt", false, "", "", CipherFailure::None, "", 0},
        {"empty key fails at the first character: encrypt", true, "ab", "",
         CipherFailure::KeyTooShort, "", 0},
        {"empty key fails at the first character: decrypt", false, "ab", "",
         CipherFailure::KeyTooShort, "", 0},
        {"key shorter than the position reached", true, "abcd", "\x01\x02",
         CipherFailure::KeyTooShort, "bd", int('b' + 2)},
        {"200 + 60 leaves the byte", true, "A\xc8", "<<", CipherFailure::OutOfRange, "}", 260},
        {"195 + 60 is the last code", true, "\xc3", "<", CipherFailure::None, "\xff", 255},
        {"no wrap-around below 0", false, "a\x3c", "\x01=", CipherFailure::OutOfRange, "`", -1},
        {"0 is the first code", false, "\x3c", "<", CipherFailure::None, std::string(1, '\0'), 0},
    };
    for (const auto& row : rows)
        SUBCASE(row.label) {
            const auto& [label, encrypt, input, key, failure, output, lastValue] = row;

            const CipherResult result =
                encrypt ? lockmere::Encrypt(input, key) : lockmere::Decrypt(input, key);
            CHECK_EQ(result.Failure, failure);
            CHECK_EQ(Q(result.Output), Q(output));
            CHECK_EQ(result.LastValue, lastValue);
        }
}

TEST_CASE("length limit") {
    const struct {
        const char* label;
        int length;
        bool ok;
    } rows[] = {
        {"32,766", 32766, true},
        {"32,767", 32767, false},
        {"40,000", 40000, false},
    };
    for (const auto& row : rows)
        SUBCASE(row.label) {
            const auto& [label, length, ok] = row;
            const std::string plain = Text(static_cast<std::size_t>(length));
            const std::string enciphered = fixture::Encipher(plain, Key());

            const CipherResult encrypted = lockmere::Encrypt(plain, Key());
            const CipherResult decrypted = lockmere::Decrypt(enciphered, Key());
            CHECK_EQ(encrypted.Ok(), ok);
            CHECK_EQ(decrypted.Ok(), ok);
            if (!ok) {
                CHECK_EQ(encrypted.Failure, CipherFailure::TooLong);
                CHECK_EQ(decrypted.Failure, CipherFailure::TooLong);
                // The position counter overflows after the 32,767th character:
                // what came before it is kept, as for every failure.
                CHECK_EQ(Q(decrypted.Output), Q(plain.substr(0, 32767)));
                CHECK_EQ(Q(encrypted.Output), Q(enciphered.substr(0, 32767)));
            }
        }
}

TEST_CASE("another key") {
    const struct {
        const char* label;
        std::string plain;
        int delta;  // the other key: every code moved by this much
        CipherFailure failure;
        std::string output;
        int lastValue;
    } rows[] = {
        {"fails at the first negative value", "hello\x03world", 5, CipherFailure::OutOfRange,
         "c`ggj", -2},
        {"fails at the first character", "\x01x", 2, CipherFailure::OutOfRange, "", -1},
        {"wrong characters without failure", "abc", -3, CipherFailure::None, "def", int('f')},
    };
    for (const auto& row : rows)
        SUBCASE(row.label) {
            const auto& [label, plain, delta, failure, output, lastValue] = row;

            const std::string enciphered = fixture::Encipher(plain, Key());
            const CipherResult result = lockmere::Decrypt(enciphered, ShiftedKey(delta));
            CHECK_EQ(result.Failure, failure);
            CHECK_EQ(Q(result.Output), Q(output));
            CHECK_EQ(result.LastValue, lastValue);
        }
}

TEST_CASE("failure text") {
    const struct {
        const char* label;
        int lastValue;
        std::string text;
    } rows[] = {
        {"none computed", 0, " 0"},
        {"negative", -5, "-5"},
        {"large negative", -96, "-96"},
        {"positive", 300, " 300"},
    };
    for (const auto& row : rows)
        SUBCASE(row.label) {
            const auto& [label, lastValue, text] = row;
            CipherResult result;
            result.Failure = CipherFailure::OutOfRange;
            result.LastValue = lastValue;
            CHECK_EQ(Q(lockmere::DecryptFailureText(result)), Q(text));
        }
}
