#include "cli/import_rows.h"

#include "cli/report.h"
#include "store/ansi_codec.h"
#include "store/record_entry.h"

namespace lockmere::cli {

namespace {

constexpr std::size_t kPasswordBox = 3;

std::u32string_view Trimmed(std::u32string_view text) {
    const auto first = text.find_first_not_of(U' ');
    if (first == std::u32string_view::npos) return {};
    return text.substr(first, text.find_last_not_of(U' ') - first + 1);
}

// "Password is longer than 15 characters", counted as "Password longer
// than 15 characters".
RowCheck Refused(std::size_t box, std::string_view detail, std::string_view reason) {
    const std::string field(kEntryBoxNames[box]);
    return {std::nullopt, {field + " " + std::string(detail), field + " " + std::string(reason)}};
}

// What kind of character a password holds, never the character itself.
std::string PasswordCharacterKind(char32_t c) {
    const std::optional<char> code = AnsiOfCodePoint(c);
    if (!code) return "a character without a Windows-1252 code";
    if (c == U'\t') return "a tab";
    // The five codes Windows-1252 leaves undefined read as C1 controls.
    if (IsControlCharacter(c)) return "a control character";
    if (static_cast<unsigned char>(*code) > 159)
        return "a character above code 159 (such as \xC3\xA9, \xC3\xBC or \xC2\xA9)";
    return "a character the store uses as a separator or marker";
}

// "The character "é"" as the middle of a line: "the character "é"".
std::string NamedCharacter(char32_t c) {
    std::string text = DescribeCharacter(c);
    text[0] = static_cast<char>(text[0] - 'A' + 'a');
    return text;
}

}  // namespace

RowCheck CheckImportedRow(const std::array<std::u32string, 4>& fields) {
    for (std::size_t i = 0; i < fields.size(); ++i)
        if (fields[i].find_first_of(U"\r\n") != std::u32string::npos)
            return Refused(i, "holds a line break", "with a line break");
    const std::u32string noAddress(kNoAddress.begin(), kNoAddress.end());
    const std::u32string_view address = Trimmed(fields[1]).empty() ? noAddress : fields[1];
    const EntryCheck check =
        CheckTypedRecord({fields[0], address, fields[2], fields[3], fields[3]}, true);
    const std::string_view cannotHold = "with a character the store cannot hold";
    switch (check.Problem) {
    case EntryProblem::None:
        return {check.Record, {}};
    case EntryProblem::TooLong: {
        const std::string limit =
            "longer than " + std::to_string(kEntryBoxLimits[check.Box]) + " characters";
        return Refused(check.Box, "is " + limit, limit);
    }
    case EntryProblem::Refused: {
        const std::string character = check.Box == kPasswordBox
                                          ? PasswordCharacterKind(check.Character)
                                          : NamedCharacter(check.Character);
        return Refused(check.Box, "holds " + character + ", which the store cannot hold",
                       cannotHold);
    }
    case EntryProblem::Blank:
    case EntryProblem::Mismatch:  // the password is its own confirmation
        break;
    }
    return Refused(check.Box, "is empty", "empty");
}

RowRefusal FieldCountRefusal(std::size_t fields, std::size_t headerFields) {
    return {"the row has " + std::to_string(fields) + " fields where the header has " +
                std::to_string(headerFields),
            "rows whose fields do not line up with the header"};
}

}  // namespace lockmere::cli
