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

// No password manager's export comes near these; a crafted file that
// passes them is not read on, so that its work stays bounded.
inline constexpr std::size_t kMostFields = 256;       // in a row
inline constexpr std::size_t kLongestField = 65'536;  // characters

// Why reading stopped before the end, and the line where it did.
struct CsvStop {
    enum class Why { UnclosedQuote, TooManyFields, FieldTooLong };
    Why Reason = Why::UnclosedQuote;
    std::size_t Line = 0;  // the quoted field's first line, or the row's
};

// Reads rows after RFC 4180 with a separator of choice: a field enclosed in
// double quotes holds separators, line breaks and doubled quotes; CR LF, LF
// or CR end a row. Blank rows (nothing but blanks in every field) are
// skipped.
class CsvReader {
public:
    CsvReader(std::u32string_view text, char32_t separator);

    // The next row; nothing at the end, or when reading stopped (Stopped).
    std::optional<CsvRow> Next();
    // A quoted field that never ends, a row of more than kMostFields, or a
    // field of more than kLongestField characters stops the reading.
    std::optional<CsvStop> Stopped() const { return stopped_; }

private:
    std::optional<CsvRow> Row();

    std::u32string_view text_;
    char32_t separator_;
    std::size_t at_ = 0;
    std::size_t line_ = 1;
    std::optional<CsvStop> stopped_;
};

}  // namespace lockmere::cli
