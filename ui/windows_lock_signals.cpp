#include <windows.h>
#include <wtsapi32.h>

#include "ui/lock_signals.h"

namespace lockmere {

namespace {

const wchar_t kWindowClass[] = L"LockmereLockSignals";

// This session was locked, or left by its user at the console (another user
// switched in) or at a remote terminal; or the machine is about to sleep or
// hibernate.
bool WalkedAway(UINT message, WPARAM event) {
    if (message == WM_WTSSESSION_CHANGE)
        return event == WTS_SESSION_LOCK || event == WTS_CONSOLE_DISCONNECT ||
               event == WTS_REMOTE_DISCONNECT;
    return message == WM_POWERBROADCAST && event == PBT_APMSUSPEND;
}

// The messages come to a hidden top-level window of its own, not through a
// filter on Qt's windows: the sleep notice is sent to every top-level window
// (one lock, not one per window open), message-only windows do not get it,
// and the session's notices need one window that lives as long as the
// program. The system waits for the sleep notice to return, so the book is
// locked before the machine sleeps, not after it wakes.
class WindowsLockSignals : public LockSignals {
public:
    WindowsLockSignals() = default;
    WindowsLockSignals(const WindowsLockSignals&) = delete;
    WindowsLockSignals& operator=(const WindowsLockSignals&) = delete;

    ~WindowsLockSignals() override {
        if (!window_) return;
        WTSUnRegisterSessionNotification(window_);
        DestroyWindow(window_);
    }

    void Start() override {
        if (window_) return;
        const HINSTANCE instance = GetModuleHandleW(nullptr);
        WNDCLASSW kind{};
        kind.lpfnWndProc = Receive;
        kind.hInstance = instance;
        kind.lpszClassName = kWindowClass;
        RegisterClassW(&kind);  // a second program object finds it registered
        window_ = CreateWindowExW(0, kWindowClass, L"Lockmere", WS_OVERLAPPED, 0, 0, 0, 0, nullptr,
                                  nullptr, instance, nullptr);
        if (!window_) return;
        SetWindowLongPtrW(window_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
        // Without the session's notices the sleep notice still locks.
        WTSRegisterSessionNotification(window_, NOTIFY_FOR_THIS_SESSION);
    }

private:
    static LRESULT CALLBACK Receive(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
        if (WalkedAway(message, wParam)) {
            if (auto* self =
                    reinterpret_cast<WindowsLockSignals*>(GetWindowLongPtrW(window, GWLP_USERDATA)))
                emit self->Locked();
            if (message == WM_POWERBROADCAST) return TRUE;
        }
        return DefWindowProcW(window, message, wParam, lParam);
    }

    HWND window_ = nullptr;
};

}  // namespace

std::unique_ptr<LockSignals> PlatformLockSignals() {
    return std::make_unique<WindowsLockSignals>();
}

}  // namespace lockmere
