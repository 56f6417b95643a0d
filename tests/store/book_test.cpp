#include <doctest/doctest.h>

#include <string>
#include <vector>

#include "store/ansi_codec.h"
#include "store/book.h"
#include "store/file_access.h"
#include "tests/support/book_fixture.h"
#include "tests/support/temp_folder.h"

using namespace lockmere;
using Records = std::vector<fixture::Fields>;

namespace {

std::string Key() { return fixture::KeyOf(fixture::Collected()); }
// Deciphering the store with it takes codes below zero.
const std::string kWrongKey(32, '\xff');

PasswordRecord RecordOf(const fixture::Fields& f) { return {f[0], f[1], f[2], f[3]}; }

// What the observer heard, one word per event.
struct Heard : BookObserver {
    std::vector<std::string> Events;
    void RecordsReset() override { Events.push_back("reset"); }
    void RecordInserted(std::size_t i) override { Events.push_back("insert " + std::to_string(i)); }
    void RecordRemoved(std::size_t i) override { Events.push_back("remove " + std::to_string(i)); }
    void ChangedFlagChanged(bool c) override { Events.push_back(c ? "changed" : "saved"); }
};

// A program folder whose store holds the records in file order, and a
// loaded book over it.
struct Scene {
    testing::TempFolder Folder;
    RecordStore Store{Folder.Path()};
    Book Pages{Store};
    Heard Observer;

    explicit Scene(const Records& records) {
        fixture::WriteBytes(StorePath(), fixture::StoreBytes(records, Key()));
        Pages.Watch(&Observer);
    }
    // Loads the store whole, as a login does.
    void Open() { REQUIRE(Pages.Load(Key()).Complete()); }
    std::filesystem::path StorePath() const { return Folder.File(kStoreFileName); }
    std::string StoreFile() const { return fixture::ReadBytes(StorePath()); }
    std::vector<std::string> Names() const {
        std::vector<std::string> names;
        for (const PasswordRecord& r : Pages.Records()) names.push_back(r.ApplicationName);
        return names;
    }
};

// Arrival order differs from book order; the two bank lines differ only in
// case, so they tie.
Records Sample() {
    return {
        {"Mail", "https://mail.example.com", "ann@example.com", "pw-1"},
        {"bank", "N/A", "ann", "s3cr3t!"},
        {"Forum", "https://forum.example.org", "anne", "x"},
        {"Bank", "n/a", "ANN", "S3CR3T!"},
        {"\x8aki", "", "s", "z"},  // S caron folds after every ASCII letter
    };
}

}  // namespace

TEST_CASE("a load orders the records with case folded, ties in the order they came") {
    Scene scene(Sample());
    const LoadResult loaded = scene.Pages.Load(Key());
    CHECK(loaded.Complete());
    CHECK(scene.Pages.Complete());
    CHECK_FALSE(scene.Pages.Changed());
    CHECK(scene.Names() == std::vector<std::string>{"bank", "Bank", "Forum", "Mail", "\x8aki"});
    CHECK(scene.Pages.Records()[0] == RecordOf(Sample()[1]));
    CHECK(scene.Observer.Events == std::vector<std::string>{"reset"});
}

TEST_CASE("each change is announced while the records are still as they were") {
    // What an announcing observer sees: the event and how many records the
    // book holds while it is told.
    struct Announced : BookObserver {
        const Book* Pages = nullptr;
        std::vector<std::string> Events;
        void Note(const std::string& event) {
            Events.push_back(event + " of " + std::to_string(Pages->Records().size()));
        }
        void RecordsAboutToReset() override { Note("about to reset"); }
        void RecordsReset() override { Note("reset"); }
        void RecordAboutToBeInserted(std::size_t i) override {
            Note("about to insert " + std::to_string(i));
        }
        void RecordInserted(std::size_t i) override { Note("insert " + std::to_string(i)); }
        void RecordAboutToBeRemoved(std::size_t i) override {
            Note("about to remove " + std::to_string(i));
        }
        void RecordRemoved(std::size_t i) override { Note("remove " + std::to_string(i)); }
    };
    Scene scene(Sample());
    Announced heard;
    heard.Pages = &scene.Pages;
    scene.Pages.Watch(&heard);

    scene.Open();
    REQUIRE(scene.Pages.Add(Key(), RecordOf({"Cloud", "", "", ""})).Outcome == StoreWrite::Written);
    scene.Pages.Replace(0, RecordOf({"Zoo", "", "", ""}));
    scene.Pages.Remove(1);
    scene.Pages.Close();

    CHECK(heard.Events ==
          std::vector<std::string>{"about to reset of 0", "reset of 5",        // load
                                   "about to insert 2 of 5", "insert 2 of 6",  // add
                                   "about to remove 0 of 6", "remove 0 of 5",  // replace
                                   "about to insert 4 of 5", "insert 4 of 6",  //
                                   "about to remove 1 of 6", "remove 1 of 5",  // delete
                                   "about to reset of 5", "reset of 0"});      // logout
    scene.Pages.Unwatch(&heard);
}

