#include "app/book_model.h"

#include "ui/ansi_text.h"

namespace lockmere {

BookModel::BookModel(Book& book, QObject* parent) : QAbstractListModel(parent), book_(book) {
    book_.Watch(this);
}

BookModel::~BookModel() { book_.Unwatch(this); }

int BookModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(book_.Records().size());
}

QVariant BookModel::data(const QModelIndex& index, int role) const {
    if (role != Qt::DisplayRole || !checkIndex(index, CheckIndexOption::IndexIsValid)) return {};
    return FromAnsi(book_.Line(static_cast<std::size_t>(index.row())));
}

void BookModel::RecordsAboutToReset() { beginResetModel(); }

void BookModel::RecordsReset() { endResetModel(); }

void BookModel::RecordAboutToBeInserted(std::size_t index) {
    const int row = static_cast<int>(index);
    beginInsertRows({}, row, row);
}

void BookModel::RecordInserted(std::size_t) { endInsertRows(); }

void BookModel::RecordAboutToBeRemoved(std::size_t index) {
    const int row = static_cast<int>(index);
    beginRemoveRows({}, row, row);
}

void BookModel::RecordRemoved(std::size_t) { endRemoveRows(); }

}  // namespace lockmere
