#include "ui/folder_list.h"

#include <QDir>
#include <QFileInfo>
#include <QHeaderView>
#include <QKeyEvent>
#include <QStyle>

#include "store/file_access.h"

namespace lockmere {

namespace {

constexpr int kPathRole = Qt::UserRole;

// "/", "/a", "/a/b" for "/a/b".
QStringList AncestorsAndSelf(const QString& path) {
    QStringList chain;
    for (QDir dir(path);;) {
        chain.prepend(dir.absolutePath());
        if (dir.isRoot() || !dir.cdUp()) break;
    }
    return chain;
}

QTreeWidgetItem* MakeItem(const QString& path, const QString& text, const QIcon& icon) {
    auto* item = new QTreeWidgetItem(QStringList{text});
    item->setData(0, kPathRole, path);
    item->setIcon(0, icon);
    return item;
}

}  // namespace

FolderList::FolderList(QWidget* parent) : QTreeWidget(parent) {
    setHeaderHidden(true);
    setRootIsDecorated(false);
    setItemsExpandable(false);
    setExpandsOnDoubleClick(false);
    setIndentation(12);
    connect(this, &QTreeWidget::itemDoubleClicked, this,
            [this](QTreeWidgetItem* item) { OpenItem(item); });
    path_ = QDir::cleanPath(QDir::currentPath());
    Refresh();
}

QString FolderList::Path() const { return QDir::toNativeSeparators(path_); }

int FolderList::SetPath(const QString& folder) {
    const QFileInfo info(folder);
    if (!info.exists() || !info.isDir()) return failure::kPathNotFound;
    if (!info.isReadable() || !info.isExecutable()) return failure::kPathFileAccess;
    const QString clean = QDir::cleanPath(info.absoluteFilePath());
    if (clean == path_) return failure::kNone;
    path_ = clean;
    Refresh();
    emit PathChanged();
    return failure::kNone;
}

void FolderList::Refresh() {
    clear();
    const QIcon open = style()->standardIcon(QStyle::SP_DirOpenIcon);
    const QIcon closed = style()->standardIcon(QStyle::SP_DirClosedIcon);
    QTreeWidgetItem* parent = nullptr;
    for (const QString& folder : AncestorsAndSelf(path_)) {
        const QString name =
            QDir(folder).isRoot() ? QDir::toNativeSeparators(folder) : QFileInfo(folder).fileName();
        auto* item = MakeItem(folder, name, open);
        if (parent)
            parent->addChild(item);
        else
            addTopLevelItem(item);
        parent = item;
    }
    const QDir current(path_);
    for (const QString& name :
         current.entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name | QDir::IgnoreCase)) {
        parent->addChild(MakeItem(current.filePath(name), name, closed));
    }
    expandAll();
    setCurrentItem(parent);
}

void FolderList::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        OpenItem(currentItem());
        return;
    }
    QTreeWidget::keyPressEvent(event);
}

// Not a style sheet: a widget with one no longer draws in its window's font.
void FolderList::drawBranches(QPainter*, const QRect&, const QModelIndex&) const {}

void FolderList::OpenItem(QTreeWidgetItem* item) {
    if (!item) return;
    // A folder removed since the list was read is simply dropped.
    if (SetPath(item->data(0, kPathRole).toString()) != failure::kNone) Refresh();
}

}  // namespace lockmere
