#pragma once

#include <optional>
#include <string>

#include "ui/window.h"

class QLabel;
class QLineEdit;
class QPushButton;

namespace lockmere {

// Asks for the name of a new folder.
//
// Controls: Label1 the prompt, Text1 the name, Command1 "OK".
class LocalFolderForm : public Window {
    Q_OBJECT
public:
    explicit LocalFolderForm(Context& context);

    // Shows the window modally; the name given with OK, in Windows-1252 and
    // trimmed of spaces, or nothing when the window was closed.
    static std::optional<std::string> Ask(Context& context);

    QLabel* Label1 = nullptr;
    QLineEdit* Text1 = nullptr;
    QPushButton* Command1 = nullptr;

    void Command1_Click();

signals:
    void Named(const std::string& name);

protected:
    void Load() override;
};

}  // namespace lockmere
