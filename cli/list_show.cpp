#include <iostream>

#include "cli/commands.h"
#include "cli/exit_codes.h"
#include "cli/json.h"
#include "cli/open_book.h"
#include "cli/report.h"
#include "store/ansi_codec.h"
#include "store/book.h"
#include "store/record_entry.h"

namespace lockmere::cli {

namespace {

// The records as list prints them: their names, one a line, or JSON.
void PrintRecords(const std::vector<const PasswordRecord*>& records, bool json) {
    if (!json) {
        for (const PasswordRecord* record : records)
            std::cout << ShownText(record->ApplicationName) << '\n';
        return;
    }
    std::vector<std::string> objects;
    for (const PasswordRecord* record : records) objects.push_back(JsonRecord(*record, false));
    std::cout << JsonArray(objects);
}

// The fields in the order of the add window's boxes.
std::string FieldName(Field field) {
    return std::string(kEntryBoxNames[static_cast<std::size_t>(field)]);
}

const std::string& FieldOf(const PasswordRecord& record, Field field) {
    switch (field) {
    case Field::Name:
        return record.ApplicationName;
    case Field::Url:
        return record.ApplicationUrl;
    case Field::UserName:
        return record.UserName;
    case Field::Password:
        break;
    }
    return record.Password;
}

// The message for a name no record has exactly, and the record's name that
// differs from it in case alone, if one does.
[[nodiscard]] int NoRecordNamed(const OpenedBook& book, const std::string& wanted) {
    std::string message =
        "ERROR: No record has the Application Name \"" + ShownText(wanted) + "\".";
    const std::u32string folded = FoldedField(wanted);
    for (const PasswordRecord& record : book.List.Records())
        if (FoldedField(record.ApplicationName) == folded) {
            message += "\nDid you mean \"" + ShownText(record.ApplicationName) + "\"?";
            break;
        }
    return Fail(kRefused, message);
}

}  // namespace

int RunList(Session& session, bool json) {
    OpenedBook book(session.Folder);
    if (const int code = OpenBook(session, book); code != kDone) return code;
    std::vector<const PasswordRecord*> records;
    for (const PasswordRecord& record : book.List.Records()) records.push_back(&record);
    PrintRecords(records, json);
    return kDone;
}

int RunSearch(Session& session, std::string_view text, bool json) {
    const std::optional<std::u32string> wanted = Utf8ToCodePoints(text);
    if (!wanted) return Fail(kRefused, "ERROR: TEXT is not UTF-8 text.");
    OpenedBook book(session.Folder);
    if (const int code = OpenBook(session, book); code != kDone) return code;
    const std::u32string folded = FoldedCase(*wanted);
    std::vector<const PasswordRecord*> found;
    for (const PasswordRecord& record : book.List.Records())
        if (RecordContains(record, folded)) found.push_back(&record);
    if (found.empty())
        return Fail(kRefused,
                    "ERROR: No record's Application Name, Application URL or User "
                    "Name contains \"" +
                        ShownCharacters(*wanted) + "\".");
    PrintRecords(found, json);
    return kDone;
}

int RunShow(Session& session, const Arguments& options) {
    const std::string_view name = options.Name;
    // Asked before the password: a name no record can hold needs no login.
    const AnsiText wanted = Utf8ToAnsi(name);
    if (wanted.InvalidUtf8) return Fail(kRefused, "ERROR: NAME is not UTF-8 text.");
    if (!wanted.Ok())
        return Fail(kRefused, "ERROR: " + DescribeCharacter(wanted.Refused) +
                                  " has no Windows-1252 code, so no Application Name holds it.");

    OpenedBook book(session.Folder);
    if (const int code = OpenBook(session, book); code != kDone) return code;
    std::vector<const PasswordRecord*> named;
    for (const PasswordRecord& record : book.List.Records())
        if (record.ApplicationName == wanted.Bytes) named.push_back(&record);
    if (named.empty()) return NoRecordNamed(book, wanted.Bytes);

    if (options.OneField) {
        if (named.size() > 1)
            return Fail(kRefused, "ERROR: " + CountOf(named.size(), "record") +
                                      " have the Application Name \"" + ShownText(wanted.Bytes) +
                                      "\"; --field takes one. Show them without --field.");
        // A script reads this value as it is: a stand-in would be a wrong
        // password, so a character it cannot write as it is fails instead.
        const std::string& value = FieldOf(*named.front(), *options.OneField);
        if (ShownText(value) != AnsiToUtf8(value))
            return Fail(kFileTrouble, "ERROR: The " + FieldName(*options.OneField) + " of \"" +
                                          ShownText(wanted.Bytes) +
                                          "\" holds a control character, which --field cannot "
                                          "write as it is; nothing was written. Change it in "
                                          "Lockmere's edit window.");
        std::cout << AnsiToUtf8(value) << '\n';
    } else if (options.Json) {
        std::vector<std::string> objects;
        for (const PasswordRecord* record : named)
            objects.push_back(JsonRecord(*record, options.ShowPassword));
        std::cout << JsonArray(objects);
    } else {
        for (std::size_t i = 0; i < named.size(); ++i) {
            const PasswordRecord& record = *named[i];
            if (i > 0) std::cout << '\n';
            std::cout << "Application Name: " << ShownText(record.ApplicationName) << '\n'
                      << "Application URL:  " << ShownText(record.ApplicationUrl) << '\n'
                      << "User Name:        " << ShownText(record.UserName) << '\n';
            if (options.ShowPassword)
                std::cout << "Password:         " << ShownText(record.Password) << '\n';
        }
    }
    return kDone;
}

}  // namespace lockmere::cli
