#pragma once

#include <QString>
#include <QStringList>

namespace lockmere {

inline const QString kMessageCenterTitle = QStringLiteral("LKMR - Message Center");
inline const QString kBackupMessageTitle = QStringLiteral("Message Center");
inline const QString kCipherMessageTitle = QStringLiteral("LKMR");

enum class MsgButtons { Ok, YesNo };
enum class MsgIcon { None, Exclamation, Information, Critical, Question };
enum class MsgAnswer { Ok, Yes, No };

// Modal message boxes. A lone CR or a lone LF in the text breaks the line.
class MessageBoxes {
public:
    virtual ~MessageBoxes() = default;
    virtual MsgAnswer Show(const QString& text, const QString& title, MsgButtons buttons,
                           MsgIcon icon) = 0;
};

// A message's lines break with a carriage return alone.
inline QString MessageLines(const QStringList& lines) { return lines.join(QChar('\r')); }

// The program's warning: an OK box with the exclamation icon.
inline void ShowExclamation(MessageBoxes& boxes, const QString& text) {
    boxes.Show(text, kMessageCenterTitle, MsgButtons::Ok, MsgIcon::Exclamation);
}

// Plain-text clipboard. Every text set carries the hint that asks clipboard
// managers not to keep it in their history.
class Clipboard {
public:
    virtual ~Clipboard() = default;
    virtual void Clear() = 0;
    virtual void SetText(const QString& text) = 0;
    // True while the clipboard holds exactly this text.
    virtual bool Holds(const QString& text) = 0;
};

// Hands a web address to the desktop to "open"; the result is not examined.
class ShellOpen {
public:
    virtual ~ShellOpen() = default;
    virtual void Open(const QString& address) = 0;
};

// The system's beep, as a box that refuses a typed character gives it.
class Beeper {
public:
    virtual ~Beeper() = default;
    virtual void Beep() = 0;
};

// The mounted volumes a drive list offers, by drive name (mount points on
// Linux, drive letters such as "C:" on Windows).
class Volumes {
public:
    virtual ~Volumes() = default;
    virtual QStringList MountPoints() = 0;
};

}  // namespace lockmere
