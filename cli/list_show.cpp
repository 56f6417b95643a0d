#include <array>
#include <iostream>

#include "cli/commands.h"
#include "cli/exit_codes.h"
#include "cli/open_book.h"
#include "cli/report.h"
#include "store/ansi_codec.h"
#include "store/record_entry.h"

namespace lockmere::cli {

int RunList(Session& session) {
    OpenedBook book(session.Folder);
    if (const int code = OpenBook(session, book); code != kDone) return code;
    for (const PasswordRecord& record : book.List.Records())
        std::cout << ShownText(record.ApplicationName) << '\n';
    return kDone;
}

int RunShow(Session& session, std::string_view name, bool showPassword) {
    // Asked before the password: a name no record can hold needs no login.
    const AnsiText wanted = Utf8ToAnsi(name);
    if (wanted.InvalidUtf8) return Fail(kRefused, "ERROR: NAME is not UTF-8 text.");
    if (!wanted.Ok())
        return Fail(kRefused, "ERROR: " + DescribeCharacter(wanted.Refused) +
                                  " has no Windows-1252 code, so no Application Name holds it.");

    OpenedBook book(session.Folder);
    if (const int code = OpenBook(session, book); code != kDone) return code;
    std::size_t shown = 0;
    for (const PasswordRecord& record : book.List.Records()) {
        if (record.ApplicationName != wanted.Bytes) continue;
        if (shown++ > 0) std::cout << '\n';
        std::cout << "Application Name: " << ShownText(record.ApplicationName) << '\n'
                  << "Application URL:  " << ShownText(record.ApplicationUrl) << '\n'
                  << "User Name:        " << ShownText(record.UserName) << '\n';
        if (showPassword) std::cout << "Password:         " << ShownText(record.Password) << '\n';
    }
    if (shown == 0)
        return Fail(kRefused, "ERROR: No record has the Application Name \"" +
                                  ShownText(wanted.Bytes) + "\".");
    return kDone;
}

}  // namespace lockmere::cli
