#pragma once

#include <QAbstractListModel>

#include "store/book.h"

namespace lockmere {

// The book as a list shows it: one row per record, its line as text, in
// the book's order. The book announces each change before it makes it, so
// the views hear of a row before it comes or goes.
class BookModel : public QAbstractListModel, private BookObserver {
    Q_OBJECT
public:
    BookModel(Book& book, QObject* parent);
    ~BookModel() override;

    int rowCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;

private:
    void RecordsAboutToReset() override;
    void RecordsReset() override;
    void RecordAboutToBeInserted(std::size_t index) override;
    void RecordInserted(std::size_t index) override;
    void RecordAboutToBeRemoved(std::size_t index) override;
    void RecordRemoved(std::size_t index) override;

    Book& book_;
};

}  // namespace lockmere
