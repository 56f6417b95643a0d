// <windows.h> before the shell's header, which needs its types.
#include <windows.h>

#include <shellapi.h>

#include <string>
#include <thread>

#include "ui/qt_services.h"

namespace lockmere {

// The shell's own "open" with a web address (the viewer hands on no other),
// no owner window, no parameters, no working folder, a normal window; the
// result is not examined. Not QDesktopServices::openUrl: it asks for the default verb, not
// "open", and rewrites the address as a URL first.
void SystemShellOpen::Open(const QString& address) {
    const std::wstring file = address.toStdWString();
    // The shell may start the handler through COM, and may pump the calling
    // thread's messages while it does, which would run the program's events
    // in the middle of this click: the call gets a thread of its own, and
    // the click waits for it.
    std::thread([&file] {
        const HRESULT com =
            CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
        ShellExecuteW(nullptr, L"open", file.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
        if (SUCCEEDED(com)) CoUninitialize();
    }).join();
}

}  // namespace lockmere
