// The main window's record commands: opening a line in the viewer, and the
// Edit menu's add, edit and delete.
#include <QListWidget>

#include "app/main_screen.h"
#include "records/big_char.h"
#include "records/data_entry.h"
#include "records/edit_record.h"
#include "ui/context.h"

namespace lockmere {

namespace {

// The list would hand the removed line's selection on to its neighbour, and
// a command that goes on looking for selected lines would then edit or
// delete a record the user never chose.
void RemoveLine(QListWidget* list, int index) {
    delete list->takeItem(index);
    list->setCurrentRow(-1);
    list->clearSelection();
}

}  // namespace

void MainScreen::OpenCurrentLine(int offsetTwips) {
    AppState& state = context().State;
    state.ViewerOffset.Vertical = static_cast<std::int16_t>(offsetTwips);
    state.ViewerOffset.Horizontal = static_cast<std::int16_t>(offsetTwips);

    // The collapsed state of the show/hide toggle, without running it.
    SetCollapsed(true);

    const int current = List1->currentRow();
    state.SelectedRecord = current >= 0 ? ListLine(current) : std::string();
    // An open viewer only comes forward and keeps its record.
    context().Windows.Open<BigChar>(context())->ShowModeless();
}

void MainScreen::AddNewEntryCommand() {
    AppState& state = context().State;
    state.EditedRecord.clear();
    state.EditMode = false;
    // A line left by the first-start add is already in the store and the list.
    state.NewRecord.clear();
    context().Windows.Open<DataEntry>(context())->ShowModal();
    if (!state.NewRecord.empty()) {
        AddListLine(state.NewRecord);
        state.NewRecord.clear();
    }
}

void MainScreen::EditDataCommand() {
    AppState& state = context().State;
    const int count = List1->count();
    for (int index = 0; index < count; ++index) {
        QListWidgetItem* item = List1->item(index);
        if (item == nullptr || !item->isSelected()) continue;
        List1->setCurrentRow(index);
        state.EditedRecord = ListLine(index);
        state.EditMode = true;
        context().Windows.Open<EditRecord>(context())->ShowModal();
        if (!state.DatabaseChanged) return;
        if (!state.EditedRecord.empty()) {
            RemoveLine(List1, index);
            AddListLine(state.EditedRecord);
            state.EditMode = false;
            DeleteRecord->setEnabled(false);
            AddNewEntry->setEnabled(false);
            EditData->setEnabled(false);
            SaveData->setEnabled(true);
            SaveDatabase();
        }
    }
}

void MainScreen::DeleteRecordCommand() {
    AppState& state = context().State;
    bool anySelected = false;
    for (int index = 0; index < List1->count(); ++index)
        anySelected = anySelected || List1->item(index)->isSelected();

    if (anySelected) {
        const MsgAnswer answer = context().Boxes.Show(
            QStringLiteral("WARNING: You have selected a record for deletion!\r"
                           "Do you really want to DELETE this record?"),
            kMessageCenterTitle, MsgButtons::YesNo, MsgIcon::None);
        if (answer != MsgAnswer::Yes) return;
    }
    int index = 0;
    while (index < List1->count()) {
        if (List1->item(index)->isSelected()) {
            RemoveLine(List1, index);
            SaveData->setEnabled(true);
            state.DatabaseChanged = true;
            ExitProgram->setEnabled(false);
            index = 0;
        } else {
            ++index;
        }
    }
    // Runs also when nothing was selected; the save refuses a list that is
    // not the store's complete copy.
    SaveDatabase();
}

}  // namespace lockmere
