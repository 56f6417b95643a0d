#pragma once

#include <QComboBox>

namespace lockmere {

class Volumes;

// The mounted volumes to choose from, by their mount points. Starts at the
// volume that holds the process's current folder.
class DriveList : public QComboBox {
    Q_OBJECT
public:
    explicit DriveList(Volumes& volumes, QWidget* parent = nullptr);

    QString Drive() const;
    // Makes the volume current, adding it when it is not listed; emits
    // DriveChanged when the current volume changes.
    void SetDrive(const QString& mountPoint);

signals:
    // Every change of the current volume, by the user or by SetDrive.
    void DriveChanged();
};

// The mount point among `mountPoints` that holds `folder` (the longest
// prefix); "/" when none does.
QString VolumeOf(const QString& folder, const QStringList& mountPoints);

}  // namespace lockmere
