#pragma once

#include "records/record_form.h"

namespace lockmere {

struct StoreWriteResult;

// The add window: appends one record to the store and leaves its line in
// NewRecord for whoever opened it.
class DataEntry : public RecordForm {
    Q_OBJECT
public:
    explicit DataEntry(Context& context);

protected:
    void SavePasswordData() override;

private:
    void ReportFailure(const StoreWriteResult& result);
};

}  // namespace lockmere
