#pragma once

// A backup window test's world: a temporary program folder, a temporary
// working folder that the lists start in, and checks of the boxes shown.

#include <QDir>
#include <QTest>
#include <filesystem>

#include "backup/backup_form.h"
#include "tests/support/folder_text.h"
#include "tests/support/test_context.h"

namespace lockmere::testing {

struct Scene {
    TestContext Test;
    TempFolder Work;
    const QString Before = QDir::currentPath();

    // The process's current folder, where the drive and folder lists start.
    explicit Scene(const std::filesystem::path& start = {}) {
        QDir::setCurrent(Q(start.empty() ? Work.Path() : start));
    }
    ~Scene() { QDir::setCurrent(Before); }

    std::filesystem::path Program() const { return Test.Folder.Path(); }
    std::filesystem::path MakeFolder(const std::filesystem::path& name) const {
        std::filesystem::create_directories(Work.Path() / name);
        return Work.Path() / name;
    }
};

// The backup window shown in one direction, as the menu commands show it.
inline BackupForm* OpenBackupForm(Scene& scene, bool backup) {
    BackupForm* form = scene.Test.Ctx.Windows.Open<BackupForm>(scene.Test.Ctx);
    form->ApplyMode(backup);
    form->ShowModeless();
    return form;
}

// The boxes shown so far were exactly these texts, each with an OK button,
// the title "Message Center" and this icon.
inline bool OnlyBoxes(const RecordingMessageBoxes& boxes, const QStringList& texts, MsgIcon icon) {
    if (boxes.Texts() != texts) {
        qWarning() << "boxes shown:" << boxes.Texts() << "expected:" << texts;
        return false;
    }
    for (const RecordedBox& box : boxes.Boxes())
        if (box.Title != kBackupMessageTitle || box.Buttons != MsgButtons::Ok || box.Icon != icon)
            return false;
    return true;
}

}  // namespace lockmere::testing
