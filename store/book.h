#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "store/record_line.h"
#include "store/record_store.h"

namespace lockmere {

// Texts compared without regard to case, folded as the list's order folds
// them: a text's characters, or a field's Windows-1252 bytes.
std::u32string FoldedCase(std::u32string_view text);
std::u32string FoldedField(std::string_view ansi);
// True when the record's Application Name, Application URL or User Name
// contains the folded text; the password is never searched.
bool RecordContains(const PasswordRecord& record, std::u32string_view foldedText);

// What a front end hears from the book; it reads the records back through
// Book::Records(). A replaced record is removed, then inserted at its new
// place, as the list has always shown it. Each change is announced while
// the records are still as they were, and told once it is made. An
// observer overrides only the events it follows.
class BookObserver {
public:
    virtual void RecordsAboutToReset() {}
    virtual void RecordsReset() {}  // every record may differ: read them all again
    virtual void RecordAboutToBeInserted(std::size_t /*index*/) {}
    virtual void RecordInserted(std::size_t /*index*/) {}
    virtual void RecordAboutToBeRemoved(std::size_t /*index*/) {}
    virtual void RecordRemoved(std::size_t /*index*/) {}  // index before the removal
    virtual void ChangedFlagChanged(bool /*changed*/) {}

protected:
    ~BookObserver() = default;
};

// The records of one program folder, in the order the user sees them:
// lines compared with case folded, equal lines in the order they arrived.
// Tracks whether the records hold edits not yet saved (only a successful
// save clears that; a load or logout leaves it as it was), and saves only
// when they are the complete copy of the store. Fields never hold TAB, 20,
// 127 or 128: the windows refuse them, and the store would split on them.
class Book {
public:
    explicit Book(RecordStore& store);
    Book(const Book&) = delete;
    Book& operator=(const Book&) = delete;

    void Watch(BookObserver* observer);
    void Unwatch(BookObserver* observer);

    // Replaces the records with the store's; saves are allowed only when it
    // was read and deciphered whole.
    [[nodiscard]] LoadResult Load(std::string_view key);
    // Appends the record at the store's end on disk; it joins the book only
    // once written, and only while the book is open (loaded, not closed
    // since): a closed book's records are read by the next load.
    [[nodiscard]] StoreWriteResult Add(std::string_view key, const PasswordRecord& record);
    // Both mark the book changed; index < Records().size(). Replace gives
    // the record's new index.
    std::size_t Replace(std::size_t index, const PasswordRecord& record);
    void Remove(std::size_t index);
    // Writes every record, in book order, as the store's whole content.
    [[nodiscard]] StoreWriteResult Save(std::string_view key);
    // The store was replaced under the book (restore): the records stay to
    // be seen, but may no longer be saved over it.
    void Forget();
    // Logout: no records, and no save until the next load.
    void Close();

    const std::vector<PasswordRecord>& Records() const { return records_; }
    // The record's line as it is shown: as the store gave it (an entry cut
    // short by damage keeps its cut text), or composed from its fields.
    const std::string& Line(std::size_t index) const { return lines_.at(index); }
    bool Changed() const { return changed_; }
    bool Complete() const { return store_.Authoritative(); }

private:
    // The index the line goes at.
    std::size_t PlaceOf(const std::string& line) const;
    // Untold: a load tells once for all its records.
    void Put(std::size_t index, const PasswordRecord& record, SecretText line);
    // At its place, announced and told; gives the index.
    std::size_t Insert(const PasswordRecord& record);
    void SetChanged(bool changed);
    template <typename Event>
    void Tell(Event event);

    RecordStore& store_;
    std::vector<PasswordRecord> records_;
    std::vector<SecretText> lines_;  // one per record, in the same order
    bool changed_ = false;
    bool open_ = false;
    std::vector<BookObserver*> observers_;
};

}  // namespace lockmere
