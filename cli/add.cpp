#include <iostream>

#include "cli/commands.h"
#include "cli/exit_codes.h"
#include "cli/generate.h"
#include "cli/locked_append.h"
#include "cli/open_book.h"
#include "cli/report.h"
#include "store/ansi_codec.h"
#include "store/record_entry.h"

namespace lockmere::cli {

namespace {

constexpr AppendWords kAddWords{"nothing was added", "while the answers were typed",
                                "add the record again"};

// The first of the two password boxes, which --generate does not ask.
constexpr std::size_t kPasswordBox = 3;

// Lines as the tool prints them; the windows join them with CR alone.
std::string PlainLines(const std::vector<std::string>& lines) {
    std::string text;
    for (const std::string& line : lines) text += (text.empty() ? "" : "\n") + line;
    return text;
}

}  // namespace

int RunAdd(Session& session, bool generate) {
    // Told before anything is typed; the lock is held only for the write.
    if (const int code = RefuseWhileInUse(session.Folder, kAddWords); code != kDone) return code;
    OpenedBook book(session.Folder);
    if (const int code = OpenBook(session, book); code != kDone) return code;

    std::array<std::u32string, kEntryBoxes> typed;
    const std::size_t asked = generate ? kPasswordBox : kEntryBoxes;
    for (std::size_t i = 0; i < asked; ++i) {
        const std::string box(kEntryBoxNames[i]);
        const bool secret = i >= kPasswordBox;
        const std::optional<std::string> answer = session.Input.Ask(box + ": ", secret);
        if (!answer)
            return Fail(kRefused, "ERROR: The input ended before " + box + ". Nothing was saved.");
        std::optional<std::u32string> text = Utf8ToCodePoints(*answer);
        if (!text)
            return Fail(kRefused, "ERROR: " + box + " is not UTF-8 text. Nothing was saved.");
        typed[i] = std::move(*text);
    }
    if (generate) {
        const std::optional<std::string> password = GeneratePassword(kLongestGenerated);
        if (!password)
            return Fail(kFileTrouble,
                        "ERROR: The system's random source gave no random bytes. Nothing was "
                        "saved.");
        typed[kPasswordBox] = typed[kPasswordBox + 1] =
            std::u32string(password->begin(), password->end());
    }
    const EntryCheck check =
        CheckTypedRecord({typed[0], typed[1], typed[2], typed[3], typed[4]}, true);
    if (!check.Ok()) return Fail(kRefused, EntryMessage(check));

    StoreWriteResult result;
    if (const int code = AppendLocked(session.Folder, book, {check.Record}, kAddWords, result);
        code != kDone)
        return code;
    if (result.Outcome != StoreWrite::Written)
        return Fail(AppendFailureCode(result), PlainLines(AppendFailureLines(result)));
    std::cout << "Added \"" << ShownText(check.Record.ApplicationName) << "\".\n";
    if (generate) std::cout << check.Record.Password << '\n';
    return kDone;
}

}  // namespace lockmere::cli
