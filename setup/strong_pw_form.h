#pragma once

#include <optional>
#include <string>

#include "ui/window.h"

class QLabel;
class QPlainTextEdit;

namespace lockmere {

class PictureBox;

// The character a pointer position over the picture stands for: X / 14
// rounded half to even to a 16-bit integer, taken when it lies in 31-96.
std::optional<unsigned char> CodeForPosition(float xTwips);

// Gathers 51 distinct characters from the pointer's path over the stone,
// writes them to the key file and goes on to the master account.
//
// Controls: Label1 and Label2 the instructions, StringDisplay the characters
// gathered so far, Image1 the stone.
class StrongPWForm : public Window {
    Q_OBJECT
public:
    explicit StrongPWForm(Context& context);

    QLabel* Label1 = nullptr;
    QLabel* Label2 = nullptr;
    QPlainTextEdit* StringDisplay = nullptr;
    PictureBox* Image1 = nullptr;

    void Image1_MouseMove(float x);

protected:
    void Load() override;

private:
    void Finish();

    // In Windows-1252, each character once, in the order met.
    std::string collected_;
};

}  // namespace lockmere
