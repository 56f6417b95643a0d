#include <string>
#include <vector>

#include "fuzz/fuzz_input.h"
#include "store/record_line.h"

using namespace lockmere;

// The split against a model: the fields between TABs, the first three in
// order and the last as the password; and the field rule against its
// definition.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view line(reinterpret_cast<const char*>(data), size);

    std::vector<std::string> parts(1);
    for (char c : line) {
        if (c == kFieldTab)
            parts.emplace_back();
        else
            parts.back().push_back(c);
    }
    const PasswordRecord record = SplitRecordLine(line);
    const auto part = [&](std::size_t i) {
        return i + 1 < parts.size() ? parts[i] : std::string();
    };
    fuzz::Expect(record.ApplicationName == part(0));
    fuzz::Expect(record.ApplicationUrl == part(1));
    fuzz::Expect(record.UserName == part(2));
    fuzz::Expect(record.Password == parts.back());
    if (parts.size() == 4) fuzz::Expect(ComposeRecordLine(record) == line);

    std::optional<std::size_t> forbidden;
    for (std::size_t i = 0; i < line.size() && !forbidden; ++i) {
        const auto code = static_cast<unsigned char>(line[i]);
        const bool undefined =
            code == 129 || code == 141 || code == 143 || code == 144 || code == 157;
        if (code > 159 || code < 32 || code == 127 || code == 128 || undefined) forbidden = i;
    }
    fuzz::Expect(FindForbiddenCharacter(line) == forbidden);
    const std::string trimmed = TrimSpaces(line);
    fuzz::Expect(trimmed.empty() || (trimmed.front() != ' ' && trimmed.back() != ' '));
    fuzz::Expect(line.find(trimmed) != std::string_view::npos);
    return 0;
}
