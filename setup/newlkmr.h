#pragma once

#include <QPlainTextEdit>
#include <string>

#include "ui/window.h"

class QPushButton;

namespace lockmere {

// The welcome text, composed piece by piece. Its lone CRs stay in the text.
std::string WelcomeText();

// A multi-line box that breaks lines only at CR LF; a lone CR is not drawn.
class CrLfTextBox : public QPlainTextEdit {
    Q_OBJECT
public:
    explicit CrLfTextBox(QWidget* parent = nullptr);
    void SetText(const QString& text);
};

// The first window of a first start: explains the setup; "Next" (or Enter)
// or the close box go on to the generator.
//
// Controls: Text1 the welcome text, Command1 "Next".
class newlkmr : public Window {
    Q_OBJECT
public:
    explicit newlkmr(Context& context);

    CrLfTextBox* Text1 = nullptr;
    QPushButton* Command1 = nullptr;

    void Command1_Click();

protected:
    void Load() override;
};

}  // namespace lockmere
