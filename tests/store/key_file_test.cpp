#include <doctest/doctest.h>

#include <filesystem>

#include "store/key_file.h"
#include "tests/store/file_checks.h"
#include "tests/support/book_fixture.h"

namespace fs = std::filesystem;
namespace failure = lockmere::failure;
namespace fixture = lockmere::fixture;
using lockmere::CredentialsWrite;
using lockmere::LoginOutcome;
using lockmere::test::Folder;
using lockmere::test::OwnerOnly;
using lockmere::test::Q;

namespace {

std::string Key() { return fixture::KeyOf(fixture::Collected()); }

// Another installation's collection: every key code above the fixture's,
// so its credentials decipher with the fixture's key without a failure.
std::string OtherCollected() {
    std::string s;
    for (int code = 64; code >= 59; --code) s.push_back(static_cast<char>(code));
    for (int code = 96; code >= 65; --code) s.push_back(static_cast<char>(code));
    for (int code = 58; code >= 46; --code) s.push_back(static_cast<char>(code));
    return s;
}

std::string KeyFile(std::string_view user, std::string_view password) {
    return fixture::KeyFileBytes(fixture::Collected(), user, password);
}

// A key file whose block is the given plain text, enciphered, with any
// length byte: built from the layout, without the separator the program adds.
std::string KeyFileWithBlock(std::string_view plain, int lengthByte) {
    const std::string block = fixture::Encipher(plain, Key());
    std::string bytes = fixture::Collected();
    bytes.resize(std::max<std::size_t>(51, 44 + block.size()));
    bytes[43] = static_cast<char>(lengthByte);
    bytes.replace(44, block.size(), block);
    return bytes;
}

}  // namespace

TEST_CASE("start read") {
    using lockmere::StartFrom;
    const std::string full = KeyFile("admin", "Secret1");
    std::string lengthThirty = fixture::Collected();
    lengthThirty[43] = 30;
    const struct {
        const char* label;
        bool exists;
        std::string bytes;
        StartFrom from;
        std::string key;
    } rows[] = {
        {"missing: created, first run", false, "", StartFrom::Welcome, ""},
        {"empty: first run", true, "", StartFrom::Welcome, ""},
        {"after the generator: the master account next", true, fixture::Collected(),
         StartFrom::MasterAccount, Key()},
        {"51 bytes with a length byte of 30: a file cut short", true, lengthThirty,
         StartFrom::Login, Key()},
        {"52 bytes", true, fixture::Collected() + "x", StartFrom::Login, Key()},
        {"with credentials", true, full, StartFrom::Login, Key()},
        {"with credentials, 51 bytes", true, KeyFile("ab", "cd"), StartFrom::Login, Key()},
        {"3 bytes", true, "abc", StartFrom::Login, ""},
        {"10 bytes", true, full.substr(0, 10), StartFrom::Login, full.substr(6, 4)},
        {"38 bytes", true, full.substr(0, 38), StartFrom::Login, Key()},
    };
    for (const auto& row : rows)
        SUBCASE(row.label) {
            const auto& [label, exists, bytes, from, key] = row;
            Folder folder;
            const fs::path path = folder.Path() / "lkdb0.lkd";
            if (exists) fixture::WriteBytes(path, bytes);

            const lockmere::KeyFileStart start = lockmere::ReadKeyFileAtStart(folder.Path());
            CHECK_EQ(start.Code, failure::kNone);
            CHECK_EQ(start.From, from);
            CHECK_EQ(Q(start.EncryptionKey), Q(key));
            CHECK_EQ(Q(start.KeyFileBuffer), Q(bytes));
            CHECK_EQ(Q(fixture::ReadBytes(path)), Q(bytes));
            if (!exists) CHECK(OwnerOnly(path));
        }
}

TEST_CASE("write collected") {
    const std::string longer = fixture::KeyFileBytes(OtherCollected(), std::string(80, 'u'), "pw");
    const struct {
        const char* label;
        bool exists;
        std::string old;
        std::string result;
    } rows[] = {
        {"missing", false, "", fixture::Collected()},
        {"empty", true, "", fixture::Collected()},
        {"shorter", true, std::string(20, 'x'), fixture::Collected()},
        {"longer keeps its tail", true, longer, fixture::Collected() + longer.substr(51)},
    };
    for (const auto& row : rows)
        SUBCASE(row.label) {
            const auto& [label, exists, old, result] = row;
            Folder folder;
            const fs::path path = folder.Path() / "lkdb0.lkd";
            if (exists) fixture::WriteBytes(path, old);

            CHECK_EQ(lockmere::WriteCollectedString(folder.Path(), fixture::Collected()),
                     failure::kNone);
            CHECK_EQ(Q(fixture::ReadBytes(path)), Q(result));
            CHECK(OwnerOnly(path));
            CHECK_EQ(Q(lockmere::KeyFromCollected(fixture::Collected())), Q(Key()));
        }
}

