#include "cli/import_report.h"

#include <algorithm>
#include <functional>
#include <map>

namespace lockmere::cli {

namespace {

// "Rows read:" and the like, padded so that the counts line up.
std::string Count(std::string_view label, std::size_t n) {
    std::string line(label);
    line.resize(std::max<std::size_t>(line.size() + 1, 24), ' ');
    return line + std::to_string(n) + "\n";
}

}  // namespace

std::string ImportReport(const ImportTally& tally, std::size_t imported, bool dryRun) {
    std::string report = "Import of " + tally.File + ": layout " + std::string(tally.Layout) +
                         ", " + (tally.Utf8 ? "UTF-8" : "Windows-1252") + ", separated by " +
                         (tally.Separator == U',' ? "commas" : "semicolons") + ".\n";
    report += Count("Rows read:", tally.Read);
    report += Count(dryRun ? "Would be imported:" : "Imported:", imported);
    report += Count("Skipped as duplicates:", tally.Duplicates);
    if (tally.TypedRows) report += Count("Skipped, not logins:", tally.NotLogins);
    report += Count("Refused:", tally.Refused.size());
    for (const RefusedRow& row : tally.Refused)
        report += "  line " + std::to_string(row.Line) +
                  (row.Name.empty() ? "" : ", \"" + row.Name + "\"") + ": " + row.Why.Detail + "\n";
    if (!tally.Refused.empty()) {
        // Most often first; equal counts in the order of the names.
        std::map<std::string, std::size_t> reasons;
        for (const RefusedRow& row : tally.Refused) ++reasons[row.Why.Reason];
        std::multimap<std::size_t, std::string, std::greater<>> byCount;
        for (const auto& [reason, n] : reasons) byCount.emplace(n, reason);
        report += "Refusals by reason:\n";
        for (const auto& [n, reason] : byCount)
            report += "  " + std::to_string(n) + "  " + reason + "\n";
    }
    if (!tally.Dropped.empty()) {
        report += "Dropped (the book has no place for them):\n";
        for (const DroppedColumn& column : tally.Dropped)
            report += "  " + column.Column + ": " + std::to_string(column.Values) +
                      (column.Values == 1 ? " value\n" : " values\n");
    }
    if (!tally.NotWeb.empty()) {
        report += "Warnings: not web addresses, which Launch Browser will not open:\n";
        for (const NotWebRow& row : tally.NotWeb)
            report += "  line " + std::to_string(row.Line) + ", \"" + row.Name +
                      "\": " + row.Address + "\n";
    }
    return report;
}

}  // namespace lockmere::cli
