#include "records/data_entry.h"

#include "store/file_access.h"
#include "ui/ansi_text.h"
#include "ui/context.h"

namespace lockmere {

namespace {

const QString kNothingSaved =
    QStringLiteral("The record has not been saved; the database on disk has been left as it was.");

QString FailureText(const StoreWriteResult& result) {
    const QString file = QString::fromLatin1(kStoreFileName);
    switch (result.Outcome) {
    case StoreWrite::DecryptFailed:
        return QStringLiteral("ERROR: The database %1 could not be deciphered.").arg(file);
    case StoreWrite::ReadFailed:
        return QStringLiteral("ERROR: The database %1 could not be read (failure code %2).")
            .arg(file)
            .arg(result.Code);
    case StoreWrite::WriteFailed:
        return QStringLiteral("ERROR: The database %1 could not be written (failure code %2).")
            .arg(file)
            .arg(result.Code);
    case StoreWrite::TooLong:
        return QStringLiteral(
            "ERROR: The database is full: with this record it would hold more than 32,766 "
            "characters.\rShorten the record, or delete records you no longer need.");
    case StoreWrite::EncryptFailed:
        return QStringLiteral("ERROR: The record holds a character that cannot be enciphered.");
    case StoreWrite::NotAuthoritative:
    case StoreWrite::Written:
        break;
    }
    return QStringLiteral("ERROR: The record could not be saved.");
}

}  // namespace

DataEntry::DataEntry(Context& context)
    : RecordForm(context, QStringLiteral("Password Data Entry Form")) {}

void DataEntry::Command1_Click() {
    std::optional<PasswordRecord> record = CheckedRecord();
    if (!record) return;

    // Only a record that is on disk joins the book.
    StoreWriteResult result = context().RecordBook.Add(context().State.EncryptionKey, *record);
    if (result.Outcome != StoreWrite::Written) {
        ReportFailure(result);
        return;
    }
    Unload();
}

void DataEntry::ReportFailure(const StoreWriteResult& result) {
    if (result.Outcome == StoreWrite::DecryptFailed)
        context().Boxes.Show(FromAnsi(DecryptFailureText(result.Deciphered)), kCipherMessageTitle,
                             MsgButtons::Ok, MsgIcon::None);
    ShowError(FailureText(result) + QLatin1Char('\r') + kNothingSaved);
}

}  // namespace lockmere
