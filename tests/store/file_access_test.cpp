#include <QTest>

#include <cerrno>
#include <filesystem>
#include <optional>
#include <system_error>

#include "store/file_access.h"
#include "tests/store/file_checks.h"
#include "tests/support/book_fixture.h"

namespace fs = std::filesystem;
namespace failure = lockmere::failure;
using lockmere::test::Folder;
using lockmere::test::Mode;
using lockmere::test::Q;
using lockmere::test::TemporaryFileLeft;
using lockmere::fixture::ReadBytes;
using lockmere::fixture::WriteBytes;

namespace {

// All 256 byte values: nothing may be translated on the way.
QByteArray EveryByte() {
    QByteArray bytes;
    for (int code = 0; code < 256; ++code) bytes.append(static_cast<char>(code));
    return bytes;
}

}  // namespace

class FileAccessTest : public QObject {
    Q_OBJECT

private slots:
    void composePath_data();
    void composePath();
    void readWholeFile_data();
    void readWholeFile();
    void replace_data();
    void replace();
    void replaceFailureKeepsTheOldFile_data();
    void replaceFailureKeepsTheOldFile();
    void replaceThroughALink();
    void writeAt_data();
    void writeAt();
    void readFirstLine_data();
    void readFirstLine();
    void writeLineFile();
    void deleteFile_data();
    void deleteFile();
    void copy_data();
    void copy();
    void copyOntoItself_data();
    void copyOntoItself();
    void attributes_data();
    void attributes();
    void createFolder_data();
    void createFolder();
    void failureCodes_data();
    void failureCodes();
};

void FileAccessTest::composePath_data() {
    QTest::addColumn<QString>("folder");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("path");
    QTest::newRow("folder and name") << "/home/me/Lockmere" << "lkdb1.lkd"
                                     << "/home/me/Lockmere/lkdb1.lkd";
    QTest::newRow("root: two separators") << "/" << "lkdb0.lkd" << "//lkdb0.lkd";
    // A typed name never replaces the folder it is meant to go under.
    QTest::newRow("name with a leading separator") << "/home/me" << "/etc" << "/home/me//etc";
    QTest::newRow("nothing normalised") << "/home/me/../me" << "./a" << "/home/me/../me/./a";
}

void FileAccessTest::composePath() {
    QFETCH(QString, folder);
    QFETCH(QString, name);
    QFETCH(QString, path);
    const fs::path composed = lockmere::ComposePath(fs::path(folder.toStdString()), name.toStdString());
    QCOMPARE(QString::fromStdString(composed.string()), path);
}

void FileAccessTest::readWholeFile_data() {
    QTest::addColumn<QString>("kind");
    QTest::addColumn<int>("code");
    QTest::addColumn<QByteArray>("bytes");
    QTest::newRow("every byte value") << "file" << failure::kNone << EveryByte();
    QTest::newRow("missing file is created empty") << "missing" << failure::kNone << QByteArray();
    QTest::newRow("missing folder") << "no-parent" << failure::kPathNotFound << QByteArray();
    QTest::newRow("a folder") << "folder" << failure::kPathFileAccess << QByteArray();
}

void FileAccessTest::readWholeFile() {
    QFETCH(QString, kind);
    QFETCH(int, code);
    QFETCH(QByteArray, bytes);
    Folder folder;
    fs::path path = folder / "lkdb1.lkd";
    if (kind == "file") WriteBytes(path, bytes.toStdString());
    if (kind == "folder") fs::create_directory(path);
    if (kind == "no-parent") path = folder / "gone" / "lkdb1.lkd";

    const lockmere::ReadResult result = lockmere::ReadWholeFile(path);
    QCOMPARE(result.Code, code);
    QCOMPARE(Q(result.Bytes), bytes);
    if (kind == "missing") {
        QVERIFY(fs::is_regular_file(path));
        QCOMPARE(fs::file_size(path), 0u);
        QCOMPARE(Mode(path), 0600u);
    }
    if (kind == "no-parent") QVERIFY(!fs::exists(path.parent_path()));
}

