#include <doctest/doctest.h>

#include <filesystem>
#include <optional>

#include "store/key_file.h"
#include "store/record_store.h"
#include "tests/store/file_checks.h"
#include "tests/support/blocked_write.h"
#include "tests/support/book_fixture.h"

namespace fs = std::filesystem;
namespace failure = lockmere::failure;
namespace fixture = lockmere::fixture;
using lockmere::CipherFailure;
using lockmere::RecordStore;
using lockmere::StoreWrite;
using lockmere::test::BlockedWrite;
using lockmere::test::Folder;
using lockmere::test::OwnerOnly;
using lockmere::test::Q;
using lockmere::test::TemporaryFileLeft;
using Records = std::vector<fixture::Fields>;

namespace {

std::string Key() { return fixture::KeyOf(fixture::Collected()); }

Records Sample() {
    return {
        {"Mail", "https://mail.example.com/login", "ann@example.com", "pw-1"},
        {"Bank", "N/A", "ann", "s3cr3t!"},
        {"Forum", "https://forum.example.org/" + std::string(70, 'p'), "anne", "x"},
    };
}

std::string LineOf(const fixture::Fields& f) {
    return f[0] + '\t' + f[1] + '\t' + f[2] + '\t' + f[3];
}

// Lines as the store takes them: held as secrets.
std::vector<lockmere::SecretText> Held(const std::vector<std::string>& lines) {
    return {lines.begin(), lines.end()};
}

std::vector<std::string> LinesOf(const Records& records) {
    std::vector<std::string> lines;
    for (const auto& f : records) lines.push_back(LineOf(f));
    return lines;
}

lockmere::PasswordRecord RecordOf(const fixture::Fields& f) { return {f[0], f[1], f[2], f[3]}; }

// One record whose line is exactly length characters long.
fixture::Fields OfLineLength(std::size_t length) {
    return {"n", std::string(length - 6, 'u'), "u", "p"};
}

// The sample store with one byte of its second entry damaged so that it
// deciphers below 0: the load stops two characters into "Bank".
std::string DamagedStore() {
    std::string bytes = fixture::StoreBytes(Sample(), Key());
    const std::size_t second = 1 + LineOf(Sample()[0]).size() + 1;
    bytes[second + 3] = '\0';
    return bytes;
}

}  // namespace

TEST_CASE("compatibility") {
    const struct {
        const char* label;
        int count;
    } rows[] = {
        {"no records", 0},
        {"one record", 1},
        {"records across key cycles", 3},
    };
    for (const auto& row : rows)
        SUBCASE(row.label) {
            const auto& [label, count] = row;
            const Records sample = Sample();
            const Records records(sample.begin(), sample.begin() + count);
            Folder folder;
            fixture::WriteBytes(
                folder.Path() / "lkdb0.lkd",
                fixture::KeyFileBytes(fixture::Collected(), "master", "Open Sesame"));
            const std::string store = fixture::StoreBytes(records, Key());
            fixture::WriteBytes(folder.Path() / "lkdb1.lkd", store);

            const lockmere::KeyFileStart start = lockmere::ReadKeyFileAtStart(folder.Path());
            CHECK_EQ(start.From, lockmere::StartFrom::Login);
            CHECK_EQ(Q(start.EncryptionKey), Q(Key()));
            CHECK_EQ(
                lockmere::CheckLogin(folder.Path(), start.EncryptionKey, "Open Sesame").Outcome,
                lockmere::LoginOutcome::Match);

            RecordStore book(folder.Path());
            const lockmere::LoadResult loaded = book.Load(start.EncryptionKey);
            CHECK(loaded.Complete());
            CHECK(book.Authoritative());
            CHECK_EQ(Q(loaded.Lines), LinesOf(records));

            CHECK_EQ(book.Save(start.EncryptionKey, loaded.Lines).Outcome, StoreWrite::Written);
            CHECK_EQ(Q(fixture::ReadBytes(book.Path())), Q(store));
            CHECK(OwnerOnly(book.Path()));
        }
}