TEST_CASE("credentials match the layout") {
    const struct {
        const char* label;
        std::string user;
        std::string password;
    } rows[] = {
        {"short: the file stays 51 bytes", "admin", "Pw1"},
        {"ending at byte 51", "ab", "cd"},
        {"past byte 51", std::string(60, 'U'), "fifteen chars!!"},
        {"255 characters", std::string(237, 'u'), std::string(15, 'p')},
        {"separator in the user name", "ad#|^min", "pw"},
    };
    for (const auto& row : rows)
        SUBCASE(row.label) {
            const auto& [label, user, password] = row;
            Folder folder;
            CHECK_EQ(lockmere::WriteCollectedString(folder.Path(), fixture::Collected()),
                     failure::kNone);

            const auto written = lockmere::WriteCredentials(folder.Path(), Key(), user, password);
            CHECK_EQ(written.Outcome, CredentialsWrite::Written);
            CHECK_EQ(Q(fixture::ReadBytes(folder.Path() / "lkdb0.lkd")), KeyFile(user, password));
        }
}

TEST_CASE("credentials refused") {
    const struct {
        const char* label;
        std::string user;
        std::string password;
        bool emptyKey;
        CredentialsWrite outcome;
    } rows[] = {
        {"256 characters", std::string(238, 'u'), std::string(15, 'p'), false,
         CredentialsWrite::TooLong},
        {"a character the key cannot shift", "admin", "caf\xe9", false,
         CredentialsWrite::EncryptFailed},
        {"no key yet", "admin", "pw", true, CredentialsWrite::EncryptFailed},
    };
    for (const auto& row : rows)
        SUBCASE(row.label) {
            const auto& [label, user, password, emptyKey, outcome] = row;
            Folder folder;
            fixture::WriteBytes(folder.Path() / "lkdb0.lkd", fixture::Collected());

            const auto written =
                lockmere::WriteCredentials(folder.Path(), emptyKey ? "" : Key(), user, password);
            CHECK_EQ(written.Outcome, outcome);
            CHECK_EQ(Q(fixture::ReadBytes(folder.Path() / "lkdb0.lkd")), Q(fixture::Collected()));

            const fs::path gone = folder.Path() / "gone";
            const auto failed = lockmere::WriteCredentials(gone, Key(), "admin", "pw");
            CHECK_EQ(failed.Outcome, CredentialsWrite::WriteFailed);
            CHECK_EQ(failed.Code, failure::kPathNotFound);
            CHECK(!fs::exists(gone));
        }
}

TEST_CASE("login") {
    const std::string admin = KeyFile("admin", "Secret1");
    const std::string splitUser = KeyFile("ad#|^min", "pw");
    const std::string noSeparator = KeyFileWithBlock("abcdef", 6);
    const struct {
        const char* label;
        bool exists;
        std::string file;
        std::string typed;
        LoginOutcome outcome;
        bool decipherOk;
    } rows[] = {
        {"match", true, admin, "Secret1", LoginOutcome::Match, true},
        {"letter case differs", true, admin, "secret1", LoginOutcome::NoMatch, true},
        {"user name is no password", true, admin, "admin", LoginOutcome::NoMatch, true},
        {"credentials past byte 51", true, KeyFile(std::string(200, 'u'), "long password"),
         "long password", LoginOutcome::Match, true},
        {"separator in the user name: the password alone fails", true, splitUser, "pw",
         LoginOutcome::NoMatch, true},
        {"separator in the user name: the rest of it matches", true, splitUser, "min#|^pw",
         LoginOutcome::Match, true},
        {"no separator: the last L - 2 characters", true, noSeparator, "cdef", LoginOutcome::Match,
         true},
        {"no separator: the whole block fails", true, noSeparator, "abcdef", LoginOutcome::NoMatch,
         true},
        {"block cut short: damaged, whatever is typed", true, KeyFile("u", "secret").substr(0, 52),
         "secret", LoginOutcome::Damaged, true},
        {"block cut short by one byte: damaged", true,
         KeyFile("u", "secret").substr(0, KeyFile("u", "secret").size() - 1), "secret",
         LoginOutcome::Damaged, true},
        {"44 bytes: an empty password is no match", true, KeyFile("u", "secret").substr(0, 44), "",
         LoginOutcome::Damaged, true},
        {"another installation's credentials", true,
         fixture::KeyFileBytes(OtherCollected(), "admin", "Secret1"), "Secret1",
         LoginOutcome::NoMatch, true},
        {"the generator's bytes alone: no master account yet", true, fixture::Collected(), "x",
         LoginOutcome::NoMasterAccount, true},
        {"a long block cut to the generator's 51 bytes: no master account yet", true,
         KeyFile(std::string(40, 'u'), "pw").substr(0, 51), "pw", LoginOutcome::NoMasterAccount,
         true},
        {"whole in 51 bytes", true, KeyFile("ab", "cd"), "cd", LoginOutcome::Match, true},
        {"longer than any key file the program writes: damaged", true,
         KeyFile("u", "secret") + std::string(300, 'x'), "secret", LoginOutcome::Damaged, true},
        {"missing: no master account yet", false, "", "", LoginOutcome::NoMasterAccount, true},
        {"empty: no master account yet", true, "", "", LoginOutcome::NoMasterAccount, true},
        {"43 bytes: damaged", true, admin.substr(0, 43), "", LoginOutcome::Damaged, true},
        {"length byte 0: damaged", true, KeyFileWithBlock("", 0).substr(0, 44), "",
         LoginOutcome::Damaged, true},
        {"length byte 1 without separator: damaged", true, KeyFileWithBlock("a", 1), "",
         LoginOutcome::Damaged, true},
    };
    for (const auto& row : rows)
        SUBCASE(row.label) {
            const auto& [label, exists, file, typed, outcome, decipherOk] = row;
            Folder folder;
            if (exists) fixture::WriteBytes(folder.Path() / "lkdb0.lkd", file);

            const lockmere::LoginCheck check = lockmere::CheckLogin(folder.Path(), Key(), typed);
            CHECK_EQ(check.Outcome, outcome);
            CHECK_EQ(check.Deciphered.Ok(), decipherOk);
            // The login only reads.
            CHECK_EQ(Q(fixture::ReadBytes(folder.Path() / "lkdb0.lkd")), Q(file));
        }
}