void FileAccessTest::replace_data() {
    QTest::addColumn<bool>("exists");
    QTest::addColumn<QByteArray>("old");
    QTest::addColumn<QByteArray>("bytes");
    QTest::newRow("new file") << false << QByteArray() << EveryByte();
    QTest::newRow("shorter than the old file") << true << QByteArray("0123456789") << QByteArray("ab");
    QTest::newRow("longer than the old file") << true << QByteArray("ab") << EveryByte();
    QTest::newRow("empty") << true << QByteArray("0123456789") << QByteArray();
}

void FileAccessTest::replace() {
    QFETCH(bool, exists);
    QFETCH(QByteArray, old);
    QFETCH(QByteArray, bytes);
    Folder folder;
    const fs::path path = folder / "lkdb1.lkd";
    if (exists) {
        WriteBytes(path, old.toStdString());
        fs::permissions(path, fs::perms(0644));
    }

    QCOMPARE(lockmere::ReplaceFile(path, bytes.toStdString()), failure::kNone);
    QCOMPARE(Q(ReadBytes(path)), bytes);
    QCOMPARE(Mode(path), 0600u);
    QVERIFY(!TemporaryFileLeft(path));
}

void FileAccessTest::replaceFailureKeepsTheOldFile_data() {
    QTest::addColumn<QString>("obstacle");
    QTest::addColumn<int>("code");
    QTest::newRow("a full disk") << "temporary" << failure::kDiskFull;
    QTest::newRow("a folder where the file goes") << "target" << failure::kPathFileAccess;
    QTest::newRow("missing folder") << "no-parent" << failure::kPathNotFound;
}

void FileAccessTest::replaceFailureKeepsTheOldFile() {
    QFETCH(QString, obstacle);
    QFETCH(int, code);
    Folder folder;
    fs::path path = folder / "lkdb1.lkd";
    const std::string old = "old store bytes";
    std::optional<lockmere::testing::DiskFull> full;
    if (obstacle == "temporary") {
        WriteBytes(path, old);
        full.emplace();
    }
    if (obstacle == "target") fs::create_directory(path);
    if (obstacle == "no-parent") path = folder / "gone" / "lkdb1.lkd";

    QCOMPARE(lockmere::ReplaceFile(path, "new bytes"), code);
    QVERIFY(!TemporaryFileLeft(path));
    if (obstacle == "temporary") QCOMPARE(Q(ReadBytes(path)), Q(old));
    if (obstacle == "target") QVERIFY(fs::is_directory(path));
    if (obstacle == "no-parent") QVERIFY(!fs::exists(path.parent_path()));
}

void FileAccessTest::replaceThroughALink() {
    // A data file kept elsewhere through a link stays there.
    Folder folder;
    const fs::path target = folder / "elsewhere.lkd";
    const fs::path link = folder / "lkdb1.lkd";
    WriteBytes(target, "old");
    fs::create_symlink(target, link);

    QCOMPARE(lockmere::ReplaceFile(link, "new"), failure::kNone);
    QVERIFY(fs::is_symlink(link));
    QCOMPARE(Q(ReadBytes(target)), QByteArray("new"));
}

void FileAccessTest::writeAt_data() {
    QTest::addColumn<bool>("exists");
    QTest::addColumn<QByteArray>("old");
    QTest::addColumn<int>("position");
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<int>("code");
    QTest::addColumn<QByteArray>("result");

    QTest::newRow("inside") << true << QByteArray("abcdef") << 3 << QByteArray("XY")
                            << failure::kNone << QByteArray("abXYef");
    QTest::newRow("at the start keeps a longer tail")
        << true << QByteArray("0123456789") << 1 << QByteArray("ab") << failure::kNone
        << QByteArray("ab23456789");
    QTest::newRow("reaching past the end") << true << QByteArray("abc") << 3 << QByteArray("XYZ")
                                           << failure::kNone << QByteArray("abXYZ");
    QTest::newRow("beyond the end leaves zero bytes")
        << true << QByteArray("abc") << 6 << QByteArray("Z") << failure::kNone
        << QByteArray("abc\0\0Z", 6);
    QTest::newRow("missing file is created") << false << QByteArray() << 1 << QByteArray("hi")
                                             << failure::kNone << QByteArray("hi");
    QTest::newRow("position 0 is refused") << true << QByteArray("abc") << 0 << QByteArray("Z")
                                           << failure::kBadPosition << QByteArray("abc");
}