TEST_CASE("scan") {
    const struct {
        const char* label;
        std::string text;
        int n;
        std::vector<std::string> lines;
    } rows[] = {
        {"empty", "", 0, std::vector<std::string>()},
        {"separators become TABs",
         "\x7f"
         "a\x14"
         "b\x14"
         "c\x14"
         "d\x80",
         9, std::vector<std::string>{"a\tb\tc\td"}},
        {"characters outside entries are skipped",
         "zz\x7f"
         "a\x80junk\x7f"
         "b\x80",
         11, std::vector<std::string>{"a", "b"}},
        {"127 inside an entry is ordinary",
         "\x7f"
         "a\x7f"
         "b\x80",
         5,
         std::vector<std::string>{"a\x7f"
                                  "b"}},
        {"the first 128 ends the entry",
         "\x7f"
         "a\x80"
         "b\x80\x7f"
         "c\x80",
         8, std::vector<std::string>{"a", "c"}},
        {"empty entry", "\x7f\x80", 2, std::vector<std::string>{""}},
        {"no end marker: the last character is lost",
         "\x7f"
         "abc",
         4, std::vector<std::string>{"ab"}},
        {"no end marker, entry started right before the last character",
         "xx\x7f"
         "c",
         4, std::vector<std::string>{"c"}},
        {"start marker as the last character", "ab\x7f", 3, std::vector<std::string>()},
        {"start marker alone", "\x7f", 1, std::vector<std::string>()},
        {"cut off by a failed decipher: still listed",
         "\x7f"
         "ab\x80\x7f"
         "cd",
         10, std::vector<std::string>{"ab", "cd"}},
        {"nothing deciphered", "", 5, std::vector<std::string>()},
    };
    for (const auto& row : rows)
        SUBCASE(row.label) {
            const auto& [label, text, n, lines] = row;
            CHECK_EQ(Q(lockmere::ScanStoreText(text, static_cast<std::size_t>(n))), Q(lines));
        }
}

TEST_CASE("save loads back") {
    const struct {
        const char* label;
        std::vector<std::string> saved;
        std::vector<std::string> loaded;
    } rows[] = {
        {"three TABs each, in order", LinesOf(Sample()), LinesOf(Sample())},
        {"empty list", std::vector<std::string>(), std::vector<std::string>()},
        {"no TAB: all password", std::vector<std::string>{"line"},
         std::vector<std::string>{"\t\t\tline"}},
        {"five TABs", std::vector<std::string>{"a\tb\tc\tX\tY\tZ"},
         std::vector<std::string>{"a\tb\tc\tZ"}},
        {"20 in a field comes back as a TAB",
         std::vector<std::string>{"a\x14"
                                  "b\tu\tn\tp"},
         std::vector<std::string>{"a\tb\tu\tn\tp"}},
        {"127 in a field is kept",
         std::vector<std::string>{"a\x7f"
                                  "b\tu\tn\tp"},
         std::vector<std::string>{"a\x7f"
                                  "b\tu\tn\tp"}},
        {"128 in a field cuts its entry",
         std::vector<std::string>{"ab\x80"
                                  "cd\tu\tn\tp",
                                  "next\tu\tn\tp"},
         std::vector<std::string>{"ab", "next\tu\tn\tp"}},
    };
    for (const auto& row : rows)
        SUBCASE(row.label) {
            const auto& [label, saved, loaded] = row;
            Folder folder;
            fixture::WriteBytes(folder.Path() / "lkdb1.lkd", fixture::StoreBytes(Sample(), Key()));
            RecordStore book(folder.Path());
            CHECK(book.Load(Key()).Complete());

            CHECK_EQ(book.Save(Key(), Held(saved)).Outcome, StoreWrite::Written);
            if (saved.empty()) CHECK_EQ(fs::file_size(book.Path()), 0u);

            RecordStore again(folder.Path());
            const lockmere::LoadResult result = again.Load(Key());
            CHECK(result.Complete());
            CHECK_EQ(Q(result.Lines), Q(loaded));
        }
}

