#include "setup/strong_pw_form.h"

#include <QLabel>
#include <QPixmap>
#include <QPlainTextEdit>
#include <cmath>
#include <cstdint>
#include <limits>

#include "setup/granite.h"
#include "setup/new_user.h"
#include "store/key_file.h"
#include "ui/ansi_text.h"
#include "ui/context.h"
#include "ui/controls.h"

namespace lockmere {

namespace {

// Round half to even, as the conversion to a whole number does.
double RoundHalfEven(double q) {
    const double down = std::floor(q);
    const double rest = q - down;
    if (rest < 0.5) return down;
    if (rest > 0.5) return down + 1.0;
    return std::fmod(down, 2.0) == 0.0 ? down : down + 1.0;
}

}  // namespace

std::optional<unsigned char> CodeForPosition(float xTwips) {
    // The quotient is a 32-bit float like its operand.
    const float quotient = xTwips / 14.0f;
    if (!std::isfinite(quotient)) return std::nullopt;
    const double whole = RoundHalfEven(quotient);
    // Outside the 16-bit range the conversion fails: no character.
    if (whole < std::numeric_limits<std::int16_t>::min() ||
        whole > std::numeric_limits<std::int16_t>::max())
        return std::nullopt;
    const auto code = static_cast<std::int16_t>(whole);
    if (code > 30 && code < 97) return static_cast<unsigned char>(code);
    return std::nullopt;
}

StrongPWForm::StrongPWForm(Context& context) : Window(context) {
    setWindowTitle(QStringLiteral(" Create 256 Bit Encryption String"));
    SetWhiteBackground(this);

    Label1 = Place(
        "Label1",
        new QLabel(
            QStringLiteral("Move the mouse over the image below as if you were scratching the "
                           "stone.  You will see the encryption string build in the window below."),
            this),
        210, 195, 3990, 1035);
    Label2 = Place(
        "Label2",
        new QLabel(QStringLiteral("After 256 bits have been randomly selected the application will "
                                  "automatically advance to the user creation screen."),
                   this),
        210, 1305, 3990, 1035);
    for (QLabel* label : {Label1, Label2}) {
        label->setWordWrap(true);
        label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
        label->setFont(SansSerif(9.75, false));
        SetWhiteBackground(label);
    }

    StringDisplay = Place("StringDisplay", new QPlainTextEdit(this), 195, 2205, 3885, 735,
                          QStringLiteral("Encryption string"));
    StringDisplay->setFont(SansSerif(9.75, true));
    StringDisplay->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    StringDisplay->setWordWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    StringDisplay->setTabChangesFocus(true);
    // Only the generator writes it; typing there would change nothing.
    StringDisplay->setReadOnly(true);

    Image1 = Place("Image1", new PictureBox(this), 945, 3060, 2370, 1635, QStringLiteral("Stone"));
    Image1->setPixmap(QPixmap::fromImage(GraniteTexture()));
    Image1->setAlignment(Qt::AlignLeft | Qt::AlignTop);

    // Only the horizontal position counts.
    connect(Image1, &PictureBox::MouseMoved, this, [this](float x, float) { Image1_MouseMove(x); });
}

void StrongPWForm::Load() {
    SetSizeTwips(4365, 5460);
    CentreOnScreen();
}

void StrongPWForm::Image1_MouseMove(float x) {
    // Movements queued behind the finishing step reach an unloaded window.
    if (IsUnloaded()) return;
    if (collected_.size() > 50) {
        Finish();
        return;
    }
    const std::optional<unsigned char> code = CodeForPosition(x);
    if (!code) return;
    const char c = static_cast<char>(*code);
    if (collected_.find(c) != std::string::npos) return;
    collected_.push_back(c);
    StringDisplay->setPlainText(FromAnsi(collected_));
}

void StrongPWForm::Finish() {
    Context& ctx = context();
    const int code = WriteCollectedString(ctx.ProgramFolder, collected_);
    if (code != failure::kNone) {
        // The key file is still empty: the next start begins the setup again.
        ctx.Boxes.Show(QStringLiteral("ERROR: The encryption string could not be saved "
                                      "in the key file (error %1).\r\rThe setup has stopped. "
                                      "Start Lockmere again to repeat it.")
                           .arg(code),
                       kMessageCenterTitle, MsgButtons::Ok, MsgIcon::Critical);
        Unload();
        return;
    }
    ctx.EncryptionKey = KeyFromCollected(collected_);
    Unload();
    // This window may be gone once the chain returns: touch nothing of it.
    ctx.Windows.Open<NewUser>(ctx)->ShowModal();
}

}  // namespace lockmere