void FileAccessTest::writeAt() {
    QFETCH(bool, exists);
    QFETCH(QByteArray, old);
    QFETCH(int, position);
    QFETCH(QByteArray, bytes);
    QFETCH(int, code);
    QFETCH(QByteArray, result);
    Folder folder;
    const fs::path path = folder / "lkdb0.lkd";
    if (exists) WriteBytes(path, old.toStdString());

    QCOMPARE(lockmere::WriteAt(path, static_cast<std::size_t>(position), bytes.toStdString()), code);
    QCOMPARE(Q(ReadBytes(path)), result);
    if (code == failure::kNone) QCOMPARE(Mode(path), 0600u);
}

void FileAccessTest::readFirstLine_data() {
    QTest::addColumn<bool>("exists");
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<int>("code");
    QTest::addColumn<QByteArray>("line");

    QTest::newRow("CR LF") << true << QByteArray("D:\\Backup\r\nnext\r\n") << failure::kNone
                           << QByteArray("D:\\Backup");
    QTest::newRow("LF") << true << QByteArray("/mnt/usb\nnext") << failure::kNone
                        << QByteArray("/mnt/usb");
    QTest::newRow("CR") << true << QByteArray("a b\rnext") << failure::kNone << QByteArray("a b");
    QTest::newRow("no line end") << true << QByteArray("only") << failure::kNone
                                 << QByteArray("only");
    QTest::newRow("empty line") << true << QByteArray("\r\nnext") << failure::kNone << QByteArray();
    QTest::newRow("empty file") << true << QByteArray() << failure::kNone << QByteArray();
    QTest::newRow("missing file") << false << QByteArray() << failure::kFileNotFound
                                  << QByteArray();
}

void FileAccessTest::readFirstLine() {
    QFETCH(bool, exists);
    QFETCH(QByteArray, content);
    QFETCH(int, code);
    QFETCH(QByteArray, line);
    Folder folder;
    const fs::path path = folder / "BackupLocation.inf";
    if (exists) WriteBytes(path, content.toStdString());

    const lockmere::ReadResult result = lockmere::ReadFirstLine(path);
    QCOMPARE(result.Code, code);
    QCOMPARE(Q(result.Bytes), line);
    QCOMPARE(fs::exists(path), exists);
}

void FileAccessTest::writeLineFile() {
    Folder folder;
    const fs::path path = folder / "BackupLocation.inf";
    WriteBytes(path, "/a/much/longer/old/location\r\n");
    QCOMPARE(lockmere::WriteLineFile(path, "/mnt/usb"), failure::kNone);
    QCOMPARE(Q(ReadBytes(path)), QByteArray("/mnt/usb\r\n"));
    QCOMPARE(Mode(path), 0600u);
}

void FileAccessTest::deleteFile_data() {
    QTest::addColumn<QString>("kind");
    QTest::addColumn<int>("code");
    QTest::newRow("file") << "file" << failure::kNone;
    QTest::newRow("missing file") << "missing" << failure::kFileNotFound;
    QTest::newRow("missing folder") << "no-parent" << failure::kPathNotFound;
    QTest::newRow("a folder") << "folder" << failure::kPathFileAccess;
}

void FileAccessTest::deleteFile() {
    QFETCH(QString, kind);
    QFETCH(int, code);
    Folder folder;
    fs::path path = folder / "lkdb1.lkd";
    if (kind == "file") WriteBytes(path, "x");
    if (kind == "folder") fs::create_directory(path);
    if (kind == "no-parent") path = folder / "gone" / "lkdb1.lkd";

    QCOMPARE(lockmere::DeleteFile(path), code);
    QCOMPARE(fs::exists(path), kind == "folder");
}

