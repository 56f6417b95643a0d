#pragma once

#include <filesystem>
#include <string>
#include <string_view>

#include "store/cipher.h"
#include "store/failure_code.h"

namespace lockmere {

inline constexpr std::size_t kCollectedLength = 51;
// The codes the generator gathers, each at most once.
inline constexpr int kLowestCollectedCode = 31;
inline constexpr int kHighestCollectedCode = 96;
inline constexpr std::size_t kKeyStart = 7;  // 1-based, 32 characters
inline constexpr std::size_t kKeyLength = 32;
inline constexpr std::size_t kLengthBytePosition = 44;
inline constexpr std::size_t kCredentialsPosition = 45;
inline constexpr std::size_t kCredentialsLimit = 255;
inline constexpr std::string_view kCredentialsSeparator = "#|^";
// The longest key file the program writes: a longer one is damaged.
inline constexpr std::size_t kKeyFileLargest = kLengthBytePosition + kCredentialsLimit;

// The generator's 51 bytes alone: a first start left before the master
// account was saved. A set-up key file of 51 bytes has its length byte at
// 44, at most 7; the generator puts a code of 31 or more there.
bool IsGeneratorOnly(std::string_view keyFile);
// An empty or generator-only key file: nobody can log in yet, and the next
// start leads to the first start again.
bool HasNoMasterAccount(std::string_view keyFile);

// Where the start-up goes on from.
enum class StartFrom {
    Login,          // a set-up key file, or a damaged one: the login tells
    Welcome,        // an empty key file: the first start from its beginning
    MasterAccount,  // the generator's bytes alone: the first start from the master account
};

// The start-up read. A missing key file is created empty; the key is
// bytes 7-38 of whatever the file holds.
struct KeyFileStart {
    int Code = failure::kNone;  // failure code of the read
    StartFrom From = StartFrom::Login;
    std::string KeyFileBuffer;
    std::string EncryptionKey;
};
[[nodiscard]] KeyFileStart ReadKeyFileAtStart(const std::filesystem::path& programFolder);
// The same judgement on bytes already read.
[[nodiscard]] KeyFileStart KeyFileStartFrom(std::string bytes);

// The key a completed 51-character collection gives: characters 7-38.
std::string KeyFromCollected(std::string_view collected);

// The generator's write: the 51 characters at bytes 1-51, never shortening
// a longer file. Succeeds once the bytes are in place, whatever the hidden
// attribute that follows does.
[[nodiscard]] int WriteCollectedString(const std::filesystem::path& programFolder,
                                       std::string_view collected);

// The master account's write: length byte at 44, enciphered block from 45.
enum class CredentialsWrite {
    Written,
    TooLong,        // plain credentials over 255 characters; nothing written
    EncryptFailed,  // a character the cipher cannot shift; nothing written
    WriteFailed,    // the file could not be written; it is left as it was
};
struct CredentialsWriteResult {
    CredentialsWrite Outcome = CredentialsWrite::Written;
    int Code = failure::kNone;  // failure code when WriteFailed
};
// userName and password are already trimmed.
[[nodiscard]] CredentialsWriteResult WriteCredentials(const std::filesystem::path& programFolder,
                                                      std::string_view key,
                                                      std::string_view userName,
                                                      std::string_view password);

// The login's read and judgement.
enum class LoginOutcome {
    Match,
    NoMatch,
    NoMasterAccount,  // empty or generator-only: the first start was left
    Damaged,          // too short for byte 44 or for the block it announces, longer than
                      // the program writes, or a negative password length
    ReadFailed,
};
struct LoginCheck {
    LoginOutcome Outcome = LoginOutcome::NoMatch;
    int Code = failure::kNone;  // failure code when ReadFailed
    CipherResult Deciphered;  // the credentials block's decipher; a window shows its failure first
};
// The login every front end makes: typed is the password as it was typed
// (UTF-8). Spaces around it are trimmed; a character without a
// Windows-1252 code is in no stored password, so such a text never matches.
[[nodiscard]] LoginCheck CheckLogin(const std::filesystem::path& programFolder,
                                    std::string_view key, std::string_view typed);
// The same on the key file's bytes already read.
[[nodiscard]] LoginCheck JudgeTypedLogin(std::string_view keyFile, std::string_view key,
                                         std::string_view typed);
// The judgement on Windows-1252 bytes already trimmed.
[[nodiscard]] LoginCheck JudgeLogin(std::string_view keyFile, std::string_view key,
                                    std::string_view typedPassword);

// The stored password of a deciphered block of length byte L: the last
// L - (b + 2) characters, b the 1-based position of the first "#|^" or 0.
// Empty when that length is negative (callers treat it as damaged).
struct StoredPassword {
    bool Valid = false;
    SecretText Password;
};
[[nodiscard]] StoredPassword ExtractStoredPassword(std::string_view deciphered, int lengthByte);

}  // namespace lockmere
