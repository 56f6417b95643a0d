#include "cli/open_book.h"

#include "cli/book_files.h"
#include "cli/exit_codes.h"
#include "cli/report.h"
#include "store/file_access.h"
#include "store/key_file.h"
#include "store/record_store.h"
#include "store/secret_text.h"

namespace lockmere::cli {

int OpenBook(Session& session, OpenedBook& book) {
    DataPair files;
    if (const int code = ReadBookFiles(session.Folder, files, FolderRole::Program); code != kDone)
        return code;
    const std::string where = " in " + PathText(session.Folder);
    book.Key = KeyFromCollected(files.KeyFile);

    const std::optional<SecretText> typed = session.Input.Ask("Master password: ", true);
    if (!typed) return Fail(kRefused, "ERROR: No master password was given.");
    const LoginOutcome outcome = JudgeTypedLogin(files.KeyFile, book.Key, *typed).Outcome;
    if (outcome == LoginOutcome::Damaged)
        return Fail(kFileTrouble, "ERROR: The key file " + std::string(kKeyFileName) + where +
                                      " is damaged: it holds no complete master account.");
    if (outcome != LoginOutcome::Match) return Fail(kRefused, "ERROR: Password Not Matched!");

    const LoadResult loaded = book.List.Load(book.Key);
    if (loaded.Code != failure::kNone)
        return Fail(kFileTrouble, ReadFailureText(kStoreFileName, session.Folder, loaded.Code));
    if (!loaded.Deciphered.Ok())
        return Fail(kFileTrouble, "ERROR: The database " + std::string(kStoreFileName) + where +
                                      " could not be deciphered completely: it is damaged, or it "
                                      "is not of the same book as " +
                                      kKeyFileName + ".");
    book.StoreLength = loaded.Deciphered.Output.size();
    return kDone;
}

}  // namespace lockmere::cli
