#pragma once

#include <QComboBox>

namespace lockmere {

class Volumes;

// The mounted volumes to choose from, by their drive names (see DriveName).
// Starts at the volume that holds the process's current folder.
class DriveList : public QComboBox {
    Q_OBJECT
public:
    explicit DriveList(Volumes& volumes, QWidget* parent = nullptr);

    QString Drive() const;
    // Makes the volume current, adding it when it is not listed; emits
    // DriveChanged when the current volume changes.
    void SetDrive(const QString& drive);

signals:
    // Every change of the current volume, by the user or by SetDrive.
    void DriveChanged();
};

// A volume as the drive list names it: the drive letter alone ("C:") for a
// drive root such as "C:/", the mount point itself otherwise.
QString DriveName(const QString& rootPath);
// The folder a drive name opens at: "C:" at "C:/"; a mount point at itself.
QString DriveRoot(const QString& drive);
// The drive that holds the system, where a drive that is not ready falls
// back to: "C:" on Windows, "/" elsewhere.
QString SystemDrive();

// The drive among `drives` that holds `folder` (the longest prefix);
// SystemDrive() when none does.
QString VolumeOf(const QString& folder, const QStringList& drives);

}  // namespace lockmere
