#include "records/edit_record.h"

#include "ui/context.h"

namespace lockmere {

EditRecord::EditRecord(Context& context) : RecordForm(context) {}

void EditRecord::Load() {
    RecordForm::Load();
    Fill(SplitRecordLine(context().State.EditedRecord));
}

void EditRecord::SavePasswordData() {
    std::optional<PasswordRecord> record = CheckedRecord();
    if (!record) return;
    context().State.EditedRecord = ComposeRecordLine(*record);
    context().State.DatabaseChanged = true;
    Unload();
}

}  // namespace lockmere
