#include "records/data_entry.h"

#include <QStringList>

#include "store/record_entry.h"
#include "ui/ansi_text.h"
#include "ui/context.h"

namespace lockmere {

DataEntry::DataEntry(Context& context)
    : RecordForm(context, QStringLiteral("Password Data Entry Form")) {}

void DataEntry::Command1_Click() {
    std::optional<PasswordRecord> record = CheckedRecord();
    if (!record) return;

    // Only a record that is on disk joins the book.
    StoreWriteResult result = context().RecordBook.Add(context().EncryptionKey, *record);
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
    QStringList lines;
    for (const std::string& line : AppendFailureLines(result))
        lines << QString::fromStdString(line);
    ShowExclamation(context().Boxes, MessageLines(lines));
}

}  // namespace lockmere
