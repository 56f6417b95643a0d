#include <QDir>
#include <QSignalSpy>
#include <QTest>
#include <filesystem>
#include <fstream>
#include <functional>

#include "store/file_access.h"
#include "tests/support/folder_text.h"
#include "tests/support/temp_folder.h"
#include "ui/folder_list.h"

using namespace lockmere;
using namespace lockmere::testing;
namespace fs = std::filesystem;

namespace {

// The entries in display order as "depth name".
QStringList Entries(const QTreeWidget& tree) {
    QStringList out;
    std::function<void(QTreeWidgetItem*, int)> walk = [&](QTreeWidgetItem* item, int depth) {
        out << QStringLiteral("%1 %2").arg(depth).arg(item->text(0));
        for (int i = 0; i < item->childCount(); ++i) walk(item->child(i), depth + 1);
    };
    for (int i = 0; i < tree.topLevelItemCount(); ++i) walk(tree.topLevelItem(i), 0);
    return out;
}

QTreeWidgetItem* ItemNamed(QTreeWidget& tree, const QString& name) {
    const auto found = tree.findItems(name, Qt::MatchExactly | Qt::MatchRecursive);
    return found.size() == 1 ? found.first() : nullptr;
}

// A folder tree: <root>/a/b with b holding c, "D e", a hidden folder and a file.
struct Tree {
    TempFolder Root;
    fs::path B = Root.Path() / "a" / "b";
    Tree() {
        fs::create_directories(B / "c");
        fs::create_directories(B / "D e");
        fs::create_directories(B / ".hidden");
        WriteFile(B / "notes.txt");
    }
    static void WriteFile(const fs::path& path) { std::ofstream(path) << "x"; }
};

}  // namespace

class FolderListTest : public QObject {
    Q_OBJECT

private slots:
    void startsAtTheCurrentFolder();
    void showsAncestorsAndSubFolders();
    void opensAnEntry_data();
    void opensAnEntry();
    void refusesAFolderThatIsNotThere();
    void refreshReadsNewFolders();
};

void FolderListTest::startsAtTheCurrentFolder() {
    Tree tree;
    const QString before = QDir::currentPath();
    QVERIFY(QDir::setCurrent(Q(tree.B)));
    FolderList list;
    QDir::setCurrent(before);
    QCOMPARE(list.Path(), Shown(Q(tree.B)));
}

void FolderListTest::showsAncestorsAndSubFolders() {
    Tree tree;
    FolderList list;
    QSignalSpy changed(&list, &FolderList::PathChanged);
    QCOMPARE(list.SetPath(Q(tree.B)), failure::kNone);
    QCOMPARE(changed.count(), 1);

    QStringList expected{QStringLiteral("0 ") + Shown(Q(tree.B.root_path()))};
    int depth = 1;
    for (const auto& part : tree.B.relative_path())
        expected << QStringLiteral("%1 %2").arg(depth++).arg(Q(part));
    expected << QStringLiteral("%1 c").arg(depth) << QStringLiteral("%1 D e").arg(depth);
    QCOMPARE(Entries(list), expected);
    QCOMPARE(list.currentItem()->text(0), QStringLiteral("b"));
}

void FolderListTest::opensAnEntry_data() {
    QTest::addColumn<QString>("entry");
    QTest::addColumn<bool>("byKeyboard");
    QTest::addColumn<QString>("opened");  // relative to the tree's root

    QTest::newRow("sub-folder by double-click") << "D e" << false << "a/b/D e";
    QTest::newRow("ancestor by double-click") << "a" << false << "a";
    QTest::newRow("sub-folder by Enter") << "c" << true << "a/b/c";
    QTest::newRow("ancestor by Enter") << "a" << true << "a";
    QTest::newRow("current folder again") << "b" << false << "a/b";
}

void FolderListTest::opensAnEntry() {
    QFETCH(QString, entry);
    QFETCH(bool, byKeyboard);
    QFETCH(QString, opened);
    Tree tree;
    FolderList list;
    list.resize(300, 400);
    list.show();
    QVERIFY(QTest::qWaitForWindowExposed(&list));
    list.SetPath(Q(tree.B));
    QSignalSpy changed(&list, &FolderList::PathChanged);

    QTreeWidgetItem* item = ItemNamed(list, entry);
    QVERIFY(item);
    if (byKeyboard) {
        // Walk there with the arrow keys from the current folder.
        list.setFocus();
        const bool above =
            list.visualItemRect(item).top() < list.visualItemRect(list.currentItem()).top();
        const int key = above ? Qt::Key_Up : Qt::Key_Down;
        for (int i = 0; i < 10 && list.currentItem() != item; ++i) QTest::keyClick(&list, key);
        QCOMPARE(list.currentItem(), item);
        QTest::keyClick(&list, Qt::Key_Return);
    } else {
        // As a mouse sends it: a click, then the double-click.
        const QPoint at = list.visualItemRect(item).center();
        QTest::mouseClick(list.viewport(), Qt::LeftButton, {}, at);
        QTest::mouseDClick(list.viewport(), Qt::LeftButton, {}, at);
    }

    const QString expected = Shown(Q(tree.Root.Path() / opened.toStdString()));
    QCOMPARE(list.Path(), expected);
    QCOMPARE(changed.count(), expected == Shown(Q(tree.B)) ? 0 : 1);
    QCOMPARE(list.currentItem()->text(0), QFileInfo(expected).fileName());
}

void FolderListTest::refusesAFolderThatIsNotThere() {
    Tree tree;
    FolderList list;
    list.SetPath(Q(tree.B));
    QSignalSpy changed(&list, &FolderList::PathChanged);
    QCOMPARE(list.SetPath(Q(tree.B / "missing")), failure::kPathNotFound);
    QCOMPARE(list.SetPath(Q(tree.B / "notes.txt")), failure::kPathNotFound);
    QCOMPARE(list.Path(), Shown(Q(tree.B)));
    QCOMPARE(changed.count(), 0);
}

void FolderListTest::refreshReadsNewFolders() {
    Tree tree;
    FolderList list;
    list.SetPath(Q(tree.B));
    fs::create_directory(tree.B / "added");
    fs::remove(tree.B / "c");
    QVERIFY(!ItemNamed(list, "added"));
    QSignalSpy changed(&list, &FolderList::PathChanged);

    list.Refresh();

    QVERIFY(ItemNamed(list, "added"));
    QVERIFY(!ItemNamed(list, "c"));
    QCOMPARE(list.Path(), Shown(Q(tree.B)));
    QCOMPARE(changed.count(), 0);
}

QTEST_MAIN(FolderListTest)
#include "folder_list_test.moc"
