#include "ui/drive_list.h"

#include <QDir>

#include "ui/services.h"

namespace lockmere {

QString VolumeOf(const QString& folder, const QStringList& mountPoints) {
    const QString clean = QDir::cleanPath(folder);
    QString best = QStringLiteral("/");
    for (const QString& mount : mountPoints) {
        const QString m = QDir::cleanPath(mount);
        const bool holds = clean == m || clean.startsWith(m.endsWith('/') ? m : m + '/');
        if (holds && m.size() > best.size()) best = m;
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

void DriveList::SetDrive(const QString& mountPoint) {
    int index = findText(mountPoint);
    if (index < 0) {
        addItem(mountPoint);
        index = count() - 1;
    }
    setCurrentIndex(index);
}

}  // namespace lockmere
