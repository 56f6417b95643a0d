#pragma once

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "store/cipher.h"
#include "store/file_access.h"
#include "store/record_line.h"

namespace lockmere {

// Largest plain store text the cipher can take.
inline constexpr std::size_t kStoreTextLimit = kCipherTextLimit - 1;

struct LoadResult {
    int Code = failure::kNone;      // failure code of the read
    std::vector<SecretText> Lines;  // in file order
    CipherResult Deciphered;        // failed decipher: a window shows its box
    bool Complete() const { return Code == failure::kNone && Deciphered.Ok(); }
};

enum class StoreWrite {
    Written,
    NotAuthoritative,  // no complete load since the last Forget(): nothing written
    DecryptFailed,     // the append could not read the store: nothing written
    TooLong,           // the text would pass 32,766 characters: nothing written
    EncryptFailed,     // a character the cipher cannot shift: nothing written
    ReadFailed,
    WriteFailed,  // the old file is left as it was
};
struct StoreWriteResult {
    StoreWrite Outcome = StoreWrite::Written;
    int Code = failure::kNone;  // failure code of ReadFailed / WriteFailed
    CipherResult Deciphered;    // the append's decipher, when it failed
};

// The scan of a deciphered store text into list lines. n is the length of
// the enciphered file; positions of the text beyond its end read as empty.
std::vector<SecretText> ScanStoreText(std::string_view text, std::size_t n);

// How many of the records, taken in order, fit after a plain store text of
// textLength characters (an enciphered store is as long as its text).
std::size_t RecordsThatFit(std::size_t textLength, const std::vector<PasswordRecord>& records);

// The record store lkdb1.lkd of one program folder. It remembers whether
// the list it handed out is the store's complete copy, and refuses to save
// over the store from any other list.
class RecordStore {
public:
    // What a read does with a store that is not there: the windows create it
    // empty, a reader that must leave the folder as it found it reports it
    // (a read failure with kFileNotFound).
    enum class Missing { CreateEmpty, Report };

    explicit RecordStore(std::filesystem::path programFolder,
                         Missing missing = Missing::CreateEmpty);

    [[nodiscard]] LoadResult Load(std::string_view key);
    // Writes the lines as one enciphered run, in the given order.
    [[nodiscard]] StoreWriteResult Save(std::string_view key, const std::vector<SecretText>& lines);
    // Deciphers the store, appends one entry, enciphers the whole, writes it.
    [[nodiscard]] StoreWriteResult Append(std::string_view key, const PasswordRecord& record);
    // The same for several records, their entries in the given order, in one
    // write: all of them or, on any failure, none.
    [[nodiscard]] StoreWriteResult AppendAll(std::string_view key,
                                             const std::vector<PasswordRecord>& records);
    // The list is gone (logout, restore): saves are refused until a load.
    void Forget();

    bool Authoritative() const { return authoritative_; }
    std::filesystem::path Path() const;

private:
    [[nodiscard]] ReadResult Read() const;

    std::filesystem::path folder_;
    Missing missing_;
    bool authoritative_ = false;
};

}  // namespace lockmere