TEST_CASE("an add appends one entry at the store's end and joins the book in order") {
    Scene scene(Sample());
    scene.Open();
    scene.Observer.Events.clear();
    const fixture::Fields added{"Cloud", "https://cloud.example.net", "ann", "c"};

    const StoreWriteResult result = scene.Pages.Add(Key(), RecordOf(added));

    CHECK(result.Outcome == StoreWrite::Written);
    Records onDisk = Sample();
    onDisk.push_back(added);
    CHECK(scene.StoreFile() == fixture::StoreBytes(onDisk, Key()));
    CHECK(scene.Names() ==
          std::vector<std::string>{"bank", "Bank", "Cloud", "Forum", "Mail", "\x8aki"});
    CHECK(scene.Observer.Events == std::vector<std::string>{"insert 2"});
    // The store already holds it: nothing is left to save.
    CHECK_FALSE(scene.Pages.Changed());
}

TEST_CASE("an add to a closed book reaches the store alone; the next load shows it") {
    // Closed: before the first load (the first start adds one) and after a logout.
    for (const bool loadedBefore : {false, true}) {
        CAPTURE(loadedBefore);
        Scene scene(Sample());
        if (loadedBefore) {
            scene.Open();
            scene.Pages.Close();
        }
        scene.Observer.Events.clear();
        const fixture::Fields added{"Cloud", "https://cloud.example.net", "ann", "c"};

        CHECK(scene.Pages.Add(Key(), RecordOf(added)).Outcome == StoreWrite::Written);

        Records onDisk = Sample();
        onDisk.push_back(added);
        CHECK(scene.StoreFile() == fixture::StoreBytes(onDisk, Key()));
        CHECK(scene.Pages.Records().empty());
        CHECK(scene.Observer.Events.empty());
        scene.Open();
        CHECK(scene.Names() ==
              std::vector<std::string>{"bank", "Bank", "Cloud", "Forum", "Mail", "\x8aki"});
    }
}

TEST_CASE("edits not saved stay marked through a logout and the next load") {
    Scene scene(Sample());
    scene.Open();
    scene.Pages.Remove(0);
    scene.Pages.Close();
    CHECK(scene.Pages.Changed());
    scene.Open();
    CHECK(scene.Pages.Changed());
    CHECK(scene.Pages.Save(Key()).Outcome == StoreWrite::Written);
    CHECK_FALSE(scene.Pages.Changed());
}

TEST_CASE("a failed add leaves the store and the book as they were") {
    Scene scene(Sample());
    scene.Open();
    scene.Observer.Events.clear();
    const std::string before = scene.StoreFile();

    const StoreWriteResult result = scene.Pages.Add(kWrongKey, RecordOf({"Cloud", "", "", ""}));

    CHECK(result.Outcome == StoreWrite::DecryptFailed);
    CHECK(scene.StoreFile() == before);
    CHECK(scene.Pages.Records().size() == Sample().size());
    CHECK(scene.Observer.Events.empty());
}

