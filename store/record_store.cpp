#include "store/record_store.h"

#include <algorithm>

#include "store/file_access.h"

namespace lockmere {

std::vector<SecretText> ScanStoreText(std::string_view text, std::size_t n) {
    // Character i (1-based) of the text; past its end a position reads as
    // empty, which matches no marker and adds nothing to a line.
    constexpr int kEmpty = -1;
    const auto at = [text](std::size_t i) {
        return i <= text.size() ? static_cast<unsigned char>(text[i - 1]) : kEmpty;
    };
    constexpr int start = static_cast<unsigned char>(kRecordStart);
    constexpr int end = static_cast<unsigned char>(kRecordEnd);
    constexpr int separator = static_cast<unsigned char>(kStoreSeparator);

    std::vector<SecretText> lines;
    SecretText line;
    line.reserve(text.size());  // grows no more, so nothing is left behind
    bool inRecord = false;
    std::size_t i = 1;
    while (i < n) {
        if (at(i) == start) {
            inRecord = true;
            ++i;
        }
        if (inRecord) {
            // Reads before it tests its bound: at i = n it still takes the
            // character at n.
            do {
                const int c = at(i);
                if (c == end) break;
                if (c == kEmpty) {
                    // Only empty positions follow, up to n.
                    i = std::max(i, n);
                    break;
                }
                line.push_back(c == separator ? kFieldTab : static_cast<char>(c));
                ++i;
            } while (i < n);
            lines.emplace_back(std::string_view(line));
            line.clear();
            inRecord = false;
        }
        ++i;
        if (i > text.size()) break;  // the rest reads as empty: nothing more is found
    }
    return lines;
}

RecordStore::RecordStore(std::filesystem::path programFolder, Missing missing)
    : folder_(std::move(programFolder)), missing_(missing) {}

std::filesystem::path RecordStore::Path() const { return ComposePath(folder_, kStoreFileName); }

ReadResult RecordStore::Read() const {
    // A longer store reads as one that does not decipher completely.
    return missing_ == Missing::Report ? ReadExistingFile(Path(), kStoreTextLimit, Links::Follow)
                                       : ReadWholeFile(Path(), kStoreTextLimit);
}

LoadResult RecordStore::Load(std::string_view key) {
    LoadResult result;
    const ReadResult file = Read();
    result.Code = file.Code;
    if (file.Ok()) {
        result.Deciphered = Decrypt(file.Bytes, key);
        result.Lines = ScanStoreText(result.Deciphered.Output, file.Bytes.size());
    }
    // Only a list holding every record may later be written back.
    authoritative_ = result.Complete();
    return result;
}

namespace {

// Enciphers the plain store text and writes it in place of the store.
[[nodiscard]] StoreWriteResult WriteStore(const std::filesystem::path& path, std::string_view plain,
                                          std::string_view key) {
    if (plain.size() > kStoreTextLimit) return {StoreWrite::TooLong, failure::kNone, {}};
    const CipherResult enciphered = Encrypt(plain, key);
    if (!enciphered.Ok()) return {StoreWrite::EncryptFailed, failure::kNone, {}};
    if (const int code = ReplaceDataFile(path, enciphered.Output); code != failure::kNone)
        return {StoreWrite::WriteFailed, code, {}};
    // The records are safely on disk by now; the attribute only hides them.
    static_cast<void>(SetAttributesHidden(path));
    return {};
}

}  // namespace

StoreWriteResult RecordStore::Save(std::string_view key, const std::vector<SecretText>& lines) {
    if (!authoritative_) return {StoreWrite::NotAuthoritative, failure::kNone, {}};
    SecretText plain;
    plain.reserve(kStoreTextLimit + 1);  // grows no more, so nothing is left behind
    for (const std::string& line : lines) plain += ComposeStoreEntry(SplitRecordLine(line));
    return WriteStore(Path(), plain, key);
}

StoreWriteResult RecordStore::Append(std::string_view key, const PasswordRecord& record) {
    return AppendAll(key, {record});
}

StoreWriteResult RecordStore::AppendAll(std::string_view key,
                                        const std::vector<PasswordRecord>& records) {
    const ReadResult file = Read();
    if (!file.Ok()) return {StoreWrite::ReadFailed, file.Code, {}};
    CipherResult deciphered = Decrypt(file.Bytes, key);
    if (!deciphered.Ok()) return {StoreWrite::DecryptFailed, failure::kNone, std::move(deciphered)};
    deciphered.Output.reserve(kStoreTextLimit + 1);
    for (const PasswordRecord& record : records) deciphered.Output += ComposeStoreEntry(record);
    return WriteStore(Path(), deciphered.Output, key);
}

std::size_t RecordsThatFit(std::size_t textLength, const std::vector<PasswordRecord>& records) {
    std::size_t fit = 0;
    for (const PasswordRecord& record : records) {
        textLength += ComposeStoreEntry(record).size();
        if (textLength > kStoreTextLimit) break;
        ++fit;
    }
    return fit;
}

void RecordStore::Forget() { authoritative_ = false; }

}  // namespace lockmere
