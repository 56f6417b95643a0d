#pragma once

#include <optional>

#include "records/record_form.h"

namespace lockmere {

// The edit window: filled from one record, hands the changed one back. It
// touches no file.
class EditRecord : public RecordForm {
    Q_OBJECT
public:
    explicit EditRecord(Context& context);

    // Shows the window modally on `record`; the saved record, or nothing
    // when the window was closed without a save.
    static std::optional<PasswordRecord> Edit(Context& context, const PasswordRecord& record);

signals:
    void Saved(const PasswordRecord& record);

protected:
    void Load() override;
    void Command1_Click() override;

private:
    PasswordRecord record_;
};

}  // namespace lockmere
