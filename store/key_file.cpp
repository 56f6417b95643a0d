#include "store/key_file.h"

#include <algorithm>

#include "store/ansi_codec.h"
#include "store/file_access.h"
#include "store/record_line.h"

namespace lockmere {

namespace {

// Up to length characters from a 1-based position; what lies beyond the
// end of the text is simply not there.
std::string_view Mid(std::string_view text, std::size_t position, std::size_t length) {
    if (position > text.size()) return {};
    return text.substr(position - 1, length);
}

std::filesystem::path KeyFilePath(const std::filesystem::path& programFolder) {
    return ComposePath(programFolder, kKeyFileName);
}

}  // namespace

KeyFileStart ReadKeyFileAtStart(const std::filesystem::path& programFolder) {
    ReadResult file = ReadWholeFile(KeyFilePath(programFolder), kKeyFileLargest);
    if (!file.Ok()) {
        KeyFileStart start;
        start.Code = file.Code;
        return start;
    }
    return KeyFileStartFrom(std::move(file.Bytes));
}

bool IsGeneratorOnly(std::string_view keyFile) {
    return keyFile.size() == kCollectedLength &&
           static_cast<unsigned char>(keyFile[kLengthBytePosition - 1]) >= kLowestCollectedCode;
}

bool HasNoMasterAccount(std::string_view keyFile) {
    return keyFile.empty() || IsGeneratorOnly(keyFile);
}

KeyFileStart KeyFileStartFrom(std::string bytes) {
    KeyFileStart start;
    if (bytes.empty())
        start.From = StartFrom::Welcome;
    else if (IsGeneratorOnly(bytes))
        start.From = StartFrom::MasterAccount;
    start.KeyFileBuffer = std::move(bytes);
    start.EncryptionKey = std::string(Mid(start.KeyFileBuffer, kKeyStart, kKeyLength));
    return start;
}

std::string KeyFromCollected(std::string_view collected) {
    return std::string(Mid(collected, kKeyStart, kKeyLength));
}

int WriteCollectedString(const std::filesystem::path& programFolder, std::string_view collected) {
    const std::filesystem::path path = KeyFilePath(programFolder);
    if (const int code = WriteAt(path, 1, collected, kKeyFileLargest); code != failure::kNone)
        return code;
    // The bytes are in place: a hidden attribute that does not follow is no
    // failure of the write.
    static_cast<void>(SetAttributesHidden(path));
    return failure::kNone;
}

CredentialsWriteResult WriteCredentials(const std::filesystem::path& programFolder,
                                        std::string_view key, std::string_view userName,
                                        std::string_view password) {
    SecretText plain;
    plain.reserve(userName.size() + kCredentialsSeparator.size() + password.size());
    plain += userName;
    plain += kCredentialsSeparator;
    plain += password;
    // The block's length must fit the single byte at 44.
    if (plain.size() > kCredentialsLimit) return {CredentialsWrite::TooLong, failure::kNone};
    const CipherResult block = Encrypt(plain, key);
    if (!block.Ok()) return {CredentialsWrite::EncryptFailed, failure::kNone};

    std::string bytes(1, static_cast<char>(block.Output.size()));
    bytes += block.Output;
    const std::filesystem::path path = KeyFilePath(programFolder);
    const int code = WriteAt(path, kLengthBytePosition, bytes, kKeyFileLargest);
    if (code != failure::kNone) return {CredentialsWrite::WriteFailed, code};
    // The write put a new file in place of the hidden one: hide it again,
    // as a courtesy that cannot undo the written credentials.
    static_cast<void>(SetAttributesHidden(path));
    return {CredentialsWrite::Written, failure::kNone};
}

LoginCheck CheckLogin(const std::filesystem::path& programFolder, std::string_view key,
                      std::string_view typed) {
    const ReadResult file = ReadWholeFile(KeyFilePath(programFolder), kKeyFileLargest);
    if (!file.Ok()) {
        LoginCheck check;
        check.Outcome = LoginOutcome::ReadFailed;
        check.Code = file.Code;
        return check;
    }
    return JudgeTypedLogin(file.Bytes, key, typed);
}

LoginCheck JudgeTypedLogin(std::string_view keyFile, std::string_view key, std::string_view typed) {
    const AnsiText password = Utf8ToAnsi(TrimSpaces(typed));
    LoginCheck check = JudgeLogin(keyFile, key, password.Ok() ? password.Bytes : "");
    if (!password.Ok() && check.Outcome == LoginOutcome::Match)
        check.Outcome = LoginOutcome::NoMatch;
    return check;
}

LoginCheck JudgeLogin(std::string_view keyFile, std::string_view key,
                      std::string_view typedPassword) {
    LoginCheck check;
    if (HasNoMasterAccount(keyFile)) {
        check.Outcome = LoginOutcome::NoMasterAccount;
        return check;
    }
    if (keyFile.size() < kLengthBytePosition || keyFile.size() > kKeyFileLargest) {
        check.Outcome = LoginOutcome::Damaged;
        return check;
    }
    const int lengthByte = static_cast<unsigned char>(keyFile[kLengthBytePosition - 1]);
    // A block shorter than its length byte says: a file cut short.
    if (keyFile.size() < kCredentialsPosition - 1 + static_cast<std::size_t>(lengthByte)) {
        check.Outcome = LoginOutcome::Damaged;
        return check;
    }
    check.Deciphered = Decrypt(Mid(keyFile, kCredentialsPosition, lengthByte), key);
    const StoredPassword stored = ExtractStoredPassword(check.Deciphered.Output, lengthByte);
    if (!stored.Valid)
        check.Outcome = LoginOutcome::Damaged;
    else
        check.Outcome =
            stored.Password == typedPassword ? LoginOutcome::Match : LoginOutcome::NoMatch;
    return check;
}

StoredPassword ExtractStoredPassword(std::string_view deciphered, int lengthByte) {
    const std::size_t found = deciphered.find(kCredentialsSeparator);
    const long separator = found == std::string_view::npos ? 0 : static_cast<long>(found) + 1;
    const long length = lengthByte - (separator + 2);
    if (length < 0) return {};
    // The last characters, or all of them when the text is shorter.
    const std::size_t take = std::min(static_cast<std::size_t>(length), deciphered.size());
    return {true, std::string(deciphered.substr(deciphered.size() - take))};
}

}  // namespace lockmere
