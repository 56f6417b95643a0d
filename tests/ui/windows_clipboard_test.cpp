// <windows.h> first: the program's headers must live with its macros.
#include <windows.h>

#include <QTest>
#include <chrono>
#include <optional>

#include "ui/expiring_clipboard.h"
#include "ui/qt_services.h"

using namespace lockmere;
using namespace std::chrono_literals;

// The clipboard as other programs see it, through the system's clipboard
// functions: Qt's windows platform, not the offscreen one.

namespace {

const QString kNoText = QStringLiteral("(no text)");

// The text on the clipboard, or kNoText.
QString ClipboardText() {
    if (!OpenClipboard(nullptr)) return QStringLiteral("(clipboard not opened)");
    QString text = kNoText;
    if (HANDLE data = GetClipboardData(CF_UNICODETEXT)) {
        if (const auto* chars = static_cast<const wchar_t*>(GlobalLock(data))) {
            text = QString::fromWCharArray(chars);
            GlobalUnlock(data);
        }
    }
    CloseClipboard();
    return text;
}

// The bytes of a registered format; nothing when it is not offered.
std::optional<QByteArray> FormatBytes(const QString& name) {
    const UINT format = RegisterClipboardFormatW(reinterpret_cast<const wchar_t*>(name.utf16()));
    if (format == 0 || !OpenClipboard(nullptr)) return std::nullopt;
    std::optional<QByteArray> bytes;
    if (HANDLE data = GetClipboardData(format)) {
        if (const void* start = GlobalLock(data)) {
            bytes = QByteArray(static_cast<const char*>(start), qsizetype(GlobalSize(data)));
            GlobalUnlock(data);
        }
    }
    CloseClipboard();
    return bytes;
}

// Text put there by another program.
void CopyElsewhere(const QString& text) {
    QVERIFY(OpenClipboard(nullptr));
    QVERIFY(EmptyClipboard());
    const auto size = std::size_t(text.size() + 1) * sizeof(wchar_t);
    HGLOBAL data = GlobalAlloc(GMEM_MOVEABLE, size);
    memcpy(GlobalLock(data), text.utf16(), size);
    GlobalUnlock(data);
    QVERIFY(SetClipboardData(CF_UNICODETEXT, data));
    QVERIFY(CloseClipboard());
}

}  // namespace

class WindowsClipboardTest : public QObject {
    Q_OBJECT

private slots:
    void textIsKeptOutOfHistoryAndCloud();
    void takenAwayWhenItsTimeIsUp();
    void leavesWhatAnotherProgramCopied();
};

void WindowsClipboardTest::textIsKeptOutOfHistoryAndCloud() {
    QtClipboard clipboard;
    for (const QString& text : {QStringLiteral("hunter2"), QString()}) {
        clipboard.SetText(text);
        QCOMPARE(ClipboardText(), text);
        for (const QString& format : kWindowsHistoryExclusionFormats) {
            const std::optional<QByteArray> bytes = FormatBytes(format);
            QVERIFY2(bytes, qPrintable(format));
            // A DWORD 0 (the system may round the block up).
            QVERIFY2(bytes->size() >= 4 && bytes->left(4) == QByteArray(4, '\0'),
                     qPrintable(format + ": " + bytes->toHex()));
        }
        QVERIFY(clipboard.Holds(text));
    }
    clipboard.Clear();
    QCOMPARE(ClipboardText(), kNoText);
    QVERIFY(!FormatBytes(kWindowsHistoryExclusionFormats.first()));
}

void WindowsClipboardTest::takenAwayWhenItsTimeIsUp() {
    QtClipboard system;
    ExpiringClipboard clipboard(system, 300ms);
    clipboard.SetText(QStringLiteral("hunter2"));
    QCOMPARE(ClipboardText(), QStringLiteral("hunter2"));
    QTRY_COMPARE_WITH_TIMEOUT(ClipboardText(), kNoText, 5000);
}

void WindowsClipboardTest::leavesWhatAnotherProgramCopied() {
    QtClipboard system;
    {
        ExpiringClipboard clipboard(system, 300ms);
        clipboard.SetText(QStringLiteral("hunter2"));
        CopyElsewhere(QStringLiteral("my own note"));
        QVERIFY(!system.Holds(QStringLiteral("hunter2")));
        QTest::qWait(800);
        QCOMPARE(ClipboardText(), QStringLiteral("my own note"));
    }  // nor when the program ends
    QCOMPARE(ClipboardText(), QStringLiteral("my own note"));
}

QTEST_MAIN(WindowsClipboardTest)
#include "windows_clipboard_test.moc"
