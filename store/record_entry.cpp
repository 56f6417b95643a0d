#include "store/record_entry.h"

#include <algorithm>

#include "store/ansi_codec.h"
#include "store/cipher.h"
#include "store/file_access.h"
#include "store/key_file.h"

namespace lockmere {

namespace {

// Characters that draw nothing (controls, format characters, spaces other
// than the blank, private and unusable codes) are named by number.
bool ShowsNothing(char32_t c) {
    struct Range {
        char32_t First, Last;
    };
    constexpr Range kSilent[] = {
        {0x0000, 0x001F},   {0x007F, 0x00A0},   {0x00AD, 0x00AD},    {0x0600, 0x0605},
        {0x061C, 0x061C},   {0x06DD, 0x06DD},   {0x070F, 0x070F},    {0x0890, 0x0891},
        {0x08E2, 0x08E2},   {0x1680, 0x1680},   {0x180E, 0x180E},    {0x2000, 0x200F},
        {0x2028, 0x202F},   {0x205F, 0x206F},   {0x3000, 0x3000},    {0xD800, 0xF8FF},
        {0xFEFF, 0xFEFF},   {0xFFF9, 0xFFFB},   {0xFFFE, 0xFFFF},    {0x110BD, 0x110BD},
        {0x110CD, 0x110CD}, {0x13430, 0x1343F}, {0x1BCA0, 0x1BCA3},  {0x1D173, 0x1D17A},
        {0xE0000, 0xE00FF}, {0xE01F0, 0xE0FFF}, {0xF0000, 0x10FFFF},
    };
    for (const Range& r : kSilent)
        if (c >= r.First && c <= r.Last) return true;
    return c > 0x10FFFF;
}

std::u32string_view Trimmed(std::u32string_view text) {
    const auto first = text.find_first_not_of(U' ');
    if (first == std::u32string_view::npos) return {};
    return text.substr(first, text.find_last_not_of(U' ') - first + 1);
}

EntryCheck Problem(EntryProblem problem, std::size_t box, char32_t character = 0) {
    EntryCheck check;
    check.Problem = problem;
    check.Box = box;
    check.Character = character;
    return check;
}

}  // namespace

EntryCheck CheckTypedRecord(const std::array<std::u32string_view, kEntryBoxes>& boxes,
                            bool limits) {
    std::array<std::u32string_view, kEntryBoxes> trimmed;
    for (std::size_t i = 0; i < kEntryBoxes; ++i) trimmed[i] = Trimmed(boxes[i]);
    if (limits)
        for (std::size_t i = 0; i < kEntryBoxes; ++i)
            if (trimmed[i].size() > kEntryBoxLimits[i]) return Problem(EntryProblem::TooLong, i);
    for (std::size_t i = 0; i < kEntryBoxes; ++i)
        if (trimmed[i].empty()) return Problem(EntryProblem::Blank, i);
    if (trimmed[3] != trimmed[4]) return Problem(EntryProblem::Mismatch, 4);

    std::array<std::string, 4> fields;
    for (std::size_t i = 0; i < fields.size(); ++i) {
        StorableText field = StorableField(trimmed[i]);
        if (!field.Bytes) return Problem(EntryProblem::Refused, i, field.Refused);
        fields[i] = std::move(*field.Bytes);
    }
    EntryCheck check;
    check.Record = {fields[0], fields[1], fields[2], fields[3]};
    return check;
}

MasterAccountCheck CheckMasterAccount(std::u32string_view userName, std::u32string_view password,
                                      std::string_view key) {
    const std::u32string joined = std::u32string(userName) + U"#|^" + std::u32string(password);
    // Its bytes up to the first character without a code, or a control.
    std::string block;
    for (const char32_t c : joined) {
        const std::optional<char> byte = AnsiOfCodePoint(c);
        const auto code = byte ? static_cast<unsigned char>(*byte) : 0u;
        if (!byte || code < 32 || code == 127) break;
        block += *byte;
    }
    // The cipher stops at the first character it cannot shift; at the
    // separator only a key too short stops it, which the write reports.
    const std::size_t separator = userName.size();
    std::size_t failed = std::min(Encrypt(block, key).Output.size(), block.size());
    if (failed >= separator && failed < separator + kCredentialsSeparator.size())
        failed = block.size();
    MasterAccountCheck check;
    if (failed == joined.size()) {
        check.UserName = block.substr(0, separator);
        check.Password = block.substr(separator + kCredentialsSeparator.size());
        return check;
    }
    check.RefusedIn = failed < separator ? MasterAccountBox::UserName : MasterAccountBox::Password;
    check.Refused = joined[failed];
    return check;
}

StorableText StorableField(std::u32string_view text) {
    AnsiText converted = CodePointsToAnsi(text);
    // The earlier of a forbidden character and one without a code.
    if (const auto forbidden = FindForbiddenCharacter(converted.Bytes))
        return {std::nullopt, CodePointOfAnsi(converted.Bytes[*forbidden])};
    if (!converted.Ok()) return {std::nullopt, converted.Refused};
    return {std::move(converted.Bytes), 0};
}

std::string DescribeCharacter(char32_t c) {
    if (c == U'\t') return "The tab character";
    if (ShowsNothing(c)) return "Character " + std::to_string(static_cast<unsigned long>(c));
    return "The character \"" + CodePointsToUtf8(std::u32string_view(&c, 1)) + "\"";
}

std::string RefusedCharacterMessage(std::string_view description, std::string_view field) {
    return "ERROR: " + std::string(description) + " cannot be stored in " + std::string(field) +
           ". Please remove it.";
}

std::string EntryMessage(const EntryCheck& check, CharacterDescriber describe) {
    const std::string box(kEntryBoxNames[check.Box]);
    switch (check.Problem) {
    case EntryProblem::None:
        return {};
    case EntryProblem::TooLong:
        return "ERROR: " + box + " can hold at most " + std::to_string(kEntryBoxLimits[check.Box]) +
               " characters.";
    case EntryProblem::Blank:
        return std::string(kBlankFieldMessage);
    case EntryProblem::Mismatch:
        return std::string(kPasswordMismatchMessage);
    case EntryProblem::Refused:
        return RefusedCharacterMessage(describe(check.Character), box);
    }
    return {};
}

std::vector<std::string> AppendFailureLines(const StoreWriteResult& result) {
    const std::string store = std::string("ERROR: The database ") + kStoreFileName;
    const std::string code = " (failure code " + std::to_string(result.Code) + ").";
    std::vector<std::string> lines;
    switch (result.Outcome) {
    case StoreWrite::DecryptFailed:
        lines = {store + " could not be deciphered."};
        break;
    case StoreWrite::ReadFailed:
        lines = {store + " could not be read" + code};
        break;
    case StoreWrite::WriteFailed:
        lines = {store + " could not be written" + code};
        break;
    case StoreWrite::TooLong:
        lines = {
            "ERROR: The database is full: with this record it would hold more than 32,766 "
            "characters.",
            "Shorten the record, or delete records you no longer need."};
        break;
    case StoreWrite::EncryptFailed:
        lines = {"ERROR: The record holds a character that cannot be enciphered."};
        break;
    case StoreWrite::NotAuthoritative:
    case StoreWrite::Written:
        lines = {"ERROR: The record could not be saved."};
        break;
    }
    lines.push_back("The record has not been saved; the database on disk has been left as it was.");
    return lines;
}

}  // namespace lockmere
