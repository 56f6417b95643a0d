#pragma once

#include "records/record_form.h"

namespace lockmere {

struct StoreWriteResult;

// The add window: adds one record to the book, which appends it to the
// store's end; it stays open, the record kept, when that fails.
class DataEntry : public RecordForm {
    Q_OBJECT
public:
    explicit DataEntry(Context& context);

protected:
    void Command1_Click() override;

private:
    void ReportFailure(const StoreWriteResult& result);
};

}  // namespace lockmere
