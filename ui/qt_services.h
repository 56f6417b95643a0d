#pragma once

#include <memory>

#include "ui/lock_signals.h"
#include "ui/services.h"

namespace lockmere {

class QtMessageBoxes : public MessageBoxes {
public:
    MsgAnswer Show(const QString& text, const QString& title, MsgButtons buttons,
                   MsgIcon icon) override;
};

// The clipboard alone: the program's windows never offer text as the
// primary selection, which nothing would ever empty.
class QtClipboard : public Clipboard {
public:
    QtClipboard();
    void Clear() override;
    void SetText(const QString& text) override;
    bool Holds(const QString& text) override;
};

// The system's own "open" of the address as the user typed it: on Windows
// the shell's (ShellExecuteW), elsewhere the desktop's through
// QDesktopServices::openUrl.
class SystemShellOpen : public ShellOpen {
public:
    void Open(const QString& address) override;
};

// Valid, ready mounted volumes by drive name; the system drive first.
class QtVolumes : public Volumes {
public:
    QStringList MountPoints() override;
};

// QApplication::beep: the desktop's bell.
class QtBeeper : public Beeper {
public:
    void Beep() override;
};

// The services of the running program, for its Context.
struct QtServices {
    QtMessageBoxes Boxes;
    QtClipboard SystemClipboard;
    SystemShellOpen Shell;
    QtVolumes DriveVolumes;
    QtBeeper Speaker;
    std::unique_ptr<LockSignals> SessionLock = PlatformLockSignals();
};

// The text as a message box shows it: CR LF, a lone CR and a lone LF each
// break the line once.
QString MessageDisplayText(const QString& text);

#ifdef Q_OS_WIN
// The registered clipboard formats that keep text out of Windows' clipboard
// history and cloud clipboard, each offered as a DWORD 0.
inline const QStringList kWindowsHistoryExclusionFormats{
    QStringLiteral("ExcludeClipboardContentFromMonitorProcessing"),
    QStringLiteral("CanIncludeInClipboardHistory"), QStringLiteral("CanUploadToCloudClipboard")};
#else
// Marks clipboard text as secret, so that clipboard managers keep it out
// of their history.
inline const QString kPasswordManagerHintFormat = QStringLiteral("x-kde-passwordManagerHint");
#endif

}  // namespace lockmere