TEST_CASE("an edit moves the record to its new place; the save writes the book's order") {
    Scene scene(Sample());
    scene.Open();
    scene.Observer.Events.clear();
    const fixture::Fields edited{"Zoo", "https://zoo.example", "keeper", "k"};

    // "Forum" (index 2) becomes "Zoo": after "Mail", before "Ski".
    const std::size_t at = scene.Pages.Replace(2, RecordOf(edited));

    CHECK(at == 3);
    CHECK(scene.Names() == std::vector<std::string>{"bank", "Bank", "Mail", "Zoo", "\x8aki"});
    CHECK(scene.Observer.Events == std::vector<std::string>{"remove 2", "changed", "insert 3"});
    CHECK(scene.Pages.Changed());

    scene.Observer.Events.clear();
    CHECK(scene.Pages.Save(Key()).Outcome == StoreWrite::Written);
    const Records sample = Sample();
    CHECK(scene.StoreFile() ==
          fixture::StoreBytes({sample[1], sample[3], sample[0], edited, sample[4]}, Key()));
    CHECK_FALSE(scene.Pages.Changed());
    CHECK(scene.Observer.Events == std::vector<std::string>{"saved"});
}

TEST_CASE("a delete removes one record; the save writes the others in the book's order") {
    Scene scene(Sample());
    scene.Open();
    scene.Observer.Events.clear();

    scene.Pages.Remove(0);  // the first "bank" of the tie

    CHECK(scene.Names() == std::vector<std::string>{"Bank", "Forum", "Mail", "\x8aki"});
    CHECK(scene.Observer.Events == std::vector<std::string>{"remove 0", "changed"});
    CHECK(scene.Pages.Save(Key()).Outcome == StoreWrite::Written);
    const Records sample = Sample();
    CHECK(scene.StoreFile() ==
          fixture::StoreBytes({sample[3], sample[2], sample[0], sample[4]}, Key()));

    // Deleting every record leaves an empty store, written as such.
    while (!scene.Pages.Records().empty()) scene.Pages.Remove(0);
    CHECK(scene.Pages.Save(Key()).Outcome == StoreWrite::Written);
    CHECK(scene.StoreFile().empty());
}

TEST_CASE("the book refuses to save over the store unless it is its complete copy") {
    struct Case {
        const char* name;
        void (*Before)(Scene&);
        std::size_t recordsKept;
    };
    const Case cases[] = {
        {"never loaded", [](Scene&) {}, 0},
        {"failed decipher", [](Scene& s) { CHECK_FALSE(s.Pages.Load(kWrongKey).Complete()); }, 0},
        {"forgotten after a restore",
         [](Scene& s) {
             s.Open();
             s.Pages.Forget();
         },
         Sample().size()},
        {"closed at logout",
         [](Scene& s) {
             s.Open();
             s.Pages.Close();
         },
         0},
    };
    for (const Case& c : cases) {
        const std::string name = c.name;
        CAPTURE(name);
        Scene scene(Sample());
        c.Before(scene);
        const std::string before = scene.StoreFile();
        CHECK(scene.Pages.Records().size() == c.recordsKept);
        // An edit would be refused the same way: the save never looks at it.
        if (!scene.Pages.Records().empty()) scene.Pages.Remove(0);

        CHECK(scene.Pages.Save(Key()).Outcome == StoreWrite::NotAuthoritative);
        CHECK_FALSE(scene.Pages.Complete());
        CHECK(scene.StoreFile() == before);
    }
}

TEST_CASE("an observer that stops watching hears nothing more") {
    Scene scene(Sample());
    scene.Pages.Unwatch(&scene.Observer);
    scene.Open();
    scene.Pages.Remove(0);
    CHECK(scene.Observer.Events.empty());
}

TEST_CASE("a search folds case as the list's order does and never looks at the password") {
    // The record's fields are Windows-1252 bytes (Œ, then a micro sign); the
    // searched text is characters.
    const PasswordRecord stored{"\x8Cuvre Mail", "https://MAIL.example.com", "Ann\xB5", "secret"};
    const struct {
        std::u32string text;
        bool found;
    } rows[] = {
        {U"mail", true},
        {U"ŒUVRE", true},
        {U"œuvre", true},
        {U"example.COM", true},
        {U"annµ", true},
        {U"ANNμ", true},
        {U"", true},
        {U"secret", false},
        {U"mail.example.org", false},
        {U"mailhttps", false},  // no match across fields
    };
    for (const auto& row : rows) {
        CAPTURE(CodePointsToUtf8(row.text));
        CHECK(RecordContains(stored, FoldedCase(row.text)) == row.found);
    }
}
