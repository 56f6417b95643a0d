#pragma once

// A list view's rows as a test reads and chooses them.

#include <QAbstractItemModel>
#include <QItemSelectionModel>
#include <QListView>
#include <QTest>

namespace lockmere::testing {

inline int RowCount(const QListView* list) { return list->model()->rowCount(); }

inline QString RowText(const QListView* list, int row) {
    return list->model()->index(row, 0).data().toString();
}

inline int CurrentRow(const QListView* list) { return list->currentIndex().row(); }

// As a program's single-selection list does it: the row current and alone
// selected; -1 chooses none.
inline void SetCurrentRow(QListView* list, int row) {
    list->selectionModel()->setCurrentIndex(list->model()->index(row, 0),
                                            QItemSelectionModel::ClearAndSelect);
}

inline bool RowSelected(const QListView* list, int row) {
    return list->selectionModel()->isRowSelected(row);
}

inline QPoint RowCentre(const QListView* list, int row) {
    return list->visualRect(list->model()->index(row, 0)).center();
}

// As a user does it: the first click makes the line current.
inline void DoubleClick(QListView* list, int row) {
    const QPoint at = RowCentre(list, row);
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, at);
    QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, at);
    QTest::mouseRelease(list->viewport(), Qt::LeftButton, {}, at);
}

}  // namespace lockmere::testing
