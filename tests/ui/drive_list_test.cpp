#include <QDir>
#include <QSignalSpy>
#include <QTest>

#include "tests/support/recording_services.h"
#include "tests/support/temp_folder.h"
#include "ui/drive_list.h"

using namespace lockmere;
using namespace lockmere::testing;

class DriveListTest : public QObject {
    Q_OBJECT

private slots:
    void driveNames_data();
    void driveNames();
    void volumeOfAFolder_data();
    void volumeOfAFolder();
    void startsAtTheCurrentFoldersVolume();
    void changesByKeyboardAndByCall();
};

// clang-format off
void DriveListTest::driveNames_data() {
    QTest::addColumn<QString>("root");
    QTest::addColumn<QString>("drive");
    QTest::addColumn<QString>("opensAt");
    QTest::newRow("drive root") << "C:/" << "C:" << "C:/";
    QTest::newRow("lower-case drive letter") << "d:/" << "D:" << "D:/";
    QTest::newRow("root of a mount tree") << "/" << "/" << "/";
    QTest::newRow("mount point") << "/media/usb" << "/media/usb" << "/media/usb";
    QTest::newRow("mount point with a trailing slash") << "/mnt/a/" << "/mnt/a" << "/mnt/a";
    QTest::newRow("a folder named like a drive") << "/C:/" << "/C:" << "/C:";
}
// clang-format on

void DriveListTest::driveNames() {
    QFETCH(QString, root);
    QFETCH(QString, drive);
    QFETCH(QString, opensAt);
    QCOMPARE(DriveName(root), drive);
    QCOMPARE(DriveRoot(DriveName(root)), opensAt);
}

void DriveListTest::volumeOfAFolder_data() {
    QTest::addColumn<QString>("folder");
    QTest::addColumn<QStringList>("mounts");
    QTest::addColumn<QString>("volume");

    const QStringList mounts{"/", "/home", "/home/ann/usb", "/media/disk/"};
    QTest::newRow("deepest mount wins") << "/home/ann/usb/x" << mounts << "/home/ann/usb";
    QTest::newRow("mount point itself") << "/home" << mounts << "/home";
    QTest::newRow("name prefix is no mount") << "/homework/x" << mounts << "/";
    QTest::newRow("mount with trailing slash") << "/media/disk/a" << mounts << "/media/disk";
    QTest::newRow("no mounts at all") << "/srv" << QStringList() << SystemDrive();
    const QStringList letters{"C:", "D:"};
    QTest::newRow("drive letter") << "D:/Backup/2024" << letters << "D:";
    QTest::newRow("drive letter in another case") << "d:/Backup" << letters << "D:";
    QTest::newRow("drive root itself") << "C:/" << letters << "C:";
    QTest::newRow("drive not listed") << "E:/x" << letters << SystemDrive();
}

void DriveListTest::volumeOfAFolder() {
    QFETCH(QString, folder);
    QFETCH(QStringList, mounts);
    QFETCH(QString, volume);
    QCOMPARE(VolumeOf(folder, mounts), volume);
}

void DriveListTest::startsAtTheCurrentFoldersVolume() {
#ifdef _WIN32
    QSKIP("mount points are Linux's: the backup window's driveLetters() holds the Windows case");
#endif
    TempFolder volume;
    const QString mount = QString::fromStdString(volume.Path().string());
    QDir(mount).mkdir("sub");
    FakeVolumes volumes;
    volumes.Points = {"/", mount};
    const QString before = QDir::currentPath();
    QVERIFY(QDir::setCurrent(mount + "/sub"));
    DriveList list(volumes);
    QDir::setCurrent(before);

    QCOMPARE(list.count(), 2);
    QCOMPARE(list.Drive(), mount);
}

void DriveListTest::changesByKeyboardAndByCall() {
#ifdef _WIN32
    QSKIP("mount points are Linux's: the backup window's driveLetters() holds the Windows case");
#endif
    FakeVolumes volumes;
    volumes.Points = {"/", "/mnt/a", "/mnt/b"};
    DriveList list(volumes);
    list.show();
    QVERIFY(QTest::qWaitForWindowExposed(&list));
    list.SetDrive("/");
    QSignalSpy changed(&list, &DriveList::DriveChanged);

    list.setFocus();
    QTest::keyClick(&list, Qt::Key_Down);
    QCOMPARE(list.Drive(), QStringLiteral("/mnt/a"));
    QCOMPARE(changed.count(), 1);

    list.SetDrive("/mnt/a");  // no change, no event
    QCOMPARE(changed.count(), 1);
    list.SetDrive("/");
    QCOMPARE(list.Drive(), QStringLiteral("/"));
    QCOMPARE(changed.count(), 2);
    list.SetDrive("/mnt/gone");  // not offered: added
    QCOMPARE(list.Drive(), QStringLiteral("/mnt/gone"));
    QCOMPARE(list.count(), 4);
    QCOMPARE(changed.count(), 3);
}

QTEST_MAIN(DriveListTest)
#include "drive_list_test.moc"