TEST_CASE("the login takes the password as typed, in Unicode") {
    // Stored as Windows-1252 bytes: an en dash, a right quote and an ellipsis.
    const std::string stored = KeyFile("me", "pa\x96s\x92s\x85");
    const struct {
        const char* label;
        std::string typed;  // UTF-8
        LoginOutcome outcome;
    } rows[] = {
        {"the same characters", "pa\u2013s\u2019s\u2026", LoginOutcome::Match},
        {"spaces around it are trimmed", "  pa\u2013s\u2019s\u2026 ", LoginOutcome::Match},
        {"another dash", "pa\u2014s\u2019s\u2026", LoginOutcome::NoMatch},
        {"the stored bytes typed as they are", "pa\x96s\x92s\x85", LoginOutcome::NoMatch},
        {"a character without a code", "pa\u2013s\u2019s\u2026\u2603", LoginOutcome::NoMatch},
    };
    for (const auto& row : rows)
        SUBCASE(row.label) {
            const auto& [label, typed, outcome] = row;
            CHECK_EQ(lockmere::JudgeTypedLogin(stored, Key(), typed).Outcome, outcome);
        }
    // A character without a code never matches, even a password cut at it.
    CHECK_EQ(lockmere::JudgeTypedLogin(KeyFile("me", "pa"), Key(), "pa\u2603").Outcome,
             LoginOutcome::NoMatch);
}

TEST_CASE("login read failure") {
    Folder folder;
    fs::create_directory(folder.Path() / "lkdb0.lkd");
    const lockmere::LoginCheck check = lockmere::CheckLogin(folder.Path(), Key(), "Secret1");
    CHECK_EQ(check.Outcome, LoginOutcome::ReadFailed);
    CHECK_EQ(check.Code, failure::kPathFileAccess);
}

TEST_CASE("stored password") {
    const struct {
        const char* label;
        std::string deciphered;
        int lengthByte;
        bool valid;
        std::string password;
    } rows[] = {
        {"user and password", "user#|^pw", 9, true, "pw"},
        {"first separator counts", "x#|^a#|^b", 9, true, "a#|^b"},
        {"empty password", "user#|^", 7, true, ""},
        {"no separator", "abcdef", 6, true, "cdef"},
        {"no separator, length 2", "ab", 2, true, ""},
        {"shorter than the length: all of it", "u#|^pw", 20, true, "u#|^pw"},
        {"a prefix cut by a failed decipher", "ad", 15, true, "ad"},
        {"length 1 without separator", "a", 1, false, ""},
        {"length 0", "", 0, false, ""},
        {"separator past the length", "ab#|^", 4, false, ""},
    };
    for (const auto& row : rows)
        SUBCASE(row.label) {
            const auto& [label, deciphered, lengthByte, valid, password] = row;
            const lockmere::StoredPassword stored =
                lockmere::ExtractStoredPassword(deciphered, lengthByte);
            CHECK_EQ(stored.Valid, valid);
            CHECK_EQ(Q(stored.Password), Q(password));
        }
}