void FileAccessTest::copy_data() {
    QTest::addColumn<QString>("kind");
    QTest::addColumn<int>("code");
    QTest::newRow("to a new file") << "new" << failure::kNone;
    QTest::newRow("over a longer file") << "longer" << failure::kNone;
    QTest::newRow("missing source") << "no-source" << failure::kFileNotFound;
    QTest::newRow("missing destination folder") << "no-folder" << failure::kPathNotFound;
    QTest::newRow("a folder in the destination's place") << "folder" << failure::kPathFileAccess;
}

void FileAccessTest::copy() {
    QFETCH(QString, kind);
    QFETCH(int, code);
    Folder folder;
    const fs::path source = folder / "lkdb1.lkd";
    fs::path destination = folder / "backup" / "lkdb1.lkd";
    fs::create_directory(folder / "backup");
    const std::string bytes = EveryByte().toStdString();
    const std::string old = bytes + bytes + "old";
    if (kind != "no-source") WriteBytes(source, bytes);
    if (kind == "longer" || kind == "no-source") WriteBytes(destination, old);
    if (kind == "folder") fs::create_directory(destination);
    if (kind == "no-folder") destination = folder / "gone" / "lkdb1.lkd";

    QCOMPARE(lockmere::CopyFileOver(source, destination), code);
    QVERIFY(!TemporaryFileLeft(destination));
    if (code == failure::kNone) {
        QCOMPARE(Q(ReadBytes(destination)), Q(bytes));
        QCOMPARE(Mode(destination), 0600u);
    }
    if (kind == "no-source") QCOMPARE(Q(ReadBytes(destination)), Q(old));
    if (kind == "folder") QVERIFY(fs::is_directory(destination));
}

void FileAccessTest::copyOntoItself_data() {
    QTest::addColumn<QString>("way");
    QTest::newRow("same path") << "same";
    QTest::newRow("through dir/../dir") << "dotdot";
    QTest::newRow("through ./") << "dot";
    QTest::newRow("a link to the file") << "symlink";
    QTest::newRow("a link to the folder") << "folder-link";
    QTest::newRow("a second name of the file") << "hardlink";
}

void FileAccessTest::copyOntoItself() {
    QFETCH(QString, way);
    Folder folder;
    fs::create_directory(folder / "dir");
    const fs::path source = folder / "dir" / "lkdb1.lkd";
    const std::string bytes = EveryByte().toStdString();
    WriteBytes(source, bytes);

    fs::path destination = source;
    if (way == "dotdot") destination = folder / "dir" / ".." / "dir" / "lkdb1.lkd";
    if (way == "dot") destination = folder / "dir" / "." / "lkdb1.lkd";
    if (way == "symlink") fs::create_symlink(source, destination = folder / "link.lkd");
    if (way == "folder-link") {
        fs::create_directory_symlink(folder / "dir", folder / "alias");
        destination = folder / "alias" / "lkdb1.lkd";
    }
    if (way == "hardlink") fs::create_hard_link(source, destination = folder / "second.lkd");

    QCOMPARE(lockmere::CopyFileOver(source, destination), failure::kPathFileAccess);
    QCOMPARE(lockmere::CopyFileOver(destination, source), failure::kPathFileAccess);
    QCOMPARE(Q(ReadBytes(source)), Q(bytes));
    QVERIFY(!TemporaryFileLeft(source));
    QVERIFY(!TemporaryFileLeft(destination));
}

void FileAccessTest::attributes_data() {
    QTest::addColumn<bool>("hidden");
    QTest::addColumn<QString>("kind");
    QTest::addColumn<int>("code");
    QTest::addColumn<unsigned>("mode");
    QTest::newRow("hidden keeps owner-only") << true << "0600" << failure::kNone << 0600u;
    QTest::newRow("normal keeps owner-only") << false << "0600" << failure::kNone << 0600u;
    QTest::newRow("hidden narrows a shared file") << true << "0644" << failure::kNone << 0600u;
    QTest::newRow("normal never widens a read-only file")
        << false << "0400" << failure::kNone << 0400u;
    QTest::newRow("hidden: missing file") << true << "missing" << failure::kFileNotFound << 0u;
    QTest::newRow("normal: missing file") << false << "missing" << failure::kFileNotFound << 0u;
    QTest::newRow("missing folder") << true << "no-parent" << failure::kPathNotFound << 0u;
}

