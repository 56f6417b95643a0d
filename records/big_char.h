#pragma once

#include "ui/window.h"

class QLabel;
class QLineEdit;
class QPushButton;

namespace lockmere {

// The viewer: one record in large characters, its user name or password
// to the clipboard, its address to the desktop's "open".
class BigChar : public Window {
    Q_OBJECT
public:
    explicit BigChar(Context& context);

    QLabel* Label1 = nullptr;
    QLabel* Label2 = nullptr;
    QLabel* Label3 = nullptr;
    QLineEdit* Text1 = nullptr;  // User Name
    QLineEdit* Text2 = nullptr;  // Password
    QLineEdit* Text3 = nullptr;  // Application URL
    QPushButton* CT1 = nullptr;
    QPushButton* CT2 = nullptr;
    QPushButton* CT3 = nullptr;
    QPushButton* LaunchB = nullptr;

protected:
    void Load() override;

private:
    void CopyFrom(QLineEdit* box);
    void CopyAndMinimize();
    void LaunchBrowser();
};

}  // namespace lockmere
