#include "store/book.h"

#include <algorithm>

#include "store/ansi_codec.h"
#include "store/secret_text.h"

namespace lockmere {

namespace {

// Simple case folding of the code page's characters: the toolkit's
// case-insensitive compare folds the same way, and the list has always been
// sorted by it.
char32_t FoldedCharacter(char32_t c) {
    if ((c >= U'A' && c <= U'Z') || (c >= 0xC0 && c <= 0xDE && c != 0xD7)) return c + 0x20;
    switch (c) {
    case 0x00B5:
        return 0x03BC;  // micro sign folds to Greek mu
    case 0x0152:
        return 0x0153;  // OE
    case 0x0160:
        return 0x0161;  // S caron
    case 0x0178:
        return 0x00FF;  // Y diaeresis
    case 0x017D:
        return 0x017E;  // Z caron
    default:
        return c;
    }
}

char32_t Folded(char byte) { return FoldedCharacter(CodePointOfAnsi(byte)); }

bool SortsBefore(std::string_view a, std::string_view b) {
    return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(),
                                        [](char x, char y) { return Folded(x) < Folded(y); });
}

}  // namespace

std::u32string FoldedCase(std::u32string_view text) {
    std::u32string folded;
    folded.reserve(text.size());
    for (const char32_t c : text) folded.push_back(FoldedCharacter(c));
    return folded;
}

std::u32string FoldedField(std::string_view ansi) {
    std::u32string folded;
    folded.reserve(ansi.size());
    for (const char byte : ansi) folded.push_back(Folded(byte));
    return folded;
}

bool RecordContains(const PasswordRecord& record, std::u32string_view foldedText) {
    for (const std::string* field :
         {&record.ApplicationName, &record.ApplicationUrl, &record.UserName})
        if (FoldedField(*field).find(foldedText) != std::u32string::npos) return true;
    return false;
}

Book::Book(RecordStore& store) : store_(store) {}

void Book::Watch(BookObserver* observer) { observers_.push_back(observer); }

void Book::Unwatch(BookObserver* observer) { std::erase(observers_, observer); }

template <typename Event>
void Book::Tell(Event event) {
    // A copy: an observer may stop watching while it is told.
    const std::vector<BookObserver*> observers = observers_;
    for (BookObserver* observer : observers) event(*observer);
}

LoadResult Book::Load(std::string_view key) {
    LoadResult loaded = store_.Load(key);
    Tell([](BookObserver& o) { o.RecordsAboutToReset(); });
    records_.clear();
    lines_.clear();
    open_ = true;
    for (const std::string& line : loaded.Lines) Put(PlaceOf(line), SplitRecordLine(line), line);
    Tell([](BookObserver& o) { o.RecordsReset(); });
    return loaded;
}

std::size_t Book::PlaceOf(const std::string& line) const {
    // After every line it does not sort before, so equal lines keep the
    // order they came in.
    const auto at = std::upper_bound(lines_.begin(), lines_.end(), line, SortsBefore);
    return static_cast<std::size_t>(at - lines_.begin());
}

void Book::Put(std::size_t index, const PasswordRecord& record, SecretText line) {
    const auto offset = static_cast<std::ptrdiff_t>(index);
    lines_.insert(lines_.begin() + offset, std::move(line));
    records_.insert(records_.begin() + offset, record);
}

std::size_t Book::Insert(const PasswordRecord& record) {
    SecretText line = ComposeRecordLine(record);
    const std::size_t index = PlaceOf(line);
    Tell([index](BookObserver& o) { o.RecordAboutToBeInserted(index); });
    Put(index, record, std::move(line));
    Tell([index](BookObserver& o) { o.RecordInserted(index); });
    return index;
}

StoreWriteResult Book::Add(std::string_view key, const PasswordRecord& record) {
    StoreWriteResult result = store_.Append(key, record);
    if (result.Outcome == StoreWrite::Written && open_) Insert(record);
    return result;
}

std::size_t Book::Replace(std::size_t index, const PasswordRecord& record) {
    Remove(index);
    return Insert(record);
}

void Book::Remove(std::size_t index) {
    Tell([index](BookObserver& o) { o.RecordAboutToBeRemoved(index); });
    records_.erase(records_.begin() + static_cast<std::ptrdiff_t>(index));
    lines_.erase(lines_.begin() + static_cast<std::ptrdiff_t>(index));
    Tell([index](BookObserver& o) { o.RecordRemoved(index); });
    SetChanged(true);
}

StoreWriteResult Book::Save(std::string_view key) {
    std::vector<SecretText> lines;
    lines.reserve(records_.size());
    for (const PasswordRecord& record : records_) lines.push_back(ComposeRecordLine(record));
    StoreWriteResult result = store_.Save(key, lines);
    if (result.Outcome == StoreWrite::Written) SetChanged(false);
    return result;
}

void Book::Forget() { store_.Forget(); }

void Book::Close() {
    Tell([](BookObserver& o) { o.RecordsAboutToReset(); });
    // Each field and line wipes itself as it goes.
    records_.clear();
    lines_.clear();
    open_ = false;
    store_.Forget();
    Tell([](BookObserver& o) { o.RecordsReset(); });
}

void Book::SetChanged(bool changed) {
    if (changed == changed_) return;
    changed_ = changed;
    Tell([changed](BookObserver& o) { o.ChangedFlagChanged(changed); });
}

}  // namespace lockmere
