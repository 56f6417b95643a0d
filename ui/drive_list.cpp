#include "ui/drive_list.h"

#include <QDir>

#include "ui/services.h"

namespace lockmere {

namespace {

bool IsDriveLetter(const QString& drive) {
    return drive.size() == 2 && drive[0].isLetter() && drive[1] == u':';
}

}  // namespace

QString DriveName(const QString& rootPath) {
    const QString clean = QDir::cleanPath(rootPath);
    const bool driveRoot = clean.size() == 2 || (clean.size() == 3 && clean.endsWith(u'/'));
    return driveRoot && IsDriveLetter(clean.left(2)) ? clean.left(2).toUpper() : clean;
}

QString DriveRoot(const QString& drive) { return IsDriveLetter(drive) ? drive + u'/' : drive; }

QString SystemDrive() { return DriveName(QDir::rootPath()); }

QString VolumeOf(const QString& folder, const QStringList& drives) {
    const QString clean = QDir::cleanPath(folder);
    QString best = SystemDrive();
    qsizetype bestLength = 0;
    for (const QString& drive : drives) {
        const QString root = QDir::cleanPath(DriveRoot(drive));
        // Drive letters are the same in either case; mount points are not.
        const Qt::CaseSensitivity sensitivity =
            IsDriveLetter(drive) ? Qt::CaseInsensitive : Qt::CaseSensitive;
        const bool holds = clean.compare(root, sensitivity) == 0 ||
                           clean.startsWith(root.endsWith(u'/') ? root : root + u'/', sensitivity);
        if (holds && root.size() > bestLength) {
            best = QDir::cleanPath(drive);
            bestLength = root.size();
        }
    }
    return best;
}

DriveList::DriveList(Volumes& volumes, QWidget* parent) : QComboBox(parent) {
    const QStringList mounts = volumes.MountPoints();
    addItems(mounts);
    SetDrive(VolumeOf(QDir::currentPath(), mounts));
    connect(this, &QComboBox::currentIndexChanged, this, &DriveList::DriveChanged);
}

QString DriveList::Drive() const { return currentText(); }

void DriveList::SetDrive(const QString& drive) {
    int index = findText(drive);
    if (index < 0) {
        addItem(drive);
        index = count() - 1;
    }
    setCurrentIndex(index);
}

}  // namespace lockmere
