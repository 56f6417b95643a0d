#pragma once

#include <array>
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "store/record_line.h"
#include "store/record_store.h"

namespace lockmere {

// What the add and edit windows require of a typed record, for any front
// end. The five boxes in their order: the four fields, then the password
// typed again.
inline constexpr std::size_t kEntryBoxes = 5;
inline constexpr std::array<std::string_view, kEntryBoxes> kEntryBoxNames{
    "Application Name", "Application URL", "User Name", "Password", "Confirm Password"};
// The most characters each box takes.
inline constexpr std::array<std::size_t, kEntryBoxes> kEntryBoxLimits{50, 500, 40, 15, 15};

inline constexpr std::string_view kBlankFieldMessage =
    "ERROR: None of the Data Fields can be Blank!";
inline constexpr std::string_view kPasswordMismatchMessage =
    "ERROR: The passwords did not match. Please try again!";

enum class EntryProblem {
    None,
    TooLong,   // more characters than the box takes
    Blank,     // nothing left after trimming
    Mismatch,  // the password typed again differs
    Refused,   // a character a stored field may not hold
};

struct EntryCheck {
    EntryProblem Problem = EntryProblem::None;
    std::size_t Box = 0;     // the box at fault (TooLong, Refused)
    char32_t Character = 0;  // the refused character
    PasswordRecord Record;   // the trimmed fields as Windows-1252, when None
    bool Ok() const { return Problem == EntryProblem::None; }
};

// The checks in the windows' order. With limits, first each box's length
// after trimming (a window's boxes take no more as typed, so it needs none;
// the edit window also opens longer stored fields whole). Then blanks after
// trimming spaces, the two passwords (exact), and the characters of each
// field (StorableField).
[[nodiscard]] EntryCheck CheckTypedRecord(const std::array<std::u32string_view, kEntryBoxes>& boxes,
                                          bool limits);

// What the master-account window requires of the user name and password
// (already trimmed): each character has a Windows-1252 code, is no control
// character (codes 0-31 and 127), and can be enciphered where it stands in
// the credentials block (user name + "#|^" + password), which is always
// enciphered from the key's first position. The first character that
// fails is named with its box.
enum class MasterAccountBox { UserName, Password };
struct MasterAccountCheck {
    SecretText UserName;  // Windows-1252, when Ok()
    SecretText Password;
    std::optional<MasterAccountBox> RefusedIn;
    char32_t Refused = 0;
    bool Ok() const { return !RefusedIn; }
};
[[nodiscard]] MasterAccountCheck CheckMasterAccount(std::u32string_view userName,
                                                    std::u32string_view password,
                                                    std::string_view key);

// A typed field as the bytes a store holds: only characters with a
// Windows-1252 code that a stored field may hold (FindForbiddenCharacter).
// Otherwise the first character that breaks the rule.
struct StorableText {
    std::optional<std::string> Bytes;
    char32_t Refused = 0;
};
[[nodiscard]] StorableText StorableField(std::u32string_view text);

// "The character "é"", "The tab character", "Character 160": how a message
// names a character; characters that show nothing are named by number.
std::string DescribeCharacter(char32_t c);

// "ERROR: <description> cannot be stored in <field>. Please remove it."
std::string RefusedCharacterMessage(std::string_view description, std::string_view field);

// The message for a check that failed, in the windows' words; a front end
// that knows more about characters may name them itself.
using CharacterDescriber = std::string (*)(char32_t);
std::string EntryMessage(const EntryCheck& check, CharacterDescriber describe = DescribeCharacter);

// Why an add's append wrote nothing, in the add window's words: one text per
// line, the last saying that the database was left as it was.
std::vector<std::string> AppendFailureLines(const StoreWriteResult& result);

}  // namespace lockmere