TEST_CASE("save refused") {
    const struct {
        const char* label;
        std::string scenario;
        StoreWrite outcome;
        int code;
    } rows[] = {
        {"never loaded", "unloaded", StoreWrite::NotAuthoritative, failure::kNone},
        {"list forgotten", "forgotten", StoreWrite::NotAuthoritative, failure::kNone},
        {"load could not read", "unreadable", StoreWrite::NotAuthoritative, failure::kNone},
        {"text past 32,766", "too-long", StoreWrite::TooLong, failure::kNone},
        {"a character the key cannot shift", "unshiftable", StoreWrite::EncryptFailed,
         failure::kNone},
        {"a write the system refuses", "blocked", StoreWrite::WriteFailed, BlockedWrite::kCode},
    };
    for (const auto& row : rows)
        SUBCASE(row.label) {
            const auto& [label, scenario, outcome, code] = row;
            Folder folder;
            RecordStore book(folder.Path());
            const std::string store = fixture::StoreBytes(Sample(), Key());
            if (scenario == "unreadable") {
                fs::create_directory(book.Path());
                CHECK_EQ(book.Load(Key()).Code, failure::kPathFileAccess);
                fs::remove(book.Path());
            }
            fixture::WriteBytes(book.Path(), store);
            if (scenario != "unloaded" && scenario != "unreadable")
                CHECK(book.Load(Key()).Complete());
            if (scenario == "forgotten") book.Forget();
            std::optional<BlockedWrite> blocked;
            if (scenario == "blocked") blocked.emplace(book.Path());

            std::vector<std::string> lines = LinesOf(Sample());
            if (scenario == "too-long") lines.push_back(LineOf(OfLineLength(32765 - 100)));
            if (scenario == "unshiftable") lines.push_back("caf\xe9\tu\tn\tp");

            const lockmere::StoreWriteResult result = book.Save(Key(), Held(lines));
            CHECK_EQ(result.Outcome, outcome);
            CHECK_EQ(result.Code, code);
            blocked.reset();
            CHECK_EQ(Q(fixture::ReadBytes(book.Path())), Q(store));
            CHECK(!TemporaryFileLeft(book.Path()));

            if (scenario == "blocked") {
                // The list is still the store's whole copy: once the way is clear it saves.
                CHECK_EQ(book.Save(Key(), {"x\ty\tz\tw"}).Outcome, StoreWrite::Written);
                CHECK_EQ(fixture::DecodeStore(fixture::ReadBytes(book.Path()), Key()),
                         (Records{{"x", "y", "z", "w"}}));
            }
        }
}

TEST_CASE("size limit") {
    const struct {
        const char* label;
        int lineLength;  // a record costs its line plus 2
        StoreWrite outcome;
    } rows[] = {
        {"32,766 characters", 32764, StoreWrite::Written},
        {"32,767 characters", 32765, StoreWrite::TooLong},
    };
    for (const auto& row : rows)
        SUBCASE(row.label) {
            const auto& [label, lineLength, outcome] = row;
            const fixture::Fields big = OfLineLength(static_cast<std::size_t>(lineLength));
            const bool fits = outcome == StoreWrite::Written;

            Folder saved;
            RecordStore book(saved.Path());
            CHECK(book.Load(Key()).Complete());
            CHECK_EQ(book.Save(Key(), {LineOf(big)}).Outcome, outcome);
            CHECK_EQ(fs::file_size(book.Path()), fits ? 32766u : 0u);
            if (fits)
                CHECK_EQ(Q(fixture::ReadBytes(book.Path())), Q(fixture::StoreBytes({big}, Key())));

            // The same limit for an append to a store that holds one small record.
            const fixture::Fields small = {"a", "b", "c", "d"};
            const fixture::Fields rest = OfLineLength(static_cast<std::size_t>(lineLength) - 9);
            Folder appended;
            const std::string before = fixture::StoreBytes({small}, Key());
            fixture::WriteBytes(appended.Path() / "lkdb1.lkd", before);
            RecordStore other(appended.Path());
            CHECK_EQ(other.Append(Key(), RecordOf(rest)).Outcome, outcome);
            CHECK_EQ(Q(fixture::ReadBytes(other.Path())),
                     Q(fits ? fixture::StoreBytes({small, rest}, Key()) : before));
        }
}

