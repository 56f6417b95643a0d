#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace lockmere::cli {

// A CSV file's text as characters: UTF-8 (a byte-order mark dropped) or,
// when the bytes are not UTF-8, Windows-1252, which every byte is.
struct CsvText {
    std::u32string Text;
    bool Utf8 = true;
};
CsvText DecodeCsvText(std::string_view bytes);

// One row and the line of the file it starts on (1-based).
struct CsvRow {
    std::size_t Line = 0;
    std::vector<std::u32string> Fields;
};

// Reads rows after RFC 4180 with a separator of choice: a field enclosed in
// double quotes holds separators, line breaks and doubled quotes; CR LF, LF
// or CR end a row. Blank rows (nothing but blanks in every field) are
// skipped.
class CsvReader {
public:
    CsvReader(std::u32string_view text, char32_t separator);

    // The next row; nothing at the end, or when a quoted field never ends.
    std::optional<CsvRow> Next();
    // The line where the quoted field that never ends starts.
    std::optional<std::size_t> UnclosedQuote() const { return unclosed_; }

private:
    std::optional<CsvRow> Row();

    std::u32string_view text_;
    char32_t separator_;
    std::size_t at_ = 0;
    std::size_t line_ = 1;
    std::optional<std::size_t> unclosed_;
};

}  // namespace lockmere::cli
