#include "cli/csv_reader.h"

#include <algorithm>

#include "store/ansi_codec.h"

namespace lockmere::cli {

namespace {

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

bool IsBlank(const std::u32string& field) {
    return std::all_of(field.begin(), field.end(),
                       [](char32_t c) { return c == U' ' || c == U'\t'; });
}

}  // namespace

CsvText DecodeCsvText(std::string_view bytes) {
    if (bytes.starts_with(kByteOrderMark)) bytes.remove_prefix(kByteOrderMark.size());
    if (std::optional<std::u32string> utf8 = Utf8ToCodePoints(bytes))
        return {std::move(*utf8), true};
    CsvText text{{}, false};
    text.Text.reserve(bytes.size());
    for (const char byte : bytes) text.Text.push_back(CodePointOfAnsi(byte));
    return text;
}

CsvReader::CsvReader(std::u32string_view text, char32_t separator)
    : text_(text), separator_(separator) {}

std::optional<CsvRow> CsvReader::Next() {
    while (at_ < text_.size() && !stopped_) {
        std::optional<CsvRow> row = Row();
        if (row && !std::all_of(row->Fields.begin(), row->Fields.end(), IsBlank)) return row;
    }
    return std::nullopt;
}

std::optional<CsvRow> CsvReader::Row() {
    CsvRow row{line_, {{}}};
    bool quoted = false;     // inside a quoted field
    bool fieldStart = true;  // no character of the field read yet
    std::size_t quoteLine = 0;
    const auto stop = [this](CsvStop::Why why, std::size_t line) {
        stopped_ = CsvStop{why, line};
        return std::nullopt;
    };
    while (at_ < text_.size()) {
        const char32_t c = text_[at_++];
        std::u32string& field = row.Fields.back();
        if (field.size() > kLongestField) return stop(CsvStop::Why::FieldTooLong, row.Line);
        if (quoted) {
            if (c == U'"') {
                if (at_ < text_.size() && text_[at_] == U'"') {
                    field.push_back(U'"');
                    ++at_;
                } else {
                    quoted = false;
                }
                continue;
            }
            // A line break inside quotes stays in the field (and counts as a line).
            if (c == U'\n' || (c == U'\r' && (at_ == text_.size() || text_[at_] != U'\n'))) ++line_;
            field.push_back(c);
            continue;
        }
        if (c == U'"' && fieldStart) {
            quoted = true;
            fieldStart = false;
            quoteLine = line_;
            continue;
        }
        if (c == separator_) {
            if (row.Fields.size() == kMostFields)
                return stop(CsvStop::Why::TooManyFields, row.Line);
            row.Fields.emplace_back();
            fieldStart = true;
            continue;
        }
        if (c == U'\r' || c == U'\n') {
            if (c == U'\r' && at_ < text_.size() && text_[at_] == U'\n') ++at_;
            ++line_;
            return row;
        }
        // Text after a closing quote, or a quote inside an unquoted field,
        // is kept as it stands.
        field.push_back(c);
        fieldStart = false;
    }
    if (quoted) return stop(CsvStop::Why::UnclosedQuote, quoteLine);
    if (row.Fields.back().size() > kLongestField) return stop(CsvStop::Why::FieldTooLong, row.Line);
    return row;
}

}  // namespace lockmere::cli
