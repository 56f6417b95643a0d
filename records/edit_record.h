#pragma once

#include "records/record_form.h"

namespace lockmere {

// The edit window: filled from EditedRecord, hands the changed line back in
// EditedRecord with DatabaseChanged set. It touches no file.
class EditRecord : public RecordForm {
    Q_OBJECT
public:
    explicit EditRecord(Context& context);

protected:
    void Load() override;
    void SavePasswordData() override;
};

}  // namespace lockmere
