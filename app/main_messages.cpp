#include "app/main_messages.h"

#include "store/file_access.h"
#include "ui/services.h"

namespace lockmere {

QString KeyFileUnreadableText(int code) {
    return QStringLiteral("ERROR: The key file %1 could not be read (failure code %2).")
        .arg(QString::fromLatin1(kKeyFileName))
        .arg(code);
}

QString StoreUnreadableText(int code) {
    return QStringLiteral("ERROR: The database %1 could not be read (failure code %2).")
        .arg(QString::fromLatin1(kStoreFileName))
        .arg(code);
}

QString LoginOutcomeText(const LoginCheck& check) {
    switch (check.Outcome) {
    case LoginOutcome::Match:
        return {};
    case LoginOutcome::NoMatch:
        return QStringLiteral("ERROR: Password Not Matched!");
    case LoginOutcome::NoMasterAccount:
        return QStringLiteral(
            "No master account has been created yet. Close Lockmere and "
            "start it again to create one.");
    case LoginOutcome::Damaged:
        return MessageLines({QStringLiteral("ERROR: The key file %1 is damaged: it holds no "
                                            "complete master account.")
                                 .arg(QString::fromLatin1(kKeyFileName)),
                             QStringLiteral("Restore the data files from a backup, then start "
                                            "Lockmere again.")});
    case LoginOutcome::ReadFailed:
        return KeyFileUnreadableText(check.Code);
    }
    return {};
}

QString SaveOutcomeText(const StoreWriteResult& result) {
    QString reason;
    switch (result.Outcome) {
    case StoreWrite::Written:
        return MessageLines({QStringLiteral("The database has been saved!"),
                             QStringLiteral("It is now OK to add a new entry into"),
                             QStringLiteral("the database!")});
    case StoreWrite::NotAuthoritative:
        reason = QStringLiteral(
            "The list does not hold the whole database: it could not be read "
            "completely at login, or the data files have been restored "
            "since. Log in again to reload it.");
        break;
    case StoreWrite::TooLong:
        reason = QStringLiteral(
            "It would be longer than 32,766 characters. Delete a record or "
            "shorten some fields, then save again.");
        break;
    case StoreWrite::EncryptFailed:
        reason = QStringLiteral(
            "A record holds a character that cannot be enciphered at its "
            "place. Edit that record and replace the character, then save "
            "again.");
        break;
    default:
        reason = QStringLiteral("The file %1 could not be written (failure code %2).")
                     .arg(QString::fromLatin1(kStoreFileName))
                     .arg(result.Code);
        break;
    }
    return MessageLines({QStringLiteral("ERROR: The database has not been saved!"), reason,
                         QStringLiteral("The database on disk has been left as it was.")});
}

}  // namespace lockmere