void FileAccessTest::attributes() {
    QFETCH(bool, hidden);
    QFETCH(QString, kind);
    QFETCH(int, code);
    QFETCH(unsigned, mode);
    Folder folder;
    fs::path path = folder / "lkdb0.lkd";
    if (kind.startsWith('0')) {
        WriteBytes(path, "key");
        fs::permissions(path, fs::perms(kind.toUInt(nullptr, 8)));
    }
    if (kind == "no-parent") path = folder / "gone" / "lkdb0.lkd";

    QCOMPARE(hidden ? lockmere::SetAttributesHidden(path) : lockmere::SetAttributesNormal(path), code);
    if (code == failure::kNone) QCOMPARE(Mode(path), mode);
    else QVERIFY(!fs::exists(path));
}

void FileAccessTest::createFolder_data() {
    QTest::addColumn<QString>("kind");
    QTest::addColumn<int>("code");
    QTest::newRow("new folder") << "new" << failure::kNone;
    QTest::newRow("folder already exists") << "folder" << failure::kPathFileAccess;
    QTest::newRow("a file of that name") << "file" << failure::kPathFileAccess;
    QTest::newRow("missing parent") << "no-parent" << failure::kPathNotFound;
}

void FileAccessTest::createFolder() {
    QFETCH(QString, kind);
    QFETCH(int, code);
    Folder folder;
    fs::path path = folder / "Backups";
    if (kind == "folder") fs::create_directory(path);
    if (kind == "file") WriteBytes(path, "x");
    if (kind == "no-parent") path = folder / "gone" / "Backups";

    QCOMPARE(lockmere::CreateFolder(path), code);
    QCOMPARE(fs::is_directory(path), kind != "file" && kind != "no-parent");
}

void FileAccessTest::failureCodes_data() {
    QTest::addColumn<int>("error");
    QTest::addColumn<bool>("parentExists");
    QTest::addColumn<int>("code");
    QTest::newRow("no device") << ENODEV << true << failure::kDeviceUnavailable;
    QTest::newRow("no such device or address") << ENXIO << true << failure::kDeviceUnavailable;
    QTest::newRow("no medium") << ENOMEDIUM << true << failure::kDeviceUnavailable;
    QTest::newRow("access refused") << EACCES << true << failure::kPathFileAccess;
    QTest::newRow("not permitted") << EPERM << true << failure::kPathFileAccess;
    QTest::newRow("already exists") << EEXIST << true << failure::kPathFileAccess;
    QTest::newRow("read-only file system") << EROFS << true << failure::kPathFileAccess;
    QTest::newRow("is a folder") << EISDIR << true << failure::kPathFileAccess;
    QTest::newRow("file missing") << ENOENT << true << failure::kFileNotFound;
    QTest::newRow("folder missing") << ENOENT << false << failure::kPathNotFound;
    QTest::newRow("a file on the way") << ENOTDIR << true << failure::kPathNotFound;
    QTest::newRow("disk full") << ENOSPC << true << failure::kDiskFull;
    QTest::newRow("quota") << EDQUOT << true << failure::kDiskFull;
    QTest::newRow("input/output error") << EIO << true << failure::kDeviceIo;
    QTest::newRow("none") << 0 << true << failure::kNone;
}

void FileAccessTest::failureCodes() {
    QFETCH(int, error);
    QFETCH(bool, parentExists);
    QFETCH(int, code);
    Folder folder;
    const fs::path path = parentExists ? folder / "file" : folder / "gone" / "file";
    // The same number arrives from plain system calls and from std::filesystem.
    QCOMPARE(lockmere::FailureCodeFor(std::error_code(error, std::generic_category()), path), code);
    QCOMPARE(lockmere::FailureCodeFor(std::error_code(error, std::system_category()), path), code);
}

QTEST_APPLESS_MAIN(FileAccessTest)
#include "file_access_test.moc"
