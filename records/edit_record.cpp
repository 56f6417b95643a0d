#include "records/edit_record.h"

#include "ui/context.h"

namespace lockmere {

EditRecord::EditRecord(Context& context)
    : RecordForm(context, QStringLiteral("Password Data Edit Form")) {
    SetClosesOnLock(true);
}

std::optional<PasswordRecord> EditRecord::Edit(Context& context, const PasswordRecord& record) {
    std::optional<PasswordRecord> saved;
    EditRecord* window = context.Windows.Open<EditRecord>(context);
    window->record_ = record;
    connect(window, &EditRecord::Saved, window, [&saved](const PasswordRecord& r) { saved = r; });
    window->ShowModal();
    return saved;
}

void EditRecord::Load() {
    RecordForm::Load();
    Fill(record_);
}

void EditRecord::Command1_Click() {
    std::optional<PasswordRecord> record = CheckedRecord();
    if (!record) return;
    emit Saved(*record);
    Unload();
}

}  // namespace lockmere
