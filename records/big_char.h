#pragma once

#include <cstdint>
#include <string>

#include "ui/window.h"

class QLabel;
class QLineEdit;
class QPushButton;

namespace lockmere {

struct ViewerPlacement {
    std::int16_t Vertical = 0;    // twips from the screen's top
    std::int16_t Horizontal = 0;  // twips from the screen's left
};

// The viewer: one record in large characters, its user name or password
// to the clipboard, its address to the desktop's "open". Escape closes it.
//
// Controls: Text1 the user name, Text2 the password, Text3 the address,
// each with its label (Label1, Label2, Label3); CT1 "Copy" the user name,
// CT2 "Copy" the password, CT3 "Copy and Minimize" (the password), LaunchB
// "Launch Browser".
class BigChar : public Window {
    Q_OBJECT
public:
    // The record line in Windows-1252, as the book holds it, shown at
    // `offset` from the screen's top left corner.
    BigChar(Context& context, std::string line, ViewerPlacement offset);

    QLabel* Label1 = nullptr;
    QLabel* Label2 = nullptr;
    QLabel* Label3 = nullptr;
    QLineEdit* Text1 = nullptr;
    QLineEdit* Text2 = nullptr;
    QLineEdit* Text3 = nullptr;
    QPushButton* CT1 = nullptr;
    QPushButton* CT2 = nullptr;
    QPushButton* CT3 = nullptr;
    QPushButton* LaunchB = nullptr;

    // Shows another record line as a fresh load would, where the viewer
    // stands, and brings the viewer forward; the line it already shows only
    // brings it forward (the user may just have copied its password).
    void ShowLine(std::string line);

protected:
    void Load() override;

private:
    void CT1_Click();
    void CT2_Click();
    // The password to the clipboard; closes the viewer, minimises the main window.
    void CT3_Click();
    // Once per opening: the trimmed address to the desktop's "open".
    void LaunchB_Click();
    // Puts the box's text on the clipboard and moves the focus there.
    void CopyFrom(QLineEdit* box);
    // Fields, caption, Launch Browser's state and the user name on the
    // clipboard, from line_.
    void Fill();

    std::string line_;
    const ViewerPlacement offset_;
};

}  // namespace lockmere
