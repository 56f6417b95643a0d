#include <iostream>
#include <set>
#include <utility>

#include "cli/commands.h"
#include "cli/csv_reader.h"
#include "cli/exit_codes.h"
#include "cli/import_layouts.h"
#include "cli/import_report.h"
#include "cli/import_rows.h"
#include "cli/locked_append.h"
#include "cli/open_book.h"
#include "cli/report.h"
#include "store/ansi_codec.h"
#include "store/book.h"
#include "store/file_access.h"
#include "store/record_entry.h"
#include "store/record_line.h"
#include "store/web_address.h"

namespace lockmere::cli {

namespace {

// No password manager's export comes near it; the store holds 32 KiB.
constexpr std::size_t kLargestImport = 16 * 1024 * 1024;
constexpr std::size_t kShownNameLength = 50;
// A store holds a few thousand records at most; a file of many more rows is
// no export, and its refusals alone would fill the memory.
constexpr std::size_t kMostRows = 100'000;

constexpr AppendWords kImportWords{"nothing was imported", "while the password was typed",
                                   "import the file again"};

struct AcceptedRow {
    std::size_t Line = 0;
    PasswordRecord Record;
    std::vector<std::size_t> Dropped;  // positions of the columns dropped
    bool MoreAddresses = false;
};

// The file read and judged row by row; what needs the book comes later.
struct ReadImport {
    ImportTally Tally;
    HeaderMatch Match;
    std::vector<std::u32string> Header;
    std::vector<AcceptedRow> Accepted;
};

std::string ShownName(std::u32string_view name) {
    const auto first = name.find_first_not_of(U' ');
    if (first == std::u32string_view::npos) return {};
    name = name.substr(first, name.find_last_not_of(U' ') - first + 1);
    if (name.size() <= kShownNameLength) return ShownCharacters(name);
    return ShownCharacters(name.substr(0, kShownNameLength)) + "\xE2\x80\xA6";  // an ellipsis
}

// Records keep whatever address they hold; "N/A" in any case is no address.
bool LaunchesInBrowser(const std::string& address) {
    return FoldedField(address) == FoldedField(kNoAddress) ||
           WebAddress(AnsiToUtf8(address)).has_value();
}

std::string Joined(const std::vector<std::string_view>& names) {
    std::string text;
    for (std::string_view name : names) text += (text.empty() ? "" : ", ") + std::string(name);
    return text;
}

std::string NoLayoutMessage(const std::string& file, const std::optional<std::string>& format) {
    if (format) {
        std::string columns;
        for (const Layout& layout : Layouts())
            if (layout.Name == *format)
                columns += (columns.empty() ? "" : "; or ") + Joined(layout.Columns);
        return "ERROR: The header row of " + file + " does not name the columns of the " + *format +
               " layout (" + columns + "), so nothing was imported.";
    }
    std::string message = "ERROR: The header row of " + file +
                          " matches none of the layouts lockmere-cli reads, so nothing was "
                          "imported. A layout matches when the header names each of its "
                          "columns, in any order and any case:";
    for (const Layout& layout : Layouts()) {
        std::string name(layout.Name);
        name.resize(12, ' ');
        message += "\n  " + name + Joined(layout.Columns);
    }
    return message +
           "\nName the columns of the file so, or give --format NAME to choose among "
           "layouts that match.";
}

std::string ReadFailure(const std::string& file, int code) {
    if (code == failure::kFileNotFound) return "ERROR: " + file + " cannot be found.";
    if (code == failure::kPathNotFound) return "ERROR: The folder of " + file + " cannot be found.";
    return "ERROR: " + file + " could not be read (failure code " + std::to_string(code) + ": " +
           std::string(FailureMeaning(code)) + ").";
}

// Reads and judges every row; the book is not needed for that. Returns
// kDone, or the exit code after the reason was written to standard error.
[[nodiscard]] int ReadFile(const std::filesystem::path& path,
                           const std::optional<std::string>& format, ReadImport& read) {
    const std::string file = PathText(path);
    ReadResult bytes = ReadExistingFile(path, kLargestImport, Links::Follow);
    if (!bytes.Ok()) return Fail(kFileTrouble, ReadFailure(file, bytes.Code));
    if (bytes.Bytes.size() > kLargestImport)
        return Fail(kRefused, "ERROR: " + file +
                                  " is larger than 16 MiB, more than any password export "
                                  "holds, so nothing was imported.");
    const CsvText text = DecodeCsvText(bytes.Bytes);
    std::string().swap(bytes.Bytes);  // decoded: the memory goes back at once

    const auto stopped = [&file](const CsvStop& stop) {
        const std::string line = std::to_string(stop.Line);
        switch (stop.Reason) {
        case CsvStop::Why::UnclosedQuote:
            break;
        case CsvStop::Why::TooManyFields:
            return Fail(kRefused, "ERROR: The row on line " + line + " of " + file +
                                      " has more than " + std::to_string(kMostFields) +
                                      " fields, more than any password export, so nothing "
                                      "was imported.");
        case CsvStop::Why::FieldTooLong:
            return Fail(kRefused, "ERROR: The row on line " + line + " of " + file +
                                      " has a field of more than 65,536 characters, more than "
                                      "any password export, so nothing was imported.");
        }
        return Fail(kRefused, "ERROR: The quoted field that starts on line " + line + " of " +
                                  file + " never ends, so nothing was imported.");
    };
    // The separator is the one with which the header names a layout's columns.
    std::optional<CsvReader> reader;
    for (const char32_t separator : {U',', U';'}) {
        CsvReader candidate(text.Text, separator);
        std::optional<CsvRow> header = candidate.Next();
        if (!header) {
            if (candidate.Stopped()) return stopped(*candidate.Stopped());
            return Fail(kRefused,
                        "ERROR: " + file + " holds no header row, so nothing was imported.");
        }
        if (std::optional<HeaderMatch> match = MatchHeader(header->Fields, format)) {
            read.Match = *match;
            read.Header = std::move(header->Fields);
            read.Tally.Separator = separator;
            reader = candidate;
            break;
        }
    }
    if (!reader) return Fail(kRefused, NoLayoutMessage(file, format));

    ImportTally& tally = read.Tally;
    tally.File = file;
    tally.Layout = read.Match.Which->Name;
    tally.Utf8 = text.Utf8;
    tally.TypedRows = !read.Match.Which->TypeColumn.empty();
    while (const std::optional<CsvRow> row = reader->Next()) {
        if (++tally.Read > kMostRows)
            return Fail(kRefused, "ERROR: " + file +
                                      " holds more than 100,000 rows, more than "
                                      "any password export, so nothing was "
                                      "imported.");
        if (row->Fields.size() != read.Header.size()) {
            // Misaligned: any field may be another's, so no name is shown.
            tally.Refused.push_back(
                {row->Line, {}, FieldCountRefusal(row->Fields.size(), read.Header.size())});
            continue;
        }
        LayoutRow taken = TakeApart(read.Match, *row);
        if (taken.NotALogin) {
            ++tally.NotLogins;
            continue;
        }
        RowCheck check = CheckImportedRow(taken.Fields);
        if (!check.Record) {
            tally.Refused.push_back({row->Line, ShownName(taken.Fields[0]), check.Refusal});
            continue;
        }
        read.Accepted.push_back(
            {row->Line, std::move(*check.Record), std::move(taken.Dropped), taken.MoreAddresses});
    }
    if (const std::optional<CsvStop> stop = reader->Stopped()) return stopped(*stop);
    return kDone;
}

// The accepted rows that are no duplicates, in file order; the values the
// book has no place for counted over them.
std::vector<PasswordRecord> Deduplicated(ReadImport& read, const Book& book, bool keep) {
    std::set<std::pair<std::u32string, std::u32string>> seen;
    const auto key = [](const PasswordRecord& r) {
        return std::pair(FoldedField(r.ApplicationName), FoldedField(r.UserName));
    };
    for (const PasswordRecord& record : book.Records()) seen.insert(key(record));
    std::vector<std::size_t> dropped(read.Header.size());
    std::size_t moreAddresses = 0;
    std::vector<PasswordRecord> records;
    for (const AcceptedRow& row : read.Accepted) {
        if (!seen.insert(key(row.Record)).second && !keep) {
            ++read.Tally.Duplicates;
            continue;
        }
        records.push_back(row.Record);
        if (!LaunchesInBrowser(row.Record.ApplicationUrl))
            read.Tally.NotWeb.push_back({row.Line, ShownText(row.Record.ApplicationName),
                                         ShownText(row.Record.ApplicationUrl)});
        for (const std::size_t column : row.Dropped) ++dropped[column];
        moreAddresses += row.MoreAddresses;
    }
    for (std::size_t column = 0; column < dropped.size(); ++column)
        if (dropped[column] > 0)
            read.Tally.Dropped.push_back({ShownName(read.Header[column]), dropped[column]});
    if (moreAddresses > 0)
        read.Tally.Dropped.push_back(
            {std::string(read.Match.Which->Fields[1]) + " (addresses after the first)",
             moreAddresses});
    return records;
}

std::string WriteFailure(const StoreWriteResult& result) {
    const std::string why =
        result.Outcome == StoreWrite::TooLong
            ? "ERROR: The database is full: with these records it would hold more than 32,766 "
              "characters."
            : AppendFailureLines(result).front();
    return why + "\nNothing was imported; the database on disk has been left as it was.";
}

}  // namespace

int RunImport(Session& session, const Arguments& options) {
    ReadImport read;
    if (const int code = ReadFile(PathFromText(options.CsvFile), options.Format, read);
        code != kDone)
        return code;
    if (!options.DryRun)
        if (const int code = RefuseWhileInUse(session.Folder, kImportWords); code != kDone)
            return code;
    OpenedBook book(session.Folder);
    if (const int code = OpenBook(session, book); code != kDone) return code;

    const std::vector<PasswordRecord> records =
        Deduplicated(read, book.List, options.KeepDuplicates);
    const ImportTally& tally = read.Tally;
    const std::size_t refused = tally.Refused.size();
    const std::size_t fit = RecordsThatFit(book.StoreLength, records);
    const bool blocked = (refused > 0 && !options.SkipRefused) || fit < records.size();
    const std::string nothing =
        options.DryRun ? "so the import would write nothing" : "so nothing was imported";
    if (blocked || records.empty() || options.DryRun) {
        std::cout << ImportReport(tally, blocked ? 0 : records.size(), options.DryRun);
        if (refused > 0 && !options.SkipRefused)
            return Fail(kRefused, "ERROR: " + CountOf(refused, "row") + " of " + tally.File +
                                      (refused == 1 ? " was" : " were") + " refused, " + nothing +
                                      ". Correct the file" +
                                      (records.empty()
                                           ? std::string(".")
                                           : ", or give --skip-refused to import the " +
                                                 CountOf(records.size(), "record") + " accepted."));
        if (fit < records.size())
            return Fail(kRefused, "ERROR: The book has room for " + std::to_string(fit) +
                                      " of the " + CountOf(records.size(), "record") +
                                      " (a store holds at most 32,766 characters), " + nothing +
                                      ".");
        if (records.empty())
            return Fail(kRefused, "ERROR: " + tally.File + " holds no record to import.");
        return kDone;
    }

    StoreWriteResult result;
    if (const int code = AppendLocked(session.Folder, book, records, kImportWords, result);
        code != kDone)
        return code;
    if (result.Outcome != StoreWrite::Written)
        return Fail(AppendFailureCode(result), WriteFailure(result));
    std::cout << ImportReport(tally, records.size(), false);
    std::cout.flush();
    std::cerr << "WARNING: " << tally.File
              << " holds every password it had in plain text. Anyone who can read the file can "
                 "read them: delete it now that its records are in the book (lockmere-cli "
                 "leaves it as it is).\n";
    return kDone;
}

}  // namespace lockmere::cli