TEST_CASE("incomplete load never rewritten") {
    const fixture::Fields huge = OfLineLength(32765);
    const struct {
        const char* label;
        std::string store;
        CipherFailure failure;
        std::vector<std::string> lines;
    } rows[] = {
        {"damaged byte: the cut entry is listed", DamagedStore(), CipherFailure::OutOfRange,
         std::vector<std::string>{LineOf(Sample()[0]), "Ba"}},
        {"past the cipher's limit", fixture::StoreBytes({huge}, Key()), CipherFailure::TooLong,
         std::vector<std::string>{LineOf(huge)}},
    };
    for (const auto& row : rows)
        SUBCASE(row.label) {
            const auto& [label, store, failure, lines] = row;
            Folder folder;
            RecordStore book(folder.Path());
            fixture::WriteBytes(book.Path(), store);

            const lockmere::LoadResult loaded = book.Load(Key());
            CHECK_EQ(loaded.Deciphered.Failure, failure);
            CHECK(!loaded.Complete());
            CHECK(!book.Authoritative());
            CHECK_EQ(Q(loaded.Lines), Q(lines));

            CHECK_EQ(book.Save(Key(), loaded.Lines).Outcome, StoreWrite::NotAuthoritative);
            const lockmere::StoreWriteResult appended = book.Append(Key(), {"a", "b", "c", "d"});
            CHECK_EQ(appended.Outcome, StoreWrite::DecryptFailed);
            CHECK_EQ(appended.Deciphered.Failure, failure);
            CHECK_EQ(Q(appended.Deciphered.Output), Q(loaded.Deciphered.Output));
            CHECK_EQ(Q(fixture::ReadBytes(book.Path())), Q(store));
            CHECK(!TemporaryFileLeft(book.Path()));
        }
}

TEST_CASE("append") {
    const struct {
        const char* label;
        bool exists;
        int count;
    } rows[] = {
        {"missing store", false, 0},
        {"empty store", true, 0},
        {"one record", true, 1},
        {"three records", true, 3},
    };
    for (const auto& row : rows)
        SUBCASE(row.label) {
            const auto& [label, exists, count] = row;
            const Records sample = Sample();
            Records records(sample.begin(), sample.begin() + count);
            Folder folder;
            RecordStore book(folder.Path());
            if (exists) fixture::WriteBytes(book.Path(), fixture::StoreBytes(records, Key()));

            const fixture::Fields added = {"Shop", "https://shop.example", "ann", "p w"};
            CHECK_EQ(book.Append(Key(), RecordOf(added)).Outcome, StoreWrite::Written);
            records.push_back(added);
            CHECK_EQ(Q(fixture::ReadBytes(book.Path())), Q(fixture::StoreBytes(records, Key())));
            CHECK(OwnerOnly(book.Path()));
        }
}

TEST_CASE("append refused") {
    const struct {
        const char* label;
        std::string scenario;
        StoreWrite outcome;
        int code;
    } rows[] = {
        {"a character the key cannot shift", "unshiftable", StoreWrite::EncryptFailed,
         failure::kNone},
        {"a write the system refuses", "blocked", StoreWrite::WriteFailed, BlockedWrite::kCode},
        {"the store is a folder", "folder", StoreWrite::ReadFailed, failure::kPathFileAccess},
    };
    for (const auto& row : rows)
        SUBCASE(row.label) {
            const auto& [label, scenario, outcome, code] = row;
            Folder folder;
            RecordStore book(folder.Path());
            const std::string store = fixture::StoreBytes(Sample(), Key());
            if (scenario == "folder")
                fs::create_directory(book.Path());
            else
                fixture::WriteBytes(book.Path(), store);
            std::optional<BlockedWrite> blocked;
            if (scenario == "blocked") blocked.emplace(book.Path());
            const std::string password = scenario == "unshiftable" ? "caf\xe9" : "pw";

            const lockmere::StoreWriteResult result =
                book.Append(Key(), {"Shop", "N/A", "ann", password});
            CHECK_EQ(result.Outcome, outcome);
            CHECK_EQ(result.Code, code);
            blocked.reset();
            CHECK(!TemporaryFileLeft(book.Path()));
            if (scenario == "folder")
                CHECK(fs::is_directory(book.Path()));
            else
                CHECK_EQ(Q(fixture::ReadBytes(book.Path())), Q(store));
        }
}

