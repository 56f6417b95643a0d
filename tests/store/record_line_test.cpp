#include <doctest/doctest.h>

#include "store/record_line.h"
#include "tests/support/byte_text.h"

using lockmere::PasswordRecord;
using lockmere::test::Q;

namespace {

PasswordRecord Record(const std::string& name, const std::string& url, const std::string& user,
                      const std::string& password) {
    return {name, url, user, password};
}

}  // namespace

TEST_CASE("compose") {
    const struct {
        const char* label;
        std::string name;
        std::string url;
        std::string user;
        std::string password;
        std::string line;
        std::string entry;
    } rows[] = {
        {"plain fields", "Mail", "https://mail.example", "ann", "pw1",
         "Mail\thttps://mail.example\tann\tpw1",
         "\x7fMail\x14https://mail.example\x14"
         "ann\x14pw1\x80"},
        {"inner and outer spaces kept", " a b ", "N/A", "u ", " p", " a b \tN/A\tu \t p",
         "\x7f a b \x14N/A\x14u \x14 p\x80"},
        {"empty fields", "", "", "", "", "\t\t\t", "\x7f\x14\x14\x14\x80"},
        {"upper codes untouched", "\x9f\x81", "u", "\xe9", "\x01", "\x9f\x81\tu\t\xe9\t\x01",
         "\x7f\x9f\x81\x14u\x14\xe9\x14\x01\x80"},
    };
    for (const auto& row : rows)
        SUBCASE(row.label) {
            const auto& [label, name, url, user, password, line, entry] = row;

            const PasswordRecord record = Record(name, url, user, password);
            CHECK_EQ(Q(lockmere::ComposeRecordLine(record)), Q(line));
            CHECK_EQ(Q(lockmere::ComposeStoreEntry(record)), Q(entry));
            // Every reader splits the composed line back into the same fields.
            CHECK(lockmere::SplitRecordLine(lockmere::ComposeRecordLine(record)) == record);
        }
}

TEST_CASE("split") {
    const struct {
        const char* label;
        std::string line;
        std::string name;
        std::string url;
        std::string user;
        std::string password;
    } rows[] = {
        {"three tabs", "a\tb\tc\td", "a", "b", "c", "d"},
        {"empty line", "", "", "", "", ""},
        {"no tab: all password", "just text", "", "", "", "just text"},
        {"one tab", "a\tb", "a", "", "", "b"},
        {"two tabs", "a\tb\tc", "a", "b", "", "c"},
        {"ends in a tab", "a\tb\tc\t", "a", "b", "c", ""},
        {"five tabs lose fourth and fifth", "a\tb\tc\tX\tY\tZ", "a", "b", "c", "Z"},
        {"tabs only", "\t\t\t\t", "", "", "", ""},
        {"nothing trimmed", " a \t B \t\x14\t\x7f ", " a ", " B ", "\x14", "\x7f "},
    };
    for (const auto& row : rows)
        SUBCASE(row.label) {
            const auto& [label, line, name, url, user, password] = row;

            const PasswordRecord record = lockmere::SplitRecordLine(line);
            CHECK_EQ(Q(record.ApplicationName), Q(name));
            CHECK_EQ(Q(record.ApplicationUrl), Q(url));
            CHECK_EQ(Q(record.UserName), Q(user));
            CHECK_EQ(Q(record.Password), Q(password));
        }
}

TEST_CASE("trim spaces") {
    const struct {
        const char* label;
        std::string text;
        std::string trimmed;
    } rows[] = {
        {"outer spaces", "  a b  ", "a b"},
        {"spaces only", "   ", ""},
        {"empty", "", ""},
        {"tabs stay", "\ta\t", "\ta\t"},
        {"no-break spaces stay", "\xa0x\xa0 ", "\xa0x\xa0"},
        {"line ends stay", " x\r\n", "x\r\n"},
    };
    for (const auto& row : rows)
        SUBCASE(row.label) {
            const auto& [label, text, trimmed] = row;
            CHECK_EQ(Q(lockmere::TrimSpaces(text)), Q(trimmed));
        }
}

TEST_CASE("forbidden character") {
    const struct {
        const char* label;
        std::string text;
        int index;  // -1: nothing forbidden
    } rows[] = {
        {"empty", "", -1},
        {"printable ASCII", " Az09~!", -1},
        {"the printable codes 130 to 159", "\x82\x8c\x8e\x91\x9c\x9e\x9f", -1},
        {"NUL", std::string("ab\0", 3), 2},
        {"SOH", "a\x01", 1},
        {"ESC", "pw\x1b[0m", 2},
        {"BS and BEL", "\x08\x07", 0},
        {"31", "\x1f", 0},
        {"an undefined code: 129", "a\x81", 1},
        {"an undefined code: 141", "\x8d", 0},
        {"an undefined code: 143", "\x8f", 0},
        {"an undefined code: 144", "\x90", 0},
        {"an undefined code: 157", "\x9d", 0},
        {"160", "ab\xa0", 2},
        {"255", "\xff", 0},
        {"TAB", "a\tb", 1},
        {"store separator 20", "xy\x14", 2},
        {"record start 127", "\x7f", 0},
        {"record end 128", "a\x80", 1},
        {"first of several", "ok\xe9\t", 2},
    };
    for (const auto& row : rows)
        SUBCASE(row.label) {
            const auto& [label, text, index] = row;
            const auto found = lockmere::FindForbiddenCharacter(text);
            CHECK_EQ(found ? static_cast<int>(*found) : -1, index);
        }
}
