#include <doctest/doctest.h>

#include <optional>
#include <string>

#include "store/cipher.h"
#include "store/record_entry.h"

using lockmere::CheckTypedRecord;
using lockmere::EntryMessage;
using lockmere::EntryProblem;
using lockmere::PasswordRecord;
using Boxes = std::array<std::u32string_view, lockmere::kEntryBoxes>;

TEST_CASE("a typed record is trimmed and converted") {
    const auto check = CheckTypedRecord({U"  Œuvre  Š ", U" N/A", U"ann ", U" pw", U"pw  "}, true);
    REQUIRE(check.Ok());
    // Windows-1252 bytes; spaces inside a field stay.
    CHECK(check.Record == PasswordRecord{"\x8Cuvre  \x8A", "N/A", "ann", "pw"});
}

TEST_CASE("the checks come in the windows' order") {
    const std::u32string longName(51, U'n');
    const struct {
        const char* label;
        Boxes boxes;
        bool limits;
        EntryProblem problem;
        std::size_t box;
        const char* message;
    } rows[] = {
        {"limit before blank",
         {longName, U"", U"s", U"p", U"p"},
         true,
         EntryProblem::TooLong,
         0,
         "ERROR: Application Name can hold at most 50 characters."},
        {"no limits asked", {longName, U"u", U"s", U"p", U"p"}, false, EntryProblem::None, 0, ""},
        {"limits count characters after trimming",
         {U"  ŠŠŠŠŠŠŠŠŠŠŠŠŠŠŠ  ", U"u", U"s", U"p", U"p"},
         true,
         EntryProblem::None,
         0,
         ""},
        {"confirmation has its limit",
         {U"n", U"u", U"s", U"p", U"ppppppppppppppppp"},
         true,
         EntryProblem::TooLong,
         4,
         "ERROR: Confirm Password can hold at most 15 characters."},
        {"blank before mismatch",
         {U"n", U"u", U"   ", U"a", U"b"},
         true,
         EntryProblem::Blank,
         2,
         "ERROR: None of the Data Fields can be Blank!"},
        {"mismatch before characters",
         {U"n\t", U"u", U"s", U"a", U"A"},
         true,
         EntryProblem::Mismatch,
         4,
         "ERROR: The passwords did not match. Please try again!"},
        {"spaces around passwords do not count",
         {U"n", U"u", U"s", U" a", U"a "},
         true,
         EntryProblem::None,
         0,
         ""},
        {"first field first",
         {U"n", U"u\x14", U"s\t", U"p", U"p"},
         true,
         EntryProblem::Refused,
         1,
         "ERROR: Character 20 cannot be stored in Application URL. Please remove it."},
        {"the earlier of forbidden and uncoded",
         {U"a☃b\t", U"u", U"s", U"p", U"p"},
         true,
         EntryProblem::Refused,
         0,
         "ERROR: The character \"☃\" cannot be stored in Application Name. Please remove it."},
        {"forbidden before uncoded",
         {U"a\x7f☃", U"u", U"s", U"p", U"p"},
         true,
         EntryProblem::Refused,
         0,
         "ERROR: Character 127 cannot be stored in Application Name. Please remove it."},
        {"euro is the end marker",
         {U"n", U"u", U"€", U"p", U"p"},
         true,
         EntryProblem::Refused,
         2,
         "ERROR: The character \"€\" cannot be stored in User Name. Please remove it."},
        {"above 159",
         {U"n", U"u", U"s", U"é", U"é"},
         true,
         EntryProblem::Refused,
         3,
         "ERROR: The character \"é\" cannot be stored in Password. Please remove it."},
    };
    for (const auto& row : rows) {
        CAPTURE(std::string(row.label));
        const auto check = CheckTypedRecord(row.boxes, row.limits);
        CHECK(check.Problem == row.problem);
        if (row.problem == EntryProblem::None) continue;
        CHECK(check.Box == row.box);
        CHECK(EntryMessage(check) == row.message);
    }
}