TEST_CASE("an append of several records writes all of them in one run, or none") {
    const Records added = {
        {"Shop", "N/A", "ann", "p1"}, {"Cloud", "c", "bob", "p2"}, {"Forum", "f", "cy", "p3"}};
    std::vector<lockmere::PasswordRecord> records;
    for (const fixture::Fields& f : added) records.push_back(RecordOf(f));
    Folder folder;
    RecordStore book(folder.Path());
    const std::string store = fixture::StoreBytes(Sample(), Key());
    fixture::WriteBytes(book.Path(), store);

    // A character the key cannot shift in the last record: not even the
    // first two are written.
    std::vector<lockmere::PasswordRecord> spoilt = records;
    spoilt.back().Password = "caf\xe9";
    CHECK_EQ(book.AppendAll(Key(), spoilt).Outcome, StoreWrite::EncryptFailed);
    CHECK_EQ(Q(fixture::ReadBytes(book.Path())), Q(store));

    CHECK_EQ(book.AppendAll(Key(), records).Outcome, StoreWrite::Written);
    Records all = Sample();
    all.insert(all.end(), added.begin(), added.end());
    CHECK_EQ(Q(fixture::ReadBytes(book.Path())), Q(fixture::StoreBytes(all, Key())));
}

TEST_CASE("the records that fit in the store, in order") {
    // Each entry costs its four fields and 5 characters: 5 + 10 here.
    const lockmere::PasswordRecord ten{"nnnn", "u", "ss", "ppp"};
    const std::vector<lockmere::PasswordRecord> three(3, ten);
    const struct {
        std::size_t textLength;
        std::size_t fit;
    } rows[] = {
        {0, 3},
        {lockmere::kStoreTextLimit - 45, 3},  // exactly full
        {lockmere::kStoreTextLimit - 44, 2},
        {lockmere::kStoreTextLimit - 15, 1},
        {lockmere::kStoreTextLimit - 14, 0},
    };
    for (const auto& row : rows) {
        CAPTURE(row.textLength);
        CHECK_EQ(lockmere::RecordsThatFit(row.textLength, three), row.fit);
    }
    // A record too long stops the count, though a later one is short.
    const lockmere::PasswordRecord huge{std::string(lockmere::kStoreTextLimit, 'n'), "u", "s", "p"};
    CHECK_EQ(lockmere::RecordsThatFit(0, {ten, huge, ten}), 1);
}

TEST_CASE("append keeps authority") {
    Folder folder;
    RecordStore book(folder.Path());
    fixture::WriteBytes(book.Path(), fixture::StoreBytes(Sample(), Key()));

    CHECK_EQ(book.Append(Key(), {"a", "b", "c", "d"}).Outcome, StoreWrite::Written);
    CHECK(!book.Authoritative());
    CHECK_EQ(book.Save(Key(), {}).Outcome, StoreWrite::NotAuthoritative);

    CHECK(book.Load(Key()).Complete());
    CHECK_EQ(book.Append(Key(), {"e", "f", "g", "h"}).Outcome, StoreWrite::Written);
    CHECK(book.Authoritative());
    Records all = Sample();
    all.push_back({"a", "b", "c", "d"});
    all.push_back({"e", "f", "g", "h"});
    CHECK_EQ(fixture::DecodeStore(fixture::ReadBytes(book.Path()), Key()), all);
}

TEST_CASE("a store that reports a missing file leaves the folder as it was") {
    Folder folder;
    RecordStore store(folder.Path(), RecordStore::Missing::Report);
    const lockmere::LoadResult loaded = store.Load(Key());
    CHECK_EQ(loaded.Code, failure::kFileNotFound);
    CHECK_FALSE(store.Authoritative());
    const auto appended = store.Append(Key(), RecordOf({"Shop", "N/A", "ann", "pw"}));
    CHECK_EQ(appended.Outcome, StoreWrite::ReadFailed);
    CHECK_EQ(appended.Code, failure::kFileNotFound);
    CHECK_FALSE(fs::exists(store.Path()));
}
