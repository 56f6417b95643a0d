#include "records/record_commands.h"

#include "records/big_char.h"
#include "records/data_entry.h"
#include "records/edit_record.h"
#include "ui/context.h"

namespace lockmere {

void OpenRecordViewer(Context& context, const std::optional<std::string>& line, int offsetTwips) {
    if (BigChar* open = context.Windows.Find<BigChar>()) {
        // Never the old record under the new one's name: its password
        // would be copied for the wrong site.
        if (line)
            open->ShowLine(*line);
        else
            open->ShowModeless();
        return;
    }
    const auto offset = static_cast<std::int16_t>(offsetTwips);
    context.Windows
        .Open<BigChar>(context, line.value_or(std::string()), ViewerPlacement{offset, offset})
        ->ShowModeless();
}

void AddRecordCommand(Context& context) {
    DataEntry* window = context.Windows.Open<DataEntry>(context);
    // The first start's add window stays when the book locks; this one goes.
    window->SetClosesOnLock(true);
    window->ShowModal();
}

bool EditRecordCommand(Context& context, std::size_t index) {
    const std::optional<PasswordRecord> edited =
        EditRecord::Edit(context, context.RecordBook.Records().at(index));
    if (!edited) return false;
    context.RecordBook.Replace(index, *edited);
    return true;
}

bool ConfirmDelete(Context& context) {
    return context.Boxes.Show(QStringLiteral("WARNING: You have selected a record for deletion!\r"
                                             "Do you really want to DELETE this record?"),
                              kMessageCenterTitle, MsgButtons::YesNo,
                              MsgIcon::None) == MsgAnswer::Yes;
}

}  // namespace lockmere
