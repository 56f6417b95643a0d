#include "ui/window.h"

#include <QApplication>
#include <QCloseEvent>
#include <QEventLoop>
#include <QGuiApplication>
#include <QMenuBar>
#include <QPointer>
#include <QPushButton>
#include <QScreen>
#include <QShortcut>
#include <algorithm>
#include <cmath>

#include "ui/caption.h"
#include "ui/caption_fit.h"
#include "ui/controls.h"
#include "ui/secret_traces.h"

namespace lockmere {

namespace {

QSize ScreenSize() {
    const QScreen* screen = QGuiApplication::primaryScreen();
    return screen ? screen->geometry().size() : QSize();
}

// Enter and the keypad's Enter click the button, or the button that has the
// focus, as a focused button stands in for the default one. The shortcut is
// switched off while the button is disabled, so that the key then reaches
// the focused control (a list that opens its line on Enter, for instance).
class DefaultButtonKey : public QShortcut {
public:
    DefaultButtonKey(QPushButton* button, QWidget* window) : QShortcut(window) {
        setKeys({QKeySequence(Qt::Key_Return), QKeySequence(Qt::Key_Enter)});
        setContext(Qt::WindowShortcut);
        setAutoRepeat(false);
        setEnabled(button->isEnabled());
        button->installEventFilter(this);
        connect(this, &QShortcut::activated, button, [button] {
            auto* focused = qobject_cast<QPushButton*>(QApplication::focusWidget());
            const bool ownButton = focused && focused->window() == button->window();
            QPushButton* target = ownButton ? focused : button;
            if (target->isEnabled()) target->click();
        });
    }

