#pragma once

#include <QWidget>

class QMenuBar;
class QPushButton;

namespace lockmere {

struct Context;

// Positions and sizes are in twips: 15 twips per device-independent pixel.
inline constexpr int kTwipsPerPixel = 15;
// The frame the window sizes were made for: a 23-pixel caption and 4-pixel
// borders. A thinner frame (or none) leaves the inside as large as there.
inline constexpr int kFrameWidthPixels = 8;
inline constexpr int kFrameHeightPixels = 31;
int TwipsToPixels(int twips);
int PixelsToTwips(int pixels);
int ScreenWidthTwips();
int ScreenHeightTwips();

// The base of every window: twips geometry, a load handler that runs once
// before the first show, modal and modeless show, a cancellable close and
// an unload that is safe from the window's own handlers.
class Window : public QWidget {
    Q_OBJECT
public:
    explicit Window(Context& context);
    ~Window() override;

    // Runs Load() when the window has not been shown yet, then shows it and
    // returns at once. A window already shown is only brought forward.
    void ShowModeless();
    // Runs Load() when needed, shows the window application-modal and
    // returns after it has been closed or unloaded. Its events (and those
    // of windows it opens) run in a nested loop meanwhile.
    void ShowModal();

    // Closes the window without asking its close handler and deletes it
    // later, so that a handler of the window itself may call it and go on
    // to its end (even show another window modally first). As with a close
    // by the user, the program ends when its last window goes.
    void Unload();
    bool IsUnloaded() const { return unloaded_; }

    // A window that shows or takes a record of the book goes when the book
    // locks (WindowRegistry::UnloadForLock).
    void SetClosesOnLock(bool closes) { closesOnLock_ = closes; }
    bool ClosesOnLock() const { return closesOnLock_; }

    // The outer size, caption and frame included. The inside (menu bar
    // included) is that less the frame: the larger of the real one and the
    // one the sizes were made for.
    void SetSizeTwips(int width, int height);
    void SetHeightTwips(int height);
    // The inside alone, for a window whose size is given without its frame.
    void SetClientSizeTwips(int width, int height);
    void MoveTwips(int left, int top);
    // left = (screen width - width) / 2, top = (screen height - height) / 2 + dy.
    void CentreOnScreen(int topShiftTwips = 0);
    // Outer size.
    int WidthTwips() const;
    int HeightTwips() const;

    // Places a child control at twips relative to the client area (below a
    // menu bar, when the window has one), shows it with the window and gives
    // it its accessible name.
    template <class T>
    T* Place(T* control, int left, int top, int width, int height,
             const QString& accessibleName = {}) {
        PlaceWidget(control, left, top, width, height, accessibleName);
        return control;
    }
    // The same, naming the control as the window's member is named, so that
    // tests and accessibility tools can find it.
    template <class T>
    T* Place(const char* objectName, T* control, int left, int top, int width, int height,
             const QString& accessibleName = {}) {
        control->setObjectName(QLatin1String(objectName));
        return Place(control, left, top, width, height, accessibleName);
    }

    // Fits each label, button and check box caption into its box: buttons
    // and check boxes wrap theirs at blanks, and a caption still cut gets a
    // smaller font; one that fits keeps (or gets back) the font asked for.
    // Runs after Load(); a window runs it again when it changes captions.
    void FitCaptions();

    // The window's menu bar, created on first use.
    QMenuBar* MenuBar();

    // Enter activates this button while it is enabled, from any control of
    // the window but another button, which takes Enter itself; while it is
    // disabled, Enter goes to the focused control.
    void SetDefaultButton(QPushButton* button);
    // Escape closes the window as its close box does, through its close handler.
    void CloseOnEscape();

signals:
    // Emitted once when the window is closed or unloaded.
    void Closed();

protected:
    // The load handler: runs once, before the window is first shown.
    virtual void Load() {}
    // The close handler, asked on a close by the user or by close(): return
    // false to keep the window open.
    virtual bool QueryClose() { return true; }

    Context& context() const { return context_; }

    bool event(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void PlaceWidget(QWidget* control, int left, int top, int width, int height,
                     const QString& accessibleName);
    void EnsureLoaded();
    void BringForward();
    void FinishClose();
    void Arrange();
    QSize FrameSize() const;
    void ApplyOuterSize();

    Context& context_;
    QSize outerSize_;   // asked for in pixels; empty for a client size
    QSize framedWith_;  // the frame the inside was last sized with
    QMenuBar* menuBar_ = nullptr;
    QWidget* client_ = nullptr;
    bool loaded_ = false;
    bool unloaded_ = false;
    bool inModalLoop_ = false;
    bool closesOnLock_ = false;
};

}  // namespace lockmere