TEST_CASE("characters are named as the windows name them") {
    const struct {
        char32_t c;
        const char* name;
    } rows[] = {
        {U'\t', "The tab character"},
        {U'\x01', "Character 1"},
        {U'\x7f', "Character 127"},
        {0x81, "Character 129"},
        {0xA0, "Character 160"},
        {0xAD, "Character 173"},
        {0x200B, "Character 8203"},
        {0xFEFF, "Character 65279"},
        {0xE000, "Character 57344"},
        {U'é', "The character \"é\""},
        {U'€', "The character \"€\""},
        {U' ', "The character \" \""},
        {0x1F600, "The character \"\xF0\x9F\x98\x80\""},
    };
    for (const auto& row : rows) {
        CAPTURE(static_cast<unsigned long>(row.c));
        CHECK(lockmere::DescribeCharacter(row.c) == row.name);
    }
}

TEST_CASE("the master account takes every character its encipherment holds") {
    using lockmere::CheckMasterAccount;
    using lockmere::MasterAccountBox;
    // Key codes by position: 31, 32, 33, ... 62 (the block starts at 1).
    std::string key;
    for (char code = 31; code <= 62; ++code) key += code;
    const struct {
        const char* label;
        std::u32string_view user, password;
        std::optional<MasterAccountBox> refusedIn;
        char32_t refused;
    } rows[] = {
        {"euro sign anywhere", U"€€€€", U"€€", std::nullopt, 0},
        {"ß at the first place: 223 + 31", U"ß", U"pw", std::nullopt, 0},
        {"ß at the second place: 223 + 32", U"aß", U"pw", std::nullopt, 0},
        {"ß at the third place: 223 + 33", U"aaß", U"pw", MasterAccountBox::UserName, U'ß'},
        {"Ä in the password's first place (4): 196 + 34", U"", U"Ä", std::nullopt, 0},
        {"£ in the password's first place (6): 163 + 36", U"me", U"£", std::nullopt, 0},
        {"ÿ nowhere", U"me", U"pÿ", MasterAccountBox::Password, U'ÿ'},
        {"the user name shifts the password: Ä at 30, 196 + 60", U"abcdefghijklmnopqrstuvwxyz",
         U"Ä", MasterAccountBox::Password, U'Ä'},
        {"Ä at 29: 196 + 59", U"abcdefghijklmnopqrstuvwxy", U"Ä", std::nullopt, 0},
        {"a control character", U"m\x01", U"pw", MasterAccountBox::UserName, U'\x01'},
        {"the tab", U"me", U"p\tw", MasterAccountBox::Password, U'\t'},
        {"character 127", U"me", U"p\x7f", MasterAccountBox::Password, U'\x7f'},
        {"no Windows-1252 code", U"me", U"pā", MasterAccountBox::Password, U'ā'},
        {"the first failing character: one the cipher cannot shift", U"aaß\x01", U"pw",
         MasterAccountBox::UserName, U'ß'},
        {"the first failing character: a control character", U"a\x01ß", U"pw",
         MasterAccountBox::UserName, U'\x01'},
        {"the first failing character: no code", U"aāaß", U"pw", MasterAccountBox::UserName, U'ā'},
        {"separator characters and C1 codes", U"#|^\u0081", U"^|#", std::nullopt, 0},
    };
    for (const auto& row : rows) {
        CAPTURE(std::string(row.label));
        const auto check = CheckMasterAccount(row.user, row.password, key);
        CHECK(check.RefusedIn == row.refusedIn);
        CHECK(check.Refused == row.refused);
        if (!check.Ok()) continue;
        // Accepted exactly when the block enciphers.
        const std::string block = check.UserName + "#|^" + check.Password;
        CHECK(lockmere::Encrypt(block, key).Ok());
        CHECK(block.size() == row.user.size() + 3 + row.password.size());
    }
}