    // Installed on the button alone.
    bool eventFilter(QObject* button, QEvent* event) override {
        if (event->type() == QEvent::EnabledChange)
            setEnabled(static_cast<QWidget*>(button)->isEnabled());
        return false;
    }
};

}  // namespace

int TwipsToPixels(int twips) {
    return static_cast<int>(std::lround(static_cast<double>(twips) / kTwipsPerPixel));
}

int PixelsToTwips(int pixels) { return pixels * kTwipsPerPixel; }

int ScreenWidthTwips() { return PixelsToTwips(ScreenSize().width()); }

int ScreenHeightTwips() { return PixelsToTwips(ScreenSize().height()); }

Window::Window(Context& context) : QWidget(nullptr), context_(context) {
    // Controls without a font of their own draw in their window's.
    setFont(SansSerif(8.25));
    client_ = new QWidget(this);
    client_->setObjectName(QStringLiteral("client"));
}

// Whatever the window showed or was typed into it goes with it.
Window::~Window() { ForgetSecretTraces(); }

void Window::ShowModeless() {
    if (unloaded_) return;
    if (isVisible()) {
        BringForward();
        return;
    }
    QPointer<Window> self(this);
    EnsureLoaded();
    if (!self || unloaded_) return;
    show();
    activateWindow();
}

void Window::ShowModal() {
    if (unloaded_) return;
    QPointer<Window> self(this);
    EnsureLoaded();
    if (!self || unloaded_) return;

    QEventLoop loop;
    connect(this, &Window::Closed, &loop, &QEventLoop::quit);
    connect(this, &QObject::destroyed, &loop, &QEventLoop::quit);
    if (windowModality() != Qt::ApplicationModal) {
        // Modality takes effect on the next show only.
        if (isVisible()) hide();
        setWindowModality(Qt::ApplicationModal);
    }
    show();
    if (!self || unloaded_) return;
    activateWindow();
    inModalLoop_ = true;
    loop.exec(QEventLoop::DialogExec);
    // Deleted only now: an unload from a nested loop (a message box of one
    // of its handlers, say) must not take the window from under that handler.
    if (!self) return;
    inModalLoop_ = false;
    deleteLater();
    // The window may be gone by now: nothing below this line may touch it.
}

void Window::Unload() {
    if (unloaded_) return;
    unloaded_ = true;
    // Through close(), so that the program ends with its last window as it
    // does when the user closes it; closeEvent asks nothing once unloaded_.
    close();
    hide();  // close() is refused while a close of this window is under way
    FinishClose();
}

void Window::SetSizeTwips(int width, int height) {
    outerSize_ = QSize(TwipsToPixels(width), TwipsToPixels(height));
    ApplyOuterSize();
}

void Window::SetHeightTwips(int height) { SetSizeTwips(WidthTwips(), height); }

void Window::SetClientSizeTwips(int width, int height) {
    outerSize_ = QSize();
    resize(TwipsToPixels(width), TwipsToPixels(height));
    Arrange();
}

QSize Window::FrameSize() const {
    // Known once a window manager has framed the shown window; zero before.
    const QSize real = frameGeometry().size() - geometry().size();
    return QSize(std::max(kFrameWidthPixels, real.width()),
                 std::max(kFrameHeightPixels, real.height()));
}

void Window::ApplyOuterSize() {
    if (outerSize_.isEmpty()) return;
    framedWith_ = FrameSize();
    resize((outerSize_ - framedWith_).expandedTo(QSize(1, 1)));
    Arrange();
}

void Window::MoveTwips(int left, int top) { move(TwipsToPixels(left), TwipsToPixels(top)); }

void Window::CentreOnScreen(int topShiftTwips) {
    MoveTwips((ScreenWidthTwips() - WidthTwips()) / 2,
              (ScreenHeightTwips() - HeightTwips()) / 2 + topShiftTwips);
}

int Window::WidthTwips() const { return PixelsToTwips(width() + FrameSize().width()); }
int Window::HeightTwips() const { return PixelsToTwips(height() + FrameSize().height()); }

QMenuBar* Window::MenuBar() {
    if (!menuBar_) {
        menuBar_ = new QMenuBar(this);
        // In the window, never in a desktop-wide bar: the client area sits below it.
        menuBar_->setNativeMenuBar(false);
        menuBar_->setAccessibleName(QStringLiteral("Menu bar"));
        Arrange();
    }
    return menuBar_;
}

void Window::FitCaptions() {
    ensurePolished();  // the style may still change fonts and margins
    for (QWidget* control : client_->findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
        FitCaption(control);
}

void Window::SetDefaultButton(QPushButton* button) {
    button->setDefault(true);
    new DefaultButtonKey(button, this);
}

void Window::CloseOnEscape() {
    auto* escape = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    escape->setContext(Qt::WindowShortcut);
    connect(escape, &QShortcut::activated, this, &QWidget::close);
}

bool Window::event(QEvent* event) {
    // The menu bar asks for a new layout when its menus change.
    if (event->type() == QEvent::LayoutRequest) Arrange();
    if (event->type() == QEvent::Show) KeepEmptyCaption(this);
    // A window manager frames the window after it is shown; a frame larger
    // than the one the sizes were made for takes its room from the inside.
    const bool framed = event->type() == QEvent::Move || event->type() == QEvent::Show ||
                        event->type() == QEvent::Resize;
    const bool result = QWidget::event(event);
    if (framed && !outerSize_.isEmpty() && FrameSize() != framedWith_) ApplyOuterSize();
    return result;
}

void Window::closeEvent(QCloseEvent* event) {
    if (!unloaded_) {
        QPointer<Window> self(this);
        const bool allowed = QueryClose();
        if (!self) return;
        if (!allowed && !unloaded_) {
            event->ignore();
            return;
        }
    }
    event->accept();
    if (!unloaded_) {
        unloaded_ = true;
        FinishClose();
    }
}

void Window::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    Arrange();
}

void Window::PlaceWidget(QWidget* control, int left, int top, int width, int height,
                         const QString& accessibleName) {
    if (control->parentWidget() != client_) control->setParent(client_);
    control->setGeometry(TwipsToPixels(left), TwipsToPixels(top), TwipsToPixels(width),
                         TwipsToPixels(height));
    if (!accessibleName.isEmpty()) control->setAccessibleName(accessibleName);
    // Enter on a focused button presses it, as Space does.
    if (auto* button = qobject_cast<QPushButton*>(control)) button->setAutoDefault(true);
    if (client_->isVisible()) control->show();  // a new parent hides it
}

void Window::EnsureLoaded() {
    if (loaded_) return;
    loaded_ = true;
    QPointer<Window> self(this);
    Load();
    if (self && !unloaded_) FitCaptions();
}

void Window::BringForward() {
    if (isMinimized()) showNormal();
    raise();
    activateWindow();
}

void Window::FinishClose() {
    emit Closed();
    if (!inModalLoop_) deleteLater();  // else once the modal loop has returned
}

void Window::Arrange() {
    int top = 0;
    if (menuBar_) {
        top = menuBar_->heightForWidth(width());
        if (top < 0) top = menuBar_->sizeHint().height();
        menuBar_->setGeometry(0, 0, width(), top);
    }
    client_->setGeometry(0, top, width(), std::max(0, height() - top));
}

}  // namespace lockmere
