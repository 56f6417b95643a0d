#pragma once

#include "ui/window.h"

class QLabel;
class QLineEdit;
class QPushButton;

namespace lockmere {

// Asks for the name of a new folder; OK hands it back in
// AppState::NewFolderName, trimmed of spaces.
class LocalFolderForm : public Window {
    Q_OBJECT
public:
    explicit LocalFolderForm(Context& context);

    QLabel* Label1 = nullptr;
    QLineEdit* Text1 = nullptr;
    QPushButton* Command1 = nullptr;

    void Command1Click();

protected:
    void Load() override;
};

}  // namespace lockmere
