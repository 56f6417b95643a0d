#include <string>
#include <vector>

#include "fuzz/fuzz_input.h"
#include "store/record_line.h"
#include "store/record_store.h"

using namespace lockmere;

namespace {

bool IsStructure(char c) {
    return c == kFieldTab || c == kStoreSeparator || c == kRecordStart || c == kRecordEnd;
}

}  // namespace

// Two ways in. Arbitrary bytes go through the decipher and the scan, which
// must only find lines without separators. Records built from the input's
// pieces must come back from their store text exactly as they went in.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const std::string key(32, '\x20');
    const CipherResult deciphered = Decrypt(bytes, key);
    for (const std::string& line : ScanStoreText(deciphered.Output, bytes.size())) {
        fuzz::Expect(line.find(kStoreSeparator) == std::string::npos);
        fuzz::Expect(line.find(kRecordEnd) == std::string::npos);
    }
    fuzz::Expect(ScanStoreText(bytes, bytes.size()).size() <= size);

    fuzz::Input input(data, size);
    std::vector<SecretText> lines;
    std::string text;
    while (!input.Rest().empty() && lines.size() < 64) {
        PasswordRecord record;
        for (std::string* field : {&record.ApplicationName, &record.ApplicationUrl,
                                   &record.UserName, &record.Password}) {
            for (char c : input.Piece())
                if (!IsStructure(c)) field->push_back(c);
        }
        lines.push_back(ComposeRecordLine(record));
        text += ComposeStoreEntry(record);
    }
    fuzz::Expect(ScanStoreText(text, text.size()) == lines);
    return 0;
}
