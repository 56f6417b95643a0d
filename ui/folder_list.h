#pragma once

#include <QTreeWidget>

namespace lockmere {

// One folder path as a tree: the current folder's ancestors from the root,
// the current folder, and its sub-folders. A double-click or Enter on an
// entry opens it. Starts at the process's current folder.
class FolderList : public QTreeWidget {
    Q_OBJECT
public:
    explicit FolderList(QWidget* parent = nullptr);

    // The current folder as the system writes it: "C:\Backup" on Windows.
    QString Path() const;
    // Opens a folder. Returns 0, or the failure code when the folder is not
    // there (76) or cannot be listed (75); the list then stays where it was.
    // Emits PathChanged when the current folder changes.
    int SetPath(const QString& folder);
    // Re-reads the sub-folders of the current folder.
    void Refresh();

signals:
    void PathChanged();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    // The path is always shown whole: no expand or collapse marks.
    void drawBranches(QPainter* painter, const QRect& rect,
                      const QModelIndex& index) const override;

private:
    void OpenItem(QTreeWidgetItem* item);

    QString path_;
};

}  // namespace lockmere
