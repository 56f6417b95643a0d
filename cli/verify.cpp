#include <algorithm>
#include <bitset>
#include <iostream>
#include <optional>

#include "cli/book_files.h"
#include "cli/commands.h"
#include "cli/exit_codes.h"
#include "cli/report.h"
#include "store/file_access.h"
#include "store/key_file.h"
#include "store/record_line.h"
#include "store/record_store.h"

namespace lockmere::cli {

namespace {

// The key file as the generator and the master-account window leave it.
// Gives the stored password of a whole file, or says what is wrong.
struct KeyFileCheck {
    std::optional<std::string> Problem;
    std::string Key;
};

[[nodiscard]] KeyFileCheck CheckKeyFile(std::string_view bytes) {
    KeyFileCheck check;
    if (bytes.size() > kKeyFileLargest) {
        check.Problem = "is damaged: it holds more than any key file (" +
                        std::to_string(kKeyFileLargest) + " bytes)";
        return check;
    }
    if (bytes.size() < kCollectedLength) {
        check.Problem = "is damaged: it holds " + CountOf(bytes.size(), "byte") +
                        ", a key file at least " + std::to_string(kCollectedLength);
        return check;
    }
    check.Key = std::string(bytes.substr(kKeyStart - 1, kKeyLength));
    std::bitset<256> seen;
    for (const char c : check.Key) {
        const int code = static_cast<unsigned char>(c);
        if (code < kLowestCollectedCode || code > kHighestCollectedCode || seen[code]) {
            check.Problem =
                "is damaged: its encryption string (bytes 7 to 38) is not 32 distinct "
                "codes from 31 to 96";
            return check;
        }
        seen[code] = true;
    }
    const std::size_t length = static_cast<unsigned char>(bytes[kLengthBytePosition - 1]);
    const std::size_t present = std::min(length, bytes.size() - (kCredentialsPosition - 1));
    if (present < length) {
        check.Problem = "holds no complete master account: its credentials block is cut short (" +
                        std::to_string(present) + " of " + CountOf(length, "byte") + ")";
        return check;
    }
    const CipherResult block = Decrypt(bytes.substr(kCredentialsPosition - 1, length), check.Key);
    const StoredPassword stored = ExtractStoredPassword(block.Output, static_cast<int>(length));
    if (!block.Ok() || !stored.Valid) {
        check.Problem =
            "holds no complete master account: its credentials block does not "
            "decipher to a user name and password";
        return check;
    }
    return check;
}

// The store as the program writes it: entries back to back, each the start
// marker, four fields and the end marker. Gives the number of records.
struct StoreCheck {
    std::optional<std::string> Problem;
    std::size_t Records = 0;
};

[[nodiscard]] StoreCheck CheckStore(std::string_view bytes, std::string_view key) {
    StoreCheck check;
    // Read no further than one byte past the most it may hold.
    if (bytes.size() > kStoreTextLimit) {
        check.Problem = "is damaged: it holds more than any record store (32,766 bytes)";
        return check;
    }
    const CipherResult plain = Decrypt(bytes, key);
    if (!plain.Ok()) {
        check.Problem = "does not decipher with the key in " + std::string(kKeyFileName) +
                        " (byte " + std::to_string(plain.Output.size() + 1) +
                        "): it is damaged, or the two files are not of the same book";
        return check;
    }
    const std::string_view text = plain.Output;
    std::size_t position = 0;
    while (position < text.size()) {
        const std::string record = "record " + std::to_string(check.Records + 1);
        if (text[position] != kRecordStart) {
            check.Problem =
                "is damaged: byte " + std::to_string(position + 1) + " lies outside every record";
            return check;
        }
        const std::size_t end = text.find(kRecordEnd, position + 1);
        if (end == std::string_view::npos) {
            check.Problem = "is damaged: " + record + " has no end";
            return check;
        }
        const auto separators = std::count(text.begin() + static_cast<long>(position),
                                           text.begin() + static_cast<long>(end), kStoreSeparator);
        if (separators != 3) {
            check.Problem = "is damaged: " + record + " holds " +
                            CountOf(static_cast<std::size_t>(separators) + 1, "field") +
                            " instead of 4";
            return check;
        }
        ++check.Records;
        position = end + 1;
    }
    return check;
}

}  // namespace

int RunVerify(Session& session, bool login, FolderRole role) {
    DataPair files;
    if (const int code = ReadBookFiles(session.Folder, files, role); code != kDone) return code;
    const std::string where = " in " + PathText(session.Folder) + " ";

    const KeyFileCheck key = CheckKeyFile(files.KeyFile);
    if (key.Problem)
        return Fail(kFileTrouble,
                    "ERROR: " + std::string(kKeyFileName) + where + *key.Problem + ".");
    const StoreCheck store = CheckStore(files.Store, key.Key);
    if (store.Problem)
        return Fail(kFileTrouble,
                    "ERROR: " + std::string(kStoreFileName) + where + *store.Problem + ".");

    if (login) {
        const std::optional<std::string> typed = session.Input.Ask("Master password: ", true);
        if (!typed) return Fail(kRefused, "ERROR: No master password was given.");
        if (JudgeTypedLogin(files.KeyFile, key.Key, *typed).Outcome != LoginOutcome::Match)
            return Fail(kRefused, "ERROR: Password Not Matched!");
    }
    std::cout << "The book is whole: " << CountOf(store.Records, "record") << ".\n";
    return kDone;
}

}  // namespace lockmere::cli
